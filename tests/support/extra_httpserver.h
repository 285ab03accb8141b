#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A tiny HTTP/1.1 server on 127.0.0.1 for tests: GET of a registered path returns its bytes,
// anything else 404. One request per connection.
class TestHttpServer : public QObject
{
    Q_OBJECT

signals:
    void requested(const QString &path);

public:
    explicit TestHttpServer(QObject *parent = nullptr);

    // Listens on an ephemeral port.
    bool listen();
    void close() { m_server.close(); }
    // "http://127.0.0.1:<port>" followed by `path` (which starts with "/").
    QString url(const QString &path) const;

    void serve(const QString &path, const QByteArray &body);
    // Sends the headers announcing `claimedLength` bytes (no Content-Length when negative), then
    // `body`, and then neither finishes nor closes: only the client can end the transfer.
    void serveStalled(const QString &path, const QByteArray &body, qint64 claimedLength);
    void remove(const QString &path) { m_resources.remove(path); }

    int requestCount(const QString &path) const { return m_requests.count(path); }
    QStringList requests() const { return m_requests; }

private:
    struct Resource
    {
        QByteArray body;
        bool stalled = false;
        qint64 claimedLength = -1;
    };

    void readRequest(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QString &path);

    QTcpServer m_server;
    QHash<QString, Resource> m_resources;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QStringList m_requests;
};
