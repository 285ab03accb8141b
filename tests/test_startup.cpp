#include "glimraprocess.h"
#include "processcontrol.h"
#include "testhome.h"
#include "testpaths.h"

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void secondStartWakesTheFirstOfItsFolderOnly()
    {
        GlimraProcess first, elsewhere;
        elsewhere.setEnvironment(first.environment()); // same user and session, another folder
        QVERIFY(first.startAndWaitReady());
        QVERIFY(elsewhere.startAndWaitReady());
        QCOMPARE(first.runToEnd(), 0);
        QCOMPARE(first.terminate(), 0);
        // The socket a killed copy leaves behind does not keep the next start from listening.
        elsewhere.process().kill();
        QVERIFY(elsewhere.process().waitForFinished(10000) && elsewhere.startAndWaitReady());
    }

    void stopRequestsRunTheQuitSequence_data()
    {
        QTest::addColumn<StopRequest>("request");
        QTest::newRow("SIGTERM") << StopRequest::Terminate;
        QTest::newRow("SIGINT") << StopRequest::Interrupt;
        QTest::newRow("SIGHUP") << StopRequest::HangUp;
    }

    void stopRequestsRunTheQuitSequence()
    {
        QFETCH(StopRequest, request);
        if (!canRequestStop(request))
            QSKIP("no such request on this system");
        GlimraProcess program;
        program.writeSetting("hidden", false); // a shown window writes its preferences at once
        QVERIFY(program.startAndWaitReady() && requestStop(program.process().processId(), request));
        QVERIFY(program.process().waitForFinished(20000) && program.process().exitStatus() == QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 0);
        QVERIFY(program.readSettings().contains("selectedDisplay") && QFile::exists(program.messagesPath()));
    }

    // At start an update's leftover goes, legacy pictures move in and the log-on entry names this program.
    void startTidiesUp()
    {
        GlimraProcess program;
        const QString folder = program.programFolder(),
                      entry = program.homePath() + "/.config/autostart/Glimra.desktop";
        QVERIFY(writeFile(folder + "/Glimra_new", "left by an update") && writeFile(folder + "/images/t/2.png", "2"));
        QVERIFY(writeFile(entry, "[Desktop Entry]\nType=Application\nExec=\"/moved/away/Glimra\"\n"));
        QVERIFY(program.startAndWaitReady() && program.terminate() == 0);
        QVERIFY(!QFileInfo::exists(folder + "/Glimra_new") && !QFileInfo::exists(folder + "/images"));
        QCOMPARE(readFile(program.imagesPath() + "/t/2.png"), "2");
        QVERIFY2(readFile(entry).contains("Exec=\"" + program.programPath().toUtf8() + "\"\n"), readFile(entry));
    }

    void installerReplacesProgramAndRelaunches()
    {
        GlimraProcess installer("Glimra_new");
        const QString program = installer.programFolder() + "/Glimra";
        QVERIFY(writeFile(program, "old program"));
        QCOMPARE(installer.runToEnd(), 0);
        QCOMPARE(readFile(program), readFile(GLIMRA_EXECUTABLE));
        // The relaunched program removes the replacement file at its own start.
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(installer.programPath()) && !runningProcessesOf(program).isEmpty(),
                                 20000);
        requestStop(runningProcessesOf(program).first(), StopRequest::Terminate);
        QTRY_VERIFY_WITH_TIMEOUT(runningProcessesOf(program).isEmpty(), 20000);
    }
};

GLIMRA_TEST_MAIN(TestStartup)
#include "test_startup.moc"
