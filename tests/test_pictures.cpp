#include "testhome.h"
#include "windowtesting.h"

#include "core/filemanager.h"
#include "thumbnails/qimageviewer.h"

#include <QtWidgets>

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void tilesReflowAreCheckedAndRemoved()
    {
        QImageViewer grid;
        grid.show();
        const QString file = QDir::home().filePath("b.png"); // tile 1's file exists, tile 0's never did
        QVERIFY(writeFile(file, {}));
        for (const QString &name : {QString("/p/same.png"), file, QString("/p/same.png"), QString("/p/SAME.png")}) {
            grid.addItem(new QImageViewerItem);
            grid.at(grid.count() - 1)->setFileName(name);
        }
        for (auto [width, columns] : {std::pair{272, 1}, {273, 2}, {500, 3}}) { // by the whole width, not the viewport
            grid.resize(width, 300);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(grid.at(i)->pos(), QPoint(12 + 120 * (i % columns), 12 + 120 * (i / columns)));
            QCOMPARE(grid.widget()->size(), QSize(width - 24, 3 / columns * 120 + 136));
        }

        QImageViewerItem *tile = grid.at(2);
        QSignalSpy checked(tile, &QImageViewerItem::checked), unchecked(tile, &QImageViewerItem::unchecked);
        grid.setItemSelected("/p/same.png");
        QCOMPARE(grid.selectedList(), QStringList({"/p/same.png", "/p/same.png"}));
        QVERIFY(checked.count() == 1 && checked.first().first().value<QImageViewerItem *>() == tile);
        tile->findChild<QCheckBox *>()->click();
        QVERIFY(unchecked.count() == 1 && grid.selectedList() == QStringList("/p/same.png"));

        QPointer<QImageViewerItem> removed = grid.at(1);
        QList<int> grays; // the shade darkens the thumbnail while the mouse is over the tile
        for (QEvent hover : {QEvent(QEvent::Enter), QEvent(QEvent::Leave)}) {
            QApplication::sendEvent(removed, &hover);
            QCOMPARE(removed->findChild<QPushButton *>()->isVisible(), hover.type() == QEvent::Enter);
            grays << qGray(removed->grab().toImage().pixel(removed->getImageLabel()->geometry().topLeft()));
        }
        QVERIFY(grays.at(0) < grays.at(1));
        grid.checkAll();
        for (int i : {1, 0})
            grid.at(i)->findChild<QPushButton *>()->click();
        QCOMPARE(grid.selectedList(), QStringList({"/p/same.png", "/p/SAME.png"}));
        QCOMPARE(grid.at(1)->pos(), QPoint(132, 12));
        QTRY_VERIFY(removed.isNull() && !QFile::exists(file));
    }

    void picturesAreStoredAndRestored()
    {
        const QString images = FileManager::instance()->imagesPath();
        MessageBoxWatcher boxes;
        {
            MainWindow window; // one name twice; ".PNG" is not ".png"; an empty file is no picture
            for (auto [name, height] : {std::pair{"a.png", 50}, {"x.y.PNG", 133}, {"a.png", 50}, {"no.png", 0}}) {
                const QString path = QDir::home().filePath(name);
                QVERIFY(height ? window.grab().toImage().scaled(100, height).save(path) : writeFile(path, {}));
                window.setPictureChooser([path](QWidget *) { return path; });
                window.browseForPicture();
            }
            const QStringList files = QDir(images).entryList(QDir::Files, QDir::Name);
            QCOMPARE(files, QStringList({"a_0.png", "a_1.png", "x_0.jpg"}));
            for (const QString &file : files) // 200 pixels wide, in the format its name says
                QCOMPARE(QImage(images + '/' + file, file.endsWith(".png") ? "PNG" : "JPG").width(), 200);
            QCOMPARE(MainWindowTestAccess::grid(window)->count(), 3);
            MainWindowTestAccess::grid(window)->setItemSelected(images + "/a_1.png");
            window.writeGroups();
        }
        for (int start = 0; start < 2; ++start) { // the second finds what the first wrote before its tiles were made
            MainWindow window;
            window.toggleActivity(); // the check is flashed
            QVERIFY(boxes.seen.size() == 1 && boxes.seen.first().text.contains("no.png") &&
                    window.messageList.size() == 1);
            QCOMPARE(MainWindowTestAccess::overlayLabel(window)->pixmap(Qt::ReturnByValue).size(), QSize(200, 100));
            window.toggleActivity();
            window.writeGroups();
        }
        MainWindow window; // tiles once shown: jpg first; thumbnails fit 96 pixels, rounded up (200x266: 73x96)
        QImageViewer *grid = MainWindowTestAccess::grid(window);
        QCOMPARE(grid->count(), 0);
        window.findChild<QTabWidget *>()->setCurrentIndex(1);
        window.show();
        QCOMPARE(grid->count(), 3);
        QCOMPARE(grid->at(0)->getImageLabel()->pixmap(Qt::ReturnByValue).size(), QSize(73, 96));
        QCOMPARE(grid->at(1)->getImageLabel()->pixmap(Qt::ReturnByValue).size(), QSize(96, 48));
        QCOMPARE(grid->selectedList(), QStringList(images + "/a_1.png"));
    }
};

GLIMRA_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
