#include "glimraprocess.h"
#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "testhome.h"

// One line per node, indented by level: "<text> <check state>".
static QStringList describe(const QList<MessageItem *> &items, const QString &indent = QString())
{
    QStringList lines;
    for (const MessageItem *item : items)
        lines << indent + item->text() + ' ' + QString::number(item->checkState())
              << describe(item->children(), indent + "  ");
    return lines;
}

static QByteArray library(const QByteArray &body)
{
    return qCompress("<?xml version=\"1.0\"?><GROUPS>" + body + "</GROUPS>", -1);
}

// The library file and the outline import, from the bytes up to the built program.
class TestLibraryFile : public QObject
{
    Q_OBJECT

private slots:
    void writesExactBytesWithinTheBound()
    {
        const QByteArray expected =
            "<?xml version=\"1.0\"?>\n<GROUPS>\n    <CATEGORY NAME=\"&amp;&lt;&gt;&quot;'\" SELECTED=\"0\">\n"
            "        <SUBCATEGORY NAME=\"Всё\" SELECTED=\"1\">\n            <MESSAGE TEXT=\"a&gt;b\" SELECTED=\"1\"/>\n"
            "        </SUBCATEGORY>\n    </CATEGORY>\n    <CATEGORY NAME=\"C\" SELECTED=\"1\"/>\n"
            "    <IMAGE NAME=\"/a b.png\" SELECTED=\"1\"/>\n</GROUPS>\n";
        LibraryFile file;
        QCOMPARE(file.read(qCompress(expected, -1)), LibraryFile::Ok);
        // Partly checked is written as not selected; control characters and stray surrogates are left out.
        file.categories().first()->setCheckState(Qt::PartiallyChecked);
        file.categories().first()->child(0)->child(0)->setText(QString("a\x01>b") + QChar(0xDC00));
        QCOMPARE(LibraryFile::write(file.categories(), {{"/a b.png", true}}), qCompress(expected, -1));
        // XML of exactly the size the reader accepts is saved; one byte more is refused, the file stays.
        for (const int excess : {0, 1}) {
            QString xml = "<GROUPS><CATEGORY NAME=\"\"/></GROUPS>";
            xml.insert(24, QString(LibraryFile::MaxTextSize - xml.size() + excess, 'm'));
            QCOMPARE(LibraryFile::save(QDir::home().filePath("large.dat"), xml), excess == 0);
        }
        QCOMPARE(readFile(QDir::home().filePath("large.dat")).left(4), QByteArray::fromHex("04000000"));
    }

