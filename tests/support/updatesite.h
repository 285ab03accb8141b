#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// The updater's test fixtures: the tests' signing key, stamped payloads, manifest lines.
namespace UpdateTesting {

// The public half (32 raw bytes) of tests/data/TEST-ONLY-update-signing.key.
QByteArray publicKey();
// A detached Ed25519 signature of `message` with the tests' key.
QByteArray sign(const QByteArray &message);
// `payload` followed by the version stamp a.b.c.0 that readFileVersion finds.
QByteArray stamped(int a, int b, int c, const QByteArray &payload);
// A signed manifest line: "Name=Version=SHA256=SIZE".
QByteArray line(const QByteArray &name, const QByteArray &version, const QByteArray &bytes);

} // namespace UpdateTesting

// A local HTTP server that the updater uses from construction on (GLIMRA_UPDATE_URL).
class UpdateSite
{
public:
    UpdateSite();

    // 200 with the body and its length; anything not served is a 404.
    void serve(const QString &path, const QByteArray &body);

    QTcpServer server;
    // By path: exactly the response (status line, headers, body), then the connection closes or,
    // when the flag is set, filler follows for as long as the client listens.
    QHash<QString, QPair<QByteArray, bool>> replies;
    QStringList requests;       // paths in the order they were asked for
    qint64 endlessSent = 0;     // bytes of endless replies handed to the system
    bool endlessHungUp = false; // the client closed an endless reply's connection

private:
    void respond(QTcpSocket *socket);
};
