#include "flash/flashsession.h"
#include "flash/random.h"
#include "library/messageitem.h"

#include <QPointer>
#include <QtTest>

#include <algorithm>

namespace {

MessageItem *node(QObject *owner, const QString &text, int state, MessageItem *parent = nullptr)
{
    auto *item = new MessageItem(owner);
    item->setText(text);
    item->setCheckState(state);
    if (parent)
        parent->addChild(item);
    return item;
}

QStringList texts(const QList<MessageItem *> &entries)
{
    QStringList result;
    for (const MessageItem *entry : entries)
        result << entry->text();
    return result;
}

// Hands out the given numbers in order and counts the calls.
struct ScriptedDraw
{
    QList<int> numbers;
    int calls = 0;
    FlashSession::Draw draw()
    {
        return [this] { return numbers.at(calls++); };
    }
};

} // namespace

class TestFlashSession : public QObject
{
    Q_OBJECT

private slots:
    void collectsMessagesByOwnState_data();
    void collectsMessagesByOwnState();
    void picturesFollowMessages();
    void shuffleSwapsFromTheBack();
    void shuffleIsDeterministicPerSeed();
    void shortListsStayUnchanged_data();
    void shortListsStayUnchanged();
    void previousPicturesAreReleasedTextsStay();
};

void TestFlashSession::collectsMessagesByOwnState_data()
{
    // Tree: category A { sub A1 { a, b }, sub A2 { c } }, category B { sub B1 { d } }.
    // States in the order A, A1, a, b, A2, c, B, B1, d.
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("nothing checked") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0} << QStringList{};
    QTest::newRow("checked messages under unchecked parents")
        << QList<int>{0, 0, 2, 0, 0, 2, 0, 0, 2} << QStringList{"a", "c", "d"};
    QTest::newRow("unchecked messages under checked parents") << QList<int>{2, 2, 0, 0, 2, 0, 2, 2, 0} << QStringList{};
    QTest::newRow("partial message state is not checked") << QList<int>{1, 1, 1, 2, 1, 1, 0, 0, 0} << QStringList{"b"};
    QTest::newRow("tree order") << QList<int>{0, 0, 2, 2, 0, 2, 0, 0, 2} << QStringList{"a", "b", "c", "d"};
}

void TestFlashSession::collectsMessagesByOwnState()
{
    QFETCH(QList<int>, states);
    QFETCH(QStringList, expected);

    QObject owner;
    MessageItem *a = node(&owner, "A", states[0]);
    MessageItem *a1 = node(&owner, "A1", states[1], a);
    node(&owner, "a", states[2], a1);
    node(&owner, "b", states[3], a1);
    MessageItem *a2 = node(&owner, "A2", states[4], a);
    node(&owner, "c", states[5], a2);
    MessageItem *b = node(&owner, "B", states[6]);
    MessageItem *b1 = node(&owner, "B1", states[7], b);
    node(&owner, "d", states[8], b1);
    // A category without subcategories contributes nothing.
    MessageItem *empty = node(&owner, "Custom", 2);

    QCOMPARE(texts(FlashSession::checkedMessages({a, b, empty})), expected);
}

void TestFlashSession::picturesFollowMessages()
{
    QObject owner;
    MessageItem *category = node(&owner, "C", 0);
    MessageItem *sub = node(&owner, "S", 0, category);
    MessageItem *first = node(&owner, "first", 2, sub);
    MessageItem *second = node(&owner, "second", 2, sub);

    QStringList loaded;
    const FlashSession::PictureLoader loader = [&loaded](const QString &fileName) {
        loaded << fileName;
        return QPixmap(QSize(10 + loaded.size(), 5));
    };
    // Drawing r = i at every step keeps the order, which exposes the order before shuffling.
    ScriptedDraw script{{3, 2, 1}};
    const QList<MessageItem *> list =
        FlashSession::build({}, {category}, {"/p/one.png", "/p/two.png"}, loader, script.draw());

    QCOMPARE(script.calls, 3);
    QCOMPARE(loaded, (QStringList{"/p/one.png", "/p/two.png"}));
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.at(0), first);
    QCOMPARE(list.at(1), second);
    for (int i = 2; i < 4; ++i) {
        QCOMPARE(list.at(i)->type(), int(MessageItem::PictureType));
        QCOMPARE(list.at(i)->pixmap().size(), QSize(9 + i, 5));
        QVERIFY(!list.at(i)->parent());
    }
    qDeleteAll(list.mid(2));
}

void TestFlashSession::shuffleSwapsFromTheBack()
{
    QObject owner;
    QList<MessageItem *> list;
    for (const char *text : {"A", "B", "C", "D"})
        list << node(&owner, text, 2);

    // i=3: j=5%4=1 → A D C B; i=2: j=0 → C D A B; i=1: j=7%2=1 → unchanged.
    ScriptedDraw script{{5, 0, 7}};
    FlashSession::shuffle(list, script.draw());
    QCOMPARE(script.calls, 3);
    QCOMPARE(texts(list), (QStringList{"C", "D", "A", "B"}));
}

void TestFlashSession::shuffleIsDeterministicPerSeed()
{
    QObject owner;
    QList<MessageItem *> original;
    for (int i = 0; i < 12; ++i)
        original << node(&owner, QString::number(i), 2);

    const auto shuffled = [&original](uint seed) {
        Random::seed(seed);
        QList<MessageItem *> list = original;
        FlashSession::shuffle(list, Random::next);
        return list;
    };

    const QList<MessageItem *> first = shuffled(4711);
    QCOMPARE(shuffled(4711), first);
    QVERIFY(first != original);

    QList<MessageItem *> sorted = first;
    std::sort(sorted.begin(), sorted.end());
    QList<MessageItem *> expected = original;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(sorted, expected);
}

void TestFlashSession::shortListsStayUnchanged_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one entry") << 1;
}

void TestFlashSession::shortListsStayUnchanged()
{
    QFETCH(int, size);
    QObject owner;
    QList<MessageItem *> list;
    for (int i = 0; i < size; ++i)
        list << node(&owner, "only", 2);
    const QList<MessageItem *> before = list;

    ScriptedDraw script;
    FlashSession::shuffle(list, script.draw());
    QCOMPARE(script.calls, 0);
    QCOMPARE(list, before);
}

void TestFlashSession::previousPicturesAreReleasedTextsStay()
{
    QObject owner;
    MessageItem *category = node(&owner, "C", 0);
    MessageItem *sub = node(&owner, "S", 0, category);
    QPointer<MessageItem> text = node(&owner, "kept", 2, sub);
    QPointer<MessageItem> unchecked = node(&owner, "unchecked", 0, sub);

    const auto loader = [](const QString &) { return QPixmap(4, 4); };
    const QList<MessageItem *> previous = FlashSession::build({}, {category}, {"x.png", "y.png"}, loader, Random::next);
    QCOMPARE(previous.size(), 3);
    QList<QPointer<MessageItem>> pictures;
    for (MessageItem *entry : previous) {
        if (entry->type() == MessageItem::PictureType)
            pictures << entry;
    }
    QCOMPARE(pictures.size(), 2);

    // A text entry of the previous session that is no longer checked is not the session's to delete either.
    const QList<MessageItem *> next =
        FlashSession::build(previous + QList<MessageItem *>{unchecked}, {category}, {}, loader, Random::next);
    QCOMPARE(next, QList<MessageItem *>{text});

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<MessageItem> &picture : pictures)
        QVERIFY(picture.isNull());
    QVERIFY(!text.isNull());
    QVERIFY(!unchecked.isNull());
}

QTEST_MAIN(TestFlashSession)
#include "test_flashsession.moc"
