#pragma once

#include <QString>

// Starts the program of a command line ("\"/path/to/program\" arguments…", split as QProcess
// splits it) detached from this process; false when the line is empty or the start failed.
bool startDetachedCommand(const QString &commandLine);
