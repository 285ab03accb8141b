#include "updatecheck.h"

#include "core/fileversion.h"
#include "core/process.h"
#include "core/updateconstants.h"
#include "updater/downloadmanager.h"

#include "buildconfig.h"

#include <QBuffer>
#include <QFile>
#include <QNetworkReply>
#include <QtDebug>

#include <cstdlib>

namespace {

constexpr int kUpdateExitCode = 12;
// Far above any real manifest, signature or release, so that a hostile server cannot fill memory.
constexpr qint64 kMaxManifestBytes = 1 << 20;
constexpr qint64 kMaxSignatureBytes = 4 << 10;
constexpr qint64 kMaxUnsignedFileBytes = qint64(256) << 20;

void startAndExit(const QString &commandLine, int exitCode)
{
    startDetachedCommand(commandLine);
    // At once: the quit sequence must not write the library or the preferences now.
    std::_Exit(exitCode);
}

QString decodeManifest(const QByteArray &body)
{
    const int nul = body.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? body : body.left(nul));
}

bool isSameUrl(const QUrl &a, const QUrl &b)
{
    return a.toString(QUrl::FullyEncoded) == b.toString(QUrl::FullyEncoded);
}

} // namespace

UpdateCheck::UpdateCheck(QObject *parent)
    : QObject(parent), m_allowUnsigned(GLIMRA_ALLOW_UNSIGNED_UPDATES), m_launcher(startAndExit)
{
    // A child, so that replies finishing after the check is gone are dropped with it.
    m_downloadManager = new DownloadManager(this);
    m_manifestUrl = QUrl(UpdateConstants::manifestUrl(), QUrl::TolerantMode);
    connect(m_downloadManager, &DownloadManager::fileDownloaded, this, &UpdateCheck::fileDownloaded);
}

void UpdateCheck::setProgramFolder(const QString &folder)
{
    m_downloadManager->setProgramFolder(folder);
}

void UpdateCheck::setLauncher(Launcher launcher)
{
    m_launcher = launcher ? std::move(launcher) : Launcher(startAndExit);
}

void UpdateCheck::start()
{
    m_manifestUrl = QUrl(UpdateConstants::manifestUrl(), QUrl::TolerantMode);
    m_haveManifest = m_haveSignature = m_manifestFailed = false;
    if (!updatesEnabled())
        return;
    m_downloadManager->startDownload(m_manifestUrl, kMaxManifestBytes);
    if (m_verifier.hasKey())
        m_downloadManager->startDownload(signatureUrl(), kMaxSignatureBytes);
    else
        qDebug() << "Updates are unverified: this build has no update signing key";
}

QUrl UpdateCheck::signatureUrl() const
{
    return QUrl(m_manifestUrl.toString(QUrl::FullyEncoded) + QStringLiteral(".sig"), QUrl::TolerantMode);
}

void UpdateCheck::fileDownloaded(QNetworkReply *reply)
{
    const QUrl url = reply->url();
    const int entry = m_downloads.contains(reply) ? m_downloads.take(reply) : -1;
    const bool isManifest = isSameUrl(url, m_manifestUrl);
    const bool isSignature = isSameUrl(url, signatureUrl());
    reply->deleteLater();

    // Redirects, error pages, cut-off and short replies count as network errors.
    if (!DownloadManager::isComplete(reply)) {
        if ((isManifest || isSignature) && !m_manifestFailed) {
            m_manifestFailed = true;
            emit failed();
        }
        return;
    }
    if (isManifest)
        manifestArrived(reply->readAll());
    else if (isSignature)
        signatureArrived(reply->readAll());
    else
        receiveFile(reply, entry);
}

void UpdateCheck::manifestArrived(const QByteArray &body)
{
    if (!m_verifier.hasKey()) {
        if (m_allowUnsigned)
            compareVersions(decodeManifest(body));
        return;
    }
    m_manifest = body;
    m_haveManifest = true;
    evaluateSignedManifest();
}

void UpdateCheck::signatureArrived(const QByteArray &body)
{
    if (!m_verifier.hasKey())
        return;
    m_signature = body;
    m_haveSignature = true;
    evaluateSignedManifest();
}

void UpdateCheck::evaluateSignedManifest()
{
    if (!m_haveManifest || !m_haveSignature || m_manifestFailed)
        return;
    // Both halves are consumed: a second copy of either cannot re-run the check.
    m_haveManifest = m_haveSignature = false;
    if (!m_verifier.verifySignature(m_manifest, m_signature)) {
        qWarning() << "The update manifest's signature does not verify; the update check is dropped";
        emit failed();
        return;
    }
    compareVersions(decodeManifest(m_manifest));
}

void UpdateCheck::compareVersions(const QString &ini)
{
    m_entries.clear();
    const QString folder = m_downloadManager->programFolder() + QLatin1Char('/');
    const auto readLocal = [&folder](const QString &fileName, int version[4]) {
        return readFileVersion(folder + fileName, version);
    };
    const UpdateManifest::Result result =
        UpdateManifest::evaluate(ini, UpdateConstants::updateBaseUrl(), readLocal, m_verifier.hasKey());
    // One at a time, so that whoever is told of an entry sees the list up to it.
    for (const UpdateEntry &update : result.updates) {
        m_entries.append(update);
        ++m_pendingUpdates;
        emit updateFound(update);
    }
    emit manifestEvaluated(result.currentVersion, result.offeredVersion);
    if (m_entries.isEmpty())
        emit nothingFound();
}

void UpdateCheck::fetchUpdates()
{
    for (int i = 0; i < m_entries.size(); ++i) {
        // A signed file may not grow past its signed size.
        const qint64 limit = m_verifier.hasKey() ? m_entries.at(i).size : kMaxUnsignedFileBytes;
        QNetworkReply *reply = m_downloadManager->startDownload(m_entries.at(i).url, limit);
        const int download = m_downloadsStarted++;
        connect(reply, &QNetworkReply::downloadProgress, this,
                [this, download](qint64 received, qint64 total) { emit downloadProgress(download, received, total); });
        m_downloads.insert(reply, i);
    }
}

void UpdateCheck::receiveFile(QNetworkReply *reply, int entry)
{
    // Only what fetchUpdates() asked for, under the name the manifest gave, never one from the URL.
    if (entry < 0 || entry >= m_entries.size())
        return;
    QString fileName = m_entries.at(entry).fileName;
    const QByteArray data = reply->readAll();
    if (m_verifier.hasKey() &&
        !UpdateVerifier::matchesDigest(data, m_entries.at(entry).sha256, m_entries.at(entry).size)) {
        qWarning() << "Update file" << fileName << "failed verification and was discarded";
        emit fileFailedVerification(fileName);
        return;
    }

    // The running executable cannot be overwritten: it goes beside it and installs itself at start.
    const bool isExecutable = fileName == UpdateConstants::executableName();
    if (isExecutable)
        fileName = UpdateConstants::replacementName();

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const bool saved = m_downloadManager->saveToFile(fileName, &buffer);
    --m_pendingUpdates;
    if (!isExecutable || !saved)
        return;

    const QString path = m_downloadManager->programFolder() + QLatin1Char('/') + fileName;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup |
                                    QFile::ExeOther);
    m_launcher(QLatin1Char('"') + path + QLatin1Char('"'), kUpdateExitCode);
}
