#include "glimraprocess.h"
#include "testhome.h"

#include "preferences/autostart.h"
#include "preferences/desktopentry.h"
#include "preferences/settings.h"

#include <QtTest>

class TestAutostart : public QObject
{
    Q_OBJECT

private slots:
    // Made before any entry exists, so its own re-registration finds none.
    void initTestCase() { Settings::instance(); }

    void execQuotesAndEscapesThePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/opt/Glimra/Glimra"
                               << R"("/opt/Glimra/Glimra")";
        QTest::newRow("space") << "/home/a b/Glimra"
                               << R"("/home/a b/Glimra")";
        QTest::newRow("dollar") << "/x/$HOME/G"
                                << R"("/x/\\$HOME/G")";
        QTest::newRow("double quote") << R"(/x/say "hi"/G)"
                                      << R"("/x/say \\"hi\\"/G")";
        QTest::newRow("backtick") << "/x/`id`/G"
                                  << R"("/x/\\`id\\`/G")";
        QTest::newRow("backslash") << R"(/x/a\b/G)"
                                   << R"("/x/a\\\\b/G")";
        QTest::newRow("newline, tab") << "/x/a\nb\tc/G"
                                      << R"("/x/a\nb\tc/G")";
        QTest::newRow("percent") << "/x/100%/G"
                                 << R"(/usr/bin/env "/x/100%%/G")";
    }

    void execQuotesAndEscapesThePath()
    {
        QFETCH(QString, path);
        QTEST(DesktopEntry::execFor(path), "exec");
    }

    void switchedOffOnlyByTheEntrysOwnKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("off");
        const QString head = "[Desktop Entry]\nExec=x\n";
        QTest::newRow("no switch") << head << false;
        QTest::newRow("Hidden=true") << head + "Hidden=true\n" << true;
        QTest::newRow("Hidden = true") << head + "Hidden = true\n" << true;
        QTest::newRow("Hidden=false") << head + "Hidden=false\n" << false;
        QTest::newRow("GNOME false") << head + "X-GNOME-Autostart-enabled=false\n" << true;
        QTest::newRow("GNOME 0") << head + "X-GNOME-Autostart-enabled=0\n" << true;
        QTest::newRow("GNOME true") << head + "X-GNOME-Autostart-enabled=true\n" << false;
        QTest::newRow("localized key") << head + "Hidden[de]=true\n" << false;
        QTest::newRow("other group") << head + "[Desktop Action quit]\nHidden=true\n" << false;
        QTest::newRow("before the group") << "[Other]\nX-GNOME-Autostart-enabled=false\n" + head << false;
    }

    void switchedOffOnlyByTheEntrysOwnKeys()
    {
        QFETCH(QString, text);
        QTEST(DesktopEntry::isSwitchedOff(text), "off");
    }

    void settingAValueKeepsTheRest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in place") << "# mine\n[Desktop Entry]\nExec = old\nHidden=true\n"
                                  << "# mine\n[Desktop Entry]\nExec=new\nHidden=true\n";
        QTest::newRow("end of the group") << "[Desktop Entry]\nName=G\n\n[Desktop Action a]\nExec=a\n"
                                          << "[Desktop Entry]\nName=G\nExec=new\n\n[Desktop Action a]\nExec=a\n";
        QTest::newRow("no group") << ""
                                  << "[Desktop Entry]\nExec=new\n";
    }

    void settingAValueKeepsTheRest()
    {
        QFETCH(QString, text);
        QTEST(DesktopEntry::withValue(text, "Exec", "new"), "expected");
    }

