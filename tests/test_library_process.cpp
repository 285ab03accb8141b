#include "glimraprocess.h"
#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "testhome.h"
#include "testpaths.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>

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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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

// The library the program wrote at quit, described line by line; empty when unreadable.
QStringList writtenLibrary(const GlimraProcess &program)
{
    LibraryFile file;
    if (file.read(readAll(program.messagesPath())) != LibraryFile::Ok)
        return {};
    return describe(file.categories());
}

MessageItem *node(const QString &text, int state, const QList<MessageItem *> &children = {})
{
    auto *item = new MessageItem;
    item->setText(text);
    item->setCheckState(state);
    item->children() = children;
    return item;
}

// A user library: one preset category, and a fully checked custom category of its own.
QByteArray userLibrary()
{
    const QList<MessageItem *> categories = {
        node(QStringLiteral("Old preset"), 0, {node(QStringLiteral("Old sub"), 0, {node(QStringLiteral("old"), 2)})}),
        node(QStringLiteral("Пользовательские"), 2,
             {node(QStringLiteral("Mine"), 2, {node(QStringLiteral("My own"), 2)})}),
    };
    const QByteArray bytes = LibraryFile::write(categories, {});
    for (MessageItem *category : categories)
        MessageItem::deleteTree(category);
    return bytes;
}

} // namespace

// The built program reading and writing its library file and importing an outline given with -i;
// in-process, what the import leaves in the category list.
class TestLibraryProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstRunWritesTheDefaultLibrary();
    void unreadableFileIsKeptAndReplacedByPlaceholder_data();
    void unreadableFileIsKeptAndReplacedByPlaceholder();
    void unreadableFileThatCannotBeCopiedIsNeverReplaced();
    void importFromCommandLine_data();
    void importFromCommandLine();
    void importOfMissingFileChangesNothing();
    void pictureStatesRoundTrip();
    void importShowsTranslatedCustomRow();
    void importIntoEmptyLibraryCreatesCustomCategory();
};

void TestLibraryProcess::initTestCase()
{
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");
}

void TestLibraryProcess::firstRunWritesTheDefaultLibrary()
{
    GlimraProcess program;
    QVERIFY(program.startAndWaitReady());
    QVERIFY(!QFile::exists(program.messagesPath()));
    QCOMPARE(program.terminate(), 0);
    QCOMPARE(readAll(program.messagesPath()), readAll(QStringLiteral(":/messages_def.dat")));
}

void TestLibraryProcess::unreadableFileIsKeptAndReplacedByPlaceholder_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::newRow("empty") << "empty.dat";
    QTest::newRow("garbage") << "garbage.dat";
    QTest::newRow("forged length") << "forged-length.dat";
    QTest::newRow("XML error after categories") << "xml-error.dat";
    QTest::newRow("no category") << "no-category.dat";
}

void TestLibraryProcess::unreadableFileIsKeptAndReplacedByPlaceholder()
{
    QFETCH(QString, fixture);
    const QByteArray broken = readAll(QStringLiteral(GLIMRA_TEST_DATA_DIR "/library/") + fixture);

    GlimraProcess program;
    QVERIFY(writeFile(program.messagesPath(), broken));
    QVERIFY(program.startAndWaitReady());
    // The copy exists before anything could replace the file.
    const QStringList backups =
        QDir(program.dataFolder()).entryList({QStringLiteral("messages.dat.unreadable-*")}, QDir::Files);
    QCOMPARE(backups.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^messages\\.dat\\.unreadable-\\d{8}-\\d{6}$"))
                .match(backups.first())
                .hasMatch());
    QCOMPARE(readAll(program.dataFolder() + QLatin1Char('/') + backups.first()), broken);
    QCOMPARE(readAll(program.messagesPath()), broken);
    QCOMPARE(program.terminate(), 0);

    const QStringList library = writtenLibrary(program);
    QCOMPARE(library.size(), 10 * (1 + 10 * (1 + 10)) + 1);
    QCOMPARE(library.first(), QStringLiteral("Cat 1 0"));
    QCOMPARE(library.at(1), QStringLiteral("  Subcat 1 from cat 1 0"));
    QCOMPARE(library.at(2), QStringLiteral("    Msg 1 in subcat 1 from cat 1 0"));
    QCOMPARE(library.at(library.size() - 2), QStringLiteral("    Msg 10 in subcat 10 from cat 10 0"));
    QCOMPARE(library.last(), QStringLiteral("Custom messages 0"));
    // Categories read before an XML error live on only in the copy.
    QVERIFY(!library.contains(QStringLiteral("Kept apart 0")));
}

void TestLibraryProcess::unreadableFileThatCannotBeCopiedIsNeverReplaced()
{
#ifdef Q_OS_UNIX
    GlimraProcess program;
    // Larger than the file size limit the program runs under, so no copy of it can be made,
    // while the much smaller placeholder library could still be written.
    const QByteArray broken(400 * 1024, 'g');
    QVERIFY(writeFile(program.messagesPath(), broken));

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous = {};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 200 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool started = program.startAndWaitReady();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(started);
    QCOMPARE(program.terminate(), 0);

    QCOMPARE(readAll(program.messagesPath()), broken);
    // The preferences, written at the same quit, show that the limit allowed small files.
    QVERIFY(!program.readSettings().isEmpty());
#else
    QSKIP("needs a file size limit");
#endif
}

