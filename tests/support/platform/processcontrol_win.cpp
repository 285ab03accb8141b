#include "processcontrol.h"

#include <QFileInfo>

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

struct WindowSearch
{
    DWORD pid = 0;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectWindowsOf(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<WindowSearch *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid)
        search->windows.push_back(window);
    return TRUE;
}

QString imagePathOf(DWORD pid)
{
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return QString();
    wchar_t path[32768];
    DWORD size = DWORD(sizeof path / sizeof path[0]);
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &size))
        return QString();
    return QString::fromWCharArray(path, int(size));
}

// The user the token belongs to, as the bytes of its SID; empty when it cannot be read.
QByteArray userOf(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0)
        return QByteArray();
    QByteArray buffer(int(size), '\0');
    if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return QByteArray();
    const PSID sid = reinterpret_cast<const TOKEN_USER *>(buffer.constData())->User.Sid;
    if (!IsValidSid(sid))
        return QByteArray();
    return QByteArray(static_cast<const char *>(sid), int(GetLengthSid(sid)));
}

QByteArray userOfProcess(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return QByteArray();
    const Handle owned(token);
    return userOf(token);
}

} // namespace

bool canRequestStop(StopRequest request)
{
    // A GUI program here is only ever asked to end as a whole, never interrupted or hung up on.
    return request == StopRequest::Terminate;
}

bool requestStop(qint64 pid, StopRequest request)
{
    if (!canRequestStop(request) || pid <= 0)
        return false;
    // What the Restart Manager does to a GUI program: ask its top-level windows whether the session
    // may end, then tell them it ends. Qt answers the first with a save and the second with a quit.
    WindowSearch search;
    search.pid = DWORD(pid);
    EnumWindows(collectWindowsOf, reinterpret_cast<LPARAM>(&search));
    if (search.windows.empty())
        return false;
    for (HWND window : search.windows) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer);
    }
    bool delivered = false;
    for (HWND window : search.windows)
        delivered = PostMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP) || delivered;
    return delivered;
}

QList<qint64> runningProcessesOf(const QString &executable)
{
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    QList<qint64> pids;
    if (wanted.isEmpty())
        return pids;
    const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE)
        return pids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        const QString image = imagePathOf(entry.th32ProcessID);
        // NTFS compares names without regard to case.
        if (!image.isEmpty() && QFileInfo(image).canonicalFilePath().compare(wanted, Qt::CaseInsensitive) == 0)
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
    const auto pipe = reinterpret_cast<HANDLE>(socketDescriptor);
    ULONG pid = 0;
    if (!pipe || pipe == INVALID_HANDLE_VALUE || !GetNamedPipeServerProcessId(pipe, &pid) || pid == 0)
        return {};
    LocalSocketPeer result;
    result.pid = qint64(pid);
    const Handle server(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!server)
        return result;
    const QByteArray theirs = userOfProcess(server.get());
    result.sameUser = !theirs.isEmpty() && theirs == userOfProcess(GetCurrentProcess());
    return result;
}

// There is no per-process limit on file sizes here.
FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    Q_UNUSED(bytes)
}

FileSizeLimit::~FileSizeLimit() = default;

bool FileSizeLimit::isAvailable()
{
    return false;
}
