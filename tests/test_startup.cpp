#include "buildconfig.h"
#include "glimraprocess.h"
#include "processcontrol.h"
#include "testhome.h"
#include "testpaths.h"
#include "xserver.h"

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
    void windowScalesWithTheDesktop()
    {
        // The same window at 1x and at 2x (what GNOME and Xfce set at 200 % on X11).
        XServer x;
        if (!x.start(30000, {"-screen", "0", "3840x2160x24"}))
            QSKIP("Xvfb is not available");
        QList<int> widths;
        for (const char *dpi : {"96", "192"}) {
            QCOMPARE(x.run("xprop", {"-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                                     QStringLiteral("Xft.dpi:\t%1\n").arg(dpi)}),
                     0);
            GlimraProcess glimra;
            glimra.setEnvironment(x.environment(glimra.environment()));
            QVERIFY(glimra.startAndWaitReady() && x.waitForMappedWindowOfClass(QStringLiteral("Glimra")));
            QByteArray width;
            QCOMPARE(x.run("xdotool", {"search", "--onlyvisible", "--class", "Glimra", "getwindowgeometry", "--shell"},
                           &width),
                     0);
            width = width.mid(width.indexOf("WIDTH=") + 6);
            widths << width.left(width.indexOf('\n')).toInt();
            QCOMPARE(glimra.terminate(), 0);
        }
        // Fixed pixel sizes double too; fonts alone would make it about 1.6 times as wide.
        QVERIFY2(widths[1] >= 1500 && widths[1] >= widths[0] * 19 / 10,
                 qPrintable(QStringLiteral("%1 px at 96 dpi, %2 px at 192 dpi").arg(widths[0]).arg(widths[1])));
    }

    void startTidiesUp()
    {
        GlimraProcess program;
        const QString folder = program.programFolder(),
                      entry = program.homePath() + "/.config/autostart/Glimra.desktop";
        QVERIFY(writeFile(folder + "/Glimra_new", "left by an update") && writeFile(folder + "/images/t/2.png", "2"));
        QVERIFY(writeFile(entry, "[Desktop Entry]\nType=Application\nExec=\"/moved/away/Glimra\"\n"));
        QVERIFY(program.startAndWaitReady() && program.terminate() == 0);
        QVERIFY(!QFileInfo::exists(folder + "/images"));
        // Only a program that updates itself knows the replacement file.
        QCOMPARE(QFileInfo::exists(folder + "/Glimra_new"), !GLIMRA_WITH_UPDATER);
        QCOMPARE(readFile(program.imagesPath() + "/t/2.png"), "2");
        QVERIFY2(readFile(entry).contains("Exec=\"" + program.programPath().toUtf8() + "\"\n"), readFile(entry));
    }

    void installerReplacesProgramAndRelaunches()
    {
        if (!GLIMRA_WITH_UPDATER)
            QSKIP("a build without the updater installs no update");
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
