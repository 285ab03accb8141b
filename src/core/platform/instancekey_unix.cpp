#include "core/instancekey.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// A real folder (not a symlink) of this user that nobody else can enter or change.
bool isPrivateFolder(const QString &path)
{
    struct stat info;
    if (!QDir::isAbsolutePath(path) || ::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 0077) == 0 &&
           (info.st_mode & 0700) == 0700;
}

QString createdPrivateFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    // An existing folder may have been prepared by someone else: it is checked, never repaired.
    return isPrivateFolder(path) ? path : QString();
}

QString value(const QProcessEnvironment &environment, const char *name)
{
    return environment.value(QString::fromLatin1(name));
}

// Where the socket and the lock live: the session's runtime folder, else a folder of this user's
// own in the temporary folder, else one in the cache folder (the temporary one can be taken by
// someone who creates it first). The host name keeps machines that share a home apart.
QString runtimeFolder(const QProcessEnvironment &environment)
{
    const QString runtime = value(environment, "XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return QDir::cleanPath(runtime);

    QString temp = value(environment, "TMPDIR");
    if (temp.isEmpty())
        temp = QStringLiteral("/tmp");
    const QString uid = QString::number(qulonglong(::getuid()));
    QString folder = createdPrivateFolder(QDir::cleanPath(temp) + QStringLiteral("/glimra-") + uid);
    if (!folder.isEmpty())
        return folder;

    QString cache = value(environment, "XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache)) {
        const QString home = value(environment, "HOME");
        if (!QDir::isAbsolutePath(home))
            return QString();
        cache = home + QStringLiteral("/.cache");
    }
    if (!QDir().mkpath(cache))
        return QString();
    return createdPrivateFolder(QDir::cleanPath(cache) + QStringLiteral("/glimra-") + QSysInfo::machineHostName() +
                                QLatin1Char('-') + uid);
}

} // namespace

QString instanceKey(const QString &executablePath, const QProcessEnvironment &environment)
{
    const QString folder = runtimeFolder(environment);
    if (folder.isEmpty())
        return QString();
    QString path = QFileInfo(executablePath).canonicalFilePath();
    if (path.isEmpty())
        path = QFileInfo(executablePath).absoluteFilePath();
    const QByteArray id = path.toUtf8() + '\0' + QByteArray::number(qulonglong(::getuid()));
    const QByteArray hash = QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(24);
    return folder + QStringLiteral("/glimra-") + QString::fromLatin1(hash);
}

QString instanceLockPath(const QString &instanceKey)
{
    return instanceKey + QStringLiteral(".lock");
}

bool peerIsThisUser(qintptr socketDescriptor)
{
#if defined(SO_PEERCRED)
    struct ucred peer;
    socklen_t size = sizeof peer;
    if (::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof peer)
        return false;
    return peer.uid == ::getuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(int(socketDescriptor), &uid, &gid) == 0 && uid == ::getuid();
#endif
}
