#include "glimraprocess.h"
#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "processcontrol.h"
#include "testhome.h"
#include "tmpfsmount.h"
#include "xserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <memory>

namespace {

QString libraryXml(const QString &path)
{
    return QString::fromUtf8(LibraryFile::uncompress(readFile(path)));
}

QString writeOutline(const QString &folder)
{
    const QString path = folder + QStringLiteral("/outline.txt");
    writeFile(path, "Imported\r\n\tFrom text\r\n\t\tI keep what I import\r\n");
    return path;
}

// A library whose file does not compress: larger than the few KiB some cases leave free.
QByteArray incompressibleLibrary()
{
    auto category = std::make_unique<MessageItem>();
    category->setText(QStringLiteral("Kept"));
    auto *subcategory = new MessageItem;
    subcategory->setText(QStringLiteral("Kept too"));
    category->addChild(subcategory);
    for (int i = 0; i < 1500; ++i) {
        auto *message = new MessageItem;
        message->setText(QString::number(QRandomGenerator::global()->generate64(), 36));
        subcategory->addChild(message);
    }
    return LibraryFile::write({category.get()}, {});
}

} // namespace

#define START_X(x, program)                                                                                            \
    XServer x;                                                                                                         \
    if (!x.start())                                                                                                    \
        QSKIP("Xvfb is not available");                                                                                \
    program.setEnvironment(x.environment(program.environment()))

// What reaches the disk when the program is stopped, loses its X server or its disk fills up,
// observed on the built program in a temporary home.
class TestDataSafety : public QObject
{
    Q_OBJECT

private slots:
    void stopTheMomentItIsReachableQuitsNormally()
    {
        // Repeated, since the window of risk was a matter of milliseconds.
        for (int round = 0; round < 10; ++round) {
            GlimraProcess program;
            program.process().setArguments({QStringLiteral("-i"), writeOutline(program.homePath())});
            program.process().start();
            QVERIFY(program.process().waitForStarted(30000));
            QDeadlineTimer deadline(60000);
            while (!program.isReady(0)) {
                QVERIFY2(!deadline.hasExpired(), "the program never became reachable");
                QVERIFY(!program.process().waitForFinished(1));
            }
            QCOMPARE(program.terminate(), 0);
            QVERIFY2(libraryXml(program.messagesPath()).contains(QLatin1String("NAME=\"Imported\"")),
                     qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    void simultaneousStartsLeaveOneRunning()
    {
        GlimraProcess program;
        QProcess other;
        other.setProcessEnvironment(program.environment());
        program.process().start();
        other.start(program.programPath(), QStringList());
        // The later of the two wakes the earlier one and ends; the earlier one keeps running.
        QTRY_VERIFY_WITH_TIMEOUT(
            program.process().state() == QProcess::NotRunning || other.state() == QProcess::NotRunning, 60000);
        QProcess &ended = other.state() == QProcess::NotRunning ? other : program.process();
        QCOMPARE(ended.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ended.exitCode(), 0);
        QVERIFY(program.isReady());
        QCOMPARE(runningProcessesOf(program.programPath()).size(), 1);
        requestStop(runningProcessesOf(program.programPath()).first(), StopRequest::Terminate);
        QVERIFY((&ended == &other ? program.process() : other).waitForFinished(30000));
    }

    void importSurvivesTheXServerDying()
    {
        GlimraProcess program;
        START_X(x, program);
        QVERIFY(program.startAndWaitReady({QStringLiteral("-i"), writeOutline(program.homePath())}));
        // Qt ends the process at once when its X connection breaks: no quit sequence runs.
        x.kill();
        QVERIFY(program.process().waitForFinished(30000));
        QVERIFY(libraryXml(program.messagesPath()).contains(QLatin1String("NAME=\"Imported\"")));
    }

    void checkReachesTheFileWithoutQuitting()
    {
        GlimraProcess program;
        START_X(x, program);
        QVERIFY(program.startAndWaitReady());
        // The category list has the focus; Space checks its first row.
        QVERIFY(x.pressKey(QStringLiteral("Glimra"), QStringLiteral("space")));
        QTRY_VERIFY_WITH_TIMEOUT(
            libraryXml(program.messagesPath())
                .contains(QLatin1String("<CATEGORY NAME=\"Personal Development\" SELECTED=\"1\">")),
            3000);
        QCOMPARE(program.process().state(), QProcess::Running);
    }

    void fullDiskKeepsThePreviousLibrary_data()
    {
        QTest::addColumn<bool>("changeWhileRunning");
        QTest::addColumn<int>("bytesLeft");
        QTest::newRow("at quit, disk full") << false << 0;
        QTest::newRow("at quit, 4 KiB left") << false << 4096;
        QTest::newRow("after a change, disk full") << true << 0;
    }

    void fullDiskKeepsThePreviousLibrary()
    {
        QFETCH(bool, changeWhileRunning);
        QFETCH(int, bytesLeft);
        TmpfsMount disk(256 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.errorString()));
        GlimraProcess program;
        START_X(x, program);
        // The data folder lives on the small disk.
        QVERIFY(QDir().mkpath(QFileInfo(program.dataFolder()).absolutePath()));
        QVERIFY(QFile::link(disk.path(), program.dataFolder()));
        const QByteArray kept = incompressibleLibrary();
        QVERIFY(kept.size() > bytesLeft + 4096);
        QVERIFY(writeFile(program.messagesPath(), kept));
        QVERIFY(QDir().mkpath(program.imagesPath()));
        QVERIFY(disk.fill(disk.filePath(QStringLiteral("filler")), bytesLeft) <= bytesLeft);

        QVERIFY(program.startAndWaitReady());
        if (changeWhileRunning) {
            QVERIFY(x.pressKey(QStringLiteral("Glimra"), QStringLiteral("space")));
            QVERIFY(x.waitForWindow(QStringLiteral("Error!")));
        }
        QCOMPARE(program.terminate(), 0);
        QCOMPARE(readFile(program.messagesPath()), kept);
        QCOMPARE(QDir(program.dataFolder()).entryList(QDir::Files),
                 QStringList({QStringLiteral("filler"), QStringLiteral("messages.dat")}));
        // With room again, the next run reads the kept library and writes it back.
        QVERIFY(QFile::remove(disk.filePath(QStringLiteral("filler"))));
        QVERIFY(program.startAndWaitReady());
        QCOMPARE(program.terminate(), 0);
        QVERIFY(libraryXml(program.messagesPath()).contains(QLatin1String("<CATEGORY NAME=\"Kept\"")));
    }
};

GLIMRA_TEST_MAIN(TestDataSafety)
#include "test_datasafety.moc"
