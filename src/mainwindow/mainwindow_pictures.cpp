#include "mainwindow.h"

void MainWindow::loadPictures() {}
void MainWindow::browseForPicture() {}
void MainWindow::addImageToList(QString) {}
