#pragma once

#include <QString>

// Name of the local socket that identifies one running copy: the executable's canonical path
// (case-folded where the file system ignores case) and the user, so copies in different folders
// or of different users never see each other.
QString instanceKey(const QString &executablePath);
