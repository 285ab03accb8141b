#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

// Fetches the manifest and the update files, and stores received files in the program's folder.
class DownloadManager : public QObject
{
    Q_OBJECT

signals:
    // Every finished request, successful or not.
    void fileDownloaded(QNetworkReply *p_Reply);

public:
    explicit DownloadManager(QObject *parent = nullptr);

    // The reply belongs to the access manager. Redirects are not followed, and the reply is
    // aborted as soon as the server announces or sends more than `maxBytes`.
    QNetworkReply *startDownload(const QUrl &url, qint64 maxBytes);
    // True for a finished reply that holds a whole file: no error, status 200, and as many bytes
    // as the server announced. Only valid while nothing has been read from the reply.
    static bool isComplete(const QNetworkReply *reply);
    // Replaces `fileName` in the program's folder with everything `data` holds.
    bool saveToFile(const QString &fileName, QIODevice *data);

    // The folder files are written to and versions read from; the program's own by default.
    QString programFolder() const;
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }

private:
    // Made at the first download: network access loads plugins and starts threads.
    QNetworkAccessManager *m_manager = nullptr;
    QString m_programFolder;
};
