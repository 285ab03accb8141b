#include "testhome.h"

#include "thumbnails/gridlayout.h"
#include "thumbnails/qimageviewer.h"
#include "thumbnails/qimagevieweritem.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

namespace {

QPushButton *removeButtonOf(QImageViewerItem *item)
{
    return item->findChild<QPushButton *>();
}

QWidget *shadeOf(QImageViewerItem *item)
{
    // The only plain widget laid over the thumbnail with the same geometry.
    for (QWidget *child : item->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->metaObject() == &QWidget::staticMetaObject && child->styleSheet().contains(QLatin1String("rgba")))
            return child;
    }
    return nullptr;
}

void sendEvent(QWidget *widget, QEvent::Type type)
{
    QEvent event(type);
    QApplication::sendEvent(widget, &event);
}

// A tile as the pictures tab makes it: no parent, picture set, then handed to the grid.
QImageViewerItem *addTile(QImageViewer &grid, const QString &fileName, const QSize &thumbnailSize = QSize(96, 96))
{
    auto item = std::make_unique<QImageViewerItem>();
    item->setFileName(fileName);
    QPixmap thumbnail(thumbnailSize);
    thumbnail.fill(Qt::darkCyan);
    item->setImage(&thumbnail);
    QImageViewerItem *raw = item.get();
    grid.addItem(item.release());
    return raw;
}

} // namespace

using Positions = QVector<QPoint>;

class TestThumbnails : public QObject
{
    Q_OBJECT

private slots:
    void hoverShowsShadeAndRemoveButton();
    void removeDeletesFileAndAsksForRemoval_data();
    void removeDeletesFileAndAsksForRemoval();
    void setCheckedTicksBoxEmitsAndRecords_data();
    void setCheckedTicksBoxEmitsAndRecords();
    void userClickOnBoxIsRecorded();
    void removeButtonSitsInsideThumbnailCorner_data();
    void removeButtonSitsInsideThumbnailCorner();

    void layoutArithmetic_data();
    void layoutArithmetic();
    void gridPlacesTilesByWholeWidth();
    void emptyGridKeepsContentSize();
    void setItemSelectedChecksEveryMatch();
    void removingCheckedTileDropsItFromSelection();
    void addedTileAppearsInNextFreeCell();
};

void TestThumbnails::hoverShowsShadeAndRemoveButton()
{
    QImageViewerItem item;
    item.show();
    QPushButton *button = removeButtonOf(&item);
    QWidget *shade = shadeOf(&item);
    QVERIFY(button && shade);
    QVERIFY(!button->isVisible());
    QVERIFY(!shade->isVisible());

    sendEvent(&item, QEvent::Enter);
    QVERIFY(button->isVisible());
    QVERIFY(shade->isVisible());
    QCOMPARE(button->toolTip(), QStringLiteral("Remove this image"));

    sendEvent(&item, QEvent::Leave);
    QVERIFY(!button->isVisible());
    QVERIFY(!shade->isVisible());
}

void TestThumbnails::removeDeletesFileAndAsksForRemoval_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("stored file") << true;
    QTest::newRow("file already gone") << false;
}

void TestThumbnails::removeDeletesFileAndAsksForRemoval()
{
    QFETCH(bool, fileExists);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("beach_0.png"));
    if (fileExists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    QImageViewerItem item;
    item.setFileName(path);
    item.show();
    QSignalSpy removal(&item, &QImageViewerItem::removeRequest);
    sendEvent(&item, QEvent::Enter);
    QTest::mouseClick(removeButtonOf(&item), Qt::LeftButton);

    QCOMPARE(removal.count(), 1);
    QCOMPARE(removal.first().first().value<QImageViewerItem *>(), &item);
    QVERIFY(!QFile::exists(path));
}

void TestThumbnails::setCheckedTicksBoxEmitsAndRecords_data()
{
    QTest::addColumn<bool>("initial");
    QTest::addColumn<bool>("target");
    QTest::newRow("check an unchecked tile") << false << true;
    QTest::newRow("uncheck a checked tile") << true << false;
}

