#include "buildconfig.h"
#include "testhome.h"
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
const QString kFile = QStringLiteral("1.2.0.0/Glimra");
const QByteArray kOldProgram = stamped(1, 1, 2, "old program");
const QByteArray kNewProgram = stamped(1, 2, 0, QByteArray(3000, 'n'));
const QByteArray kManifest = line("Glimra", "1.2.0.0", kNewProgram);
constexpr qint64 kFarTooMuch = 8 << 20;

QByteArray reply(const QByteArray &status, qint64 announced, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(announced) + "\r\n\r\n" + body;
}

} // namespace

// What the updater refuses from a server: unsigned offers in a build without a key, anything but
// a whole file with status 200, names that leave the program's folder, and endless replies.
class TestUpdateSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QNetworkReply *>(); }

    void manifestLineNeedsPlainNameAndVersion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<QString>("url"); // below the base, fully encoded; empty: the line is ignored
        const auto row = [](const char *tag, const QString &name, const QString &version, bool keyed,
                            const QString &url) { QTest::newRow(tag) << name << version << keyed << url; };
        row("plain", "Glimra", "2", true, "2/Glimra");
        row("empty version piece", "Glimra", "1..2", true, "1..2/Glimra");
        row("parent folder", "../evil", "2", false, "");
        row("slash", "a/b", "2", false, "");
        row("backslash", "a\\b", "2", false, "");
        row("dot dot", "..", "2", false, "");
        row("hidden", ".profile", "2", false, "");
        row("empty name", "", "2", false, "");
        row("drive", "C:evil", "2", false, "");
        row("NUL", QStringLiteral("Glimra") + QChar(0) + "x", "2", false, "");
        row("URL syntax in name", "a?b#c%d", "3", false, "3/a%3Fb%23c%25d");
        row("version dot dot", "Glimra", "..", false, "");
        row("version with path", "Glimra", "2./Glimra?", false, "");
        row("version with letters, signed", "Glimra", "2.1b", true, "");
        row("version %2F, signed", "Glimra", "3.%2F", true, "");
        row("version %2F, unsigned", "Glimra", "3.%2F", false, "3.%252F/Glimra");
    }

    void manifestLineNeedsPlainNameAndVersion()
    {
        QFETCH(QString, name);
        QFETCH(QString, version);
        QFETCH(bool, keyed);
        QFETCH(QString, url);
        // Every file but "Missing" exists locally at 1.0.0.0, so only the checks can turn a line
        // down; "Missing" sets the version that a version text without numbers carries over.
        const auto local = [](const QString &file, int v[4]) { return (v[0] = 1) && file != "Missing"; };
        const QString digest = keyed ? '=' + QString(64, 'a') + "=4" : QString();
        const QString manifest = "Missing=3.3" + digest + "\r\n" + name + '=' + version + digest;
        const UpdateManifest::Result result = UpdateManifest::evaluate(manifest, kBase, local, keyed);
        QCOMPARE(result.updates.value(0).url.toString(QUrl::FullyEncoded).remove(kBase), url);
        QCOMPARE(result.updates.value(0).fileName, url.isEmpty() ? QString() : name);
    }

    void hostileLinesAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<bool>("keyed");
        // "Missing" only sets the version that a short or empty version text carries over.
        const QByteArray carry = line("Missing", "3", kNewProgram);
        for (const bool keyed : {true, false}) {
            const char *how = keyed ? "signed" : "unsigned";
            QTest::addRow("../evil, %s", how) << line("../evil", "1.2.0.0", kNewProgram) << keyed;
            QTest::addRow("2./Glimra?, %s", how) << line("Glimra", "2./Glimra?", kNewProgram) << keyed;
            QTest::addRow(".., %s", how) << carry + line("Glimra", "..", kNewProgram) << keyed;
        }
        QTest::newRow("%2F, signed") << line("Glimra", "3.%2F", kNewProgram) << true;
    }

    void hostileLinesAreIgnored()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(bool, keyed);
        UpdateSite site;
        site.serve("update.ini", manifest);
        site.serve("update.ini.sig", sign(manifest));
        QTemporaryDir root; // the program's folder is "program" in it, beside a file it may not touch
        QVERIFY(QDir(root.path()).mkdir("program"));
        QVERIFY(writeFile(root.filePath("program/Glimra"), kOldProgram));
        QVERIFY(writeFile(root.filePath("evil"), kOldProgram));

        UpdateCheck check;
        prepare(&check, root.filePath("program"), keyed ? publicKey() : QByteArray(), &launches);
        QSignalSpy found(&check, &UpdateCheck::updateFound), none(&check, &UpdateCheck::nothingFound);
        check.start();
        QVERIFY(none.wait());
        QCOMPARE(found.size(), 0);
        QVERIFY(check.updates().isEmpty());
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
        QCOMPARE(watcher.seen.size(), 1);
    }

    void onlyWholeRepliesCount_data()
    {
        QTest::addColumn<QString>("path"); // the reply that goes wrong; the others are right
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<bool>("keyed");
        for (const QByteArray kind : {"302", "404", "500", "short"}) {
            for (const bool keyed : {false, true})
                QTest::addRow("file %s, %s", kind.data(), keyed ? "signed" : "unsigned") << kFile << kind << keyed;
        }
        // Bytes past the announced length are not part of the reply, so only a signed size can catch them.
        QTest::newRow("file long, signed") << kFile << QByteArray("long") << true;
        QTest::newRow("manifest 302") << "update.ini" << QByteArray("302") << false;
        QTest::newRow("manifest short") << "update.ini" << QByteArray("short") << false;
        QTest::newRow("signature 302") << "update.ini.sig" << QByteArray("302") << true;
        QTest::newRow("signature short") << "update.ini.sig" << QByteArray("short") << true;
    }

    void onlyWholeRepliesCount()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, kind);
        QFETCH(bool, keyed);
        const QHash<QString, QByteArray> bodies{
            {"update.ini", kManifest}, {"update.ini.sig", sign(kManifest)}, {kFile, kNewProgram}};
        UpdateSite site;
        for (auto it = bodies.begin(); it != bodies.end(); ++it)
            site.serve(it.key(), it.value());
        // Each wrong reply carries the right bytes, so that nothing but its status or length can refuse it.
        const QByteArray body = bodies.value(path);
        site.serve("elsewhere", body);
        if (kind == "short" || kind == "long")
            site.serveRaw(path, reply("200 OK", body.size() + (kind == "short" ? 100 : -100), body));
        else
            site.serveRaw(path, reply(kind + " Whatever\r\nLocation: /elsewhere", body.size(), body));

        const bool fileFails = path == kFile;
        const int checkReplies = keyed ? 2 : 1;
        expectNothingInstalled(keyed, fileFails, checkReplies + int(fileFails), kind == "long");
        QVERIFY(!site.requests.contains("elsewhere"));
    }

    void endlessRepliesAreCutOff_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("head"); // status, headers and the start of what never ends
        QTest::addColumn<bool>("keyed");
        const QByteArray endless("200 OK\r\n\r\n");
        const QByteArray announced = "200 OK\r\nContent-Length: " + QByteArray::number(kNewProgram.size() + 1);
        QTest::newRow("manifest") << "update.ini" << QByteArray(endless + kManifest) << false;
        QTest::newRow("signature") << "update.ini.sig" << QByteArray(endless + sign(kManifest)) << true;
        QTest::newRow("signed file") << kFile << QByteArray(endless + kNewProgram) << true;
        QTest::newRow("signed file, announced") << kFile << QByteArray(announced + "\r\n\r\n" + kNewProgram) << true;
        QTest::newRow("unsigned file, announced")
            << kFile << QByteArray("200 OK\r\nContent-Length: " + QByteArray::number(qint64(257) << 20) + "\r\n\r\n")
            << false;
    }

    void endlessRepliesAreCutOff()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, head);
        QFETCH(bool, keyed);
        UpdateSite site;
        site.serve("update.ini", kManifest);
        site.serve("update.ini.sig", sign(kManifest));
        site.serveEndless(path, "HTTP/1.1 " + head);

        const bool fileFails = path == kFile;
        const int checkReplies = keyed ? 2 : 1;
        expectNothingInstalled(keyed, fileFails, checkReplies + int(fileFails));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(errors.value(path), QNetworkReply::OperationCanceledError);
        QTRY_VERIFY(site.endlessHungUp);
        QVERIFY2(site.endlessSent < kFarTooMuch, QByteArray::number(site.endlessSent));
    }

    void verificationMessageFits_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << ""
                                 << "Glimra failed verification and was not installed.";
        QTest::newRow("Russian") << "://glimra_ru"
                                 << "Файл Glimra не прошёл проверку и не был установлен.";
    }

    void verificationMessageFits()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, text);
        QTranslator translator;
        QVERIFY(catalogue.isEmpty() || translator.load(catalogue));
        QCoreApplication::installTranslator(&translator);
        const auto restore = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
        UpdateSite site;
        site.serve("update.ini", kManifest);
        site.serve("update.ini.sig", sign(kManifest));
        site.serve(kFile, QByteArray(kNewProgram).replace(0, 1, "x"));
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("Glimra"), kOldProgram));

        UpdateDialog dialog;
        prepare(&dialog, folder.path(), publicKey(), &launches);
        QSignalSpy found(&dialog, &UpdateDialog::updateFound);
        dialog.checkForUpdates();
        QTRY_COMPARE(found.size(), 1);
        dialog.show();
        dialog.updateAll();
        QLabel *label = nullptr;
        QTRY_VERIFY((label = dialog.findChild<QLabel *>("verification_label")));
        QCOMPARE(label->text(), text);
        const auto *bar = dialog.findChild<NormalProgressBar *>();
        const auto inDialog = [&dialog](const QWidget *w) { return QRect(w->mapTo(&dialog, QPoint()), w->size()); };
        QTRY_VERIFY(!inDialog(label).intersects(inDialog(bar)) && dialog.rect().contains(inDialog(label)) &&
                    label->height() >= label->heightForWidth(label->width()));
    }

