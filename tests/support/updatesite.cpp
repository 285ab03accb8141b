#include "updatesite.h"

#include "core/versionstamp.h"
#include "testhome.h"
#include "testpaths.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTcpSocket>

#include <openssl/evp.h>

namespace UpdateTesting {

namespace {

// The 32 raw bytes of an Ed25519 key file: the tail of its one line of DER.
QByteArray keyBytes(const QString &pemFile)
{
    return QByteArray::fromBase64(readFile(pemFile).split('\n').value(1)).right(32);
}

} // namespace

QByteArray publicKey()
{
    return keyBytes(QStringLiteral(GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing.pub"));
}

QByteArray sign(const QByteArray &message)
{
    const QByteArray seed = keyBytes(QStringLiteral(GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing.key"));
    EVP_PKEY *key =
        EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, reinterpret_cast<const uchar *>(seed.data()), 32);
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    QByteArray signature(64, '\0');
    size_t length = 64;
    EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key);
    EVP_DigestSign(context, reinterpret_cast<uchar *>(signature.data()), &length,
                   reinterpret_cast<const uchar *>(message.data()), size_t(message.size()));
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(key);
    return signature;
}

QByteArray stamped(int a, int b, int c, const QByteArray &payload)
{
    const int version[4] = {a, b, c, 0};
    return payload + VersionStamp::make(version);
}

QByteArray line(const QByteArray &name, const QByteArray &version, const QByteArray &bytes)
{
    return name + '=' + version + '=' + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '=' +
           QByteArray::number(bytes.size()) + "\r\n";
}

} // namespace UpdateTesting

UpdateSite::UpdateSite()
{
    server.listen(QHostAddress::LocalHost);
    qputenv("GLIMRA_UPDATE_URL", QByteArray("http://127.0.0.1:") + QByteArray::number(server.serverPort()) + '/');
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { respond(socket); });
    });
}

void UpdateSite::serve(const QString &path, const QByteArray &body)
{
    replies[path] = {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body,
                     false};
}

void UpdateSite::respond(QTcpSocket *socket)
{
    const QByteArray request = socket->peek(socket->bytesAvailable());
    if (!request.contains("\r\n\r\n"))
        return;
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    const QString path = QString::fromLatin1(request.split(' ').value(1).mid(1));
    requests.append(path);
    const auto [bytes, endless] = replies.value(path, {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", false});
    // Every reply is the connection's last, so the client never waits for another on it.
    const int headEnd = bytes.indexOf("\r\n") + 2;
    socket->write(bytes.left(headEnd) + "Connection: close\r\n" + bytes.mid(headEnd));
    if (!endless)
        return socket->disconnectFromHost();
    // Filler a little ahead of what the system has taken (so the count is what really left) up to an
    // end well past any limit, so that a client that never hangs up cannot keep a test busy for ever.
    constexpr qint64 kChunk = 64 << 10;
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, int(kChunk));
    const auto more = [this, socket] {
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < kChunk &&
            endlessSent < (qint64(64) << 20))
            socket->write(QByteArray(kChunk, 'x'));
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this, more](qint64 bytes) {
        endlessSent += bytes;
        more();
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { endlessHungUp = true; });
    more();
}
