#include "mainwindow.h"

void MainWindow::checkForUpdates(bool) {}
void MainWindow::showUpdateDialog(UpdateDialog *) {}
void MainWindow::noUpdates() {}
