#include "flash/placement.h"

#include <QtTest>

#include <climits>

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void fixedPlacementsTruncate_data();
    void fixedPlacementsTruncate();
    void randomStaysOnScreen_data();
    void randomStaysOnScreen();
};

void TestPlacement::fixedPlacementsTruncate_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("widget");
    QTest::addColumn<QPoint>("center");
    QTest::addColumn<QPoint>("top");
    QTest::addColumn<QPoint>("bottom");

    QTest::newRow("1920x1080 200x50") << QSize(1920, 1080) << QSize(200, 50) << QPoint(860, 515) << QPoint(860, 83)
                                      << QPoint(860, 922);
    QTest::newRow("odd size truncates") << QSize(1920, 1080) << QSize(201, 51) << QPoint(860, 515) << QPoint(860, 83)
                                        << QPoint(860, 921);
    QTest::newRow("1366x768 200x50") << QSize(1366, 768) << QSize(200, 50) << QPoint(583, 359) << QPoint(583, 51)
                                     << QPoint(583, 642);
    // A widget larger than the screen sticks out on both sides alike.
    QTest::newRow("wider than screen") << QSize(100, 100) << QSize(301, 31) << QPoint(-100, 35) << QPoint(-100, -5)
                                       << QPoint(-100, 59);
}

void TestPlacement::fixedPlacementsTruncate()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, widget);
    QFETCH(QPoint, center);
    QFETCH(QPoint, top);
    QFETCH(QPoint, bottom);

    QCOMPARE(Placement::center(screen.width(), screen.height(), widget.width(), widget.height()), center);
    QCOMPARE(Placement::top(screen.width(), screen.height(), widget.width(), widget.height()), top);
    QCOMPARE(Placement::bottom(screen.width(), screen.height(), widget.width(), widget.height()), bottom);
}

void TestPlacement::randomStaysOnScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("widget");
    QTest::addColumn<int>("r1");
    QTest::addColumn<int>("r2");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("zero draws") << QSize(1920, 1080) << QSize(200, 50) << 0 << 0 << QPoint(0, 0);
    // Distinct values per axis also show that r1 goes to y.
    QTest::newRow("draws at the range end")
        << QSize(1920, 1080) << QSize(200, 50) << 1030 << 1720 << QPoint(1720, 1030);
    QTest::newRow("draws one past the range wrap")
        << QSize(1920, 1080) << QSize(200, 50) << 1031 << 1721 << QPoint(0, 0);
    QTest::newRow("largest draws") << QSize(1920, 1080) << QSize(200, 50) << INT_MAX << INT_MAX
                                   << QPoint(INT_MAX % 1721, INT_MAX % 1031);
    QTest::newRow("as large as the screen")
        << QSize(1920, 1080) << QSize(1920, 1080) << INT_MAX << 12345 << QPoint(0, 0);
    QTest::newRow("wider than the screen") << QSize(800, 600) << QSize(1000, 50) << 300 << INT_MAX << QPoint(0, 300);
    QTest::newRow("taller than the screen") << QSize(800, 600) << QSize(100, 900) << INT_MAX << 702 << QPoint(1, 0);
    QTest::newRow("far larger in both") << QSize(800, 600) << QSize(5000, 5000) << INT_MAX << INT_MAX << QPoint(0, 0);
}

void TestPlacement::randomStaysOnScreen()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, widget);
    QFETCH(int, r1);
    QFETCH(int, r2);
    QFETCH(QPoint, expected);

    const QPoint at = Placement::random(screen.width(), screen.height(), widget.width(), widget.height(), r1, r2);
    QCOMPARE(at, expected);
    QVERIFY(at.x() >= 0 && at.y() >= 0);
    if (widget.width() <= screen.width())
        QVERIFY(at.x() + widget.width() <= screen.width());
    if (widget.height() <= screen.height())
        QVERIFY(at.y() + widget.height() <= screen.height());
}

QTEST_APPLESS_MAIN(TestPlacement)
#include "test_placement.moc"
