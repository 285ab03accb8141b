#include "library/messageitem.h"
#include "library/outlineparser.h"
#include "testhome.h"

namespace {

// One line per node, indented by level.
QStringList describe(const QVector<OutlineParser::Node> &nodes, int level = 0)
{
    QStringList lines;
    for (const OutlineParser::Node &node : nodes) {
        lines << QString(level * 2, QLatin1Char(' ')) + node.text;
        lines << describe(node.children, level + 1);
    }
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(OutlineParser::Level)

// The text outline that rebuilds the preset library: line levels, cleaning and the tree.
class TestOutline : public QObject
{
    Q_OBJECT

private slots:
    void levelComesFromTheFirstTwoCharacters_data();
    void levelComesFromTheFirstTwoCharacters();
    void parse_data();
    void parse();
    void createdItemsAreUncheckedTextNodes();
};

void TestOutline::levelComesFromTheFirstTwoCharacters_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<OutlineParser::Level>("level");
    QTest::addColumn<QString>("text");

    QTest::newRow("category") << "Health" << OutlineParser::Category << "Health";
    QTest::newRow("subcategory") << "\tSleep" << OutlineParser::Subcategory << "Sleep";
    QTest::newRow("message") << "\t\tI sleep well" << OutlineParser::Message << "I sleep well";
    QTest::newRow("three TABs") << "\t\t\tDeep" << OutlineParser::Message << "Deep";
    QTest::newRow("lone TAB") << "\t" << OutlineParser::Subcategory << "";
    QTest::newRow("TAB then space then TAB") << "\t \tWord" << OutlineParser::Subcategory << "Word";
    QTest::newRow("space before TAB") << " \tWork" << OutlineParser::Category << "Work";
    QTest::newRow("TAB inside") << "A\tB" << OutlineParser::Category << "AB";
    QTest::newRow("TABs everywhere") << "\t\t I\tsleep \t" << OutlineParser::Message << "Isleep";
    QTest::newRow("empty") << "" << OutlineParser::Category << "";
}

void TestOutline::levelComesFromTheFirstTwoCharacters()
{
    QFETCH(QString, line);
    QFETCH(OutlineParser::Level, level);
    QFETCH(QString, text);

    QCOMPARE(OutlineParser::levelOf(line), level);
    QCOMPARE(OutlineParser::cleaned(line), text);
}

void TestOutline::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("tree");

    const QStringList health = {"Health", "  Sleep", "    I sleep well"};
    QTest::newRow("three lines") << QByteArray("Health\r\n\tSleep\r\n\t\tI sleep well") << health;
    QTest::newRow("closing line end") << QByteArray("Health\r\n\tSleep\r\n\t\tI sleep well\r\n") << health;
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("LF only is one line") << QByteArray("Health\n\tSleep\n\t\tI sleep well\n")
                                         << QStringList{"Health\nSleep\nI sleep well"};
    QTest::newRow("lone CR stays in the line") << QByteArray("A\rB\r\n\tC") << QStringList{"A\rB", "  C"};
    QTest::newRow("blank and TAB-only lines")
        << QByteArray("\r\n\t\t\r\nHealth\r\n \t \r\n\tSleep\r\n\t\r\n   \r\n\t\tI sleep well\r\n\r\n") << health;
    QTest::newRow("orphan message joins the last subcategory")
        << QByteArray("Health\r\n\tSleep\r\nFocus\r\n\t\tI stay calm\r\n\tBreath\r\n\t\tIn and out")
        << QStringList{"Health", "  Sleep", "    I stay calm", "Focus", "  Breath", "    In and out"};
    QTest::newRow("lines without a parent are dropped")
        << QByteArray("\tLost sub\r\n\t\tLost message\r\nHealth\r\n\t\tLost too\r\n\tSleep")
        << QStringList{"Health", "  Sleep"};
    QTest::newRow("duplicates stay") << QByteArray("A\r\n\tS\r\n\t\tm\r\n\t\tm\r\nA")
                                     << QStringList{"A", "  S", "    m", "    m", "A"};
    QTest::newRow("text ends at NUL") << QByteArray("Health\r\n\tSleep\0\r\nIgnored", 24)
                                      << QStringList{"Health", "  Sleep"};
    QTest::newRow("invalid UTF-8") << QByteArray("Caf\xe9\r\n\t\xd0\x96") << QStringList{"Caf\uFFFD", "  Ж"};
}

void TestOutline::parse()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, tree);

    QCOMPARE(describe(OutlineParser::parse(content)), tree);
}

void TestOutline::createdItemsAreUncheckedTextNodes()
{
    const QList<MessageItem *> items =
        OutlineParser::createItems(OutlineParser::parse("Health\r\n\tSleep\r\n\t\tI sleep well\r\nMoney"));
    QCOMPARE(items.size(), 2);
    const MessageItem *message = items.at(0)->child(0)->child(0);
    QCOMPARE(message->text(), QStringLiteral("I sleep well"));
    QCOMPARE(items.at(1)->text(), QStringLiteral("Money"));
    QCOMPARE(items.at(1)->childCount(), 0);
    const QList<const MessageItem *> all = {items.at(0), items.at(0)->child(0), message, items.at(1)};
    for (const MessageItem *item : all) {
        QCOMPARE(item->checkState(), 0);
        QVERIFY(item->type() != MessageItem::PictureType);
        QVERIFY(item->parent() == nullptr);
    }
    for (MessageItem *item : items)
        MessageItem::deleteTree(item);
}

GLIMRA_TEST_MAIN(TestOutline)
#include "test_outline.moc"
