#include "mainwindow.h"

#include "library/messageitem.h"

bool MainWindow::loadGroups()
{
    return false;
}

void MainWindow::writeGroups() {}

void MainWindow::parseMessagesFromText(QString p_FileName)
{
    Q_UNUSED(p_FileName)
}

void MainWindow::buildPlaceholderLibrary() {}