void TestThumbnails::setCheckedTicksBoxEmitsAndRecords()
{
    QFETCH(bool, initial);
    QFETCH(bool, target);
    QImageViewerItem item;
    item.setChecked(initial);
    QSignalSpy checkedSpy(&item, &QImageViewerItem::checked);
    QSignalSpy uncheckedSpy(&item, &QImageViewerItem::unchecked);

    item.setChecked(target);

    QCOMPARE(item.isChecked(), target);
    QCOMPARE(item.findChild<QCheckBox *>()->isChecked(), target);
    QCOMPARE(checkedSpy.count(), target ? 1 : 0);
    QCOMPARE(uncheckedSpy.count(), target ? 0 : 1);
    QSignalSpy &fired = target ? checkedSpy : uncheckedSpy;
    QCOMPARE(fired.first().first().value<QImageViewerItem *>(), &item);
}

void TestThumbnails::userClickOnBoxIsRecorded()
{
    QImageViewerItem item;
    item.show();
    QSignalSpy checkedSpy(&item, &QImageViewerItem::checked);
    auto *box = item.findChild<QCheckBox *>();
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QCOMPARE(checkedSpy.count(), 1);
    QVERIFY(item.isChecked());
}

void TestThumbnails::removeButtonSitsInsideThumbnailCorner_data()
{
    QTest::addColumn<QSize>("thumbnail");
    QTest::newRow("wide") << QSize(96, 48);
    QTest::newRow("tall") << QSize(48, 96);
    QTest::newRow("square") << QSize(96, 96);
}

void TestThumbnails::removeButtonSitsInsideThumbnailCorner()
{
    QFETCH(QSize, thumbnail);
    QImageViewer grid;
    grid.resize(500, 400);
    grid.show();
    QImageViewerItem *item = addTile(grid, QStringLiteral("/nowhere/a.png"), thumbnail);
    sendEvent(item, QEvent::Enter);

    const QRect label = item->getImageLabel()->geometry();
    QCOMPARE(label.size(), thumbnail);
    const QRect button = removeButtonOf(item)->geometry();
    QCOMPARE(button.size(), QSize(24, 24));
    QCOMPARE(button.right(), label.right() - 5);
    QCOMPARE(button.top(), label.top() + 5);
    QCOMPARE(shadeOf(item)->geometry(), label);
}

void TestThumbnails::layoutArithmetic_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("tiles");
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<QSize>("content");

    const QPoint a(12, 12), b(132, 12), c(252, 12);
    QTest::newRow("500 wide, 7 tiles: three columns")
        << 500 << 7 << Positions{a, b, c, {12, 132}, {132, 132}, {252, 132}, {12, 252}} << QSize(476, 376);
    QTest::newRow("500 wide, 3 tiles: one row") << 500 << 3 << Positions{a, b, c} << QSize(476, 136);
    QTest::newRow("272 wide: one column") << 272 << 3 << Positions{a, {12, 132}, {12, 252}} << QSize(248, 376);
    QTest::newRow("273 wide: two columns") << 273 << 3 << Positions{a, b, {12, 132}} << QSize(249, 256);
    QTest::newRow("narrower than a cell: one column") << 100 << 2 << Positions{a, {12, 132}} << QSize(76, 256);
    QTest::newRow("no tiles") << 500 << 0 << Positions{} << QSize();
}

void TestThumbnails::layoutArithmetic()
{
    QFETCH(int, width);
    QFETCH(int, tiles);
    QFETCH(Positions, positions);
    QFETCH(QSize, content);
    const GridLayout::Result result = GridLayout::arrange(width, tiles);
    QCOMPARE(result.positions, positions);
    QCOMPARE(result.contentSize, content);
}

