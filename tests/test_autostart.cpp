#include "buildconfig.h"
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

    void desktopEntryText()
    {
        // Program path, then its Exec value.
        const QStringList exec{
            "/opt/Glimra/Glimra", R"("/opt/Glimra/Glimra")", "/home/a b/Glimra", R"("/home/a b/Glimra")",
            "/x/$HOME/G",         R"("/x/\\$HOME/G")",       R"(/x/say "hi"/G)", R"("/x/say \\"hi\\"/G")",
            "/x/`id`/G",          R"("/x/\\`id\\`/G")",      R"(/x/a\b/G)",      R"("/x/a\\\\b/G")",
            "/x/a\nb\tc/G",       R"("/x/a\nb\tc/G")",       "/x/100%/G",        R"(/usr/bin/env "/x/100%%/G")"};
        for (int i = 0; i < exec.size(); i += 2)
            QCOMPARE(DesktopEntry::execFor(exec[i]), exec[i + 1]);

        // Only the entry's own keys switch it off: not a localized one, nor one of another group.
        const QString h = "[Desktop Entry]\nExec=x\n";
        for (const QString &off : {h + "Hidden=true\n", h + "Hidden = true\n", h + "X-GNOME-Autostart-enabled=false\n",
                                   h + "X-GNOME-Autostart-enabled=0\n"})
            QVERIFY2(DesktopEntry::isSwitchedOff(off), qPrintable(off));
        for (const QString &on :
             {h, h + "Hidden=false\n", h + "X-GNOME-Autostart-enabled=true\n", h + "Hidden[de]=true\n",
              h + "[Desktop Action quit]\nHidden=true\n", "[Other]\nX-GNOME-Autostart-enabled=false\n" + h})
            QVERIFY2(!DesktopEntry::isSwitchedOff(on), qPrintable(on));

        // Setting a value keeps the rest: in place, at the end of the group, in a new group.
        for (const auto &[text, expected] :
             QList<QPair<QString, QString>>{{"# mine\n[Desktop Entry]\nExec = old\nHidden=true\n",
                                             "# mine\n[Desktop Entry]\nExec=new\nHidden=true\n"},
                                            {"[Desktop Entry]\nName=G\n\n[Desktop Action a]\nExec=a\n",
                                             "[Desktop Entry]\nName=G\nExec=new\n\n[Desktop Action a]\nExec=a\n"},
                                            {"", "[Desktop Entry]\nExec=new\n"}})
            QCOMPARE(DesktopEntry::withValue(text, "Exec", "new"), expected);
    }

    // Re-registration leaves no entry and an empty one as they are, points any other at the program
    // and the installed icon, and keeps the user's switch and keys; ticking the box switches it on,
    // unticking removes it.
    void refreshKeepsTheSwitchUntilTheUserTicks()
    {
        const QString path = Autostart::desktopFilePath();
        Autostart::remove();
        Autostart::refresh("\"/new/Glimra\"");
        QVERIFY(!QFile::exists(path));
        QVERIFY(writeFile(path, "[Desktop Entry]\nExec=\n"));
        QVERIFY(!Autostart::isPresent());
        Autostart::refresh("\"/new/Glimra\"");
        QCOMPARE(readFile(path), "[Desktop Entry]\nExec=\n");

        for (const auto &[line, present] : QList<QPair<QString, bool>>{{"Hidden=true", false},
                                                                       {"X-GNOME-Autostart-enabled=false", false},
                                                                       {"X-GNOME-Autostart-enabled=true", true},
                                                                       {"Hidden=false", true}}) {
            QVERIFY(writeFile(path,
                              "[Desktop Entry]\nExec=\"/old/Glimra\"\nIcon=glimra\n" + line.toUtf8() + "\nX-Mine=1\n"));
            QCOMPARE(Autostart::isPresent(), present);
            Autostart::refresh(Autostart::commandFor("/new/Glimra"));
            QString entry = QString::fromUtf8(readFile(path));
            QCOMPARE(DesktopEntry::value(entry, "Exec"), QString("\"/new/Glimra\""));
            QVERIFY2(entry.contains(line + "\nX-Mine=1\n"), qPrintable(entry));
            QCOMPARE(DesktopEntry::value(entry, "X-KDE-autostart-after"), QString("panel"));
            QCOMPARE(DesktopEntry::value(entry, "Icon"), QString(GLIMRA_APP_ID));
            QCOMPARE(Autostart::isPresent(), present);

            Settings::instance()->setIsAutostartOn(true);
            entry = QString::fromUtf8(readFile(path));
            QVERIFY2(Autostart::isPresent() && !entry.contains("Hidden") && !entry.contains("enabled") &&
                         entry.contains("\nX-KDE-autostart-after=panel\n"),
                     qPrintable(entry));
            Settings::instance()->setIsAutostartOn(false);
            QVERIFY(!QFile::exists(path));
        }
        QVERIFY(writeFile(path, "[Desktop Entry]\nExec=x\nIcon=/home/me/mine.png\n"));
        Autostart::refresh("x");
        QCOMPARE(DesktopEntry::value(QString::fromUtf8(readFile(path)), "Icon"), QString("/home/me/mine.png"));
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
};

GLIMRA_TEST_MAIN(TestAutostart)
#include "test_autostart.moc"
