#include "appicons.h"

#include <QString>

namespace {

QIcon fromSizes(const QString &name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int size : sizes)
        icon.addFile(QStringLiteral(":/images/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

} // namespace

namespace AppIcons {

QIcon program()
{
    static const QIcon icon = fromSizes(QStringLiteral("glimra"), {16, 24, 32, 48, 64, 128});
    return icon;
}

QIcon quit()
{
    static const QIcon icon = fromSizes(QStringLiteral("close"), {16, 32});
    return icon;
}

} // namespace AppIcons
