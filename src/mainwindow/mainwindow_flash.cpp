#include "mainwindow.h"

#include <QDialog>
#include <QLabel>

void MainWindow::createOverlay()
{
    overlay = new QDialog(this);
    overlayLabel = new QLabel(overlay);
}
void MainWindow::replaceOverlayLabel() {}
void MainWindow::startActivity() {}
void MainWindow::stopActivity() {}
void MainWindow::toggleActivity() {}
void MainWindow::buildMessageList() {}
void MainWindow::showTimeout() {}
void MainWindow::hideTimeout() {}
int MainWindow::getDisplayTime()
{
    return 4000;
}
int MainWindow::getDurationTime()
{
    return 30;
}
void MainWindow::alignCenterWidget(QWidget *) {}
void MainWindow::alignTopWidget(QWidget *) {}
void MainWindow::alignBottomWidget(QWidget *) {}
void MainWindow::alignRandomWidget(QWidget *) {}
int MainWindow::randInt(int p_Low, int)
{
    return p_Low;
}
