#include "app/instancekey.h"
#include "extra_updatefixture.h"
#include "glimraprocess.h"
#include "mainwindow/mainwindow.h"
#include "testhome.h"
#include "updater/downloadmanager.h"
#include "updater/normalprogressbar.h"
#include "updater/updatedialog.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QLocalSocket>
#include <QNetworkReply>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>

#include <csignal>
#include <sys/socket.h>

using namespace UpdateFixture;

// Update checks and downloads against a real local server, in this process and, for the
// hand-over to the installer, with the built program.
class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void executableUpdateLeavesReplacementAndRestarts();
    void supportFileIsReplacedInPlace();
    void unwritableReplacementIsNotStarted();
    void saveToFileReplacesWholeFile();
    void noUpdateIsReportedOnlyToUser_data();
    void noUpdateIsReportedOnlyToUser();
    void offeredUpdateAsksTheUser_data();
    void offeredUpdateAsksTheUser();
    void serverDownShowsNothing();
    void writtenReplacementInstallsItself();

private:
    // Points a dialog at the test's folder and keeps it from ending the test process.
    void prepare(UpdateDialog *dialog, const QString &folder);
    static UpdateDialog *newestDialog(const MainWindow &window);
    static QString label(UpdateDialog *dialog, const char *name);

    LaunchRecorder launches;
};

void TestUpdateCheck::initTestCase()
{
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.2.0"));
    qRegisterMetaType<QNetworkReply *>();
}

void TestUpdateCheck::prepare(UpdateDialog *dialog, const QString &folder)
{
    dialog->setProgramFolder(folder);
    dialog->setPublicKey(QByteArray());
    launches.attach(dialog);
}

UpdateDialog *TestUpdateCheck::newestDialog(const MainWindow &window)
{
    const QList<UpdateDialog *> dialogs = window.findChildren<UpdateDialog *>(QString(), Qt::FindDirectChildrenOnly);
    return dialogs.isEmpty() ? nullptr : dialogs.last();
}

QString TestUpdateCheck::label(UpdateDialog *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(QLatin1String(name))->text();
}

void TestUpdateCheck::executableUpdateLeavesReplacementAndRestarts()
{
    UpdateSite site;
    QVERIFY(site.isListening());
    QTemporaryDir folder;
    const QByteArray old = stampedBytes("1.1.2.0", "old program");
    const QByteArray newer = stampedBytes("1.2.0.0", "new program");
    QVERIFY(writeFile(folder.filePath("Glimra"), old));
    site.serveManifest("Glimra=1.2.0.0\r\n");
    site.serveFile("1.2.0.0", "Glimra", newer);

    launches = {};
    QPointer<UpdateDialog> dialog = new UpdateDialog;
    prepare(dialog, folder.path());
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().first().value<UpdateDialog *>(), dialog.data());
    QCOMPARE(dialog->availableVersion(), QStringLiteral("1.2.0.0"));
    QCOMPARE(label(dialog, "current_label"), QStringLiteral("1.1.2.0"));
    QCOMPARE(label(dialog, "new_label"), QStringLiteral("1.2.0.0"));
    QCOMPARE(label(dialog, "label"), QStringLiteral("Glimra update"));
    QVERIFY(dialog->isUpdateAvailable());

    QPushButton *update = dialog->findChild<QPushButton *>(QStringLiteral("update_button"));
    QVERIFY(update->isEnabled());
    update->click();
    QTRY_COMPARE(launches.commands.size(), 1);

    const QString replacement = folder.filePath("Glimra_new");
    QCOMPARE(launches.commands.first(), QLatin1Char('"') + replacement + QLatin1Char('"'));
    QCOMPARE(launches.exitCodes.first(), 12);
    QCOMPARE(readFile(replacement), newer);
    QCOMPARE(readFile(folder.filePath("Glimra")), old);
    const QFile::Permissions exec = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QCOMPARE(QFile::permissions(replacement) & exec, exec);
    QVERIFY(!dialog->isUpdateAvailable());

    const QList<NormalProgressBar *> bars = dialog->findChildren<NormalProgressBar *>();
    QCOMPARE(bars.size(), 1);
    QCOMPARE(bars.first()->maximum(), newer.size());
    QCOMPARE(bars.first()->value(), newer.size());
    delete dialog;
}

