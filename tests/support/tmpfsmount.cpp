#include "tmpfsmount.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#endif

namespace {

#ifdef Q_OS_LINUX
QByteArray options(qint64 size)
{
    return "size=" + QByteArray::number(size);
}
#endif

} // namespace

TmpfsMount::TmpfsMount(qint64 sizeBytes) : m_size(sizeBytes)
{
#ifdef Q_OS_LINUX
    const QByteArray target = QFile::encodeName(m_dir.path());
    m_mounted = ::mount("tmpfs", target.constData(), "tmpfs", 0, options(m_size).constData()) == 0;
    if (!m_mounted)
        m_error = QStringLiteral("mounting a tmpfs failed (%1); this needs root")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
#else
    m_error = QStringLiteral("mounting a tmpfs needs Linux");
#endif
}

TmpfsMount::~TmpfsMount()
{
#ifdef Q_OS_LINUX
    // Lazily, so that a file a failed test left open does not keep the mount alive.
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
}

bool TmpfsMount::setReadOnly(bool readOnly)
{
#ifdef Q_OS_LINUX
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return m_mounted && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", flags,
                                options(m_size).constData()) == 0;
#else
    Q_UNUSED(readOnly);
    return false;
#endif
}

qint64 TmpfsMount::freeBytes() const
{
#ifdef Q_OS_LINUX
    struct statvfs info = {};
    if (::statvfs(QFile::encodeName(m_dir.path()).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
#else
    return -1;
#endif
}

qint64 TmpfsMount::fill(const QString &path, qint64 keepFree)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return freeBytes();
    const QByteArray page(4096, 'f');
    while (freeBytes() > keepFree) {
        const qint64 step = qMin<qint64>(page.size(), freeBytes() - keepFree);
        if (filler.write(page.constData(), step) != step)
            break;
    }
    return freeBytes();
}
