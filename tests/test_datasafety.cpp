#include "glimraprocess.h"
#include "library/libraryfile.h"
#include "processcontrol.h"
#include "testhome.h"
#include "tmpfsmount.h"
#include "xserver.h"

class TestDataSafety : public QObject
{
    Q_OBJECT

    const QString m_outline = qEnvironmentVariable("HOME") + "/outline.txt"; // a text file to import with -i
    static QByteArray xml(GlimraProcess &p) { return LibraryFile::uncompress(readFile(p.messagesPath())); }

private slots:
    void initTestCase() { QVERIFY(writeFile(m_outline, "Imported\r\n\tFrom text\r\n\t\tI keep what I import\r\n")); }

    void stopTheMomentItIsReachableQuitsNormally()
    {
        for (int round = 0; round < 10; ++round) { // the window of risk was a matter of milliseconds
            GlimraProcess program;
            program.process().start(program.programPath(), {"-i", m_outline});
            for (int ms = 0; ms < 60000 && !program.isReady(0); ++ms)
                QVERIFY(!program.process().waitForFinished(1));
            QVERIFY(program.terminate() == 0 && xml(program).contains("NAME=\"Imported\""));
        }
    }

    void simultaneousStartsLeaveOneRunning()
    {
        GlimraProcess program;
        QProcess other;
        other.setProcessEnvironment(program.environment());
        program.process().start();
        other.start(program.programPath(), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(
            program.process().state() == QProcess::NotRunning || other.state() == QProcess::NotRunning, 60000);
        QProcess &ended = other.state() == QProcess::NotRunning ? other : program.process();
        QVERIFY(ended.exitStatus() == QProcess::NormalExit && ended.exitCode() == 0);
        QVERIFY(program.isReady() && runningProcessesOf(program.programPath()).size() == 1);
        requestStop(runningProcessesOf(program.programPath()).first(), StopRequest::Terminate);
        QVERIFY(program.process().waitForFinished(30000) || other.waitForFinished(30000));
    }

    void changesReachTheFileWithoutAQuit()
    {
        GlimraProcess program;
        XServer x;
        if (!x.start())
            QSKIP("Xvfb is not available");
        program.setEnvironment(x.environment(program.environment()));
        QVERIFY(program.startAndWaitReady({"-i", m_outline}));
        QVERIFY(xml(program).contains("<CATEGORY NAME=\"Imported\" SELECTED=\"0\">")); // before it answers
        QVERIFY(x.pressKey("Glimra", "space")); // checks the first row of the focused category list
        QTRY_VERIFY(xml(program).contains("<CATEGORY NAME=\"Imported\" SELECTED=\"1\">"));
        x.kill(); // Qt ends the process at once when its X connection breaks: no quit sequence runs
        QVERIFY(program.process().waitForFinished(30000) && xml(program).contains("NAME=\"Imported\""));
    }

    void fullDiskKeepsThePreviousLibrary()
    {
        for (auto [imports, bytesLeft] : {std::pair{false, 0}, {false, 4096}, {true, 0}}) {
            TmpfsMount disk(256 * 1024);
            if (!disk.isMounted())
                QSKIP(qPrintable(disk.errorString()));
            GlimraProcess program; // its data folder lives on the small disk
            QVERIFY(QFile::link(disk.path(), program.homePath() + "/.local") && QDir().mkpath(program.imagesPath()));
            QString text; // that does not compress to a few KiB
            for (int i = 0; i < 1500; ++i)
                text += QString::number(QRandomGenerator::global()->generate64(), 36) + ' ';
            const QByteArray kept = LibraryFile::compressXml("<GROUPS><CATEGORY NAME=\"" + text + "\"/></GROUPS>");
            QVERIFY(kept.size() > bytesLeft + 4096 && LibraryFile().read(kept) == LibraryFile::Ok);
            QVERIFY(writeFile(program.messagesPath(), kept));
            QVERIFY(disk.fill(disk.filePath("filler"), bytesLeft) <= bytesLeft);
            QVERIFY(program.startAndWaitReady(imports ? QStringList{"-i", m_outline} : QStringList()));
            QVERIFY(program.terminate() == 0 && readFile(program.messagesPath()) == kept);
            QCOMPARE(QDir(program.dataFolder()).entryList(QDir::Files), QStringList("messages.dat"));
        }
    }
};

GLIMRA_TEST_MAIN(TestDataSafety)
#include "test_datasafety.moc"
