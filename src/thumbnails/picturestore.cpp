#include "picturestore.h"

#include "core/freename.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

bool PictureStore::keepsAsPng(const QString &chosenPath)
{
    return chosenPath.endsWith(QLatin1String(".png"));
}

QString PictureStore::targetFor(const QString &chosenPath) const
{
    const QString extension = keepsAsPng(chosenPath) ? QStringLiteral(".png") : QStringLiteral(".jpg");
    const QString prefix = m_folder + QLatin1Char('/') + QFileInfo(chosenPath).baseName() + QLatin1Char('_');
    return firstFreeName([&](int n) { return prefix + QString::number(n) + extension; }, 0);
}

QString PictureStore::store(const QString &chosenPath, const QImage &picture) const
{
    QDir().mkpath(m_folder);
    const QString target = targetFor(chosenPath);
    const QImage scaled = picture.scaledToWidth(StoredWidth, Qt::SmoothTransformation);
    if (target.isEmpty() || !scaled.save(target, keepsAsPng(chosenPath) ? "PNG" : "JPG", StoredQuality))
        return QString();
    return target;
}
