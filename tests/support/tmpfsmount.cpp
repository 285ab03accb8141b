#include "tmpfsmount.h"

#include <QFile>

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
