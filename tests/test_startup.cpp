#include "glimraprocess.h"
#include "processcontrol.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The built program in its three roles, each run from a folder and home of the test's own.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void secondStartWakesTheFirst();
    void copiesInDifferentFoldersDoNotMeet();
    void socketOfKilledInstanceDoesNotBlock();
    void terminationSignalsQuitNormally_data();
    void terminationSignalsQuitNormally();
    void leftoverReplacementIsRemoved();
    void installerReplacesProgramAndRelaunches();
    void legacyDataIsMigratedAtStart();
    void logOnEntryFollowsTheRunningProgram();

private:
    static QByteArray read(const QString &path);
    static void write(const QString &path, const QByteArray &bytes);
    static qint64 pidRunning(const QString &executable);
};

QByteArray TestStartup::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestStartup::write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The process whose executable is `executable`; 0 when there is none.
qint64 TestStartup::pidRunning(const QString &executable)
{
    const QList<qint64> pids = runningProcessesOf(executable);
    return pids.isEmpty() ? 0 : pids.first();
}

void TestStartup::secondStartWakesTheFirst()
{
    GlimraProcess first;
    // The window was hidden at the last quit, so the first instance starts in the tray only.
    first.writeSetting(QStringLiteral("hidden"), false);
    QVERIFY(first.startAndWaitReady());

    QCOMPARE(first.runToEnd(), 0);

    // The woken window is visible, which the first instance records when it quits.
    QCOMPARE(first.terminate(), 0);
    QCOMPARE(first.readSettings().value(QStringLiteral("hidden")).toBool(), true);
}

void TestStartup::copiesInDifferentFoldersDoNotMeet()
{
    GlimraProcess one;
    GlimraProcess two;
    QVERIFY(one.startAndWaitReady());
    QVERIFY(two.startAndWaitReady());
    QCOMPARE(one.terminate(), 0);
    QCOMPARE(two.terminate(), 0);
}

void TestStartup::socketOfKilledInstanceDoesNotBlock()
{
    GlimraProcess program;
    QVERIFY(program.startAndWaitReady());
    program.process().kill();
    QVERIFY(program.process().waitForFinished(10000));

    // A new start must become the running program, not a waker that fails to deliver.
    QVERIFY(program.startAndWaitReady());
    QCOMPARE(program.terminate(), 0);
}

void TestStartup::terminationSignalsQuitNormally_data()
{
    QTest::addColumn<StopRequest>("request");
    const auto row = [](const char *name, StopRequest request) {
        // Windows has no interrupt or hang-up for a GUI program.
        if (canRequestStop(request))
            QTest::newRow(name) << request;
    };
    row("SIGTERM", StopRequest::Terminate);
    row("SIGINT", StopRequest::Interrupt);
    row("SIGHUP", StopRequest::HangUp);
}

void TestStartup::terminationSignalsQuitNormally()
{
    QFETCH(StopRequest, request);
    GlimraProcess program;
    QVERIFY(program.startAndWaitReady());
    requestStop(program.process().processId(), request);
    QVERIFY(program.process().waitForFinished(20000));
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);

    // The quit sequence wrote the library and the preferences.
    QVERIFY(QFileInfo(program.messagesPath()).size() > 0);
    const QSettings::SettingsMap settings = program.readSettings();
    QVERIFY(settings.contains(QStringLiteral("hidden")));
    QCOMPARE(settings.value(QStringLiteral("selectedDisplay")).toString(), QStringLiteral("display_4_sec_radio"));
}

void TestStartup::leftoverReplacementIsRemoved()
{
    GlimraProcess program;
    const QString leftover = program.programFolder() + QStringLiteral("/Glimra_new");
    write(leftover, "left behind by an update");
    QVERIFY(program.startAndWaitReady());
    QVERIFY(!QFile::exists(leftover));
    QCOMPARE(program.terminate(), 0);
}

void TestStartup::installerReplacesProgramAndRelaunches()
{
    GlimraProcess installer(QStringLiteral("Glimra_new"));
    const QString folder = installer.programFolder();
    const QString program = folder + QStringLiteral("/Glimra");
    write(program, "old program");
    QFile(program).setPermissions(QFile(program).permissions() | QFileDevice::ExeOwner);

    QCOMPARE(installer.runToEnd(), 0);
    QCOMPARE(read(program), read(GlimraProcess::builtExecutable()));

    // The relaunched program removes the replacement file at its own start.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(installer.programPath()), 20000);
    qint64 relaunched = 0;
    QTRY_VERIFY_WITH_TIMEOUT((relaunched = pidRunning(program)) != 0, 20000);
    requestStop(relaunched, StopRequest::Terminate);
    QTRY_VERIFY_WITH_TIMEOUT(pidRunning(program) == 0, 20000);
}

void TestStartup::legacyDataIsMigratedAtStart()
{
    GlimraProcess program;
    const QString folder = program.programFolder();
    write(folder + QStringLiteral("/images/trip/two.png"), "2");
    QVERIFY(program.startAndWaitReady());
    QCOMPARE(program.terminate(), 0);
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/images")));
    QCOMPARE(read(program.imagesPath() + QStringLiteral("/trip/two.png")), QByteArray("2"));
}

void TestStartup::logOnEntryFollowsTheRunningProgram()
{
    GlimraProcess program;
    const QString entry = program.homePath() + QStringLiteral("/.config/autostart/Glimra.desktop");
    write(entry, "[Desktop Entry]\nType=Application\nExec=\"/moved/away/Glimra\"\n");
    QVERIFY(program.startAndWaitReady());
    QCOMPARE(program.terminate(), 0);
    const QByteArray exec = "Exec=\"" + program.programPath().toUtf8() + "\"\n";
    QVERIFY2(read(entry).contains(exec), read(entry).constData());
}

GLIMRA_TEST_MAIN(TestStartup)
#include "test_startup.moc"
