#pragma once

#include <QHash>
#include <QStringList>
#include <QTcpServer>

// The updater's fixtures: the tests' key pair (tests/data/TEST-ONLY-update-signing.*), stamped
// payloads, signed manifest lines and a server.
QByteArray publicKey();                     // 32 raw bytes
QByteArray sign(const QByteArray &message); // a detached Ed25519 signature
// `payload` followed by the version stamp a.b.c.0 that readFileVersion finds.
QByteArray stamped(int a, int b, int c, const QByteArray &payload);
QByteArray line(const QByteArray &name, const QByteArray &version, const QByteArray &bytes); // signed manifest line

// A local HTTP server that updaters created from now on ask (GLIMRA_UPDATE_URL).
class UpdateSite
{
public:
    UpdateSite();
    // 200 with the body and its length; anything not served is a 404.
    void serve(const QString &path, const QByteArray &body);

    QTcpServer server;
    // By path: the whole response; with the flag set, filler follows for as long as the client listens.
    QHash<QString, QPair<QByteArray, bool>> replies;
    QStringList requests;       // paths in the order they were asked for
    qint64 endlessSent = 0;     // bytes of endless replies handed to the system
    bool endlessHungUp = false; // the client closed an endless reply's connection
};