void TestUpdateCheck::supportFileIsReplacedInPlace()
{
    UpdateSite site;
    QTemporaryDir folder;
    const QByteArray newer = stampedBytes("1.0.1.0", "new helper");
    QVERIFY(writeFile(folder.filePath("Glimra"), stampedBytes("1.1.2.0", "program")));
    QVERIFY(writeFile(folder.filePath("helper.so"), stampedBytes("1.0.0.0", QByteArray(4096, 'o'))));
    site.serveManifest("Glimra=1.1.2.0\r\nhelper.so=1.0.1.0\r\n");
    site.serveFile("1.0.1.0", "helper.so", newer);

    launches = {};
    QPointer<UpdateDialog> dialog = new UpdateDialog;
    prepare(dialog, folder.path());
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    QCOMPARE(dialog->filesToFetch(), QList<QUrl>{QUrl(site.server.url(sitePath("1.0.1.0/helper.so")))});
    QCOMPARE(label(dialog, "current_label"), QStringLiteral("1.0.0.0"));
    QCOMPARE(label(dialog, "new_label"), QStringLiteral("1.0.1.0"));

    // A second press fetches everything again, with bars of its own.
    QSignalSpy finished(dialog->downloadManager(), &DownloadManager::fileDownloaded);
    dialog->updateAll();
    dialog->updateAll();
    QCOMPARE(dialog->findChildren<NormalProgressBar *>().size(), 2);
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(site.requestCount("1.0.1.0/helper.so"), 2);
    QCOMPARE(readFile(folder.filePath("helper.so")), newer);
    QVERIFY(launches.commands.isEmpty());
    QVERIFY(!QFile::exists(folder.filePath("Glimra_new")));
    QVERIFY(dialog);
    delete dialog;
}

void TestUpdateCheck::unwritableReplacementIsNotStarted()
{
    UpdateSite site;
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("Glimra"), stampedBytes("1.1.2.0", "program")));
    QVERIFY(QDir(folder.path()).mkdir("Glimra_new"));
    site.serveManifest("Glimra=1.2.0.0\r\n");
    site.serveFile("1.2.0.0", "Glimra", stampedBytes("1.2.0.0", "new"));

    launches = {};
    MessageBoxWatcher boxes;
    QPointer<UpdateDialog> dialog = new UpdateDialog;
    prepare(dialog, folder.path());
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    dialog->updateAll();
    QTRY_COMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen.first().title, QStringLiteral("Error!"));
    QVERIFY2(boxes.seen.first().text.startsWith(QStringLiteral("Could not open Glimra_new for writing: ")),
             qPrintable(boxes.seen.first().text));
    QCOMPARE(boxes.seen.first().icon, QMessageBox::Critical);
    QVERIFY(!dialog->isUpdateAvailable());
    QVERIFY(launches.commands.isEmpty());
    delete dialog;
}

void TestUpdateCheck::saveToFileReplacesWholeFile()
{
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("data.bin"), QByteArray(10000, 'x')));
    DownloadManager manager;
    manager.setProgramFolder(folder.path());
    QBuffer data;
    data.setData("short");
    QVERIFY(data.open(QIODevice::ReadOnly));
    QVERIFY(manager.saveToFile(QStringLiteral("data.bin"), &data));
    QCOMPARE(readFile(folder.filePath("data.bin")), QByteArray("short"));
}

void TestUpdateCheck::noUpdateIsReportedOnlyToUser_data()
{
    QTest::addColumn<bool>("byUser");
    QTest::newRow("automatic") << false;
    QTest::newRow("by the user") << true;
}

void TestUpdateCheck::noUpdateIsReportedOnlyToUser()
{
    QFETCH(bool, byUser);
    UpdateSite site;
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("Glimra"), stampedBytes("1.1.2.0", "program")));
    site.serveManifest("Glimra=1.1.2.0\r\n");

    MessageBoxWatcher boxes;
    MainWindow window;
    // The constructor's own check, which must stay silent.
    QPointer<UpdateDialog> automatic = newestDialog(window);
    QVERIFY(automatic);
    prepare(automatic, folder.path());
    QTRY_VERIFY(automatic.isNull());
    QVERIFY(boxes.seen.isEmpty());

    window.checkForUpdates(byUser);
    QPointer<UpdateDialog> check = newestDialog(window);
    QVERIFY(check);
    prepare(check, folder.path());
    QTRY_VERIFY(check.isNull());
    QCOMPARE(site.requestCount("update.ini"), 2);
    if (!byUser) {
        QVERIFY(boxes.seen.isEmpty());
        return;
    }
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen.first().title, QStringLiteral("Update"));
    QCOMPARE(boxes.seen.first().text, QStringLiteral("No updates available."));
    QCOMPARE(boxes.seen.first().icon, QMessageBox::Information);
}