#ifndef Q_OS_WIN
    void init()
    {
        Autostart::remove();
    }

    // Re-registration points the entry at the program and keeps the user's switch and keys;
    // ticking the box switches it on, unticking removes it.
    void switchStaysUntilTheUserTicks_data()
    {
        QTest::addColumn<QString>("switchLine");
        QTest::addColumn<bool>("present");
        QTest::newRow("off for KDE") << "Hidden=true" << false;
        QTest::newRow("off for GNOME") << "X-GNOME-Autostart-enabled=false" << false;
        QTest::newRow("on for GNOME") << "X-GNOME-Autostart-enabled=true" << true;
        QTest::newRow("shown") << "Hidden=false" << true;
    }

    void switchStaysUntilTheUserTicks()
    {
        QFETCH(QString, switchLine);
        QFETCH(bool, present);
        const QString path = Autostart::desktopFilePath();
        QVERIFY(writeFile(path, "[Desktop Entry]\nExec=\"/old/Glimra\"\n" + switchLine.toUtf8() + "\nX-Mine=1\n"));
        QCOMPARE(Autostart::isPresent(), present);
        Autostart::refresh(Autostart::commandFor("/new/Glimra"));
        QString entry = QString::fromUtf8(readFile(path));
        QCOMPARE(DesktopEntry::value(entry, "Exec"), QString("\"/new/Glimra\""));
        QVERIFY2(entry.contains(switchLine + "\nX-Mine=1\n"), qPrintable(entry));
        QCOMPARE(DesktopEntry::value(entry, "X-KDE-autostart-after"), QString("panel"));
        QCOMPARE(Autostart::isPresent(), present);

        Settings::instance()->setIsAutostartOn(true);
        entry = QString::fromUtf8(readFile(path));
        QVERIFY2(Autostart::isPresent() && !entry.contains("Hidden") && !entry.contains("enabled") &&
                     entry.contains("\nX-KDE-autostart-after=panel\n"),
                 qPrintable(entry));
        Settings::instance()->setIsAutostartOn(false);
        QVERIFY(!QFile::exists(path));
    }

    void refreshLeavesNoEntryAsItIs()
    {
        const QString path = Autostart::desktopFilePath();
        Autostart::refresh("\"/new/Glimra\"");
        QVERIFY(!QFile::exists(path));
        QVERIFY(writeFile(path, "[Desktop Entry]\nExec=\n"));
        QVERIFY(!Autostart::isPresent());
        Autostart::refresh("\"/new/Glimra\"");
        QCOMPARE(readFile(path), "[Desktop Entry]\nExec=\n");
    }

    void startKeepsSwitchedOffEntryOff()
    {
        GlimraProcess program;
        const QString path = program.homePath() + "/.config/autostart/Glimra.desktop";
        QVERIFY(writeFile(path, "[Desktop Entry]\nType=Application\nExec=\"/old/Glimra\"\nHidden=true\n"));
        QVERIFY(program.startAndWaitReady() && program.terminate() == 0);
        const QString entry = QString::fromUtf8(readFile(path));
        QCOMPARE(DesktopEntry::value(entry, "Exec"), Autostart::commandFor(program.programPath()));
        QVERIFY2(DesktopEntry::isSwitchedOff(entry), qPrintable(entry));
    }

    // The entry for a program at an awkward path passes the format's validator, and GLib's
    // launcher (what GNOME starts log-on entries with) runs that very program.
    void desktopRunsTheProgramAtAnAwkwardPath()
    {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate"),
                      gio = QStandardPaths::findExecutable("gio");
        if (validator.isEmpty() || gio.isEmpty())
            QSKIP("needs desktop-file-validate (desktop-file-utils) and gio (libglib2.0-bin)");
        QTemporaryDir dir;
        const QString marker = dir.filePath("started"), program = dir.path() + "/a b%c$d\"e`f\\g\th/run me";
        QVERIFY(writeFile(program, "#!/bin/sh\n: > '" + QFile::encodeName(marker) + "'\n"));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        Autostart::write(Autostart::commandFor(program));
        for (const QStringList &command : {QStringList{validator}, QStringList{gio, "launch"}}) {
            QProcess tool;
            tool.setProcessChannelMode(QProcess::MergedChannels);
            tool.start(command.first(), command.mid(1) << Autostart::desktopFilePath());
            QVERIFY(tool.waitForFinished(20000));
            QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0, tool.readAll().constData());
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 20000);
    }
#endif
};

GLIMRA_TEST_MAIN(TestAutostart)
#include "test_autostart.moc"
