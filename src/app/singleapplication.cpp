#include "singleapplication.h"

#include "core/instancekey.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {
constexpr char kAck = '\x06';
// A message is a 32-bit length followed by that many UTF-8 bytes; anything larger is refused.
constexpr quint32 kMaxMessageBytes = 64 * 1024;
// A start slower than this is taken as hung; the waiting copy then gives up rather than run twice.
constexpr int kStartLockWaitMs = 60000;

// A listener of another user at our name is not our copy: it gets nothing from us, not even a message.
bool connectToOwnCopy(QLocalSocket &socket, const QString &name, int timeoutMs)
{
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    if (peerIsThisUser(socket.socketDescriptor()))
        return true;
    qWarning("Ignoring a single-instance socket of another user at %s", qPrintable(name));
    socket.abort();
    return false;
}
} // namespace

SingleApplication::SingleApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    m_serverName = instanceKey(QCoreApplication::applicationFilePath());
    if (m_serverName.isEmpty()) {
        // Better a copy that others cannot find than a socket in a folder another user controls.
        qWarning("No private folder for the single-instance socket; other starts will not find this one");
        return;
    }

    // Held by whichever copy is still starting; a holder that died frees it at once, a live one
    // is never overtaken however long its start takes.
    m_startLock = std::make_unique<QLockFile>(instanceLockPath(m_serverName));
    m_startLock->setStaleLockTime(0);
    const bool locked = m_startLock->tryLock(kStartLockWaitMs);

    QLocalSocket probe;
    if (connectToOwnCopy(probe, m_serverName, 1000)) {
        m_running = true;
        probe.disconnectFromServer();
    } else if (!locked && m_startLock->error() == QLockFile::LockFailedError) {
        // A live copy is still starting after all this time: better no second program than two.
        qWarning("Another start of this program has not finished within %d s", kStartLockWaitMs / 1000);
        m_running = true;
    }
    if (m_running)
        m_startLock.reset();
}

bool SingleApplication::startListening()
{
    if (m_running || m_server || m_serverName.isEmpty())
        return m_server && m_server->isListening();
    // No copy of ours answers: a socket file left at our name (in a folder of ours) is stale and can go.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const bool listening = m_server->listen(m_serverName);
    if (listening)
        connect(m_server, &QLocalServer::newConnection, this, &SingleApplication::onNewConnection);
    else
        qWarning("Single-instance server could not listen: %s", qPrintable(m_server->errorString()));
    m_startLock.reset();
    return listening;
}

SingleApplication::~SingleApplication() = default;

bool SingleApplication::sendMessage(const QString &message, int timeout)
{
    if (!m_running)
        return false;
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] { return qMax(0, timeout - int(clock.elapsed())); };

    QLocalSocket socket;
    if (!connectToOwnCopy(socket, m_serverName, left()))
        return false;

    const QByteArray payload = message.toUtf8();
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << quint32(payload.size());
    frame.append(payload);
    socket.write(frame);
    if (!socket.waitForBytesWritten(left()))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(left()))
            return false;
    }
    char ack = 0;
    return socket.getChar(&ack) && ack == kAck;
}

void SingleApplication::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (!peerIsThisUser(socket->socketDescriptor())) {
            qWarning("Refused a single-instance connection from another user");
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < 4)
                return;
            QDataStream in(socket->peek(4));
            quint32 size = 0;
            in >> size;
            if (size > kMaxMessageBytes) {
                socket->abort();
                return;
            }
            if (socket->bytesAvailable() < qint64(4 + size))
                return;
            socket->read(4);
            const QString message = QString::fromUtf8(socket->read(size));
            socket->putChar(kAck);
            socket->flush();
            emit messageReceived(message);
        });
    }
}
