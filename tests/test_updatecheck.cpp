#include "glimraprocess.h"
#include "processcontrol.h"
#include "testhome.h"
#include "testpaths.h"
#include "updater/downloadmanager.h"
#include "updater/normalprogressbar.h"
#include "updater/updatecheck.h"
#include "updater/updatedialog.h"
#include "updatesite.h"
#include "windowtesting.h"

#include <QDir>
#include <QLabel>

using namespace UpdateTesting;

namespace {

const QString kBase = QStringLiteral("http://updates.test/linux/");
const QString kKeyFile = QStringLiteral(GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing.key");
const QByteArray kPublicKey = publicKey();

// "name:1.2.3.4,other:5.6.7.8" -> a reader that knows exactly those files.
UpdateManifest::VersionReader readerFor(const QString &locals)
{
    return [locals](const QString &name, int version[4]) {
        const QString known = (',' + locals).section(',' + name + ':', 1, 1).section(',', 0, 0);
        for (int i = 0; i < 4 && !known.isEmpty(); ++i)
            version[i] = known.section('.', i, i).toInt();
        return !known.isEmpty();
    };
}

const QString kOffer("Update: New version 1.2.0.0 of Glimra is found!\r\nDo you want to download and install it?");
const QByteArray kOldProgram = stamped(1, 1, 2, "old program");
const QByteArray kNewProgram = stamped(1, 2, 0, QByteArray(3000, 'n'));

} // namespace

// The updater: manifests, checks and (signed) downloads against a local server, and the hand-over.
class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void manifestOffersNewerFiles_data()
    {
        QTest::addColumn<QString>("manifest");
        QTest::addColumn<QString>("locals");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("labels"); // current and offered version as the dialog shows them
        QTest::addColumn<bool>("keyed");     // lines must carry digest and size
        const auto row = [](const char *name, const QString &manifest, const QString &locals, const QString &offered,
                            const QString &labels, bool keyed = false) {
            QTest::newRow(name) << manifest << locals << offered << labels << keyed;
        };
        row("10 > 2", "Glimra=1.1.10.0\r\n", "Glimra:1.1.2.0", "1.1.10.0/Glimra", "1.1.2.0 1.1.10.0");
        row("1.2 > 1.1.9.9", "Glimra=1.2", "Glimra:1.1.9.9", "1.2/Glimra", "1.1.9.9 1.2");
        row("1.2 < 1.2.0.1", "Glimra=1.2", "Glimra:1.2.0.1", "", "1.2.0.1 1.2");
        row("major decides", "Glimra=2.0.0.0", "Glimra:1.9.9.9", "2.0.0.0/Glimra", "1.9.9.9 2.0.0.0");
        row("equal", "Glimra=2.0.0.0", "Glimra:2.0.0.0", "", "2.0.0.0 2.0.0.0");
        row("empty piece dropped", "Glimra=1..2", "Glimra:1.1.9.9", "1..2/Glimra", "1.1.9.9 1..2");
        row("carried over", "a=1.2.3.4\r\nb=3\r\n", "a:9.9.9.9,b:3.2.3.3", "3/b", "3.2.3.3 3");
        row("missing locally", "Other.so=9.0.0.0\r\n", "Glimra:1.1.2.0", "", "");
        row("lines without =", "garbage\r\n\r\nGlimra=1.2\r\n", "Glimra:1.1.0.0", "1.2/Glimra", "1.1.0.0 1.2");
        row("five components", "Glimra=1.2.3.4.5\r\nGlimra=2\r\n", "Glimra:2.1.0.0", "", "2.1.0.0 2");
        row("keyed, unhashed", "a=1.2\r\nb=2=" + QString(64, 'a') + "=4\r\n", "a:1.1,b:1.0", "2/b", "1.0.0.0 2", true);
    }

