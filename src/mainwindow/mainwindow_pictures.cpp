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
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>
#include <QThreadPool>

#include <vector>

namespace {
const int ThumbnailSide = 96;

// The longer side becomes ThumbnailSide (a square fits by its height), and the other side is
// rounded as smooth QPixmap::scaledToWidth/scaledToHeight round it: up, but for a ten-thousandth.
QSize thumbnailSize(const QSize &picture)
{
    const qreal factor = qreal(ThumbnailSide) / qMax(picture.width(), picture.height());
    return QSize(int(factor * picture.width() + 0.9999), int(factor * picture.height() + 0.9999));
}

// Decoded straight at the thumbnail size in device pixels (sharp on a 2x screen): the tile never
// needs the whole picture. Safe on any thread.
QImage thumbnail(const QString &fileName, qreal pixelRatio)
{
    QImageReader reader(fileName);
    const QSize size = reader.size();
    if (!size.isValid())
        return QImage();
    reader.setScaledSize(thumbnailSize(size) * pixelRatio);
    QImage image = reader.read();
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

QImageViewerItem *newTile(QImageViewer *grid, const QString &fileName)
{
    // Made inside the grid, so it is styled once, by the grid's style sheet.
    auto *tile = new QImageViewerItem(grid->widget());
    tile->setFileName(fileName);
    return tile;
}

// An unreadable file still gets its tile, with an empty picture.
void setThumbnail(QImageViewerItem *tile, QImage &&picture)
{
    QPixmap pixmap = QPixmap::fromImage(std::move(picture));
    tile->setImage(&pixmap);
}
} // namespace

void MainWindow::loadPictures()
{
    const QString folder = FileManager::instance()->imagesPath();
    QStringList files;
    // All JPGs first, then all PNGs; within a pass, the folder's own order.
    for (const QString &pattern : {QStringLiteral("*.jpg"), QStringLiteral("*.png")}) {
        QDirIterator it(folder, QStringList(pattern), QDir::Files);
        while (it.hasNext()) {
            it.next();
            // The same form as the paths of added pictures, so the library file's names match.
            files.append(folder + QLatin1Char('/') + it.fileName());
        }
    }
    // Their tiles are made when the grid is first shown (makePendingTiles).
    imageViewer->addPending(files);
}

void MainWindow::makePendingTiles()
{
    const QList<QPair<QString, bool>> pictures = imageViewer->takePending();
    // The pictures are decoded on other threads while the tiles are made here.
    std::vector<QImage> thumbnails(pictures.size());
    QThreadPool decoders;
    const qreal pixelRatio = imageViewer->devicePixelRatioF();
    for (int i = 0; i < pictures.size(); ++i)
        decoders.start(
            [&thumbnails, &pictures, i, pixelRatio] { thumbnails[i] = thumbnail(pictures.at(i).first, pixelRatio); });
    QList<QImageViewerItem *> tiles;
    for (const auto &picture : pictures) {
        tiles.append(newTile(imageViewer, picture.first));
        tiles.last()->setChecked(picture.second);
    }
    decoders.waitForDone();
    for (int i = 0; i < tiles.size(); ++i)
        setThumbnail(tiles.at(i), std::move(thumbnails[i]));
    imageViewer->addItems(tiles, true);
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
    QImageViewerItem *tile = newTile(imageViewer, p_FileName);
    setThumbnail(tile, thumbnail(p_FileName, imageViewer->devicePixelRatioF()));
    imageViewer->addItem(tile);
}
