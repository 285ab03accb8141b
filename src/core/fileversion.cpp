#include "fileversion.h"

#include <QCoreApplication>

QString applicationFileVersion()
{
    int v[4] = {0, 0, 0, 0};
    if (!readFileVersion(QCoreApplication::applicationFilePath(), v))
        return QString();
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}
