#include "processcontrol.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalOf(StopRequest request)
{
    switch (request) {
    case StopRequest::Terminate:
        return SIGTERM;
    case StopRequest::Interrupt:
        return SIGINT;
    case StopRequest::HangUp:
        return SIGHUP;
    }
    return SIGTERM;
}

} // namespace

bool canRequestStop(StopRequest)
{
    return true;
}

bool requestStop(qint64 pid, StopRequest request)
{
    // Never 0 or negative: those would signal whole process groups.
    return pid > 0 && ::kill(pid_t(pid), signalOf(request)) == 0;
}

QList<qint64> runningProcessesOf(const QString &executable)
{
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    QList<qint64> pids;
    if (wanted.isEmpty())
        return pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (numeric && QFileInfo(QStringLiteral("/proc/%1/exe").arg(entry)).symLinkTarget() == wanted)
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
    LocalSocketPeer result;
    result.pid = peer.pid;
    result.sameUser = peer.pid != 0 && peer.uid == ::getuid();
    return result;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    // Without this, a write past the limit ends the process instead of failing with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous = {};
    if (::getrlimit(RLIMIT_FSIZE, &previous) != 0)
        return;
    m_previous = previous.rlim_cur;
    const rlimit limited = {rlim_t(bytes), previous.rlim_max};
    m_applied = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (!m_applied)
        return;
    rlimit current = {};
    ::getrlimit(RLIMIT_FSIZE, &current);
    current.rlim_cur = rlim_t(m_previous);
    ::setrlimit(RLIMIT_FSIZE, &current);
}

bool FileSizeLimit::isAvailable()
{
    return true;
}
