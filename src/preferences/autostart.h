#pragma once

#include <QString>

// The entry that starts the program when the user logs on. Windows keeps it in the per-user Run
// key; Linux desktops read an XDG autostart file.
namespace Autostart {

// The command the entry holds: the running executable's absolute path in double quotes.
QString command();
// True when the entry exists and holds a non-empty command.
bool isPresent();
void write(const QString &command);
// Removing an absent entry is harmless.
void remove();

#ifndef Q_OS_WIN
// "$XDG_CONFIG_HOME/autostart/Glimra.desktop" (~/.config when the variable is unset).
QString desktopFilePath();
#endif

} // namespace Autostart
