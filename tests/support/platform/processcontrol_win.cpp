#include "processcontrol.h"

#include <QFileInfo>

#include <iterator>
#include <memory>
#include <vector>

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

namespace {

struct HandleCloser
{
    void operator()(HANDLE handle) const
    {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The user a process runs as, as the bytes of its SID; empty when it cannot be read.
QByteArray userOf(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return QByteArray();
    const Handle owned(token);
    QByteArray buffer(256, '\0');
    DWORD size = DWORD(buffer.size());
    if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return QByteArray();
    const PSID sid = reinterpret_cast<const TOKEN_USER *>(buffer.constData())->User.Sid;
    return IsValidSid(sid) ? QByteArray(static_cast<const char *>(sid), int(GetLengthSid(sid))) : QByteArray();
}

} // namespace

bool canRequestStop(StopRequest request)
{
    // A GUI program here is only ever asked to end as a whole.
    return request == StopRequest::Terminate;
}

bool requestStop(qint64 pid, StopRequest request)
{
    if (!canRequestStop(request) || pid <= 0)
        return false;
    // What the Restart Manager does: ask the top-level windows whether the session may end, then
    // tell them it ends. Qt answers the first with a save and the second with a quit.
    std::pair<DWORD, std::vector<HWND>> search{DWORD(pid), {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>> *>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == found->first)
                found->second.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    DWORD_PTR answer = 0;
    for (HWND window : search.second)
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer);
    bool delivered = false;
    for (HWND window : search.second)
        delivered = PostMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP) || delivered;
    return delivered;
}

QList<qint64> runningProcessesOf(const QString &executable)
{
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    QList<qint64> pids;
    const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t path[MAX_PATH * 4];
        DWORD size = DWORD(std::size(path));
        // NTFS compares names without regard to case.
        if (process && QueryFullProcessImageNameW(process.get(), 0, path, &size) && !wanted.isEmpty() &&
            QFileInfo(QString::fromWCharArray(path, int(size)))
                    .canonicalFilePath()
                    .compare(wanted, Qt::CaseInsensitive) == 0)
            pids.append(qint64(entry.th32ProcessID));
    }
    return pids;
}

bool isSuperUser()
{
    // Administrators are bound by access control lists like everyone else.
    return false;
}

LocalSocketPeer localSocketPeer(qintptr socketDescriptor)
{
    // A QLocalSocket's descriptor is the handle of its named pipe here.
    ULONG pid = 0;
    if (!GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(socketDescriptor), &pid) || pid == 0)
        return {};
    const Handle server(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    const QByteArray theirs = server ? userOf(server.get()) : QByteArray();
    return {qint64(pid), !theirs.isEmpty() && theirs == userOf(GetCurrentProcess())};
}