    void manifestOffersNewerFiles()
    {
        QFETCH(QString, manifest);
        QFETCH(QString, locals);
        QFETCH(bool, keyed);
        QFETCH(QString, offered);
        QFETCH(QString, labels);
        const UpdateManifest::Result result = UpdateManifest::evaluate(manifest, kBase, readerFor(locals), keyed);
        QCOMPARE(result.updates.value(0).url.toString().remove(kBase), offered); // a wrong offer would come first
        QCOMPARE(result.hasVersions ? result.currentVersion + ' ' + result.offeredVersion : QString(), labels);
    }

    void progressBarTakesValueAndTotal()
    {
        NormalProgressBar bar(nullptr);
        bar.setNewValue(5000, 20000);
        QCOMPARE(bar.maximum(), 20000);
        QCOMPARE(bar.value(), 5000);
    }

    void checkReportsToTheUser_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("byUser"); // besides the window's own check at start
        QTest::addColumn<QString>("box"); // title and text of the one message box expected
        QTest::addColumn<bool>("shown");
        QTest::newRow("automatic, none") << "1.1.2.0" << false << "" << false;
        QTest::newRow("by user, none") << "1.1.2.0" << true << "Update: No updates available." << false;
        QTest::newRow("offer accepted") << "1.2.0.0" << false << kOffer << true;
        QTest::newRow("offer declined") << "1.2.0.0" << false << kOffer << false;
    }

    void checkReportsToTheUser()
    {
        QFETCH(QString, version);
        QFETCH(bool, byUser);
        QFETCH(QString, box);
        QFETCH(bool, shown);
        UpdateSite site;
        site.serve("update.ini", "Glimra=" + version.toUtf8());
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("Glimra"), kOldProgram));
        MessageBoxWatcher watcher{shown ? QMessageBox::Yes : QMessageBox::No};
        MainWindow window; // this build does not check at start: the check below stands in for it
        MainWindowTestAccess::setUpdateDialogSetup(window,
                                                   [&](UpdateDialog *dialog) { prepare(dialog, folder.path()); });
        window.checkForUpdates(byUser);
        QTRY_COMPARE(window.findChildren<UpdateDialog *>().size(), int(shown)); // or it closed itself
        if (shown)
            QTRY_VERIFY(window.findChild<UpdateDialog *>()->isVisible());
        QCOMPARE(watcher.seen.size(), int(!box.isEmpty()));
        if (!box.isEmpty())
            QCOMPARE(watcher.seen.first().title + ": " + watcher.seen.first().text, box);
    }

    void serverDownShowsNothing()
    {
        UpdateSite site;
        site.server.close();
        MessageBoxWatcher watcher;
        MainWindow window;
        MainWindowTestAccess::setUpdateDialogSetup(window,
                                                   [](UpdateDialog *dialog) { dialog->setAllowUnsigned(true); });
        window.checkForUpdates(false);
        window.checkForUpdates(true);
        const QList<UpdateDialog *> dialogs = window.findChildren<UpdateDialog *>();
        QSignalSpy automatic(dialogs.first()->downloadManager(), &DownloadManager::fileDownloaded),
            byUser(dialogs.last()->downloadManager(), &DownloadManager::fileDownloaded);
        QTRY_VERIFY(!automatic.isEmpty() && !byUser.isEmpty());
        QVERIFY(watcher.seen.isEmpty() && !dialogs.first()->isVisible() && !dialogs.last()->isVisible());
    }

    void updateReplacesFilesAndStartsReplacement_data()
    {
        QTest::addColumn<bool>("keyed");
        QTest::newRow("signed") << true;
        QTest::newRow("unkeyed build") << false;
    }

    void updateReplacesFilesAndStartsReplacement()
    {
        QFETCH(bool, keyed);
        const QByteArray helper = stamped(1, 0, 1, "new helper");
        const QByteArray manifest = line("helper.so", "1.0.1", helper) + line("Glimra", "1.2.0.0", kNewProgram);
        UpdateSite site;
        site.serve("update.ini", manifest);
        site.serve("update.ini.sig", sign(manifest));
        site.serve("1.0.1/helper.so", helper);
        site.serve("1.2.0.0/Glimra", kNewProgram);
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("Glimra"), kOldProgram));
        QVERIFY(writeFile(folder.filePath("helper.so"), stamped(1, 0, 0, "old helper")));

        UpdateCheck check;
        prepare(&check, folder.path(), keyed ? kPublicKey : QByteArray());
        QSignalSpy found(&check, &UpdateCheck::updateFound);
        check.start();
        QTRY_COMPARE(found.size(), 2);
        QCOMPARE(found.at(1).at(0).value<UpdateEntry>().fileName, "Glimra");
        check.fetchUpdates();
        // A support file is replaced in place; the running executable gets a replacement to start.
        QTRY_COMPARE(readFile(folder.filePath("helper.so")), helper);
        QTRY_COMPARE(launches, QStringList{'"' + folder.filePath("Glimra_new") + "\" 12"});
        QCOMPARE(readFile(folder.filePath("Glimra_new")), kNewProgram);
        QVERIFY(QFileInfo(folder.filePath("Glimra_new")).isExecutable());
        QCOMPARE(readFile(folder.filePath("Glimra")), kOldProgram);
        QCOMPARE(site.requests.contains("update.ini.sig"), keyed);
        QCOMPARE(check.pendingUpdates(), 0);
    }

    // Each question about a file shows that file's versions; each file's bar follows its own download.
    void dialogShowsEachOfferedFile()
    {
        const QByteArray helper = stamped(1, 0, 1, QByteArray(1000, 'h'));
        const QByteArray manifest = line("helper.so", "1.0.1", helper) + line("Glimra", "1.2.0.0", kNewProgram);
        UpdateSite site;
        site.serve("update.ini", manifest);
        site.serve("update.ini.sig", sign(manifest));
        site.serve("1.0.1/helper.so", helper);
        site.serve("1.2.0.0/Glimra", kNewProgram);
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("Glimra"), kOldProgram));
        QVERIFY(writeFile(folder.filePath("helper.so"), stamped(1, 0, 0, "old helper")));

        UpdateDialog dialog;
        prepare(&dialog, folder.path(), kPublicKey);
        QStringList asked;
        connect(&dialog, &UpdateDialog::updateFound, this, [&asked](UpdateDialog *found) {
            asked << found->findChild<QLabel *>("current_label")->text() + ' ' +
                         found->findChild<QLabel *>("new_label")->text() + ' ' + found->availableVersion();
        });
        dialog.checkForUpdates();
        QTRY_COMPARE(asked, (QStringList{"1.0.0.0 1.0.1 1.0.1", "1.1.2.0 1.2.0.0 1.2.0.0"}));
        dialog.updateAll();
        const auto bars = [&dialog] {
            QStringList texts;
            for (const NormalProgressBar *bar : dialog.findChildren<NormalProgressBar *>())
                texts << QString::number(bar->value()) + '/' + QString::number(bar->maximum());
            return texts;
        };
        const QString helperDone = QString::number(helper.size()) + '/' + QString::number(helper.size());
        const QString programDone = QString::number(kNewProgram.size()) + '/' + QString::number(kNewProgram.size());
        QTRY_COMPARE(bars(), (QStringList{helperDone, programDone}));
        QTRY_COMPARE(launches.size(), 1);
    }

    void tamperedUpdateIsRefused_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QByteArray>("signature"); // empty: none on the server
        QTest::addColumn<QByteArray>("file");

        const QByteArray good = line("Glimra", "1.2.0.0", kNewProgram);
        const QByteArray other = QByteArray(good).replace("1.2.0.0", "1.3.0.0");     // '2' and '3' differ in one bit
        const QByteArray flippedFile = QByteArray(kNewProgram).replace(200, 1, "o"); // was 'n'
        QTest::newRow("manifest bit flipped") << other << sign(good) << kNewProgram;
        QTest::newRow("signature missing") << good << QByteArray() << kNewProgram;
        QTest::newRow("signature of another manifest") << good << sign(other) << kNewProgram;
        QTest::newRow("file byte flipped") << good << sign(good) << flippedFile;
        QTest::newRow("file truncated") << good << sign(good) << kNewProgram.chopped(10);
    }

    void tamperedUpdateIsRefused()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, file);
        UpdateSite site;
        site.serve("update.ini", manifest);
        if (!signature.isEmpty())
            site.serve("update.ini.sig", signature);
        site.serve("1.2.0.0/Glimra", file);
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("Glimra"), kOldProgram));

        UpdateCheck check;
        prepare(&check, folder.path(), kPublicKey);
        QSignalSpy found(&check, &UpdateCheck::updateFound), refused(&check, &UpdateCheck::fileFailedVerification);
        QSignalSpy finished(check.downloadManager(), &DownloadManager::fileDownloaded);
        check.start();
        QTRY_COMPARE(finished.size(), 2);
        const bool fileRefused = file != kNewProgram; // the manifest itself passes
        QCOMPARE(found.size(), int(fileRefused));
        check.fetchUpdates();
        QTRY_COMPARE(finished.size(), 2 + int(fileRefused));
        QCOMPARE(refused.size(), int(fileRefused));
        QCOMPARE(refused.value(0).value(0).toString(), fileRefused ? "Glimra" : "");
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"Glimra"});
        QVERIFY(launches.isEmpty());
    }

    void signToolOutputVerifies()
    {
        if (QStandardPaths::findExecutable("openssl").isEmpty() || QStandardPaths::findExecutable("python3").isEmpty())
            QSKIP("sign-update needs python3 and openssl");
        QTemporaryDir release, upload;
        QVERIFY(writeFile(release.filePath("Glimra"), kNewProgram));
        const QStringList arguments{"--out", upload.path(), release.path(), kKeyFile};
        QCOMPARE(QProcess::execute(QStringLiteral(GLIMRA_SOURCE_DIR "/tools/sign-update"), arguments), 0);
        const QByteArray manifest = readFile(upload.filePath("update.ini"));
        QCOMPARE(manifest, line("Glimra", "1.2.0.0", kNewProgram));
        QVERIFY(UpdateVerifier(kPublicKey).verifySignature(manifest, readFile(upload.filePath("update.ini.sig"))));
        QCOMPARE(readFile(upload.filePath("1.2.0.0/Glimra")), kNewProgram);
    }

    void replacementInstallsItselfAndIsRemovedByRelaunch()
    {
        GlimraProcess program;
        const QString replacement = program.programFolder() + "/Glimra_new";
        // Any newer line offers the file; trailing bytes tell the new copy apart and leave it runnable.
        const QByteArray newer = readFile(program.programPath()) + "new build";
        UpdateSite site;
        site.serve("update.ini", "Glimra=999\r\n");
        site.serve("999/Glimra", newer);
        UpdateCheck check;
        prepare(&check, program.programFolder());
        connect(&check, &UpdateCheck::updateFound, &check, &UpdateCheck::fetchUpdates);
        check.start();
        QTRY_COMPARE(launches.size(), 1);

        QCOMPARE(program.runToEnd({}, 20000, replacement), 0);
        QCOMPARE(readFile(program.programPath()), newer);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(replacement), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(program.isReady(), 20000);
        const QList<qint64> relaunched = runningProcessesOf(program.programPath());
        QCOMPARE(relaunched.size(), 1);
        requestStop(relaunched.first(), StopRequest::Terminate);
        QTRY_VERIFY_WITH_TIMEOUT(runningProcessesOf(program.programPath()).isEmpty(), 20000);
    }

private:
    template <class Updater> void prepare(Updater *updater, const QString &folder, const QByteArray &key = {})
    {
        UpdateTesting::prepare(updater, folder, key, &launches);
    }

    QStringList launches; // "<command line> <exit code>" of each start-and-exit step
};

GLIMRA_TEST_MAIN(TestUpdateCheck)
#include "test_updatecheck.moc"
