#pragma once

#include <QString>

// The entry that starts the program when the user logs on. Windows keeps it in the per-user Run
// key; Linux desktops read an XDG autostart file. Both let the user switch the entry off in the
// desktop's own settings (Task Manager's startup list, a desktop's startup applications) while
// it stays in place.
namespace Autostart {

// The command an entry for the program at `programPath` holds.
QString commandFor(const QString &programPath);
// The command for the running executable.
QString command();
// True when the entry exists, holds a non-empty command and is not switched off.
bool isPresent();
// Writes a switched-on entry, replacing any entry there is.
void write(const QString &command);
// Points an existing entry, switched on or off, at `command`; the switch and the rest of the
// entry stay as they are. Without an entry, nothing happens.
void refresh(const QString &command);
// Removing an absent entry is harmless.
void remove();

#ifndef Q_OS_WIN
// "$XDG_CONFIG_HOME/autostart/Glimra.desktop" (~/.config when the variable is unset).
QString desktopFilePath();
#endif

} // namespace Autostart
