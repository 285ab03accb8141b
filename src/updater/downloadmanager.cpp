#include "downloadmanager.h"

#include "core/atomicfile.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

DownloadManager::DownloadManager(QObject *parent) : QObject(parent) {}

QNetworkReply *DownloadManager::startDownload(const QUrl &url, qint64 maxBytes)
{
    QNetworkRequest request(url);
    // A redirect's page is not the file asked for, and its target may be any server.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // Sizes are checked on the bytes as sent; a compressed body would make them meaningless.
    request.setRawHeader("Accept-Encoding", "identity");
    if (!m_manager) {
        m_manager = new QNetworkAccessManager(this);
        connect(m_manager, &QNetworkAccessManager::finished, this, &DownloadManager::fileDownloaded);
    }
    QNetworkReply *reply = m_manager->get(request);

    // readyRead, unlike the throttled downloadProgress, reports every arrival; nothing reads the
    // reply before it finishes, so what is available is all that has arrived.
    const auto cutOff = [reply, maxBytes] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        const bool tooLarge =
            reply->bytesAvailable() > maxBytes || (announced.isValid() && announced.toLongLong() > maxBytes);
        if (tooLarge && reply->isRunning())
            reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, cutOff);
    connect(reply, &QNetworkReply::readyRead, reply, cutOff);
    return reply;
}

bool DownloadManager::isComplete(const QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::NoError ||
        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200)
        return false;
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    return !announced.isValid() || announced.toLongLong() == reply->bytesAvailable();
}

bool DownloadManager::saveToFile(const QString &fileName, QIODevice *data)
{
    // Written beside and renamed over the old file, so a crash or a full disk never leaves half a
    // file and a file that is being executed can still be replaced.
    QString error;
    if (writeFileAtomically(programFolder() + QLatin1Char('/') + fileName, data->readAll(), &error))
        return true;
    QMessageBox::critical(nullptr, tr("Error!"), tr("Could not open %1 for writing: %2").arg(fileName, error));
    return false;
}

QString DownloadManager::programFolder() const
{
    return m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_programFolder;
}
