#pragma once

#include <QString>

// Reads the four-part version (four 16-bit numbers) that the build gave a program file.
// A bare file name is looked up in the program's folder. False when the file is missing or
// carries no version.
bool readFileVersion(const QString &path, int version[4]);

// The running executable's version as "a.b.c.d", or an empty string when it has none.
QString applicationFileVersion();
