#include "downloadmanager.h"

#include "core/atomicfile.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QNetworkReply>
#include <QNetworkRequest>

DownloadManager::DownloadManager(QObject *parent) : QObject(parent)
{
    connect(&m_manager, &QNetworkAccessManager::finished, this, &DownloadManager::fileDownloaded);
}

QNetworkReply *DownloadManager::startDownload(const QUrl &url)
{
    return m_manager.get(QNetworkRequest(url));
}

QString DownloadManager::fileNameFromUrl(const QUrl &url)
{
    const QString path = url.path(QUrl::FullyDecoded);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return name.isEmpty() ? QStringLiteral("download") : name;
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
