#include "extra_httpserver.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>

TestHttpServer::TestHttpServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_pending.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

bool TestHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString TestHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

void TestHttpServer::serve(const QString &path, const QByteArray &body)
{
    m_resources.insert(path, Resource{body, false, qint64(body.size())});
}

void TestHttpServer::serveStalled(const QString &path, const QByteArray &body, qint64 claimedLength)
{
    m_resources.insert(path, Resource{body, true, claimedLength});
}

void TestHttpServer::readRequest(QTcpSocket *socket)
{
    QByteArray &buffer = m_pending[socket];
    buffer += socket->readAll();
    const int end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    m_pending.remove(socket);
    const QString target = requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
    const QString path = QUrl(target).path(QUrl::FullyEncoded);
    m_requests.append(path);
    respond(socket, path);
    emit requested(path);
}

void TestHttpServer::respond(QTcpSocket *socket, const QString &path)
{
    const auto found = m_resources.constFind(path);
    if (found == m_resources.constEnd()) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nNot found");
        socket->disconnectFromHost();
        return;
    }
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (found->claimedLength >= 0)
        head += "Content-Length: " + QByteArray::number(found->claimedLength) + "\r\n";
    socket->write(head + "\r\n" + found->body);
    if (!found->stalled)
        socket->disconnectFromHost();
}
