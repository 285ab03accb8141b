#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestHome::TestHome()
{
    const QByteArray home = m_dir.path().toUtf8();
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    QDir().mkpath(m_dir.path() + QStringLiteral("/.runtime"));
    QFile::setPermissions(m_dir.path() + QStringLiteral("/.runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", home + "/.runtime");
    // The main window's automatic update check must not leave the machine.
    if (qEnvironmentVariableIsEmpty("GLIMRA_UPDATE_URL"))
        qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");
}

QString TestHome::dataFolder() const
{
    return path() + QStringLiteral("/.local/share/Orvanta/Glimra");
}

QString TestHome::settingsFile() const
{
    return path() + QStringLiteral("/.config/Orvanta/Glimra.conf");
}

QString TestHome::autostartFile() const
{
    return path() + QStringLiteral("/.config/autostart/Glimra.desktop");
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
