#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "testhome.h"
#include "testpaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray fixture(const QString &name)
{
    return readAll(QStringLiteral(GLIMRA_TEST_DATA_DIR "/library/") + name);
}

// One line per node, indented by level: "<text> <state>".
QStringList describe(const QList<MessageItem *> &items, int level = 0)
{
    QStringList lines;
    for (const MessageItem *item : items) {
        lines << QString(level * 2, QLatin1Char(' ')) + item->text() + QLatin1Char(' ') +
                     QString::number(item->checkState());
        lines << describe(item->children(), level + 1);
    }
    return lines;
}

MessageItem *node(const QString &text, int state, const QList<MessageItem *> &children = {})
{
    auto *item = new MessageItem;
    item->setText(text);
    item->setCheckState(state);
    item->children() = children;
    return item;
}

QByteArray library(const QString &xml)
{
    return qCompress(xml.toUtf8(), -1);
}

} // namespace

// The library file: the shipped default, the exact bytes written, the reading rules and the
// handling of files that are broken, forged or cannot be replaced safely.
class TestLibraryFile : public QObject
{
    Q_OBJECT

private slots:
    void defaultResourceRoundTrips();
    void defaultResourceHasTheShippedShape();
    void writesExactBytes();
    void unwritableCharactersAreLeftOut();
    void readingRules_data();
    void readingRules();
    void brokenFiles_data();
    void brokenFiles();
    void declaredLengthMayExceedTheText();
    void survivesMutatedBytes();
    void backupKeepsOriginalBytesUnderAFreeName();
    void backupOfMissingFileFails();
    void failedWriteLeavesOldFileWhole_data();
    void failedWriteLeavesOldFileWhole();
};

void TestLibraryFile::defaultResourceRoundTrips()
{
    const QByteArray original = readAll(QStringLiteral(":/messages_def.dat"));
    LibraryFile first;
    QCOMPARE(first.read(original), LibraryFile::Ok);
    const QByteArray written = LibraryFile::write(first.categories(), {});
    LibraryFile second;
    QCOMPARE(second.read(written), LibraryFile::Ok);
    QCOMPARE(describe(second.categories()), describe(first.categories()));
    // The resource comes from the same writer, so nothing may differ at all.
    QCOMPARE(written, original);
}

void TestLibraryFile::defaultResourceHasTheShippedShape()
{
    const QByteArray bytes = readAll(QStringLiteral(":/messages_def.dat"));
    QCOMPARE(LibraryFile::uncompress(bytes).left(30), QByteArray("<?xml version=\"1.0\"?>\n<GROUPS>"));
    LibraryFile file;
    QCOMPARE(file.read(bytes), LibraryFile::Ok);
    QVERIFY(file.checkedImages().isEmpty());

    // Each category as "name: subcategory message-count, ...".
    const QStringList shape = {
        "Personal Development: Positive Thinking 10, Achieving Goals 10, Happiness 10, Organization 10, "
        "Self-Discipline 10, Energy 10, Self Esteem 10, Attract Other People 10, Motivation 10, Concentration 10",
        "Business: Leadership 10, Dream Job 10, Organizational Skills 10, Business Success 10, New Job 10, "
        "Teamwork 10, My Current Work 10",
        "Health: Stress 7, Depression 7, Skin problems 7, Accept your body 7, Perfect weight 7, "
        "Cope with aging process 7, Pain 7, Eye sight 7, Have a perfect health 7",
        "Love and Relationships: Attract a mate 7, Marriage 7, Relationships 7",
        "Money: Millionaire mind 7, Get rich 6, Prosperity 7, Attract money 7",
        "Skills: Be athletic 7, Better driving 5, Foreign language learning 5",
        "Brain Power: IQ 7, Memory improvement 7, Logical thinking 7, Creative thinking 7, Learning 7, "
        "Exam success 7",
        "Negative Habits: Quit smoking 7, Stop drinking alcohol 7, Drug addiction 7, Stop eating junk food 7, "
        "Stop any bad habit 7",
        "Success in Life: Self-confidence 7, Winner mind 7, Forgiveness 7, Hard-working 7",
        "Overcome Fears: All Fears 6, Fear of Death 6, Fear of Public Speaking 7, Fear of Failure 6, "
        "Fear of Rejection 6, Fear of flying 6",
        "Пользовательские: ",
    };
    QStringList actual;
    QSet<QString> texts;
    int messages = 0;
    for (const MessageItem *category : file.categories()) {
        QStringList subcategories;
        for (const MessageItem *subcategory : category->children()) {
            subcategories << subcategory->text() + QLatin1Char(' ') + QString::number(subcategory->childCount());
            for (const MessageItem *message : subcategory->children()) {
                QVERIFY(!message->text().isEmpty());
                QCOMPARE(message->childCount(), 0);
                texts.insert(message->text());
                ++messages;
            }
        }
        actual << category->text() + QStringLiteral(": ") + subcategories.join(QStringLiteral(", "));
    }
    QCOMPARE(actual, shape);
    QCOMPARE(messages, 440);
    QCOMPARE(texts.size(), 440);
    // Nothing is checked anywhere.
    for (const QString &line : describe(file.categories()))
        QVERIFY2(line.endsWith(QLatin1String(" 0")), qPrintable(line));
}

