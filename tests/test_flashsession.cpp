#include "core/random.h"
#include "flash/flashsession.h"
#include "flash/placement.h"
#include "library/messageitem.h"

#include <QtTest>

#include <climits>
#include <memory>
#include <vector>

// The tree A { A1 { a, b }, A2 { c } }, B { B1 { d } } in that order, with the given check states.
struct Tree
{
    explicit Tree(const QList<int> &states = {})
    {
        for (int parent : {-1, 0, 1, 1, 0, 4, -1, 6, 7}) {
            auto node = std::make_unique<MessageItem>();
            node->setCheckState(states.value(nodes.size()));
            nodes << node.get();
            if (parent >= 0)
                nodes[parent]->addChild(node.release());
            else
                roots.push_back(std::move(node));
        }
    }
    std::vector<std::unique_ptr<MessageItem>> roots;
    QList<MessageItem *> nodes;
};

// The session's entry list and where the overlay lands, without any widget.
class TestFlashSession : public QObject
{
    Q_OBJECT

private slots:
    void collectsMessagesByOwnStateInTreeOrder_data()
    {
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("checked under unchecked") << QList<int>{0, 0, 2, 2, 0, 2, 0, 0, 2} << QList<int>{2, 3, 5, 8};
        QTest::newRow("unchecked under checked") << QList<int>{2, 2, 0, 0, 2, 0, 2, 2, 0} << QList<int>{};
        QTest::newRow("partial is not checked") << QList<int>{1, 1, 1, 2, 1, 1, 0, 0, 1} << QList<int>{3};
    }

    void collectsMessagesByOwnStateInTreeOrder()
    {
        QFETCH(QList<int>, states);
        QFETCH(QList<int>, expected);
        const Tree t(states);
        const QList<MessageItem *> &nodes = t.nodes;
        QList<MessageItem *> wanted;
        for (int i : expected)
            wanted << nodes[i];
        QCOMPARE(FlashSession::checkedMessages({nodes[0], nodes[6]}), wanted);
    }

    void picturesFollowMessagesAndOnlyTheyAreReleased()
    {
        const Tree t({0, 0, 2, 2});
        const QList<MessageItem *> &nodes = t.nodes;
        const auto loader = [](const QString &fileName) { return QPixmap(fileName.size(), 5); };
        int i = 3; // r = i at every step keeps the order as collected
        const QList<MessageItem *> first =
            FlashSession::build({}, {nodes[0]}, {"/p/1.png", "/p/22.png"}, loader, [&i] { return i--; });
        QCOMPARE(first.mid(0, 2), nodes.mid(2, 2));
        QCOMPARE(QList<int>({first[2]->pixmap().width(), first[3]->pixmap().width()}), QList<int>({8, 9}));

        // The next session releases the pictures, and never a text entry, whether still checked or not.
        QSignalSpy released(first.at(3), &QObject::destroyed);
        QSignalSpy kept(nodes[3], &QObject::destroyed);
        nodes[3]->setChecked(false);
        QCOMPARE(FlashSession::build(first, {nodes[0]}, {}, loader, Random::next), nodes.mid(2, 1));
        QCOMPARE(released.count(), 1);
        QCOMPARE(kept.count(), 0);
    }

    void shuffleIsFisherYatesFromTheBack()
    {
        const Tree t;
        const QList<MessageItem *> before = t.nodes.mid(0, 4);
        QList<MessageItem *> list = before;
        // From the back: i=3: j=5%4=1 → 0 3 2 1; i=2: j=0 → 2 3 0 1; i=1: j=7%2=1 → unchanged; no draw for i=0.
        QList<int> draws{5, 0, 7};
        FlashSession::shuffle(list, [&draws] { return draws.takeFirst(); });
        QVERIFY(draws.isEmpty());
        QCOMPARE(list, (QList<MessageItem *>{before[2], before[3], before[0], before[1]}));
    }

    void placementTruncatesAndStaysOnScreen_data()
    {
        // Screen width and height, widget width and height, r1 (picks y), r2 (picks x).
        QTest::addColumn<QList<int>>("in");
        // Centre, top, bottom, random.
        QTest::addColumn<QList<QPoint>>("out");
        const auto row = [](const char *name, QList<int> in, QList<QPoint> out) { QTest::newRow(name) << in << out; };
        row("range end", {1920, 1080, 200, 50, 1030, 1720}, {{860, 515}, {860, 83}, {860, 922}, {1720, 1030}});
        row("odd size, one past wraps", {1920, 1080, 201, 51, 1030, 1720}, {{860, 515}, {860, 83}, {860, 921}, {0, 0}});
        row("1366x768, zero draws", {1366, 768, 200, 50, 0, 0}, {{583, 359}, {583, 51}, {583, 642}, {0, 0}});
        row("as large as screen", {1920, 1080, 1920, 1080, INT_MAX, 12345}, {{0, 0}, {0, -432}, {0, -108}, {0, 0}});
        row("wider than screen", {100, 100, 301, 31, 30, INT_MAX}, {{-100, 35}, {-100, -5}, {-100, 59}, {0, 30}});
        row("taller than screen", {800, 600, 100, 900, INT_MAX, 702}, {{350, -150}, {350, -390}, {350, -360}, {1, 0}});
    }

    void placementTruncatesAndStaysOnScreen()
    {
        QFETCH(QList<int>, in);
        const int sw = in[0], sh = in[1], w = in[2], h = in[3];
        QTEST((QList<QPoint>{Placement::center(sw, sh, w, h), Placement::top(sw, sh, w, h),
                             Placement::bottom(sw, sh, w, h), Placement::random(sw, sh, w, h, in[4], in[5])}),
              "out");
    }
};

QTEST_MAIN(TestFlashSession)
#include "test_flashsession.moc"
