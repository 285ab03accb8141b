#include "core/fileversion.h"
#include "core/versionstamp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

bool readFileVersion(const QString &path, int version[4])
{
    const QString full =
        QDir::isAbsolutePath(path) ? path : QCoreApplication::applicationDirPath() + QLatin1Char('/') + path;
    QFile file(full);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size <= 0)
        return false;
    // Mapping avoids copying a large executable; fall back to reading for files that cannot be mapped.
    if (uchar *data = file.map(0, size)) {
        const bool found =
            VersionStamp::find(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)), version);
        file.unmap(data);
        return found;
    }
    return VersionStamp::find(file.readAll(), version);
}
