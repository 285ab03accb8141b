#include "tmpfsmount.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace {

QByteArray options(qint64 size)
{
    return "size=" + QByteArray::number(size);
}

} // namespace

TmpfsMount::TmpfsMount(qint64 sizeBytes) : m_size(sizeBytes)
{
    const QByteArray target = QFile::encodeName(m_dir.path());
    m_mounted = ::mount("tmpfs", target.constData(), "tmpfs", 0, options(m_size).constData()) == 0;
    if (!m_mounted)
        m_error = QStringLiteral("mounting a tmpfs failed (%1); this needs root")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

TmpfsMount::~TmpfsMount()
{
    // Lazily, so that a file a failed test left open does not keep the mount alive.
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool TmpfsMount::setReadOnly(bool readOnly)
{
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return m_mounted && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", flags,
                                options(m_size).constData()) == 0;
}

qint64 TmpfsMount::freeBytes() const
{
    struct statvfs info = {};
    if (::statvfs(QFile::encodeName(m_dir.path()).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}
