#include "mainwindow.h"

#include "core/filemanager.h"
#include "thumbnails/picturestore.h"
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
const int ThumbnailSide = 96;
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
    const QString stored = PictureStore(FileManager::instance()->imagesPath()).store(chosen, original);
    if (stored.isEmpty()) {
        QMessageBox::warning(this, tr("Add picture"),
                             tr("The picture could not be stored in %1.")
                                 .arg(QDir::toNativeSeparators(FileManager::instance()->imagesPath())));
        return;
    }
    addImageToList(stored);
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
