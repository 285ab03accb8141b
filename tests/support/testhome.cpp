#include "testhome.h"

TestHome::TestHome()
{
    const QByteArray home = m_dir.path().toUtf8();
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
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
