#include "processcontrol.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

bool canRequestStop(StopRequest)
{
    return true;
}

bool requestStop(qint64 pid, StopRequest request)
{
    const int signal = request == StopRequest::Interrupt ? SIGINT : request == StopRequest::HangUp ? SIGHUP : SIGTERM;
    // Never 0 or negative: those would signal whole process groups.
    return pid > 0 && ::kill(pid_t(pid), signal) == 0;
}

QList<qint64> runningProcessesOf(const QString &executable)
{
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    QList<qint64> pids;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const qint64 pid = entry.toLongLong();
        if (pid > 0 && !wanted.isEmpty() && QFileInfo("/proc/" + entry + "/exe").symLinkTarget() == wanted)
            pids.append(pid);
    }
    return pids;
}

bool isSuperUser()
{
    return ::geteuid() == 0;
}

LocalSocketPeer localSocketPeer(qintptr socketDescriptor)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (socketDescriptor < 0 || ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return {};
    return {peer.pid, peer.pid != 0 && peer.uid == ::getuid()};
}