void TestLibraryFile::writesExactBytes()
{
    const QList<MessageItem *> categories = {
        node(QStringLiteral("Fish & <Chips> \"x\""), Qt::PartiallyChecked,
             {node(QStringLiteral("Всё хорошо"), Qt::Checked,
                   {node(QStringLiteral("I'm > fine"), Qt::Checked), node(QStringLiteral("ünïcødé"), 0)}),
              node(QStringLiteral("Empty sub"), 0)}),
        node(QStringLiteral("Пользовательские"), Qt::Checked),
    };
    const QList<LibraryFile::Image> images = {{QStringLiteral("/home/u/images/a b.png"), true},
                                              {QStringLiteral("/home/u/images/c.jpg"), false}};
    const QByteArray bytes = LibraryFile::write(categories, images);
    for (MessageItem *category : categories)
        MessageItem::deleteTree(category);

    const QByteArray expected = "<?xml version=\"1.0\"?>\n"
                                "<GROUPS>\n"
                                "    <CATEGORY NAME=\"Fish &amp; &lt;Chips&gt; &quot;x&quot;\" SELECTED=\"0\">\n"
                                "        <SUBCATEGORY NAME=\"Всё хорошо\" SELECTED=\"1\">\n"
                                "            <MESSAGE TEXT=\"I'm &gt; fine\" SELECTED=\"1\"/>\n"
                                "            <MESSAGE TEXT=\"ünïcødé\" SELECTED=\"0\"/>\n"
                                "        </SUBCATEGORY>\n"
                                "        <SUBCATEGORY NAME=\"Empty sub\" SELECTED=\"0\"/>\n"
                                "    </CATEGORY>\n"
                                "    <CATEGORY NAME=\"Пользовательские\" SELECTED=\"1\"/>\n"
                                "    <IMAGE NAME=\"/home/u/images/a b.png\" SELECTED=\"1\"/>\n"
                                "    <IMAGE NAME=\"/home/u/images/c.jpg\" SELECTED=\"0\"/>\n"
                                "</GROUPS>\n";
    QCOMPARE(LibraryFile::uncompress(bytes), expected);
    QCOMPARE(qFromBigEndian<quint32>(bytes.constData()), quint32(expected.size()));
    QCOMPARE(bytes.mid(4, 2), QByteArray::fromHex("789c"));
    QCOMPARE(bytes, qCompress(expected, -1));
}

void TestLibraryFile::unwritableCharactersAreLeftOut()
{
    // Line breaks survive as character references; control characters would break the file.
    const QList<MessageItem *> categories = {node(QStringLiteral("a\x01"
                                                                 "b\nc\td"),
                                                  0)};
    const QByteArray bytes = LibraryFile::write(categories, {});
    MessageItem::deleteTree(categories.first());
    LibraryFile file;
    QCOMPARE(file.read(bytes), LibraryFile::Ok);
    QCOMPARE(file.categories().first()->text(), QStringLiteral("ab\nc\td"));
}

