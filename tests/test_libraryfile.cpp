#include "glimraprocess.h"
#include "library/checkstates.h"
#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "library/outlineparser.h"
#include "testhome.h"

namespace {

// One line per node, indented by level: "<text> <check state>".
QStringList describe(const QList<MessageItem *> &items, int level = 0)
{
    QStringList lines;
    for (const MessageItem *item : items)
        lines << QString(level * 2, QLatin1Char(' ')) + item->text() + QLatin1Char(' ') +
                     QString::number(item->checkState())
              << describe(item->children(), level + 1);
    return lines;
}

QByteArray library(const QByteArray &body)
{
    return qCompress("<?xml version=\"1.0\"?><GROUPS>" + body + "</GROUPS>", -1);
}

} // namespace

// The library file and the outline import, from the bytes up to the built program.
class TestLibraryFile : public QObject
{
    Q_OBJECT

private slots:
    void defaultResourceShapeAndRoundTrip()
    {
        const QByteArray resource = LibraryFile::readFileBytes(QStringLiteral(":/messages_def.dat"));
        LibraryFile file;
        QCOMPARE(file.read(resource), LibraryFile::Ok);
        QString shape;
        for (const MessageItem *category : file.categories()) {
            shape += category->text() + QLatin1Char(':');
            for (const MessageItem *subcategory : category->children())
                shape += QStringLiteral(" %1 %2,").arg(subcategory->text()).arg(subcategory->childCount());
            shape += QLatin1Char('\n');
        }
        QCOMPARE(
            shape,
            QStringLiteral(
                "Personal Development: Positive Thinking 10, Achieving Goals 10, Happiness 10, Organization 10, "
                "Self-Discipline 10, Energy 10, Self Esteem 10, Attract Other People 10, Motivation 10, Concentration "
                "10,\nBusiness: Leadership 10, Dream Job 10, Organizational Skills 10, Business Success 10, New Job "
                "10, Teamwork 10, My Current Work 10,\nHealth: Stress 7, Depression 7, Skin problems 7, Accept your "
                "body 7, Perfect weight 7, Cope with aging process 7, Pain 7, Eye sight 7, Have a perfect health "
                "7,\nLove and Relationships: Attract a mate 7, Marriage 7, Relationships 7,\nMoney: Millionaire mind "
                "7, Get rich 6, Prosperity 7, Attract money 7,\nSkills: Be athletic 7, Better driving 5, Foreign "
                "language learning 5,\nBrain Power: IQ 7, Memory improvement 7, Logical thinking 7, Creative thinking "
                "7, Learning 7, Exam success 7,\nNegative Habits: Quit smoking 7, Stop drinking alcohol 7, Drug "
                "addiction 7, Stop eating junk food 7, Stop any bad habit 7,\nSuccess in Life: Self-confidence 7, "
                "Winner mind 7, Forgiveness 7, Hard-working 7,\nOvercome Fears: All Fears 6, Fear of Death 6, Fear of "
                "Public Speaking 7, Fear of Failure 6, Fear of Rejection 6, Fear of flying 6,\nПользовательские:\n"));
        // The 440 messages are all different and, like everything else, unchecked.
        const QStringList lines = describe(file.categories());
        const QStringList messages = lines.filter(QRegularExpression(QStringLiteral("^    ")));
        QCOMPARE(QSet<QString>(messages.begin(), messages.end()).size(), 440);
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral(" 0$"))), lines);
    }

    void checkStatesFollowChildren_data()
    {
        QTest::addColumn<QList<int>>("children");
        QTest::addColumn<int>("aggregate");
        QTest::newRow("none") << QList<int>{} << 0;
        QTest::newRow("all unchecked") << QList<int>{0, 0} << 0;
        QTest::newRow("all checked") << QList<int>{2, 2, 2} << 2;
        QTest::newRow("mixed") << QList<int>{2, 0} << 1;
        QTest::newRow("a partly checked child") << QList<int>{2, 1, 2} << 1;
    }

    void checkStatesFollowChildren()
    {
        QFETCH(QList<int>, children);
        QFETCH(int, aggregate);
        MessageItem parent;
        for (int state : children) {
            auto *child = new MessageItem;
            child->setCheckState(state);
            child->addChild(new MessageItem);
            parent.addChild(child);
        }
        QCOMPARE(CheckStates::aggregate(parent.children()), aggregate);

        // Checked and unchecked pass down to every descendant; partly checked leaves them.
        for (int state : {1, 2, 0}) {
            CheckStates::apply(&parent, state);
            QCOMPARE(parent.checkState(), state);
            for (int i = 0; i < children.size(); ++i) {
                QCOMPARE(parent.child(i)->checkState(), state == 1 ? children.at(i) : state);
                QCOMPARE(parent.child(i)->child(0)->checkState(), state == 1 ? 0 : state);
            }
        }
    }

    void writesExactBytes()
    {
        const QByteArray expected = "<?xml version=\"1.0\"?>\n"
                                    "<GROUPS>\n"
                                    "    <CATEGORY NAME=\"Fish &amp; &lt;Chips&gt; &quot;x&quot;\" SELECTED=\"0\">\n"
                                    "        <SUBCATEGORY NAME=\"Всё хорошо\" SELECTED=\"1\">\n"
                                    "            <MESSAGE TEXT=\"I'm &gt; fine\" SELECTED=\"1\"/>\n"
                                    "        </SUBCATEGORY>\n"
                                    "    </CATEGORY>\n"
                                    "    <CATEGORY NAME=\"Пользовательские\" SELECTED=\"1\"/>\n"
                                    "    <IMAGE NAME=\"/home/u/a b.png\" SELECTED=\"1\"/>\n"
                                    "</GROUPS>\n";
        LibraryFile file;
        QCOMPARE(file.read(qCompress(expected, -1)), LibraryFile::Ok);
        // Partly checked is written as not selected; control characters would make the file unreadable.
        file.categories().first()->setCheckState(Qt::PartiallyChecked);
        file.categories().first()->child(0)->child(0)->setText(QStringLiteral("I'm >\x01 fine"));
        const QByteArray bytes = LibraryFile::write(file.categories(), {{QStringLiteral("/home/u/a b.png"), true}});
        QCOMPARE(LibraryFile::uncompress(bytes), expected);
        QCOMPARE(bytes, qCompress(expected, -1));
    }

    void readingRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("tree");

        const int ok = LibraryFile::Ok, noData = LibraryFile::NoData;
        const QByteArray one = library("<CATEGORY NAME=\"c\" SELECTED=\"1\"/>");
        const auto declaring = [&](const char *hex) { return QByteArray(one).replace(0, 4, QByteArray::fromHex(hex)); };
        QTest::newRow("SELECTED 2") << library("<CATEGORY NAME=\"c\" SELECTED=\"2\"/>") << ok << QStringList{"c 2"};
        QTest::newRow("SELECTED 17") << library("<CATEGORY NAME=\"c\" SELECTED=\"17\"/>") << ok << QStringList{"c 2"};
        QTest::newRow("SELECTED yes") << library("<CATEGORY NAME=\"c\" SELECTED=\"yes\"/>") << ok << QStringList{"c 0"};
        QTest::newRow("SELECTED missing") << library("<CATEGORY NAME=\"c\"/>") << ok << QStringList{"c 0"};
        QTest::newRow("message in a category before its first subcategory joins the last subcategory")
            << library("<CATEGORY NAME=\"A\"><SUBCATEGORY NAME=\"S\"/></CATEGORY><CATEGORY NAME=\"B\"><MESSAGE "
                       "TEXT=\"m\"/><SUBCATEGORY NAME=\"T\"/></CATEGORY>")
            << ok << QStringList{"A 0", "  S 0", "    m 0", "B 0", "  T 0"};
        QTest::newRow("message before any subcategory is dropped")
            << library("<CATEGORY NAME=\"A\"><MESSAGE TEXT=\"m\"/></CATEGORY>") << ok << QStringList{"A 0"};
        QTest::newRow("GROUPS without CATEGORY") << library("") << int(LibraryFile::NoCategory) << QStringList();
        QTest::newRow("XML error after a category")
            << library("<CATEGORY NAME=\"A\"/><CATEGORY NAME=\"B") << int(LibraryFile::XmlError) << QStringList{"A 0"};
        QTest::newRow("empty file") << QByteArray() << noData << QStringList();
        QTest::newRow("truncated stream") << one.left(one.size() - 6) << noData << QStringList();
        QTest::newRow("stream longer than declared") << declaring("00000010") << noData << QStringList();
        QTest::newRow("declared length 64 MiB + 1") << declaring("04000001") << noData << QStringList();
        QTest::newRow("declared length 64 MiB") << declaring("04000000") << ok << QStringList{"c 2"};
    }

    void readingRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QStringList, tree);

        LibraryFile file;
        QCOMPARE(int(file.read(bytes)), status);
        QCOMPARE(describe(file.categories()), tree);
    }

    void backupsKeepTheBytesAndNeverOverwrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("messages.dat"));
        const QString stamp = QStringLiteral("'.unreadable-'yyyyMMdd-HHmmss");
        // Earlier backups under this second's and the next one's names must stay as they are.
        const QDateTime now = QDateTime::currentDateTime();
        const QStringList earlier = {path + now.toString(stamp), path + now.addSecs(1).toString(stamp)};
        for (const QString &file : earlier + QStringList{path})
            QVERIFY(LibraryFile::saveAtomically(file, file.toUtf8()));
        const QStringList backups = {LibraryFile::backupUnreadable(path), LibraryFile::backupUnreadable(path)};
        QVERIFY(backups.first() != backups.last());
        for (const QString &backup : backups) {
            QVERIFY2(backup.startsWith(path + ".unreadable-") && !earlier.contains(backup), qPrintable(backup));
            QCOMPARE(LibraryFile::readFileBytes(backup), path.toUtf8());
        }
        for (const QString &file : earlier)
            QCOMPARE(LibraryFile::readFileBytes(file), file.toUtf8());
    }

    void writerKeepsTheReadersBound_data()
    {
        QTest::addColumn<int>("excess"); // bytes of XML beyond LibraryFile::MaxTextSize

        QTest::newRow("exactly the largest readable XML") << 0;
        QTest::newRow("one byte more") << 1;
    }

    void writerKeepsTheReadersBound()
    {
        QFETCH(int, excess);
        // One message carries the bulk; the rest of the XML is what an empty text leaves.
        LibraryFile file;
        QCOMPARE(file.read(library("<CATEGORY NAME=\"c\"><SUBCATEGORY NAME=\"s\"><MESSAGE TEXT=\"\"/>"
                                   "</SUBCATEGORY></CATEGORY>")),
                 LibraryFile::Ok);
        const int size = LibraryFile::MaxTextSize - LibraryFile::toXml(file.categories(), {}).toUtf8().size() + excess;
        file.categories().first()->child(0)->child(0)->setText(QString(size, QLatin1Char('m')));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("messages.dat"));
        const QByteArray old = library("<CATEGORY NAME=\"old\"/>");
        QVERIFY(LibraryFile::saveAtomically(path, old));

        const QByteArray bytes = LibraryFile::write(file.categories(), {});
        file.categories().first()->child(0)->child(0)->setText(QString()); // lowers the peak memory
        // Too large is refused as a whole, and the file the reader would still accept stays.
        QCOMPARE(LibraryFile::saveAtomically(path, bytes), excess == 0);
        QCOMPARE(bytes.isEmpty(), excess > 0);
        QCOMPARE(file.read(LibraryFile::readFileBytes(path)), LibraryFile::Ok);
        QCOMPARE(file.categories().first()->text(), excess ? QStringLiteral("old") : QStringLiteral("c"));
        if (excess == 0)
            QCOMPARE(file.categories().first()->child(0)->child(0)->text().size(), size);
    }

    void leftoverTemporariesAreRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");

        QTest::newRow("letters and digits") << "messages.dat.a1B2c3" << true;
        QTest::newRow("legacy copy") << "messages.dat.legacy" << false;
        QTest::newRow("legacy copy, other case") << "messages.dat.Legacy" << false;
        QTest::newRow("unreadable backup") << "messages.dat.unreadable-20240102-030405" << false;
        QTest::newRow("five characters") << "messages.dat.a1B2c" << false;
        QTest::newRow("seven characters") << "messages.dat.a1B2c3d" << false;
        QTest::newRow("punctuation") << "messages.dat.a1-2c3" << false;
        QTest::newRow("not ASCII") << "messages.dat.äbcdef" << false;
        QTest::newRow("no dot") << "messages.databcdef" << false;
        QTest::newRow("another file's temporary") << "settings.dat.a1B2c3" << false;
        QTest::newRow("longer name") << "old-messages.dat.a1B2c3" << false;
        QTest::newRow("picture") << "messages.dat.a1B2c3.png" << false;
    }

    // Folders and symlinks are never taken for temporaries.
    void leftoverTemporariesAreRemoved()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("messages.dat"));
        QVERIFY(LibraryFile::saveAtomically(path, "library"));
        QVERIFY(LibraryFile::saveAtomically(dir.filePath(name), "other"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("messages.dat.folder")));
        QVERIFY(QFile::link(path, dir.filePath(QStringLiteral("messages.dat.linked"))));
        QCOMPARE(LibraryFile::removeLeftoverTemporaries(path),
                 removed ? QStringList{dir.filePath(name)} : QStringList());
        QStringList kept = {"messages.dat", "messages.dat.folder", "messages.dat.linked"};
        if (!removed)
            kept << name;
        kept.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name), kept);
        QCOMPARE(LibraryFile::readFileBytes(path), QByteArray("library"));
    }

    void outlineImport_data()
    {
        QTest::addColumn<QByteArray>("outline");
        QTest::addColumn<QStringList>("tree");

        const QStringList tree = {"A 0", "  S 0", "    m 0"};
        QTest::newRow("three lines") << QByteArray("A\r\n\tS\r\n\t\tm") << tree;
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("LF only: one line") << QByteArray("A\n\tS\n\t\tm\n") << QStringList{"A\nS\nm 0"};
        QTest::newRow("space before TAB: category") << QByteArray(" \tWork") << QStringList{"Work 0"};
        QTest::newRow("TAB inside is removed") << QByteArray("A\tB") << QStringList{"AB 0"};
        QTest::newRow("orphan message joins the last subcategory")
            << QByteArray("A\r\n\tS\r\nB\r\n\t\tm") << QStringList{"A 0", "  S 0", "    m 0", "B 0"};
        QTest::newRow("lines without a parent are dropped") << QByteArray("\tS\r\n\t\tm\r\nA") << QStringList{"A 0"};
        QTest::newRow("blank and TAB-only lines")
            << QByteArray("\r\n\t\t\r\nA\r\n \t \r\n\tS\r\n\t\r\n\t\tm\r\n\r\n") << tree;
    }

    void outlineImport()
    {
        QFETCH(QByteArray, outline);
        QFETCH(QStringList, tree);

        const QList<MessageItem *> items = OutlineParser::createItems(OutlineParser::parse(outline));
        QCOMPARE(describe(items), tree);
        qDeleteAll(items);
    }

    void builtProgramKeepsItsLibrary_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("outline"); // given with -i unless null; "missing" names no file
        QTest::addColumn<QStringList>("after");  // empty: the placeholder library

        const QByteArray custom = "<CATEGORY NAME=\"Пользовательские\" SELECTED=\"1\"><SUBCATEGORY NAME=\"Mine\" "
                                  "SELECTED=\"1\"><MESSAGE TEXT=\"My own\" SELECTED=\"1\"/></SUBCATEGORY></CATEGORY>";
        const QStringList customTree = {"Пользовательские 2", "  Mine 2", "    My own 2"};
        const QByteArray user = library(
            "<CATEGORY NAME=\"Old\"><SUBCATEGORY NAME=\"S\"><MESSAGE TEXT=\"old\"/></SUBCATEGORY></CATEGORY>" + custom);
        QTest::newRow("import replaces presets, custom category stays last")
            << user << QByteArray("Health\r\n\tSleep\r\n\t\tI sleep well\r\nFocus")
            << QStringList{"Health 0", "  Sleep 0", "    I sleep well 0", "Focus 0"} + customTree;
        QTest::newRow("missing -i file changes nothing")
            << user << QByteArray("missing") << QStringList{"Old 0", "  S 0", "    old 0"} + customTree;
        QTest::newRow("unreadable file is kept aside and replaced")
            << QByteArray("not a library") << QByteArray() << QStringList();
    }

    void builtProgramKeepsItsLibrary()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, outline);
        QFETCH(QStringList, after);

        GlimraProcess program;
        const QString outlinePath = program.homePath() + QStringLiteral("/outline.txt");
        QVERIFY(QDir().mkpath(program.dataFolder()));
        QVERIFY(LibraryFile::saveAtomically(program.messagesPath(), before));
        QVERIFY(outline.isNull() || outline == "missing" || LibraryFile::saveAtomically(outlinePath, outline));
        QVERIFY(program.startAndWaitReady(outline.isNull() ? QStringList()
                                                           : QStringList{QStringLiteral("-i"), outlinePath}));
        QCOMPARE(program.terminate(), 0);

        // Only an unreadable file is copied aside, byte for byte.
        const QDir data(program.dataFolder());
        const QStringList backups = data.entryList({QStringLiteral("messages.dat.unreadable-*")}, QDir::Files);
        QCOMPARE(backups.size(), after.isEmpty() ? 1 : 0);
        for (const QString &backup : backups)
            QCOMPARE(LibraryFile::readFileBytes(data.filePath(backup)), before);
        LibraryFile file;
        QCOMPARE(file.read(LibraryFile::readFileBytes(program.messagesPath())), LibraryFile::Ok);
        const QStringList written = describe(file.categories());
        if (!after.isEmpty()) {
            QCOMPARE(written, after);
            return;
        }
        // 10 categories of 10 subcategories of 10 messages, then the custom category; each text
        // numbers its own node first: message 5 of subcategory 4 of category 3, and so on.
        QCOMPARE(QStringList({written.first(), written.at(222), written.at(256), written.at(261), written.last(),
                              QString::number(written.size())}),
                 QStringList({"Cat 1 0", "Cat 3 0", "  Subcat 4 from cat 3 0", "    Msg 5 in subcat 4 from cat 3 0",
                              "Custom messages 0", "1111"}));
    }
};

GLIMRA_TEST_MAIN(TestLibraryFile)
#include "test_libraryfile.moc"
