#pragma once

#include "updater/updatemanifest.h"
#include "updater/updateverifier.h"

#include <QByteArray>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

class DownloadManager;
class QNetworkReply;

namespace Ui {
class UpdateDialog;
}

// One update check from the manifest request to the downloaded files. Created hidden per check;
// shown only when the user accepts an offered update; destroys itself when closed.
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
    // Starts the downloaded executable from a quoted command line and ends this process with `exitCode`.
    using Launcher = std::function<void(const QString &commandLine, int exitCode)>;

    explicit UpdateDialog(QWidget *parent = nullptr);
    ~UpdateDialog() override;

    // The version text of the last manifest line that offered a newer file.
    QString availableVersion() const { return m_availableVersion; }
    QList<QUrl> filesToFetch() const { return m_filesToFetch; }
    DownloadManager *downloadManager() const { return m_downloadManager; }

    // Seams, so that a test can run a whole update inside its own process.
    void setProgramFolder(const QString &folder);
    void setLauncher(Launcher launcher);
    // The Ed25519 key (32 raw bytes) that must sign the manifest. Takes effect for the next
    // checkForUpdates().
    void setPublicKey(const QByteArray &publicKey);
    // Whether a dialog without a key still takes unsigned manifests; the build's choice by default.
    void setAllowUnsigned(bool allow) { m_allowUnsigned = allow; }
    // False when checkForUpdates() would not even ask the server: no key and no unsigned updates.
    bool updatesEnabled() const { return m_verifier.hasKey() || m_allowUnsigned; }

private:
    void manifestArrived(const QByteArray &body);
    void signatureArrived(const QByteArray &body);
    void evaluateSignedManifest();
    void receiveFile(QNetworkReply *reply, int entry);
    void reportFailedVerification(const QString &fileName);
    QUrl signatureUrl() const;

    QString m_availableVersion;
    Ui::UpdateDialog *ui = nullptr;
    DownloadManager *m_downloadManager = nullptr;
    QList<QUrl> m_filesToFetch;
    int m_pendingUpdates = 0;

    // What the manifest said about each file to fetch, in the same order.
    QList<UpdateEntry> m_entries;
    // Running file downloads and the entry each one fetches.
    QHash<QNetworkReply *, int> m_downloads;
    UpdateVerifier m_verifier;
    QUrl m_manifestUrl;
    QByteArray m_manifest;
    QByteArray m_signature;
    bool m_haveManifest = false;
    bool m_haveSignature = false;
    bool m_manifestFailed = false;
    bool m_allowUnsigned;
    Launcher m_launcher;
};