void TestLibraryFile::readingRules_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QStringList>("checkedImages");

    const QString head = QStringLiteral("<?xml version=\"1.0\"?><GROUPS>");
    const QString tail = QStringLiteral("</GROUPS>");
    auto selected = [&](const QString &attribute) {
        return head + QStringLiteral("<CATEGORY NAME=\"c\" %1/>").arg(attribute) + tail;
    };
    QTest::newRow("SELECTED 1") << selected("SELECTED=\"1\"") << int(LibraryFile::Ok) << QStringList{"c 2"}
                                << QStringList();
    QTest::newRow("SELECTED 2") << selected("SELECTED=\"2\"") << int(LibraryFile::Ok) << QStringList{"c 2"}
                                << QStringList();
    QTest::newRow("SELECTED 17") << selected("SELECTED=\"17\"") << int(LibraryFile::Ok) << QStringList{"c 2"}
                                 << QStringList();
    QTest::newRow("SELECTED -1") << selected("SELECTED=\"-1\"") << int(LibraryFile::Ok) << QStringList{"c 2"}
                                 << QStringList();
    QTest::newRow("SELECTED yes") << selected("SELECTED=\"yes\"") << int(LibraryFile::Ok) << QStringList{"c 0"}
                                  << QStringList();
    QTest::newRow("SELECTED 0x1") << selected("SELECTED=\"0x1\"") << int(LibraryFile::Ok) << QStringList{"c 0"}
                                  << QStringList();
    QTest::newRow("SELECTED missing") << selected("") << int(LibraryFile::Ok) << QStringList{"c 0"} << QStringList();
    QTest::newRow("NAME missing") << head + "<CATEGORY SELECTED=\"1\"/>" + tail << int(LibraryFile::Ok)
                                  << QStringList{" 2"} << QStringList();

    QTest::newRow("message in a category before its first subcategory")
        << head +
               "<CATEGORY NAME=\"A\" SELECTED=\"0\"><SUBCATEGORY NAME=\"S\" SELECTED=\"0\">"
               "<MESSAGE TEXT=\"one\" SELECTED=\"1\"/></SUBCATEGORY></CATEGORY>"
               "<CATEGORY NAME=\"B\" SELECTED=\"0\"><MESSAGE TEXT=\"stray\" SELECTED=\"0\"/>"
               "<SUBCATEGORY NAME=\"T\" SELECTED=\"0\"/></CATEGORY>" +
               tail
        << int(LibraryFile::Ok) << QStringList{"A 0", "  S 0", "    one 2", "    stray 0", "B 0", "  T 0"}
        << QStringList();
    QTest::newRow("message before any subcategory")
        << head +
               "<MESSAGE TEXT=\"lost\" SELECTED=\"1\"/><CATEGORY NAME=\"A\" SELECTED=\"0\">"
               "<MESSAGE TEXT=\"lost too\" SELECTED=\"1\"/><SUBCATEGORY NAME=\"S\" SELECTED=\"0\"/></CATEGORY>" +
               tail
        << int(LibraryFile::Ok) << QStringList{"A 0", "  S 0"} << QStringList();
    QTest::newRow("subcategory before any category")
        << head + "<SUBCATEGORY NAME=\"lost\" SELECTED=\"1\"/><CATEGORY NAME=\"A\" SELECTED=\"0\"/>" + tail
        << int(LibraryFile::Ok) << QStringList{"A 0"} << QStringList();
    QTest::newRow("elements count wherever they stand")
        << head +
               "<OTHER><CATEGORY NAME=\"A\" SELECTED=\"0\">text<DEEP><SUBCATEGORY NAME=\"S\" SELECTED=\"1\"/></DEEP>"
               "</CATEGORY></OTHER><MESSAGE TEXT=\"m\" SELECTED=\"0\"/><category NAME=\"lower\"/>" +
               tail
        << int(LibraryFile::Ok) << QStringList{"A 0", "  S 2", "    m 0"} << QStringList();
    QTest::newRow("images")
        << head +
               "<CATEGORY NAME=\"A\" SELECTED=\"0\"/><IMAGE NAME=\"/p/one.png\" SELECTED=\"1\"/>"
               "<IMAGE NAME=\"/p/two.png\" SELECTED=\"0\"/><IMAGE NAME=\"/p/three.png\" SELECTED=\"2\"/>"
               "<IMAGE NAME=\"/p/four.png\"/>" +
               tail
        << int(LibraryFile::Ok) << QStringList{"A 0"} << QStringList{"/p/one.png", "/p/three.png"};
    QTest::newRow("escaped and non-ASCII text")
        << head + "<CATEGORY NAME=\"&amp;&lt;&gt;&quot;&#10;Ж\" SELECTED=\"0\"/>" + tail << int(LibraryFile::Ok)
        << QStringList{"&<>\"\nЖ 0"} << QStringList();
    QTest::newRow("text ends at the first NUL")
        << head + "<CATEGORY NAME=\"A\" SELECTED=\"0\"/>" + tail + QChar(0) + "<garbage" << int(LibraryFile::Ok)
        << QStringList{"A 0"} << QStringList();

    QTest::newRow("GROUPS without CATEGORY")
        << head + "<IMAGE NAME=\"/p/one.png\" SELECTED=\"1\"/>" + tail << int(LibraryFile::NoCategory) << QStringList()
        << QStringList{"/p/one.png"};
    QTest::newRow("NUL inside the document") << head + "<CATEGORY NAME=\"A\" SELECTED=\"0\"/>" + QChar(0) + tail
                                             << int(LibraryFile::XmlError) << QStringList{"A 0"} << QStringList();
    QTest::newRow("XML error after a category") << head + "<CATEGORY NAME=\"A\" SELECTED=\"0\"/><CATEGORY NAME=\"B"
                                                << int(LibraryFile::XmlError) << QStringList{"A 0"} << QStringList();
    QTest::newRow("not XML") << QStringLiteral("just text") << int(LibraryFile::XmlError) << QStringList()
                             << QStringList();
    QTest::newRow("empty text") << QString() << int(LibraryFile::NoData) << QStringList() << QStringList();
    QTest::newRow("text starting with NUL") << QString(QChar(0)) + head + "<CATEGORY NAME=\"A\"/>" + tail
                                            << int(LibraryFile::NoData) << QStringList() << QStringList();
}

