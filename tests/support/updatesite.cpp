#include "updatesite.h"

#include "core/versionstamp.h"
#include "testhome.h"
#include "testpaths.h"

#include <QCryptographicHash>
#include <QTcpSocket>

#include <openssl/evp.h>

// The 32 raw bytes of a key file: the tail of its one line of DER.
static const auto keyBytes = [](const QString &extension) {
    const QString file = GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing." + extension;
    return QByteArray::fromBase64(readFile(file).split('\n').value(1)).right(32);
};

QByteArray publicKey()
{
    return keyBytes("pub");
}

QByteArray sign(const QByteArray &message)
{
    const QByteArray seed = keyBytes("key");
    const auto bytes = [](const QByteArray &array) { return reinterpret_cast<const uchar *>(array.constData()); };
    EVP_PKEY *key = EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, bytes(seed), 32);
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    QByteArray signature(64, '\0');
    size_t length = 64;
    EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key);
    EVP_DigestSign(context, reinterpret_cast<uchar *>(signature.data()), &length, bytes(message), message.size());
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

UpdateSite::UpdateSite()
{
    server.listen(QHostAddress::LocalHost);
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:" + QByteArray::number(server.serverPort()) + '/');
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray request = socket->peek(socket->bytesAvailable());
            if (!request.contains("\r\n\r\n"))
                return;
            QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
            requests << QString::fromLatin1(request.split(' ').value(1).mid(1));
            const auto [bytes, endless] =
                replies.value(requests.last(), {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", false});
            // Every reply is the connection's last, so the client never waits for another on it.
            const int headEnd = bytes.indexOf("\r\n") + 2;
            socket->write(bytes.left(headEnd) + "Connection: close\r\n" + bytes.mid(headEnd));
            if (!endless)
                return socket->disconnectFromHost();
            // Filler just ahead of what the system has taken (so the count is what left), up to well past any limit.
            constexpr qint64 kChunk = 64 << 10;
            socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, int(kChunk));
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket](qint64 written) {
                endlessSent += written;
                if (socket->bytesToWrite() < kChunk && endlessSent < (qint64(64) << 20))
                    socket->write(QByteArray(kChunk, 'x'));
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { endlessHungUp = true; });
        });
    });
}

void UpdateSite::serve(const QString &path, const QByteArray &b)
{
    replies[path] = {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(b.size()) + "\r\n\r\n" + b, false};
}