void TestUpdateCheck::offeredUpdateAsksTheUser_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestUpdateCheck::offeredUpdateAsksTheUser()
{
    QFETCH(bool, accept);
    UpdateSite site;
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("Glimra"), stampedBytes("1.1.2.0", "program")));
    site.serveManifest("Glimra=1.2.0.0\r\n");

    MessageBoxWatcher boxes(accept ? QMessageBox::Yes : QMessageBox::No);
    MainWindow window;
    QPointer<UpdateDialog> dialog = newestDialog(window);
    prepare(dialog, folder.path());
    QTRY_COMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen.first().title, QStringLiteral("Update"));
    QCOMPARE(boxes.seen.first().text,
             QStringLiteral("New version 1.2.0.0 of Glimra is found!\r\nDo you want to download and install it?"));
    QCOMPARE(boxes.seen.first().icon, QMessageBox::Question);
    if (accept) {
        QTRY_VERIFY(dialog && dialog->isVisible());
        QVERIFY(dialog->findChild<QPushButton *>(QStringLiteral("update_button"))->isEnabled());
    } else {
        QTRY_VERIFY(dialog.isNull());
    }
}

void TestUpdateCheck::serverDownShowsNothing()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    qputenv("GLIMRA_UPDATE_URL", QByteArray("http://127.0.0.1:") + QByteArray::number(port) + "/updates/linux/");

    MessageBoxWatcher boxes;
    MainWindow window;
    QPointer<UpdateDialog> automatic = newestDialog(window);
    QSignalSpy automaticDone(automatic->downloadManager(), &DownloadManager::fileDownloaded);
    window.checkForUpdates(true);
    QPointer<UpdateDialog> byUser = newestDialog(window);
    QVERIFY(byUser != automatic);
    QSignalSpy byUserDone(byUser->downloadManager(), &DownloadManager::fileDownloaded);
    QTRY_VERIFY(automaticDone.size() >= 1 && byUserDone.size() >= 1);
    QVERIFY(boxes.seen.isEmpty());
    QVERIFY(automatic && !automatic->isVisible());
    QVERIFY(byUser && !byUser->isVisible());
    qunsetenv("GLIMRA_UPDATE_URL");
}

namespace {

// The process listening on a local socket, asked from the socket itself.
pid_t listeningPid(const QString &serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(2000))
        return 0;
    ucred credentials{};
    socklen_t length = sizeof credentials;
    const bool known = getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0;
    socket.abort();
    return known ? credentials.pid : 0;
}

// Ended, or a zombie that nobody here can reap.
bool processGone(pid_t pid)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const int close = stat.lastIndexOf(')');
    return stat.isEmpty() || (close > 0 && stat.mid(close + 2, 1) == "Z");
}

} // namespace

void TestUpdateCheck::writtenReplacementInstallsItself()
{
    GlimraProcess program;
    const QString folder = program.programFolder();
    const QByteArray newer = patchedExecutable(QStringLiteral("1.2.0.0"));
    QVERIFY(!newer.isEmpty());
    QVERIFY(newer != readFile(program.programPath()));

    UpdateSite site;
    site.serveManifest("Glimra=1.2.0.0\r\n");
    site.serveFile("1.2.0.0", "Glimra", newer);
    launches = {};
    QPointer<UpdateDialog> dialog = new UpdateDialog;
    prepare(dialog, folder);
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    dialog->updateAll();
    QTRY_COMPARE(launches.commands.size(), 1);
    delete dialog;

    // What the old program would start: the replacement, under its own name, as installer.
    const QStringList command = QProcess::splitCommand(launches.commands.first());
    QCOMPARE(command, QStringList{folder + QStringLiteral("/Glimra_new")});
    QCOMPARE(program.runToEnd({}, 20000, command.first()), 0);
    QCOMPARE(readFile(program.programPath()), newer);

    // The relaunched program removes the replacement at its start and then runs normally.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(command.first()), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(program.isReady(), 20000);
    const pid_t relaunched = listeningPid(instanceKey(program.programPath()));
    QVERIFY(relaunched > 0);
    ::kill(relaunched, SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(processGone(relaunched), 20000);
}

GLIMRA_TEST_MAIN(TestUpdateCheck)
#include "test_updatecheck.moc"
