#include "mainwindow.h"

void MainWindow::addSubcategory() {}
void MainWindow::editSubcategory() {}
void MainWindow::removeSubcategory() {}
void MainWindow::addMessage() {}
void MainWindow::editMessage() {}
void MainWindow::removeMessage() {}
void MainWindow::addedSubcategory(QString) {}
void MainWindow::editedSubcategory(QString) {}
void MainWindow::addedMessage(QString) {}
void MainWindow::editedMessage(QString) {}
