#pragma once

#include "updater/updatecheck.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QUrl>

class DownloadManager;
class NormalProgressBar;
class QNetworkReply;

namespace Ui {
class UpdateDialog;
}

// Shows one update check from the manifest request to the downloaded files; the check itself is
// its UpdateCheck. Created hidden per check; shown only when the user accepts an offered update;
// destroys itself when closed.
class UpdateDialog : public QDialog
{
    Q_OBJECT

signals:
    void updateFound(UpdateDialog *p_Dialog);
    void updateNotFound();

public slots:
    void fileDownloaded(QNetworkReply *p_Reply);
    void compareVersions(QString p_Ini);
    void checkForUpdates();
    void updateAll();
    bool isUpdateAvailable();

public:
    using Launcher = UpdateCheck::Launcher;

    explicit UpdateDialog(QWidget *parent = nullptr);
    ~UpdateDialog() override;

    // The version text of the last manifest line that offered a newer file.
    QString availableVersion() const { return m_availableVersion; }
    QList<QUrl> filesToFetch() const;
    DownloadManager *downloadManager() const { return m_check->downloadManager(); }

    // Seams, so that a test can run a whole update inside its own process.
    void setProgramFolder(const QString &folder) { m_check->setProgramFolder(folder); }
    void setLauncher(Launcher launcher) { m_check->setLauncher(std::move(launcher)); }
    // The Ed25519 key (32 raw bytes) that must sign the manifest. Takes effect for the next
    // checkForUpdates().
    void setPublicKey(const QByteArray &publicKey) { m_check->setPublicKey(publicKey); }
    // Whether a dialog without a key still takes unsigned manifests; the build's choice by default.
    void setAllowUnsigned(bool allow) { m_check->setAllowUnsigned(allow); }
    // False when checkForUpdates() would not even ask the server: no key and no unsigned updates.
    bool updatesEnabled() const { return m_check->updatesEnabled(); }

private:
    void showUpdate(const UpdateEntry &entry);
    void showVersions(const QString &current, const QString &offered);
    void showProgress(int download, qint64 received, qint64 total);
    void reportFailedVerification(const QString &fileName);

    QString m_availableVersion;
    Ui::UpdateDialog *ui = nullptr;
    UpdateCheck *m_check = nullptr;
    // One per download the check started, in the same order; children of the form.
    QList<NormalProgressBar *> m_bars;
};
