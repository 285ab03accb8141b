#include "preferences/autostart.h"

#include "buildconfig.h"
#include "core/atomicfile.h"
#include "preferences/desktopentry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Autostart {

namespace {

// Tray programs wait for the panel that shows their icon: KDE orders by this key, GNOME only
// offers a delay in seconds.
const char *const kPanelKeys[][2] = {{"X-GNOME-Autostart-Delay", "5"}, {"X-KDE-autostart-after", "panel"}};
// The icon the install puts in the hicolor theme, and the one entries of earlier versions name.
const char kIcon[] = GLIMRA_APP_ID;
const char kOldIcon[] = "glimra";

QString readEntry()
{
    QFile file(desktopFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void writeEntry(const QString &text)
{
    const QString path = desktopFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFileAtomically(path, text.toUtf8());
}

} // namespace

QString desktopFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/Glimra.desktop");
}

QString commandFor(const QString &programPath)
{
    return DesktopEntry::execFor(programPath);
}

QString command()
{
    return commandFor(QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath());
}

bool isPresent()
{
    const QString entry = readEntry();
    return !DesktopEntry::value(entry, QStringLiteral("Exec")).isEmpty() && !DesktopEntry::isSwitchedOff(entry);
}

void write(const QString &command)
{
    QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Glimra\nExec=") + command +
                    QStringLiteral("\nIcon=") + QLatin1String(kIcon) + QStringLiteral("\nTerminal=false\n");
    for (const auto &key : kPanelKeys)
        entry += QLatin1String(key[0]) + QLatin1Char('=') + QLatin1String(key[1]) + QLatin1Char('\n');
    writeEntry(entry);
}

void refresh(const QString &command)
{
    const QString entry = readEntry();
    if (DesktopEntry::value(entry, QStringLiteral("Exec")).isEmpty())
        return;
    QString updated = DesktopEntry::withValue(entry, QStringLiteral("Exec"), command);
    // Entries written before these keys existed get them; ones the user changed keep their value.
    for (const auto &key : kPanelKeys) {
        if (DesktopEntry::value(updated, QLatin1String(key[0])).isNull())
            updated = DesktopEntry::withValue(updated, QLatin1String(key[0]), QLatin1String(key[1]));
    }
    if (DesktopEntry::value(updated, QStringLiteral("Icon")) == QLatin1String(kOldIcon))
        updated = DesktopEntry::withValue(updated, QStringLiteral("Icon"), QLatin1String(kIcon));
    if (updated != entry)
        writeEntry(updated);
}

void remove()
{
    QFile::remove(desktopFilePath());
}

} // namespace Autostart
