#include "mainwindow.h"

#include "app/filemanager.h"
#include "thumbnails/qimageviewer.h"
#include "thumbnails/qimagevieweritem.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>

#include <memory>

namespace {
const int StoredWidth = 200;
const int ThumbnailSide = 96;
const int StoredQuality = 80;
} // namespace

void MainWindow::loadPictures()
{
    const QString folder = FileManager::instance()->imagesPath();
    // All JPGs first, then all PNGs; within a pass, the folder's own order.
    for (const QString &pattern : {QStringLiteral("*.jpg"), QStringLiteral("*.png")}) {
        QDirIterator it(folder, QStringList(pattern), QDir::Files);
        while (it.hasNext()) {
            it.next();
            // The same form as the paths of added pictures, so the library file's names match.
            addImageToList(folder + QLatin1Char('/') + it.fileName());
        }
    }
}

void MainWindow::browseForPicture()
{
    const QString chosen =
        pictureChooser
            ? pictureChooser(this)
            : QFileDialog::getOpenFileName(
                  this, tr("Select Image"), QString(),
                  tr("All images (*.png *.jpg *.jpeg *.mng *.ico *.gif *.svg *.tga *.tif *.tiff *.wbmp *.bmp)"));
    if (chosen.isEmpty())
        return;

    const QImage original(chosen);
    if (original.isNull()) {
        // Storing it would leave an empty file and a tile that shows nothing.
        QMessageBox::warning(this, tr("Add picture"),
                             tr("The file %1 could not be read as a picture.").arg(QDir::toNativeSeparators(chosen)));
        return;
    }
    const QImage scaled = original.scaledToWidth(StoredWidth, Qt::SmoothTransformation);

    const QString folder = FileManager::instance()->imagesPath();
    QDir().mkpath(folder);

    // Only a lower-case ".png" keeps the picture lossless; anything else is stored as JPG.
    const bool asPng = chosen.endsWith(QLatin1String(".png"));
    const QString extension = asPng ? QStringLiteral(".png") : QStringLiteral(".jpg");
    const QString prefix = folder + QLatin1Char('/') + QFileInfo(chosen).baseName() + QLatin1Char('_');
    int counter = 0;
    QString target = prefix + QString::number(counter) + extension;
    while (QFile::exists(target))
        target = prefix + QString::number(++counter) + extension;

    scaled.save(target, asPng ? "PNG" : "JPG", StoredQuality);
    addImageToList(target);
}

void MainWindow::addImageToList(QString p_FileName)
{
    // The grid adopts the tile.
    auto item = std::make_unique<QImageViewerItem>();
    item->setFileName(p_FileName);

    const QPixmap picture(p_FileName);
    // An unreadable file still gets its tile, with an empty picture.
    QPixmap thumbnail;
    if (picture.width() > picture.height())
        thumbnail = picture.scaledToWidth(ThumbnailSide, Qt::SmoothTransformation);
    else if (!picture.isNull())
        thumbnail = picture.scaledToHeight(ThumbnailSide, Qt::SmoothTransformation);
    item->setImage(&thumbnail);

    imageViewer->addItem(item.release());
}