void TestLibraryProcess::importFromCommandLine_data()
{
    QTest::addColumn<QByteArray>("outline");
    QTest::addColumn<QStringList>("library");

    const QStringList custom = {"Пользовательские 2", "  Mine 2", "    My own 2"};
    QTest::newRow("three lines") << QByteArray("Health\r\n\tSleep\r\n\t\tI sleep well")
                                 << QStringList{"Health 0", "  Sleep 0", "    I sleep well 0"} + custom;
    QTest::newRow("empty file") << QByteArray() << custom;
    QTest::newRow("LF only") << QByteArray("Health\n\tSleep\n\t\tI sleep well")
                             << QStringList{"Health\nSleep\nI sleep well 0"} + custom;
    QTest::newRow("orphan message and unparented lines")
        << QByteArray("\t\tNowhere\r\nHealth\r\n\tSleep\r\n \t \r\nFocus\r\n\t\tI stay calm\r\nA\tB\r\n \tWork")
        << QStringList{"Health 0", "  Sleep 0", "    I stay calm 0", "Focus 0", "AB 0", "Work 0"} + custom;
}

void TestLibraryProcess::importFromCommandLine()
{
    QFETCH(QByteArray, outline);
    QFETCH(QStringList, library);

    GlimraProcess program;
    QVERIFY(writeFile(program.messagesPath(), userLibrary()));
    const QString outlinePath = program.homePath() + QStringLiteral("/outline.txt");
    QVERIFY(writeFile(outlinePath, outline));

    QVERIFY(program.startAndWaitReady({QStringLiteral("-i"), outlinePath}));
    QCOMPARE(program.terminate(), 0);
    QCOMPARE(writtenLibrary(program), library);
    QCOMPARE(readAll(outlinePath), outline);
}

void TestLibraryProcess::importOfMissingFileChangesNothing()
{
    GlimraProcess program;
    const QByteArray before = userLibrary();
    QVERIFY(writeFile(program.messagesPath(), before));
    QVERIFY(program.startAndWaitReady({QStringLiteral("-i"), program.homePath() + QStringLiteral("/missing.txt")}));
    QCOMPARE(program.terminate(), 0);
    QCOMPARE(readAll(program.messagesPath()), before);
}

void TestLibraryProcess::pictureStatesRoundTrip()
{
    GlimraProcess program;
    const QString images = program.imagesPath();
    QVERIFY(QDir().mkpath(images));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(images + QStringLiteral("/a.png")));
    QVERIFY(picture.save(images + QStringLiteral("/b.png")));
    const QString xml = QStringLiteral("<?xml version=\"1.0\"?><GROUPS><CATEGORY NAME=\"Only\" SELECTED=\"0\"/>"
                                       "<IMAGE NAME=\"%1/b.png\" SELECTED=\"1\"/>"
                                       "<IMAGE NAME=\"%1/gone.png\" SELECTED=\"1\"/></GROUPS>")
                            .arg(images);
    QVERIFY(writeFile(program.messagesPath(), qCompress(xml.toUtf8(), -1)));

    QVERIFY(program.startAndWaitReady());
    QCOMPARE(program.terminate(), 0);

    const QByteArray written = LibraryFile::uncompress(readAll(program.messagesPath()));
    const QString tile = QStringLiteral("    <IMAGE NAME=\"%1/%2\" SELECTED=\"%3\"/>\n");
    QVERIFY(written.contains(tile.arg(images, QStringLiteral("a.png"), QStringLiteral("0")).toUtf8()));
    QVERIFY(written.contains(tile.arg(images, QStringLiteral("b.png"), QStringLiteral("1")).toUtf8()));
    QVERIFY(!written.contains("gone.png"));
    QVERIFY(written.endsWith("/>\n</GROUPS>\n"));
}

void TestLibraryProcess::importShowsTranslatedCustomRow()
{
    QTemporaryDir dir;
    const QString outline = dir.filePath(QStringLiteral("outline.txt"));
    QVERIFY(writeFile(outline, "Health\r\n\tSleep\r\n\t\tI sleep well\r\nMoney"));

    MainWindow window;
    window.parseMessagesFromText(outline);
    auto *list = window.findChild<QListWidget *>(QStringLiteral("category_list"));
    QVERIFY(list);
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Health"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("Money"));
    QCOMPARE(list->item(2)->text(), QStringLiteral("Custom messages"));
    QCOMPARE(list->currentRow(), 0);
    // The node keeps the name the file holds.
    QCOMPARE(window.categories.size(), 3);
    QCOMPARE(window.categories.last()->text(), QStringLiteral("Пользовательские"));
}

void TestLibraryProcess::importIntoEmptyLibraryCreatesCustomCategory()
{
    QTemporaryDir dir;
    const QString outline = dir.filePath(QStringLiteral("outline.txt"));
    QVERIFY(writeFile(outline, "Health\r\n\tSleep"));

    MainWindow window;
    for (MessageItem *category : qAsConst(window.categories))
        MessageItem::deleteTree(category);
    window.categories.clear();
    window.parseMessagesFromText(outline);
    QCOMPARE(describe(window.categories), (QStringList{"Health 0", "  Sleep 0", "Custom messages 0"}));
}

GLIMRA_TEST_MAIN(TestLibraryProcess)
#include "test_library_process.moc"