private:
    // Runs a check and, when it offers the update, the download; then nothing may have been
    // written or started, and only a complete file that failed verification is reported.
    void expectNothingInstalled(bool keyed, bool offered, int replies, bool reported = false)
    {
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("Glimra"), kOldProgram));
        UpdateCheck check;
        prepare(&check, folder.path(), keyed ? publicKey() : QByteArray(), &launches);
        QSignalSpy found(&check, &UpdateCheck::updateFound), refused(&check, &UpdateCheck::fileFailedVerification);
        QSignalSpy finished(check.downloadManager(), &DownloadManager::fileDownloaded);
        errors.clear();
        connect(check.downloadManager(), &DownloadManager::fileDownloaded, this,
                [this](QNetworkReply *reply) { errors.insert(reply->url().path().mid(1), reply->error()); });
        check.start();
        QTRY_COMPARE(finished.size(), replies - int(offered));
        QCOMPARE(found.size(), int(offered));
        if (offered) {
            check.fetchUpdates();
            QTRY_COMPARE(finished.size(), replies);
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Glimra"});
        QVERIFY(launches.isEmpty());
        QCOMPARE(refused.size(), int(reported));
    }

    QStringList launches;
    QHash<QString, QNetworkReply::NetworkError> errors; // of each finished reply, by path
};

GLIMRA_TEST_MAIN(TestUpdateSafety)
#include "test_updatesafety.moc"
