#pragma once

#include <QProcessEnvironment>
#include <QString>

// Name of the local socket that identifies one running copy: the executable's canonical path
// (case-folded where the file system ignores case) and the user, so copies in different folders
// or of different users never see each other. On Unix it is a full path inside a folder that
// only this user can reach, so nobody else can listen there first; empty when no such folder can
// be had. `environment` is that of the process whose key is wanted.
QString instanceKey(const QString &executablePath,
                    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
// The lock file held while a copy starts, where only this user can create it.
QString instanceLockPath(const QString &instanceKey);

// True when the process at the other end of a connected local socket runs as this user.
bool peerIsThisUser(qintptr socketDescriptor);
