#include "preferences/autostart.h"

#include <QCoreApplication>
#include <QSettings>

namespace Autostart {

static const char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

QString command()
{
    QString path = QCoreApplication::applicationFilePath();
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QLatin1Char('"') + path + QLatin1Char('"');
}

bool isPresent()
{
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    return !run.value(QStringLiteral("Glimra")).toString().isEmpty();
}

void write(const QString &command)
{
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.setValue(QStringLiteral("Glimra"), command);
}

void remove()
{
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.remove(QStringLiteral("Glimra"));
}

} // namespace Autostart
