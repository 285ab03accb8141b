#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// What the tests do to processes and users that differs between systems.

// The ways the system asks a program to stop; on Unix SIGTERM, SIGINT and SIGHUP.
enum class StopRequest
{
    Terminate,
    Interrupt,
    HangUp
};
Q_DECLARE_METATYPE(StopRequest)

// False for requests this system has no equivalent of.
bool canRequestStop(StopRequest request);
// Asks process `pid` to stop as the system would; true when the request was delivered.
bool requestStop(qint64 pid, StopRequest request);
// The running processes whose executable is the file `executable`.
QList<qint64> runningProcessesOf(const QString &executable);
// True when file permissions do not bind this process (root on Unix).
bool isSuperUser();

// The process serving a connected local socket (pid 0 when unknown), and whether it is this user's.
struct LocalSocketPeer
{
    qint64 pid = 0;
    bool sameUser = false;
};
LocalSocketPeer localSocketPeer(qintptr socketDescriptor);
