#include "appicons.h"

#include <QImageReader>
#include <QPixmap>
#include <QString>

namespace {

QIcon fromSizes(const QString &name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int size : sizes) {
        QImageReader reader(QStringLiteral(":/images/%1-%2.png").arg(name).arg(size), "png");
        // Told the format, the reader decodes the PNG itself instead of loading every image
        // format plugin to ask whether one of them would rather read it.
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
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
