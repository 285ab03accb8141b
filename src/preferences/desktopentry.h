#pragma once

#include <QString>

// Reading and editing the text of a desktop entry file (the format of Linux menu and log-on
// entries). Only keys of the [Desktop Entry] group count; values are as they stand in the file.
namespace DesktopEntry {

// The Exec value that runs the program at `programPath` with no arguments: the path in double
// quotes with `"`, `` ` ``, `$` and `\` backslash-escaped and `%` doubled, then escaped as any
// string value of the file (`\\`, `\n`, `\t`, `\r`).
QString execFor(const QString &programPath);

// The value of `key`, trimmed; null when the group or the key is absent.
QString value(const QString &text, const QString &key);
// `text` with `key` set to `value`: in place when the key exists, else at the end of the group
// (created when missing). Every other line stays as it was.
QString withValue(const QString &text, const QString &key, const QString &value);
// True when the user switched the entry off in the desktop's settings: Hidden=true, or
// X-GNOME-Autostart-enabled=false.
bool isSwitchedOff(const QString &text);

} // namespace DesktopEntry
