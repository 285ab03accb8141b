#include "app/instancekey.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <unistd.h>

QString instanceKey(const QString &executablePath)
{
    QString path = QFileInfo(executablePath).canonicalFilePath();
    if (path.isEmpty())
        path = QFileInfo(executablePath).absoluteFilePath();
    const QByteArray id = path.toUtf8() + '\0' + QByteArray::number(qulonglong(::getuid()));
    const QByteArray hash = QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(24);
    return QStringLiteral("glimra-") + QString::fromLatin1(hash);
}
