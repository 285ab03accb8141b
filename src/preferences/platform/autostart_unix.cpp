#include "preferences/autostart.h"

#include "core/atomicfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace Autostart {

QString desktopFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/Glimra.desktop");
}

QString command()
{
    // Inside a quoted Exec argument, the desktop entry format wants these four escaped.
    QString path = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    QString escaped;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

static QString execValue()
{
    QFile file(desktopFilePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1String("Exec=")))
            return line.mid(5).trimmed();
    }
    return QString();
}

bool isPresent()
{
    return !execValue().isEmpty();
}

void write(const QString &command)
{
    const QString path = desktopFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray entry = "[Desktop Entry]\nType=Application\nName=Glimra\n";
    entry += "Exec=" + command.toUtf8() + '\n';
    entry += "Icon=glimra\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    writeFileAtomically(path, entry);
}

void remove()
{
    QFile::remove(desktopFilePath());
}

} // namespace Autostart
