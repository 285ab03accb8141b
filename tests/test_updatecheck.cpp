#include "buildconfig.h"
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
#include <QNetworkReply>
#include <QScopeGuard>
#include <QTranslator>

using namespace UpdateTesting;

namespace {

const QString kBase = QStringLiteral("http://updates.test/linux/");
const QString kKeyFile = QStringLiteral(GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing.key");
const QByteArray kPublicKey = publicKey();
const QByteArray kOldProgram = stamped(1, 1, 2, "old program");
const QByteArray kNewProgram = stamped(1, 2, 0, QByteArray(3000, 'n'));

// "name:1.2.3.4,other:5.6.7.8" -> a reader that knows exactly those files; "*:1" knows all others but "Missing".
UpdateManifest::VersionReader readerFor(const QString &locals)
{
    return [locals](const QString &name, int version[4]) {
        const auto of = [&locals](const QString &file) {
            return (',' + locals).section(',' + file + ':', 1, 1).section(',', 0, 0);
        };
        const QString known = of(name).isEmpty() && name != "Missing" ? of("*") : of(name);
        for (int i = 0; i < 4 && !known.isEmpty(); ++i)
            version[i] = known.section('.', i, i).toInt();
        return !known.isEmpty();
    };
}

const QString kOffer("Update: New version 1.2.0.0 of Glimra is found!\r\nDo you want to download and install it?");
const QByteArray kHelper = stamped(1, 0, 1, QByteArray(1000, 'h'));

// Offers a newer helper.so and Glimra over their old copies in `folder`, with a signed manifest.
void serveHelperAndProgram(UpdateSite &site, const QString &folder)
{
    const QByteArray manifest = line("helper.so", "1.0.1", kHelper) + line("Glimra", "1.2.0.0", kNewProgram);
    site.serve("update.ini", manifest);
    site.serve("update.ini.sig", sign(manifest));
    site.serve("1.0.1/helper.so", kHelper);
    site.serve("1.2.0.0/Glimra", kNewProgram);
    writeFile(folder + "/Glimra", kOldProgram);
    writeFile(folder + "/helper.so", stamped(1, 0, 0, "old helper"));
}

const QString kFile = QStringLiteral("1.2.0.0/Glimra");
const QByteArray kManifest = line("Glimra", "1.2.0.0", kNewProgram);

QByteArray reply(const QByteArray &status, qint64 announced, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(announced) + "\r\n\r\n" + body;
}

} // namespace

// The updater: manifests, checks and (signed) downloads against a local server, the hand-over, and
// what it refuses: unsigned offers in a build without a key, anything but a whole file with status
// 200 whose signed digest matches, names that leave the program's folder, and endless replies.
class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QNetworkReply *>(); }

    void manifestOffersNewerFiles_data()
    {
        QTest::addColumn<QString>("manifest");
        QTest::addColumn<QString>("locals");
        QTest::addColumn<QString>("offered"); // URL below the base, fully encoded, and file name of the first offer
        QTest::addColumn<QString>("labels");  // current and offered version as the dialog shows them; "*": any
        QTest::addColumn<bool>("keyed");      // lines must carry digest and size
        const auto row = [](const char *name, const QString &manifest, const QString &locals, const QString &offered,
                            const QString &labels, bool keyed = false) {
            QTest::newRow(name) << manifest << locals << offered << labels << keyed;
        };
        const QString d = '=' + QString(64, 'a') + "=4";
        // Every file but "Missing" exists, so only the checks turn the second line down; the first
        // sets the version that a text without numbers carries over.
        const auto ignored = [&row, &d](const char *name, const QString &line, bool keyed) {
            row(name, "Missing=3.3" + (keyed ? d : QString()) + "\r\n" + line + (keyed ? d : QString()), "*:1", "", "*",
                keyed);
        };
        row("10 > 2", "Glimra=1.1.10.0\r\n", "Glimra:1.1.2.0", "1.1.10.0/Glimra Glimra", "1.1.2.0 1.1.10.0");
        row("1.2 > 1.1.9.9", "Glimra=1.2", "Glimra:1.1.9.9", "1.2/Glimra Glimra", "1.1.9.9 1.2");
        row("1.2 < 1.2.0.1", "Glimra=1.2", "Glimra:1.2.0.1", "", "1.2.0.1 1.2");
        row("major decides", "Glimra=2.0.0.0", "Glimra:1.9.9.9", "2.0.0.0/Glimra Glimra", "1.9.9.9 2.0.0.0");
        row("equal", "Glimra=2.0.0.0", "Glimra:2.0.0.0", "", "2.0.0.0 2.0.0.0");
        row("empty piece dropped", "Glimra=1..2", "Glimra:1.1.9.9", "1..2/Glimra Glimra", "1.1.9.9 1..2");
        row("empty piece, signed", "Glimra=1..2" + d, "*:1", "1..2/Glimra Glimra", "*", true);
        row("carried over", "a=1.2.3.4\r\nb=3\r\n", "a:9.9.9.9,b:3.2.3.3", "3/b b", "3.2.3.3 3");
        row("missing locally", "Other.so=9.0.0.0\r\n", "Glimra:1.1.2.0", "", "");
        row("lines without =", "garbage\r\n\r\nGlimra=1.2\r\n", "Glimra:1.1.0.0", "1.2/Glimra Glimra", "1.1.0.0 1.2");
        row("five components", "Glimra=1.2.3.4.5\r\nGlimra=2\r\n", "Glimra:2.1.0.0", "", "2.1.0.0 2");
        row("keyed, unhashed", "a=1.2\r\nb=2" + d + "\r\n", "a:1.1,b:1.0", "2/b b", "1.0.0.0 2", true);
        row("URL syntax in name", "a?b#c%d=3", "*:1", "3/a%3Fb%23c%25d a?b#c%d", "*");
        row("version %2F, unsigned", "Glimra=3.%2F", "*:1", "3.%252F/Glimra Glimra", "*");
        ignored("parent folder", "../evil=2", false);
        ignored("slash", "a/b=2", false);
        ignored("backslash", "a\\b=2", false);
        ignored("dot dot", "..=2", false);
        ignored("hidden", ".profile=2", false);
        ignored("empty name", "=2", false);
        ignored("drive", "C:evil=2", false);
        ignored("NUL", QStringLiteral("Glimra") + QChar(0) + "x=2", false);
        ignored("version dot dot", "Glimra=..", false);
        ignored("version with path", "Glimra=2./Glimra?", false);
        ignored("version with letters, signed", "Glimra=2.1b", true);
        ignored("version %2F, signed", "Glimra=3.%2F", true);
    }

    void manifestOffersNewerFiles()
    {
        QFETCH(QString, manifest);
        QFETCH(QString, locals);
        QFETCH(QString, offered);
        QFETCH(QString, labels);
        QFETCH(bool, keyed);
        const UpdateManifest::Result result = UpdateManifest::evaluate(manifest, kBase, readerFor(locals), keyed);
        const UpdateEntry first = result.updates.value(0); // a wrong offer would come first
        QCOMPARE((first.url.toString(QUrl::FullyEncoded).remove(kBase) + ' ' + first.fileName).trimmed(), offered);
        if (labels != "*")
            QCOMPARE(result.hasVersions ? result.currentVersion + ' ' + result.offeredVersion : QString(), labels);
    }

    void progressBarTakesValueAndTotal()
    {
        NormalProgressBar bar(nullptr);
        bar.setNewValue(5000, 20000);
        QCOMPARE(QPoint(bar.value(), bar.maximum()), QPoint(5000, 20000));
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

    void updateReplacesFilesAndStartsReplacement()
    {
        UpdateSite site;
        QTemporaryDir folder;
        serveHelperAndProgram(site, folder.path());
        UpdateCheck check;
        prepare(&check, folder.path(), kPublicKey);
        QSignalSpy found(&check, &UpdateCheck::updateFound);
        check.start();
        QTRY_COMPARE(found.size(), 2);
        check.fetchUpdates();
        // A support file is replaced in place; the running executable gets a replacement to start.
        QTRY_COMPARE(readFile(folder.filePath("helper.so")), kHelper);
        QTRY_COMPARE(launches, QStringList{'"' + folder.filePath("Glimra_new") + "\" 12"});
        QCOMPARE(readFile(folder.filePath("Glimra_new")), kNewProgram);
        QVERIFY(QFileInfo(folder.filePath("Glimra_new")).isExecutable());
        QCOMPARE(readFile(folder.filePath("Glimra")), kOldProgram);
        QCOMPARE(check.pendingUpdates(), 0);
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
        QTRY_COMPARE(launches, QStringList{'"' + replacement + "\" 12"});

        QCOMPARE(program.runToEnd({}, 20000, replacement), 0);
        QCOMPARE(readFile(program.programPath()), newer);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(replacement), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(program.isReady(), 20000);
        const QList<qint64> relaunched = runningProcessesOf(program.programPath());
        QCOMPARE(relaunched.size(), 1);
        requestStop(relaunched.first(), StopRequest::Terminate);
        QTRY_VERIFY_WITH_TIMEOUT(runningProcessesOf(program.programPath()).isEmpty(), 20000);
    }

    void nothingIsInstalled_data()
    {
        QTest::addColumn<QByteArray>("manifest"); // served with its signature
        QTest::addColumn<QString>("path");        // the reply that goes wrong; the others are right
        QTest::addColumn<QByteArray>("response"); // that reply in full, or its start when endless
        QTest::addColumn<bool>("endless");
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<bool>("reported"); // a complete file that failed verification
        // Each wrong reply carries the right bytes, so that nothing but its status or length can refuse it.
        const auto wrong = [](const QByteArray &kind, const QByteArray &body) {
            if (kind == "short" || kind == "long")
                return reply("200 OK", body.size() + (kind == "short" ? 100 : -100), body);
            return reply(kind + " Whatever\r\nLocation: /elsewhere", body.size(), body);
        };
        const auto row = [](const QByteArray &tag, const QString &path, const QByteArray &response, bool keyed,
                            const QByteArray &manifest = kManifest, bool endless = false, bool reported = false) {
            QTest::newRow(tag.constData()) << manifest << path << response << endless << keyed << reported;
        };
        for (const bool keyed : {false, true}) {
            const QByteArray how = keyed ? ", signed" : ", unsigned";
            for (const QByteArray kind : {"302", "404", "500", "short"})
                row("file " + kind + how, kFile, wrong(kind, kNewProgram), keyed);
            // "../evil" exists beside the program's folder; "Missing" only sets the version that
            // ".." would carry over.
            const QByteArray hostile = line("../evil", "1.2.0.0", kNewProgram) +
                                       line("Glimra", "2./Glimra?", kNewProgram) + line("Missing", "3", kNewProgram) +
                                       line("Glimra", "..", kNewProgram) +
                                       (keyed ? line("Glimra", "3.%2F", kNewProgram) : QByteArray());
            row("hostile names and versions" + how, QString(), QByteArray(), keyed, hostile);
        }
        // Bytes past the announced length are not part of the reply, so only a signed size can catch them.
        row("file long, signed", kFile, wrong("long", kNewProgram), true, kManifest, false, true);
        row("manifest 302", "update.ini", wrong("302", kManifest), false);
        row("manifest short", "update.ini", wrong("short", kManifest), false);
        row("signature 302", "update.ini.sig", wrong("302", sign(kManifest)), true);
        row("signature short", "update.ini.sig", wrong("short", sign(kManifest)), true);
        row("signature missing", "update.ini.sig", reply("404 Not Found", 0, ""), true);
        row("manifest changed after signing", "update.ini",
            reply("200 OK", kManifest.size(), QByteArray(kManifest).replace("1.2.0.0", "1.3.0.0")), true);
        const QByteArray flipped = QByteArray(kNewProgram).replace(200, 1, "o");
        row("file changed after signing", kFile, reply("200 OK", flipped.size(), flipped), true, kManifest, false,
            true);
        const QByteArray endless = "HTTP/1.1 200 OK\r\n\r\n";
        row("endless manifest", "update.ini", endless + kManifest, false, kManifest, true);
        row("endless signature", "update.ini.sig", endless + sign(kManifest), true, kManifest, true);
        row("endless signed file", kFile, endless + kNewProgram, true, kManifest, true);
        row("endless unsigned file, announced", kFile,
            "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(qint64(257) << 20) + "\r\n\r\n", false,
            kManifest, true);
    }

    // Runs a check and, when it offers the update, the download; then nothing may have been
    // written or started, and only a complete file that failed verification is reported.
    void nothingIsInstalled()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, path);
        QFETCH(QByteArray, response);
        QFETCH(bool, endless);
        QFETCH(bool, keyed);
        QFETCH(bool, reported);
        UpdateSite site;
        site.serve("update.ini", manifest);
        site.serve("update.ini.sig", sign(manifest));
        site.serve(kFile, kNewProgram);
        if (!path.isEmpty())
            site.replies[path] = {response, endless};
        QTemporaryDir root; // the program's folder is "program" in it, beside a file it may not touch
        QVERIFY(QDir(root.path()).mkdir("program") && writeFile(root.filePath("evil"), kOldProgram));
        const QString folder = root.filePath("program");
        QVERIFY(writeFile(folder + "/Glimra", kOldProgram));
        UpdateCheck check;
        prepare(&check, folder, keyed ? kPublicKey : QByteArray());
        QSignalSpy found(&check, &UpdateCheck::updateFound), refused(&check, &UpdateCheck::fileFailedVerification);
        QSignalSpy finished(check.downloadManager(), &DownloadManager::fileDownloaded);
        const bool offered = path == kFile;
        check.start();
        QTRY_COMPARE(finished.size(), 1 + int(keyed));
        QCOMPARE(found.size(), int(offered));
        check.fetchUpdates();
        QTRY_COMPARE(finished.size(), 1 + int(keyed) + int(offered));
        const auto filter = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(folder).entryList(filter) + QDir(root.path()).entryList(filter),
                 (QStringList{"Glimra", "evil", "program"}));
        QVERIFY(launches.isEmpty());
        QCOMPARE(refused.size(), int(reported));
        QVERIFY(!site.requests.contains("elsewhere"));
        if (endless) {
            QTRY_VERIFY(site.endlessHungUp);
            QVERIFY2(site.endlessSent < (8 << 20), QByteArray::number(site.endlessSent));
        }
    }

    void buildWithoutKeyNeverAsks()
    {
        if (GLIMRA_ALLOW_UNSIGNED_UPDATES || !UpdateVerifier::builtInKey().isEmpty())
            QSKIP("this build updates itself");
        UpdateSite site;
        site.serve("update.ini", "Glimra=99\r\n"); // newer than the built program beside this test
        MessageBoxWatcher watcher;
        MainWindow window;
        window.checkForUpdates(true);
        QVERIFY(window.findChildren<UpdateDialog *>().isEmpty());
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen.first().title + ": " + watcher.seen.first().text,
                 "Update: This build of Glimra does not update itself. Get new versions where you got this one.");
        UpdateCheck check; // nor does a check on its own
        check.start();
        // Any request of the check's would have gone out before this one, on the same connections.
        const QUrl last(qEnvironmentVariable("GLIMRA_UPDATE_URL") + "last");
        QSignalSpy answered(check.downloadManager()->startDownload(last, 100), &QNetworkReply::finished);
        QVERIFY(answered.wait());
        QCOMPARE(site.requests, QStringList{"last"});
    }

    void dialogShowsEachFileAndTheVerificationMessage_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << ""
                                 << "Glimra failed verification and was not installed.";
        QTest::newRow("Russian") << "://glimra_ru"
                                 << "Файл Glimra не прошёл проверку и не был установлен.";
    }

    // Each question about a file shows that file's versions; each file's bar follows its own
    // download; the message about a file that failed verification fits beside the bars.
    void dialogShowsEachFileAndTheVerificationMessage()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, text);
        QTranslator translator;
        QVERIFY(catalogue.isEmpty() || translator.load(catalogue));
        QCoreApplication::installTranslator(&translator);
        const auto restore = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
        UpdateSite site;
        QTemporaryDir folder;
        serveHelperAndProgram(site, folder.path());
        site.serve(kFile, QByteArray(kNewProgram).replace(0, 1, "x"));
        UpdateDialog dialog;
        prepare(&dialog, folder.path(), kPublicKey);
        QStringList asked;
        connect(&dialog, &UpdateDialog::updateFound, this, [&asked](UpdateDialog *found) {
            asked << found->findChild<QLabel *>("current_label")->text() + ' ' +
                         found->findChild<QLabel *>("new_label")->text() + ' ' + found->availableVersion();
        });
        dialog.checkForUpdates();
        QTRY_COMPARE(asked, (QStringList{"1.0.0.0 1.0.1 1.0.1", "1.1.2.0 1.2.0.0 1.2.0.0"}));
        dialog.show();
        dialog.updateAll();
        const QList<NormalProgressBar *> bars = dialog.findChildren<NormalProgressBar *>();
        const auto progress = [&bars] {
            QStringList texts;
            for (const NormalProgressBar *bar : bars)
                texts << QString::number(bar->value()) + '/' + QString::number(bar->maximum());
            return texts;
        };
        const auto done = [](const QByteArray &file) { return QString("%1/%1").arg(file.size()); };
        QTRY_COMPARE(progress(), (QStringList{done(kHelper), done(kNewProgram)}));
        QLabel *label = nullptr;
        QTRY_VERIFY((label = dialog.findChild<QLabel *>("verification_label")));
        QCOMPARE(label->text(), text);
        const auto inDialog = [&dialog](const QWidget *w) { return QRect(w->mapTo(&dialog, QPoint()), w->size()); };
        const auto fits = [&] {
            for (const NormalProgressBar *bar : bars)
                if (inDialog(label).intersects(inDialog(bar)))
                    return false;
            return dialog.rect().contains(inDialog(label)) && label->height() >= label->heightForWidth(label->width());
        };
        QTRY_VERIFY(fits());
    }

private:
    // Points an UpdateCheck or UpdateDialog at `folder`, gives it `key` (none: the unverified updater,
    // opted into) and records each start-and-exit step in `launches` as "<command line> <exit code>".
    template <class Updater> void prepare(Updater *updater, const QString &folder, const QByteArray &key = {})
    {
        launches.clear();
        updater->setProgramFolder(folder);
        updater->setPublicKey(key);
        updater->setAllowUnsigned(true);
        updater->setLauncher([this](const QString &run, int code) { launches << run + ' ' + QString::number(code); });
    }

    QStringList launches;
};

GLIMRA_TEST_MAIN(TestUpdateCheck)
#include "test_updatecheck.moc"
