#include "core/instancekey.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <windows.h>

QString instanceKey(const QString &executablePath, const QProcessEnvironment &environment)
{
    // Pipe names do not depend on the environment; the session id below separates log-ons.
    Q_UNUSED(environment)
    QString path = QFileInfo(executablePath).canonicalFilePath();
    if (path.isEmpty())
        path = QFileInfo(executablePath).absoluteFilePath();
    // NTFS compares names without regard to case.
    path = path.toCaseFolded();

    DWORD sessionId = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &sessionId);
    const QByteArray id = path.toUtf8() + '\0' + QByteArray::number(qulonglong(sessionId));
    const QByteArray hash = QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(24);
    return QStringLiteral("glimra-") + QString::fromLatin1(hash);
}

QString instanceLockPath(const QString &instanceKey)
{
    // The temporary folder is the user's own on Windows.
    return QDir::temp().filePath(instanceKey + QStringLiteral(".lock"));
}

bool peerIsThisUser(qintptr socketDescriptor)
{
    // Not checked: the pipe's name carries the log-on session and the server's pipe admits only
    // this user (QLocalServer::UserAccessOption).
    Q_UNUSED(socketDescriptor)
    return true;
}
