#include "buildconfig.h"
#include "testhome.h"
#include "testpaths.h"
#include "updater/downloadmanager.h"
#include "updater/normalprogressbar.h"
#include "updater/updatedialog.h"
#include "updatesite.h"
#include "windowtesting.h"

#include <QLabel>
#include <QNetworkReply>
#include <QPushButton>

constexpr int Keyed = 1, ByUser = 2, Declined = 4, Endless = 8, NoKey = 16;
const QString kFile = QStringLiteral("1.2.0.0/Glimra");
const QByteArray kNewProgram = stamped(1, 2, 0, QByteArray(3000, 'n'));
const QByteArray kHelper = stamped(1, 0, 1, QByteArray(1000, 'h'));
const QByteArray kManifest = line("helper.so", "1.0.1", kHelper) + line("Glimra", "1.2.0.0", kNewProgram);

// The updater against a local server: what it offers, tells, installs, hands over to and refuses.
class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void manifestOffersNewerFiles_data()
    {
        QTest::addColumn<QString>("manifest");
        QTest::addColumn<QString>("local");  // the version of every local file but "Missing"
        QTest::addColumn<QString>("result"); // "<first offer's URL> <its name>|<labels>"; "keyed" in the name: signed
        const auto row = [](const char *name, const QString &manifest, const char *local, const char *result) {
            QTest::newRow(name) << manifest << local << result;
        };
        const QString d = '=' + QString(64, 'a') + "=4";
        row("10 > 2", "Missing=9\r\n\r\nGlimra=1.1.10.0", "1.1.2.5", "1.1.10.0/Glimra Glimra|1.1.2.5 1.1.10.0");
        row("1.2 = 1.2.0.0", "Glimra=1.2", "1.2.0.0", "|1.2.0.0 1.2");
        row("tail carried over", "a=1.2.3.4\r\nb=3\r\n", "3.2.3.3", "3/b b|3.2.3.3 3");
        row("five components", "Glimra=1.2.3.4.5\r\nGlimra=2\r\n", "2.1.0.0", "|2.1.0.0 2");
        row("URL syntax", "a?b#c%d=3.%2F", "1", "3.%252F/a%3Fb%23c%25d a?b#c%d|1.0.0.0 3.%2F");
        row("keyed, empty piece", "a=1.2\r\nb=1..2" + d, "1.1", "1..2/b b|1.1.0.0 1..2"); // a: no digest
        // "Missing" sets the version that a text without numbers carries over.
        const QString hostile = QStringLiteral(
            "Missing=3.3 ../evil=2 a/b=2 a\\b=2 ..=2 .profile=2 =2 C:evil=2 Glimra=.. Glimra=2./Glimra? Glimra\0x=2");
        row("hostile", QString(hostile).replace(' ', "\r\n"), "1", "|");
        row("hostile, keyed", QString(hostile + " Glimra=2.1b Glimra=3.%2F").replace(' ', d + "\r\n") + d, "1", "|");
    }

    void manifestOffersNewerFiles()
    {
        QFETCH(QString, manifest);
        QFETCH(QString, local);
        const auto reader = [&local](const QString &name, int version[4]) {
            for (int i = 0; i < 4; ++i)
                version[i] = local.section('.', i, i).toInt();
            return name != "Missing";
        };
        const bool keyed = QByteArray(QTest::currentDataTag()).contains("keyed");
        const UpdateManifest::Result r = UpdateManifest::evaluate(manifest, "", reader, keyed);
        const UpdateEntry first = r.updates.value(0); // a wrong offer would come first
        const QString url = first.url.toString(QUrl::FullyEncoded);
        QTEST(QString("%1 %2|%3 %4").arg(url, first.fileName, r.currentVersion, r.offeredVersion).trimmed(), "result");
    }

    void updateThroughTheWindow_data()
    {
        QTest::addColumn<QString>("path");        // the reply that goes wrong ("": none); the others are right
        QTest::addColumn<QByteArray>("response"); // that reply in full, or its start when endless
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("outcome"); // as put together at the end of the test
        const auto row = [](const char *name, const QString &path, const QByteArray &response, int how,
                            const QString &outcome) { QTest::newRow(name) << path << response << how << outcome; };
        const auto reply = [](const QByteArray &head, const QByteArray &b, qint64 more = 0) { // b: the body
            return "HTTP/1.1 " + head + "\r\nContent-Length: " + QByteArray::number(b.size() + more) + "\r\n\r\n" + b;
        };
        // Each wrong reply carries the right bytes, so only its status or length (chunked: wire size) refuses it.
        const QByteArray chunked = QByteArray::number(kNewProgram.size(), 16) + "\r\n" + kNewProgram + "\r\n0\r\n\r\n";
        const QByteArray moved = "302 Found\r\nLocation: /x", endless = "HTTP/1.1 200 OK\r\n\r\n",
                         altered = QByteArray(kNewProgram).replace(0, 1, "o"), same = reply("200 OK", "Glimra=1.1.2.0");
        const QString asked = "New version 1.0.1, New version 1.2.0.0; 1.0.0.0 1.0.1, 1.1.2.0 1.2.0.0; ",
                      all = asked + "Glimra Glimra_new+* helper.so+ %1/%1 %2/%2; \"/Glimra_new\" 12",
                      helper = asked + "Glimra helper.so+ bar bar; ", none = "; ; Glimra helper.so; ";
        row("unsigned", "", "", 0, all.arg(kHelper.size()).arg(kNewProgram.size()));
        row("signed", "", "", Keyed, all.arg(kHelper.size()).arg(kNewProgram.size()));
        row("no key", "", "", ByUser | NoKey, "This build of" + none);
        row("declined", "", "", ByUser | Declined, asked + "Glimra helper.so; ");
        row("automatic, none", "update.ini", same, 0, none);
        row("by user, none", "update.ini", same, ByUser, "No updates available." + none);
        row("file redirected", kFile, reply(moved, kNewProgram), 0, helper);
        row("file shorter than announced", kFile, reply("200 OK\r\nTransfer-Encoding: chunked", chunked), 0, helper);
        row("manifest redirected", "update.ini", reply(moved, kManifest), ByUser, none);
        row("signature missing", "update.ini.sig", reply("404 Not Found", ""), Keyed, none);
        row("signature of another", "update.ini.sig", reply("200 OK", sign(kManifest + "x")), Keyed, none);
        row("file altered", kFile, reply("200 OK", altered), Keyed, helper + "refused");
        row("endless manifest", "update.ini", endless + kManifest, Endless, none);
        row("endless signature", "update.ini.sig", endless + sign(kManifest), Keyed | Endless, none);
        row("endless signed file", kFile, endless + kNewProgram, Keyed | Endless, helper);
        row("endless file, announced", kFile, reply("200 OK", "", qint64(257) << 20), Endless, helper);
    }

    // A check from the window, accepted unless declined; a shown dialog's Update button is pressed.
    void updateThroughTheWindow()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, response);
        QFETCH(int, how);
        UpdateSite site;
        site.serve("update.ini", kManifest);
        site.serve("update.ini.sig", sign(kManifest));
        site.serve("1.0.1/helper.so", kHelper);
        site.serve(kFile, kNewProgram);
        site.replies[path] = {response, bool(how & Endless)}; // "" is never asked for
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("Glimra"), stamped(1, 1, 2, "")) &&
                writeFile(folder.filePath("helper.so"), stamped(1, 0, 0, "")));
        MessageBoxWatcher watcher{how & Declined ? QMessageBox::No : QMessageBox::Yes};
        MainWindow window; // this build does not check at start: the check below stands in for it
        const auto dialog = [&window] { return window.findChild<UpdateDialog *>(); };
        const auto text = [&window](const char *label) { return window.findChild<QLabel *>(label)->text(); };
        std::unique_ptr<QSignalSpy> finished;
        QStringList asked, runs, boxes, files; // runs: "<command line> <exit code>" of each hand-over
        MainWindowTestAccess::setUpdateDialogSetup(window, [&](UpdateDialog *d) {
            d->setProgramFolder(folder.path());
            d->setPublicKey(how & Keyed ? publicKey() : QByteArray());
            d->setAllowUnsigned(!(how & NoKey)); // without a key: the unverified updater, opted into
            d->setLauncher([&](const QString &run, int code) { runs << QString("%1 %2").arg(run).arg(code); });
            finished.reset(new QSignalSpy(d->downloadManager(), &DownloadManager::fileDownloaded));
            connect(d, &UpdateDialog::updateFound, [&] { asked << text("current_label") + ' ' + text("new_label"); });
        });
        window.checkForUpdates(how & ByUser);
        QTRY_COMPARE(finished->size(), how & NoKey ? 0 : 1 + bool(how & Keyed));
        if (dialog() && dialog()->isVisible()) {
            dialog()->findChild<QPushButton *>("update_button")->click();
            QTRY_COMPARE(finished->size(), 3 + bool(how & Keyed));
        }
        // Boxes; labels at each question; the folder ("+": new contents, "*": executable); hand-overs.
        const QByteArrayList news{kHelper, kNewProgram};
        for (const MessageBoxWatcher::Seen &box : watcher.seen)
            boxes << box.text.section(' ', 0, 2);
        for (const QFileInfo &f : QDir(folder.path()).entryInfoList(QDir::Files | QDir::Hidden))
            files << f.fileName() + (news.contains(readFile(f.filePath())) ? "+" : "") + (f.isExecutable() ? "*" : "");
        // A bar per download; once handed over, each shows its own file's progress (else that varies).
        for (const NormalProgressBar *bar : window.findChildren<NormalProgressBar *>())
            files << (runs.isEmpty() ? "bar" : QString("%1/%2").arg(bar->value()).arg(bar->maximum()));
        QLabel *label = window.findChild<QLabel *>("verification_label"); // fits beside the bars
        const QString outcome =
            QStringList{boxes.join(", "), asked.join(", "), files.join(' '), runs.join(", ")}.join("; ");
        QTEST(QString(outcome).remove(folder.path()) + (label ? "refused" : ""), "outcome");
        QVERIFY(!site.requests.contains("x"));
        QTRY_VERIFY(!asked.isEmpty() || !dialog()); // a check without an offer lets go of its network access
        QTRY_VERIFY(!(how & Endless) || (site.endlessHungUp && site.endlessSent < (8 << 20)));
        const auto at = [&dialog](const QWidget *w) { return QRect(w->mapTo(dialog(), QPoint()), w->size()); };
        QTRY_VERIFY(!label ||
                    (dialog()->rect().contains(at(label)) && label->height() >= label->heightForWidth(label->width()) &&
                     !at(label).intersects(at(window.findChildren<NormalProgressBar *>().last()))));
    }

    void signToolOutputVerifies()
    {
        if (QStandardPaths::findExecutable("openssl").isEmpty() || QStandardPaths::findExecutable("python3").isEmpty())
            QSKIP("sign-update needs python3 and openssl");
        QTemporaryDir release, upload;
        const QString tool = GLIMRA_SOURCE_DIR "/tools/sign-update",
                      key = GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing.key";
        QVERIFY(writeFile(release.filePath("Glimra"), kNewProgram));
        QCOMPARE(QProcess::execute(tool, {"--out", upload.path(), release.path(), key}), 0);
        const QByteArray manifest = readFile(upload.filePath("update.ini"));
        QCOMPARE(manifest + readFile(upload.filePath(kFile)), line("Glimra", "1.2.0.0", kNewProgram) + kNewProgram);
        QVERIFY(UpdateVerifier(publicKey()).verifySignature(manifest, readFile(upload.filePath("update.ini.sig"))));
    }

    void buildWithoutKeyNeverAsks()
    {
        if (GLIMRA_ALLOW_UNSIGNED_UPDATES || !UpdateVerifier::builtInKey().isEmpty())
            QSKIP("this build updates itself");
        UpdateSite site;
        UpdateCheck check; // any request of its own would go out before this one
        check.start();
        const QUrl last(qEnvironmentVariable("GLIMRA_UPDATE_URL") + "last");
        QSignalSpy answered(check.downloadManager()->startDownload(last, 100), &QNetworkReply::finished);
        QVERIFY(answered.wait());
        QCOMPARE(site.requests, QStringList{"last"});
    }
};

GLIMRA_TEST_MAIN(TestUpdateCheck)
#include "test_updatecheck.moc"
