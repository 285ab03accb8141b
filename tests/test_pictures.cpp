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

    void checkingTilesEmitsAndRecords()
    {
        QImageViewer grid;
        addTiles(grid, {"/p/same.png", "/p/other.png", "/p/same.png", "/p/SAME.png"});
        QImageViewerItem *tile = grid.at(2);
        QSignalSpy checked(tile, &QImageViewerItem::checked), unchecked(tile, &QImageViewerItem::unchecked);
        grid.setItemSelected("/p/same.png");
        QCOMPARE(grid.selectedList(), QStringList({"/p/same.png", "/p/same.png"}));
        QVERIFY(tile->findChild<QCheckBox *>()->isChecked() && checked.count() == 1);
        QCOMPARE(checked.first().first().value<QImageViewerItem *>(), tile);
        tile->setChecked(false);
        QVERIFY(!tile->isChecked() && !tile->findChild<QCheckBox *>()->isChecked() && unchecked.count() == 1);
    }

    // Tile 1's file exists, tile 0's never did: both leave the grid, and the last tile takes the freed cell.
    void hoverAndRemoveDropCheckedTiles()
    {
        QImageViewer grid;
        grid.resize(500, 400);
        grid.show();
        const QStringList names = {m_sources.filePath("a.png"), m_sources.filePath("b.png"),
                                   m_sources.filePath("c.png")};
        addTiles(grid, names);
        QVERIFY(QFile(names.at(1)).open(QIODevice::WriteOnly));
        grid.checkAll();
        QPointer<QImageViewerItem> tile = grid.at(1);
        QList<QWidget *> shown = tile->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (QEvent::Type hover : {QEvent::Enter, QEvent::Leave}) { // the shade and the remove button
            QEvent event(hover);
            QApplication::sendEvent(tile, &event);
            QCOMPARE(std::count_if(shown.begin(), shown.end(), [](QWidget *w) { return w->isVisible(); }),
                     hover == QEvent::Enter ? 4 : 2);
        }
        for (int i : {1, 0})
            grid.at(i)->findChild<QPushButton *>()->click();
        QVERIFY(!QFile::exists(names.at(1)));
        QCOMPARE(grid.selectedList(), QStringList(names.at(2)));
        QCOMPARE(grid.at(0)->pos(), QPoint(12, 12));
        QTRY_VERIFY(tile.isNull());
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

    void addingPicture_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QSize>("size"); // empty: an empty file
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QSize>("thumbnail");
        QTest::newRow("png thrice") << "beach.png" << QSize(100, 50)
                                    << QStringList{"beach_0.png", "beach_1.png", "beach_2.png"} << QSize(96, 48);
        QTest::newRow("PNG") << "Beach.PNG" << QSize(240, 240) << QStringList{"Beach_0.jpg"} << QSize(96, 96);
        QTest::newRow("tall, two dots") << "a.b.jpg" << QSize(400, 800) << QStringList{"a_0.jpg"} << QSize(48, 96);
        QTest::newRow("unreadable") << "empty.png" << QSize() << QStringList() << QSize();
    }

    void addingPicture()
    {
        QFETCH(QString, chosen);
        QFETCH(QSize, size);
        QFETCH(QStringList, files);
        QFETCH(QSize, thumbnail);
        MainWindow window;
        MessageBoxWatcher boxes;
        for (int i = 0; i < qMax(1, files.size()); ++i)
            addPicture(window, chosen, size);
        QCOMPARE(boxes.seen.value(0).title, files.isEmpty() ? QString("Add picture") : QString());
        QCOMPARE(QDir(images()).entryList(QDir::Files, QDir::Name), files);
        QCOMPARE(Access::grid(window)->count(), files.size());
        const QString last = images() + '/' + files.value(files.size() - 1);
        // Stored at 200 pixels wide, in the format its name says.
        QVERIFY(files.isEmpty() || QImage(last, last.endsWith(".png") ? "PNG" : "JPG").width() == 200);
        QVERIFY(files.isEmpty() ||
                Access::grid(window)->at(0)->getImageLabel()->pixmap(Qt::ReturnByValue).size() == thumbnail);
    }

    void restartListsJpgsFirstAndFlashesRestoredChecks()
    {
        {
            MainWindow window;
            for (const char *name : {"a.png", "b.jpg", "c.png"})
                addPicture(window, name, QSize(100, 150));
            Access::grid(window)->setItemSelected(images() + "/c_0.png");
            window.writeGroups();
        }
        MainWindow window;
        QCOMPARE(Access::grid(window)->at(0)->getFileName(), images() + "/b_0.jpg");
        QCOMPARE(Access::grid(window)->selectedList(), QStringList(images() + "/c_0.png"));
        MessageBoxWatcher boxes;
        window.toggleActivity();
        QVERIFY(boxes.seen.isEmpty() && window.messageList.size() == 1 && Access::overlay(window)->isVisible());
        QCOMPARE(Access::overlayLabel(window)->pixmap(Qt::ReturnByValue).size(), QSize(200, 300));
    }
};

GLIMRA_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