void TestLibraryFile::readingRules()
{
    QFETCH(QString, xml);
    QFETCH(int, status);
    QFETCH(QStringList, tree);
    QFETCH(QStringList, checkedImages);

    LibraryFile file;
    QCOMPARE(int(file.read(library(xml))), status);
    QCOMPARE(describe(file.categories()), tree);
    QCOMPARE(file.checkedImages(), checkedImages);
}

void TestLibraryFile::brokenFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("categories");

    QTest::newRow("empty") << "empty.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("header only") << "header-only.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("garbage") << "garbage.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("truncated stream") << "truncated.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("stream longer than declared") << "forged-length.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("small declared length, big stream") << "bomb.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("declared 4 GiB") << "huge-length.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("declared just over 64 MiB") << "over-limit-length.dat" << int(LibraryFile::NoData) << 0;
    QTest::newRow("XML error") << "xml-error.dat" << int(LibraryFile::XmlError) << 2;
    QTest::newRow("no category") << "no-category.dat" << int(LibraryFile::NoCategory) << 0;
    QTest::newRow("bytes after the stream") << "trailing-bytes.dat" << int(LibraryFile::Ok) << 2;
}

void TestLibraryFile::brokenFiles()
{
    QFETCH(QString, name);
    QFETCH(int, status);
    QFETCH(int, categories);

    const QByteArray bytes = fixture(name);
    QVERIFY(name == QLatin1String("empty.dat") || !bytes.isEmpty());
    LibraryFile file;
    QCOMPARE(int(file.read(bytes)), status);
    // Categories read before an XML error are reported too; the caller decides to drop them.
    QCOMPARE(file.categories().size(), categories);
}

void TestLibraryFile::declaredLengthMayExceedTheText()
{
    // Only a stream longer than declared is refused; a shorter one is read as it is.
    const QByteArray xml = "<GROUPS><CATEGORY NAME=\"A\" SELECTED=\"1\"/></GROUPS>";
    QByteArray bytes = qCompress(xml, -1);
    // Exactly the largest length accepted.
    bytes.replace(0, 4, QByteArray::fromHex("04000000"));
    QCOMPARE(LibraryFile::uncompress(bytes), xml);
    QCOMPARE(LibraryFile::uncompress(bytes), qUncompress(bytes));
    LibraryFile file;
    QCOMPARE(file.read(bytes), LibraryFile::Ok);
}

