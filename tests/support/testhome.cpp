#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QProcessEnvironment environmentForHome(const QString &home, QProcessEnvironment base)
{
    base.insert(QStringLiteral("HOME"), home);
    base.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    base.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    base.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    const QString runtime = home + QStringLiteral("/.runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    base.insert(QStringLiteral("GLIMRA_UPDATE_URL"), QStringLiteral("http://127.0.0.1:9/updates/"));
    return base;
}

TestHome::TestHome()
{
    const QProcessEnvironment env = environmentForHome(path(), QProcessEnvironment::systemEnvironment());
    for (const QString &key : env.keys())
        qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}
