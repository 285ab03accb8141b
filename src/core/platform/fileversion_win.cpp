#include "core/fileversion.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

#include <vector>

bool readFileVersion(const QString &path, int version[4])
{
    const QString full =
        QDir::isAbsolutePath(path) ? path : QCoreApplication::applicationDirPath() + QLatin1Char('/') + path;
    const std::wstring name = QDir::toNativeSeparators(full).toStdWString();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<char> buffer(size);
    if (!GetFileVersionInfoW(name.c_str(), 0, size, buffer.data()))
        return false;
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void **>(&info), &length) || !info)
        return false;
    version[0] = HIWORD(info->dwFileVersionMS);
    version[1] = LOWORD(info->dwFileVersionMS);
    version[2] = HIWORD(info->dwFileVersionLS);
    version[3] = LOWORD(info->dwFileVersionLS);
    return true;
}
