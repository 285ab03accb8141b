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

private slots:
    void init() { QDir(images()).removeRecursively(); }

    void checkingTilesEmitsAndRecords()
    {
        QImageViewer grid;
        for (const char *name : {"/p/same.png", "/p/other.png", "/p/same.png", "/p/SAME.png"})
            addTile(grid, QString::fromLatin1(name));
        QImageViewerItem *tile = grid.at(2);
        QSignalSpy checked(tile, &QImageViewerItem::checked), unchecked(tile, &QImageViewerItem::unchecked);
        grid.setItemSelected(QStringLiteral("/p/same.png"));
        QCOMPARE(grid.selectedList(), QStringList({"/p/same.png", "/p/same.png"}));
        QVERIFY(tile->findChild<QCheckBox *>()->isChecked());
        QCOMPARE(checked.count(), 1);
        QCOMPARE(checked.first().first().value<QImageViewerItem *>(), tile);
        tile->setChecked(false);
        QVERIFY(!tile->isChecked() && !tile->findChild<QCheckBox *>()->isChecked());
        QCOMPARE(unchecked.count(), 1);
    }

    // Hovering shows the shade and the remove button. Tile 1's file exists, tile 0's never did: both leave the grid.
    void hoverAndRemoveDropCheckedTiles()
    {
        QTemporaryDir dir;
        QImageViewer grid;
        grid.resize(500, 400);
        grid.show();
        const QStringList names = {dir.filePath("a.png"), dir.filePath("b.png"), dir.filePath("c.png")};
        for (const QString &name : names)
            addTile(grid, name);
        QVERIFY(QFile(names.at(1)).open(QIODevice::WriteOnly));
        grid.checkAll();
        QCOMPARE(grid.at(2)->pos(), QPoint(252, 12));
        QPointer<QImageViewerItem> tile = grid.at(1);
        QWidget *shade = nullptr; // the one child with a style of its own
        for (QWidget *child : tile->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            shade = child->styleSheet().isEmpty() ? shade : child;
        const auto *button = tile->findChild<QPushButton *>();
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QVERIFY(shade && !shade->isVisible() && !button->isVisible());
        QApplication::sendEvent(tile, &enter);
        QVERIFY(shade->isVisible() && button->isVisible());
        QApplication::sendEvent(tile, &leave);
        QVERIFY(!shade->isVisible() && !button->isVisible());
        for (int i : {1, 0})
            grid.at(i)->findChild<QPushButton *>()->click();
        QVERIFY(!QFile::exists(names.at(1)));
        QCOMPARE(grid.selectedList(), QStringList(names.at(2)));
        QCOMPARE(grid.at(0)->pos(), QPoint(12, 12)); // the last tile took the freed cell
        QTRY_VERIFY(tile.isNull());
    }

    void gridPlacesTilesByWholeWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("tiles");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QSize>("content");
        QTest::newRow("500 wide, 7 tiles") << 500 << 7 << 3 << QSize(476, 376);
        QTest::newRow("272 wide: one column") << 272 << 3 << 1 << QSize(248, 376);
        QTest::newRow("273 wide, viewport narrower: two columns") << 273 << 3 << 2 << QSize(249, 256);
        QTest::newRow("no tiles: content untouched") << 500 << 0 << 1 << QSize(50, 40);
    }

    void gridPlacesTilesByWholeWidth()
    {
        QFETCH(int, width);
        QFETCH(int, tiles);
        QFETCH(int, columns);
        QFETCH(QSize, content);
        QImageViewer grid;
        grid.resize(800, 300);
        grid.show();
        grid.widget()->resize(50, 40); // what an empty grid must leave alone
        for (int i = 0; i < tiles; ++i)
            addTile(grid, QStringLiteral("/p/%1.png").arg(i));
        grid.resize(width, 300);
        for (int i = 0; i < tiles; ++i)
            QCOMPARE(grid.at(i)->pos(), QPoint(12 + 120 * (i % columns), 12 + 120 * (i / columns)));
        QCOMPARE(grid.widget()->size(), content);
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
        QCOMPARE(boxes.seen.value(0).title, files.isEmpty() ? QStringLiteral("Add picture") : QString());
        QCOMPARE(QDir(images()).entryList(QDir::Files, QDir::Name), files);
        QCOMPARE(Access::grid(window)->count(), files.size());
        if (files.isEmpty())
            return;
        const QString last = images() + '/' + files.last();
        QCOMPARE(QImage(last, last.endsWith(".png") ? "PNG" : "JPG").width(), 200); // and of that format
        QCOMPARE(Access::grid(window)->at(0)->getImageLabel()->pixmap(Qt::ReturnByValue).size(), thumbnail);
    }

    void restartListsJpgsFirstAndFlashesRestoredChecks()
    {
        {
            MainWindow window;
            for (const char *name : {"a.png", "b.jpg", "c.png"})
                addPicture(window, QString::fromLatin1(name), QSize(100, 150));
            Access::grid(window)->setItemSelected(images() + "/c_0.png");
            window.writeGroups();
        }
        MainWindow window;
        QCOMPARE(Access::grid(window)->at(0)->getFileName(), images() + "/b_0.jpg");
        QCOMPARE(Access::grid(window)->selectedList(), QStringList(images() + "/c_0.png"));
        MessageBoxWatcher boxes;
        window.toggleActivity();
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(window.messageList.size(), 1);
        QVERIFY(Access::overlay(window)->isVisible());
        QCOMPARE(Access::overlayLabel(window)->pixmap(Qt::ReturnByValue).size(), QSize(200, 300));
    }

private:
    static QString images() { return FileManager::instance()->imagesPath(); }
    static void addTile(QImageViewer &grid, const QString &name)
    {
        grid.addItem(new QImageViewerItem(grid.widget()));
        grid.at(grid.count() - 1)->setFileName(name);
    }
    void addPicture(MainWindow &window, const QString &name, const QSize &size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkYellow);
        const QString path = m_sources.filePath(name);
        QVERIFY(size.isEmpty() ? QFile(path).open(QIODevice::WriteOnly) : image.save(path));
        window.setPictureChooser([path](QWidget *) { return path; });
        window.browseForPicture();
    }

    QTemporaryDir m_sources;
};

GLIMRA_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
