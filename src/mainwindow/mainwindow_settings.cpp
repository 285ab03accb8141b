#include "mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::displaySelected(int) {}
void MainWindow::durationSelected(int) {}
void MainWindow::locationSelected(int) {}
void MainWindow::languageSelected(int) {}
void MainWindow::startupChanged() {}
void MainWindow::selectFont() {}
void MainWindow::restoreSettings() {}
void MainWindow::loadSettings() {}
void MainWindow::writeSettings() {}
void MainWindow::on_colorButton_clicked() {}
void MainWindow::applyFont(const QFont &font)
{
    currentFont = font;
}
QFont MainWindow::fitFontToLabel(const QFont &font) const
{
    return font;
}
void MainWindow::updateColorLabel() {}
