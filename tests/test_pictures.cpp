#include "testhome.h"
#include "windowtesting.h"

#include "core/filemanager.h"
#include "thumbnails/qimageviewer.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using Access = MainWindowTestAccess;

class TestPictures : public QObject
{
    Q_OBJECT

    QTemporaryDir m_sources;
    static QString images() { return FileManager::instance()->imagesPath(); }
    static void addTiles(QImageViewer &grid, const QStringList &names)
    {
        for (const QString &name : names) {
            grid.addItem(new QImageViewerItem(grid.widget()));
            grid.at(grid.count() - 1)->setFileName(name);
        }
    }
    // Adds a picture of that size (none: an empty file) through the window's chooser.
    void addPicture(MainWindow &window, const QString &name, const QSize &size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkYellow);
        const QString path = m_sources.filePath(name);
        QVERIFY(size.isEmpty() ? QFile(path).open(QIODevice::WriteOnly) : image.save(path));
        window.setPictureChooser([path](QWidget *) { return path; });
        window.browseForPicture();
    }

private slots:
    void init() { QDir(images()).removeRecursively(); }

    void tilesAreCheckedHoveredAndRemoved()
    {
        QImageViewer grid;
        grid.resize(500, 400);
        grid.show();
        const QString file = m_sources.filePath("b.png"); // tile 1's file exists, tile 0's never did
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        addTiles(grid, {"/p/same.png", file, "/p/same.png", "/p/SAME.png"});
        QImageViewerItem *tile = grid.at(2);
        QSignalSpy checked(tile, &QImageViewerItem::checked), unchecked(tile, &QImageViewerItem::unchecked);
        grid.setItemSelected("/p/same.png");
        QCOMPARE(grid.selectedList(), QStringList({"/p/same.png", "/p/same.png"}));
        QVERIFY(tile->findChild<QCheckBox *>()->isChecked() && checked.count() == 1);
        QCOMPARE(checked.first().first().value<QImageViewerItem *>(), tile);
        tile->setChecked(false);
        QVERIFY(!tile->findChild<QCheckBox *>()->isChecked() && unchecked.count() == 1);
        QPointer<QImageViewerItem> removed = grid.at(1);
        const auto children = removed->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (QEvent::Type hover : {QEvent::Enter, QEvent::Leave}) { // the shade and the remove button
            QEvent event(hover);
            QApplication::sendEvent(removed, &event);
            QCOMPARE(std::count_if(children.begin(), children.end(), [](QWidget *w) { return w->isVisible(); }),
                     hover == QEvent::Enter ? 4 : 2);
        }
        grid.checkAll();
        for (int i : {1, 0})
            grid.at(i)->findChild<QPushButton *>()->click();
        QVERIFY(!QFile::exists(file) && grid.count() == 2);
        QCOMPARE(grid.selectedList(), QStringList({"/p/same.png", "/p/SAME.png"}));
        QCOMPARE(grid.at(1)->pos(), QPoint(132, 12));
        QTRY_VERIFY(removed.isNull());
    }

    void gridPlacesTilesByWholeWidth()
    {
        // Width, tiles, columns, content size: 272 is one column's width, 273 two while the viewport is narrower.
        for (auto [width, tiles, columns, content] : {std::tuple{500, 7, 3, QSize(476, 376)},
                                                      {272, 3, 1, QSize(248, 376)},
                                                      {273, 3, 2, QSize(249, 256)},
                                                      {500, 0, 1, QSize(50, 40)}}) { // an empty grid: untouched
            QImageViewer grid;
            grid.resize(800, 300);
            grid.show();
            grid.widget()->resize(50, 40);
            for (int i = 0; i < tiles; ++i)
                addTiles(grid, {QString("/p/%1.png").arg(i)});
            grid.resize(width, 300);
            for (int i = 0; i < tiles; ++i)
                QCOMPARE(grid.at(i)->pos(), QPoint(12 + 120 * (i % columns), 12 + 120 * (i / columns)));
            QCOMPARE(grid.widget()->size(), content);
        }
    }

    void picturesAreStoredAndRestored()
    {
        {
            MainWindow window;
            MessageBoxWatcher boxes;
            for (auto [name, size] : {std::pair{"beach.png", QSize(100, 50)},
                                      {"beach.png", QSize(100, 50)},
                                      {"Beach.PNG", QSize(240, 240)},
                                      {"a.b.jpg", QSize(400, 800)},
                                      {"empty.png", QSize()}})
                addPicture(window, name, size);
            QCOMPARE(boxes.seen.size(), 1); // the empty file is refused
            QCOMPARE(boxes.seen.first().title, "Add picture");
            const QStringList files = QDir(images()).entryList(QDir::Files, QDir::Name);
            QCOMPARE(files, QStringList({"Beach_0.jpg", "a_0.jpg", "beach_0.png", "beach_1.png"}));
            for (const QString &file : files) // 200 pixels wide, in the format its name says
                QCOMPARE(QImage(images() + '/' + file, file.endsWith(".png") ? "PNG" : "JPG").width(), 200);
            QList<QSize> thumbnails;
            for (int i = 0; i < Access::grid(window)->count(); ++i)
                thumbnails << Access::grid(window)->at(i)->getImageLabel()->pixmap(Qt::ReturnByValue).size();
            QCOMPARE(thumbnails, QList<QSize>({QSize(96, 48), QSize(96, 48), QSize(96, 96), QSize(48, 96)}));
            Access::grid(window)->setItemSelected(images() + "/beach_1.png");
            window.writeGroups();
        }
        MainWindow window; // jpgs come first; the restored check is flashed
        QVERIFY(Access::grid(window)->at(0)->getFileName().endsWith(".jpg"));
        QVERIFY(Access::grid(window)->at(1)->getFileName().endsWith(".jpg"));
        QCOMPARE(Access::grid(window)->selectedList(), QStringList(images() + "/beach_1.png"));
        MessageBoxWatcher boxes;
        window.toggleActivity();
        QVERIFY(boxes.seen.isEmpty() && window.messageList.size() == 1 && Access::overlay(window)->isVisible());
        QCOMPARE(Access::overlayLabel(window)->pixmap(Qt::ReturnByValue).size(), QSize(200, 100));
    }
};

GLIMRA_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
