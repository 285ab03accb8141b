#pragma once

#include "updater/updatemanifest.h"
#include "updater/updateverifier.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class DownloadManager;
class QNetworkReply;

// One update check without any widget: fetches the manifest (and its signature in keyed builds),
// verifies it, compares versions, and on request fetches, verifies and saves the newer files and
// hands over to the new executable.
class UpdateCheck : public QObject
{
    Q_OBJECT

signals:
    // A newer file, in manifest order, as soon as it is known; updates() already ends with it.
    void updateFound(const UpdateEntry &entry);
    // The whole manifest is evaluated: the versions of its last line whose local file has one
    // (both empty when none had), then nothingFound() when no line offered a newer file.
    void manifestEvaluated(const QString &currentVersion, const QString &offeredVersion);
    void nothingFound();
    // The manifest or its signature could not be fetched, or the signature does not verify.
    void failed();
    // `download` counts the downloads started by fetchUpdates() in order, from 0.
    void downloadProgress(int download, qint64 received, qint64 total);
    // A complete file whose size or digest differs from its signed line; it was discarded.
    void fileFailedVerification(const QString &fileName);

public:
    // Starts the downloaded executable from a quoted command line and ends this process with `exitCode`.
    using Launcher = std::function<void(const QString &commandLine, int exitCode)>;

    explicit UpdateCheck(QObject *parent = nullptr);

    // Asks the server for the manifest; does nothing when updatesEnabled() is false.
    void start();
    // Evaluates a manifest text as if it had arrived (and verified).
    void compareVersions(const QString &ini);
    // Downloads every file of updates(); pressing again starts them all again.
    void fetchUpdates();
    // Dispatches a finished reply of the download manager.
    void fileDownloaded(QNetworkReply *reply);

    QList<UpdateEntry> updates() const { return m_entries; }
    // Newer files found and not yet received.
    int pendingUpdates() const { return m_pendingUpdates; }
    DownloadManager *downloadManager() const { return m_downloadManager; }

    // Seams, so that a test can run a whole update inside its own process.
    void setProgramFolder(const QString &folder);
    void setLauncher(Launcher launcher);
    // The Ed25519 key (32 raw bytes) that must sign the manifest. Takes effect for the next start().
    void setPublicKey(const QByteArray &publicKey) { m_verifier = UpdateVerifier(publicKey); }
    // Whether a check without a key still takes unsigned manifests; the build's choice by default.
    void setAllowUnsigned(bool allow) { m_allowUnsigned = allow; }
    // False when start() would not even ask the server: no key and no unsigned updates.
    bool updatesEnabled() const { return m_verifier.hasKey() || m_allowUnsigned; }

private:
    void manifestArrived(const QByteArray &body);
    void signatureArrived(const QByteArray &body);
    void evaluateSignedManifest();
    void receiveFile(QNetworkReply *reply, int entry);
    QUrl signatureUrl() const;

    DownloadManager *m_downloadManager = nullptr;
    // What the manifest said about each newer file, in manifest order.
    QList<UpdateEntry> m_entries;
    int m_pendingUpdates = 0;
    // Running file downloads and the entry each one fetches.
    QHash<QNetworkReply *, int> m_downloads;
    int m_downloadsStarted = 0;
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
