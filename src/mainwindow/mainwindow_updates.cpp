#include "mainwindow.h"

#include "buildconfig.h"

#include <QCoreApplication>
#include <QMessageBox>

#if !GLIMRA_WITH_UPDATER

// A distribution's package: its package manager brings new versions, so nothing is ever asked.
void MainWindow::checkForUpdates(bool p_ByUser)
{
    if (p_ByUser)
        QMessageBox::information(this, tr("Update"),
                                 tr("This copy of %1 is updated by your distribution: get new versions through "
                                    "its package manager.")
                                     .arg(QCoreApplication::applicationName()),
                                 QMessageBox::Ok);
}

#else

#include "updater/updatedialog.h"

void MainWindow::checkForUpdates(bool p_ByUser)
{
    auto *dialog = new UpdateDialog(this);
    if (updateDialogSetup)
        updateDialogSetup(dialog);
    if (!dialog->updatesEnabled()) {
        // Without a key nothing from the server can be trusted, so it is not even asked.
        delete dialog;
        if (p_ByUser)
            QMessageBox::information(this, tr("Update"),
                                     tr("This build of %1 does not update itself. Get new versions where you got "
                                        "this one.")
                                         .arg(QCoreApplication::applicationName()),
                                     QMessageBox::Ok);
        return;
    }
    dialog->checkForUpdates();
    connect(dialog, &UpdateDialog::updateFound, this, &MainWindow::showUpdateDialog);
    // The automatic check at start stays silent when there is nothing new.
    if (p_ByUser)
        connect(dialog, &UpdateDialog::updateNotFound, this, &MainWindow::noUpdates);
}

void MainWindow::showUpdateDialog(UpdateDialog *p_Dialog)
{
    const QMessageBox::StandardButton answer =
        QMessageBox::question(this, tr("Update"),
                              tr("New version %1 of %2 is found!\r\nDo you want to download and install it?")
                                  .arg(p_Dialog->availableVersion(), QCoreApplication::applicationName()),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        p_Dialog->show();
    else
        p_Dialog->close();
}

void MainWindow::noUpdates()
{
    QMessageBox::information(this, tr("Update"), tr("No updates available."), QMessageBox::Ok);
}

#endif