void TestLibraryFile::survivesMutatedBytes()
{
    const QByteArray original = fixture(QStringLiteral("trailing-bytes.dat"));
    QRandomGenerator random(20240611);
    int readable = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = original.left(random.bounded(original.size() + 1));
        const int flips = 1 + random.bounded(4);
        for (int i = 0; i < flips && !bytes.isEmpty(); ++i)
            bytes[random.bounded(bytes.size())] = char(random.bounded(256));
        const QByteArray text = LibraryFile::uncompress(bytes);
        if (!text.isEmpty())
            QVERIFY(quint32(text.size()) <= qFromBigEndian<quint32>(bytes.constData()));
        LibraryFile file;
        if (file.read(bytes) == LibraryFile::Ok) {
            QVERIFY(!file.categories().isEmpty());
            ++readable;
        }
    }
    // Flips in the trailing junk keep some files readable; most mutations must not.
    QVERIFY(readable > 0);
    QVERIFY(readable < 3000);
}

void TestLibraryFile::backupKeepsOriginalBytesUnderAFreeName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("messages.dat"));
    const QByteArray broken = fixture(QStringLiteral("garbage.dat"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(broken);
    }
    // Earlier backups under the names of this second and the next one must stay as they are.
    const QDateTime now = QDateTime::currentDateTime();
    QStringList earlier;
    for (const QDateTime &time : {now, now.addSecs(1)}) {
        earlier << path + QStringLiteral(".unreadable-") + time.toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QFile file(earlier.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier backup");
    }

    const QString first = LibraryFile::backupUnreadable(path);
    const QString second = LibraryFile::backupUnreadable(path);
    const QRegularExpression pattern(QStringLiteral("/messages\\.dat\\.unreadable-\\d{8}-\\d{6}(-\\d+)?$"));
    for (const QString &backup : {first, second}) {
        QVERIFY2(pattern.match(backup).hasMatch(), qPrintable(backup));
        QVERIFY(!earlier.contains(backup));
        QCOMPARE(readAll(backup), broken);
    }
    QVERIFY(first != second);
    for (const QString &old : earlier)
        QCOMPARE(readAll(old), QByteArray("earlier backup"));
    QCOMPARE(readAll(path), broken);
}

void TestLibraryFile::backupOfMissingFileFails()
{
    QTemporaryDir dir;
    QCOMPARE(LibraryFile::backupUnreadable(dir.filePath(QStringLiteral("messages.dat"))), QString());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestLibraryFile::failedWriteLeavesOldFileWhole_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("folder missing") << "missing";
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("file size limit (like a full disk)") << "limit";
}

void TestLibraryFile::failedWriteLeavesOldFileWhole()
{
    QFETCH(QString, failure);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("messages.dat"));
    const QByteArray old = fixture(QStringLiteral("trailing-bytes.dat"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    QByteArray replacement(256 * 1024, 'x');

    bool written = true;
    if (failure == QLatin1String("missing")) {
        path = dir.filePath(QStringLiteral("gone/messages.dat"));
        written = LibraryFile::saveAtomically(path, replacement);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
        path = dir.filePath(QStringLiteral("messages.dat"));
    } else if (failure == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        written = LibraryFile::saveAtomically(dir.filePath(QStringLiteral("folder")), replacement);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
    } else if (failure == QLatin1String("read-only")) {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFileInfo(dir.path()).isWritable()) {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("permissions do not bind this user");
        }
        written = LibraryFile::saveAtomically(path, replacement);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    } else {
#ifdef Q_OS_UNIX
        // Writes past the limit fail with EFBIG, as they would on a full disk.
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous = {};
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limited = previous;
        limited.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        written = LibraryFile::saveAtomically(path, replacement);
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
#else
        QSKIP("needs a file size limit");
#endif
    }
    QVERIFY(!written);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("messages.dat"))), old);
    // No half-written temporary is left beside it.
    QStringList entries = QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    entries.removeAll(QStringLiteral("folder"));
    QCOMPARE(entries, QStringList{QStringLiteral("messages.dat")});
}

GLIMRA_TEST_MAIN(TestLibraryFile)
#include "test_libraryfile.moc"
