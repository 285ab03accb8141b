#include "freename.h"

#include <QFileInfo>

QString firstFreeName(const std::function<QString(int n)> &nameFor, int first, int tries)
{
    for (int n = first; n < first + tries; ++n) {
        const QString candidate = nameFor(n);
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink())
            return candidate;
    }
    return QString();
}

QString numberedSibling(const QString &path, int n)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-') + QString::number(n) +
           suffix;
}