void TestThumbnails::gridPlacesTilesByWholeWidth()
{
    QImageViewer grid; // keeps its frame, so the viewport is narrower than the area
    grid.resize(500, 200);
    grid.show();
    QList<QImageViewerItem *> tiles;
    for (int i = 0; i < 7; ++i)
        tiles.append(addTile(grid, QStringLiteral("/p/%1.png").arg(i)));

    QCOMPARE(tiles.at(2)->pos(), QPoint(252, 12));
    QCOMPARE(tiles.at(3)->pos(), QPoint(12, 132));
    QCOMPARE(tiles.at(6)->pos(), QPoint(12, 252));
    QCOMPARE(grid.widget()->size(), QSize(476, 376));

    grid.resize(272, 200);
    QCOMPARE(tiles.at(1)->pos(), QPoint(12, 132));
    QCOMPARE(grid.widget()->size(), QSize(248, 7 * 120 + 16));
}

void TestThumbnails::emptyGridKeepsContentSize()
{
    QImageViewer grid;
    grid.resize(300, 200);
    grid.show();
    const QSize before = grid.widget()->size();
    grid.resize(700, 500);
    grid.rearrangeItems(true);
    QCOMPARE(grid.widget()->size(), before);
}

void TestThumbnails::setItemSelectedChecksEveryMatch()
{
    QImageViewer grid;
    addTile(grid, QStringLiteral("/p/same.png"));
    addTile(grid, QStringLiteral("/p/other.png"));
    addTile(grid, QStringLiteral("/p/same.png"));
    addTile(grid, QStringLiteral("/p/SAME.png"));

    grid.setItemSelected(QStringLiteral("/p/same.png"));

    QCOMPARE(grid.selectedList(), QStringList({QStringLiteral("/p/same.png"), QStringLiteral("/p/same.png")}));
    QVERIFY(grid.at(0)->isChecked());
    QVERIFY(!grid.at(1)->isChecked());
    QVERIFY(grid.at(2)->isChecked());
    QVERIFY(!grid.at(3)->isChecked());
}

void TestThumbnails::removingCheckedTileDropsItFromSelection()
{
    QTemporaryDir dir;
    QImageViewer grid;
    grid.resize(500, 400);
    grid.show();
    QStringList names;
    for (const char *name : {"a.png", "b.png", "c.png"}) {
        names.append(dir.filePath(QString::fromLatin1(name)));
        addTile(grid, names.last());
    }
    grid.checkAll();
    QCOMPARE(grid.selectedList(), names);

    QPointer<QImageViewerItem> removed = grid.at(1);
    sendEvent(removed, QEvent::Enter);
    QTest::mouseClick(removeButtonOf(removed), Qt::LeftButton);

    QCOMPARE(grid.count(), 2);
    QCOMPARE(grid.selectedList(), QStringList({names.at(0), names.at(2)}));
    QCOMPARE(grid.at(1)->pos(), QPoint(132, 12)); // the third tile took the freed cell
    QTRY_VERIFY(removed.isNull());

    grid.uncheckAll();
    QVERIFY(grid.selectedList().isEmpty());
}

void TestThumbnails::addedTileAppearsInNextFreeCell()
{
    QImageViewer grid;
    grid.resize(500, 400);
    grid.show();
    for (int i = 0; i < 3; ++i)
        addTile(grid, QStringLiteral("/p/%1.png").arg(i));
    QCOMPARE(grid.widget()->height(), 136);

    QImageViewerItem *fourth = addTile(grid, QStringLiteral("/p/3.png"));

    QCOMPARE(grid.count(), 4);
    QCOMPARE(grid.at(3), fourth);
    QCOMPARE(fourth->parentWidget(), grid.widget());
    QVERIFY(fourth->isVisible());
    QCOMPARE(fourth->pos(), QPoint(12, 132));
    QCOMPARE(grid.widget()->height(), 256);
}

GLIMRA_TEST_MAIN(TestThumbnails)
#include "test_thumbnails.moc"
