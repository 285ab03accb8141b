#include "glimraprocess.h"
#include "processcontrol.h"
#include "testpaths.h"
#include "testhome.h"

#include <QFile>
#include <QFileInfo>

// The built program in its three roles, each run from a folder and home of the test's own.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void secondStartWakesTheFirst()
    {
        GlimraProcess first;
        first.writeSetting(QStringLiteral("hidden"), false);
        QVERIFY(first.startAndWaitReady());
        QCOMPARE(first.runToEnd(), 0);
        // The first instance records at its quit that the woken window is visible.
        QCOMPARE(first.terminate(), 0);
        QCOMPARE(first.readSettings().value(QStringLiteral("hidden")).toBool(), true);
    }

    void copiesInDifferentFoldersDoNotMeet()
    {
        GlimraProcess one, two;
        QVERIFY(one.startAndWaitReady());
        QVERIFY(two.startAndWaitReady());
        QCOMPARE(one.terminate(), 0);
        QCOMPARE(two.terminate(), 0);
    }

    void socketOfKilledInstanceDoesNotBlock()
    {
        GlimraProcess program;
        QVERIFY(program.startAndWaitReady());
        program.process().kill();
        QVERIFY(program.process().waitForFinished(10000));
        QVERIFY(program.startAndWaitReady());
        QCOMPARE(program.terminate(), 0);
    }

    void terminationSignalsQuitNormally_data()
    {
        QTest::addColumn<StopRequest>("request");
        for (const auto &[name, request] : {std::pair{"SIGTERM", StopRequest::Terminate},
                                            {"SIGINT", StopRequest::Interrupt},
                                            {"SIGHUP", StopRequest::HangUp}})
            if (canRequestStop(request)) // Windows has no interrupt or hang-up for a GUI program.
                QTest::newRow(name) << request;
    }

    void terminationSignalsQuitNormally()
    {
        QFETCH(StopRequest, request);
        GlimraProcess program;
        QVERIFY(program.startAndWaitReady());
        requestStop(program.process().processId(), request);
        QVERIFY(program.process().waitForFinished(20000));
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 0);
        QVERIFY(QFileInfo(program.messagesPath()).size() > 0);
        QCOMPARE(program.readSettings().value(QStringLiteral("selectedDisplay")).toString(),
                 QStringLiteral("display_4_sec_radio"));
    }

    void leftoverReplacementIsRemoved()
    {
        GlimraProcess program;
        const QString leftover = program.programFolder() + QStringLiteral("/Glimra_new");
        QVERIFY(writeFile(leftover, "left behind by an update"));
        QVERIFY(program.startAndWaitReady());
        QVERIFY(!QFile::exists(leftover));
        QCOMPARE(program.terminate(), 0);
    }

    void installerReplacesProgramAndRelaunches()
    {
        GlimraProcess installer(QStringLiteral("Glimra_new"));
        const QString program = installer.programFolder() + QStringLiteral("/Glimra");
        QVERIFY(writeFile(program, "old program"));
        QVERIFY(QFile(program).setPermissions(QFile(program).permissions() | QFileDevice::ExeOwner));
        QCOMPARE(installer.runToEnd(), 0);
        QCOMPARE(readFile(program), readFile(QStringLiteral(GLIMRA_EXECUTABLE)));
        // The relaunched program removes the replacement file at its own start.
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(installer.programPath()), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!runningProcessesOf(program).isEmpty(), 20000);
        requestStop(runningProcessesOf(program).first(), StopRequest::Terminate);
        QTRY_VERIFY_WITH_TIMEOUT(runningProcessesOf(program).isEmpty(), 20000);
    }

    void legacyDataIsMigratedAtStart()
    {
        GlimraProcess program;
        QVERIFY(writeFile(program.programFolder() + QStringLiteral("/images/trip/two.png"), "2"));
        QVERIFY(program.startAndWaitReady());
        QCOMPARE(program.terminate(), 0);
        QVERIFY(!QFileInfo::exists(program.programFolder() + QStringLiteral("/images")));
        QCOMPARE(readFile(program.imagesPath() + QStringLiteral("/trip/two.png")), QByteArray("2"));
    }

    void logOnEntryFollowsTheRunningProgram()
    {
        GlimraProcess program;
        const QString entry = program.homePath() + QStringLiteral("/.config/autostart/Glimra.desktop");
        QVERIFY(writeFile(entry, "[Desktop Entry]\nType=Application\nExec=\"/moved/away/Glimra\"\n"));
        QVERIFY(program.startAndWaitReady());
        QCOMPARE(program.terminate(), 0);
        const QByteArray written = readFile(entry);
        QVERIFY2(written.contains("Exec=\"" + program.programPath().toUtf8() + "\"\n"), written.constData());
    }
};

GLIMRA_TEST_MAIN(TestStartup)
#include "test_startup.moc"