    void readsTree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("read"); // the status, then the tree
        const QString ok = QString::number(LibraryFile::Ok), noData = QString::number(LibraryFile::NoData);
        const QByteArray one = library("<CATEGORY/>");
        const auto declaring = [&](const char *hex) { return QByteArray(one).replace(0, 4, QByteArray::fromHex(hex)); };
        QTest::newRow("SELECTED; stray messages are dropped, or join the last subcategory")
            << library("<CATEGORY NAME='A' SELECTED='17'><MESSAGE TEXT='x'/><SUBCATEGORY NAME='S'/></CATEGORY>"
                       "<CATEGORY NAME='B'><MESSAGE TEXT='m' SELECTED='yes'/><SUBCATEGORY NAME='T'/></CATEGORY>")
            << QStringList{ok, "A 2", "  S 0", "    m 0", "B 0", "  T 0"};
        QTest::newRow("no CATEGORY") << library("") << QStringList(QString::number(LibraryFile::NoCategory));
        QTest::newRow("bad XML") << library("<CATEGORY NAME='A'/><CATEGORY")
                                 << QStringList{QString::number(LibraryFile::XmlError), "A 0"};
        QTest::newRow("empty file") << QByteArray() << QStringList(noData);
        QTest::newRow("truncated stream") << one.chopped(6) << QStringList(noData);
        QTest::newRow("stream one byte longer than declared") << declaring("00000030") << QStringList(noData);
        QTest::newRow("declared length 64 MiB + 1") << declaring("04000001") << QStringList(noData);
        QTest::newRow("declared length 64 MiB") << declaring("04000000") << QStringList{ok, " 0"};
    }

    void readsTree()
    {
        QFETCH(QByteArray, bytes);
        LibraryFile file;
        const int status = file.read(bytes);
        QTEST(QStringList(QString::number(status)) + describe(file.categories()), "read");
    }

    void backupsNeverOverwrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("messages.dat"), stamp = "'.unreadable-'yyyyMMdd-HHmmss";
        const QDateTime now = QDateTime::currentDateTime();
        // Earlier backups of this second and the next keep their bytes; each new one holds the library's.
        const QStringList files = {path, path + now.toString(stamp), path + now.addSecs(1).toString(stamp)};
        for (const QString &file : files)
            QVERIFY(writeFile(file, file.toUtf8()));
        QStringList contents;
        for (const QString &file :
             files + QStringList{LibraryFile::backupUnreadable(path), LibraryFile::backupUnreadable(path)})
            contents << readFile(file);
        QCOMPARE(contents, files + QStringList({path, path}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 5);
    }

    void builtProgramKeepsItsLibrary_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("outline"); // given with -i unless null; "missing" names no file
        QTest::addColumn<QStringList>("after");
        const QByteArray user = library("<CATEGORY NAME='Old'/><CATEGORY NAME='Mine' SELECTED='1'/>");
        // Parentless and blank lines are dropped, a stray message joins the last subcategory; only CR LF ends a line.
        QTest::newRow("import replaces presets, custom category stays last")
            << user << QByteArray("\tX\r\n\t\ty\r\n \tA\tB\r\n\tS\r\n\t\t\r\n \t \r\n\r\nC\n\tD\r\n\t\r\n\t\tm")
            << QStringList{"AB 0", "  S 0", "    m 0", "C\nD 0", "Mine 2"};
        QTest::newRow("missing -i file") << user << QByteArray("missing") << QStringList{"Old 0", "Mine 2"};
        QStringList placeholder;
        for (int c = 1; c <= 10; ++c) {
            placeholder << QString("Cat %1 0").arg(c);
            for (int s = 1; s <= 10; ++s) {
                placeholder << QString("  Subcat %1 from cat %2 0").arg(s).arg(c);
                for (int m = 1; m <= 10; ++m)
                    placeholder << QString("    Msg %1 in subcat %2 from cat %3 0").arg(m).arg(s).arg(c);
            }
        }
        QTest::newRow("unreadable file is kept aside and replaced")
            << QByteArray("not a library") << QByteArray() << placeholder + QStringList{"Custom messages 0"};
    }

    void builtProgramKeepsItsLibrary()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, outline);
        GlimraProcess program;
        const QDir data(program.dataFolder());
        const QString outlinePath = program.homePath() + "/outline.txt";
        // Only "messages.dat." and six ASCII letters or digits is a temporary, never the legacy copy or a link.
        QStringList kept = {"messages.dat.legacy",  "messages.dat.Legacy", "messages.dat.a1B2c",
                            "messages.dat.a1B2c3d", "messages.dat.a_B2c3", "messages.dat.äbcdef",
                            "messages.dat-a1B2c3",  "settings.dat.a1B2c3", "old-messages.dat.a1B2c3"};
        for (const QString &name : kept + QStringList{"messages.dat.a1B2c3", "messages.dat.ZZZZZZ"})
            QVERIFY(writeFile(data.filePath(name), name.toUtf8()));
        QVERIFY(writeFile(program.messagesPath(), before));
        QVERIFY(QFile::link(data.filePath("messages.dat.legacy"), data.filePath("messages.dat.linked")));
        QVERIFY(outline.isNull() || outline == "missing" || writeFile(outlinePath, outline));
        QVERIFY(program.startAndWaitReady(outline.isNull() ? QStringList() : QStringList{"-i", outlinePath}));
        QCOMPARE(program.terminate(), 0);

        // Only an unreadable file is copied aside, byte for byte.
        const QStringList backups = data.entryList({"messages.dat.unreadable-*"});
        QCOMPARE(backups.size(), int(before == "not a library"));
        QCOMPARE(backups.isEmpty() ? before : readFile(data.filePath(backups.first())), before);
        kept << backups << QStringList{"messages.dat", "messages.dat.linked"};
        kept.sort();
        QCOMPARE(data.entryList(QDir::Files | QDir::System, QDir::Name), kept);
        LibraryFile file;
        QCOMPARE(file.read(readFile(program.messagesPath())), LibraryFile::Ok);
        QTEST(describe(file.categories()), "after");
    }
};

GLIMRA_TEST_MAIN(TestLibraryFile)
#include "test_libraryfile.moc"
