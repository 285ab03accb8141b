#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

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

// The running processes whose executable is the file `executable`, by pid.
QList<qint64> runningProcessesOf(const QString &executable);

// True when file permissions do not bind this process (root on Unix).
bool isSuperUser();

// The process that serves a connected local socket, and whether it runs as this user.
struct LocalSocketPeer
{
    qint64 pid = 0; // 0 when it cannot be told
    bool sameUser = false;
};
LocalSocketPeer localSocketPeer(qintptr socketDescriptor);

// While it lives, this process cannot make a file larger than `bytes`: such writes fail as on a
// full disk. isApplied() is false where the system has no such limit.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    static bool isAvailable();
    bool isApplied() const { return m_applied; }

private:
    bool m_applied = false;
    quint64 m_previous = 0; // the limit to restore
};
