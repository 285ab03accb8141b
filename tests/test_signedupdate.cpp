#include "extra_updatefixture.h"
#include "testhome.h"
#include "testpaths.h"
#include "updater/downloadmanager.h"
#include "updater/updatedialog.h"
#include "updater/updateverifier.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QNetworkReply>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>

#include <openssl/evp.h>
#include <openssl/pem.h>

using namespace UpdateFixture;

// Signed updates against a local server, with the project's test-only key pair.
class TestSignedUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signatureCoversExactBytes_data();
    void signatureCoversExactBytes();
    void signedUpdateIsInstalled();
    void refusedManifestStartsNothing_data();
    void refusedManifestStartsNothing();
    void refusedFileIsNotWritten_data();
    void refusedFileIsNotWritten();
    void unhashedLineIsIgnoredWhenKeyed();
    void unkeyedRunUpdatesAsBefore();
    void signToolOutputInstallsUpdate();

private:
    UpdateDialog *startCheck(const QByteArray &key);

    QTemporaryDir *folder = nullptr;
    LaunchRecorder launches;
    QByteArray publicKey;
    QByteArray newProgram;
};

namespace {

const QString kKeyFile = QStringLiteral(GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing.key");
const QString kPubFile = QStringLiteral(GLIMRA_TEST_DATA_DIR "/TEST-ONLY-update-signing.pub");

EVP_PKEY *readPem(const QString &path, bool privateKey)
{
    const QByteArray pem = readFile(path);
    BIO *bio = BIO_new_mem_buf(pem.constData(), pem.size());
    EVP_PKEY *key = privateKey ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr)
                               : PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    return key;
}

QByteArray rawPublicKey(EVP_PKEY *key)
{
    QByteArray raw(32, '\0');
    size_t length = size_t(raw.size());
    if (!key || EVP_PKEY_get_raw_public_key(key, reinterpret_cast<unsigned char *>(raw.data()), &length) != 1)
        return QByteArray();
    return raw;
}

QByteArray signWith(EVP_PKEY *key, const QByteArray &message)
{
    QByteArray signature(64, '\0');
    size_t length = size_t(signature.size());
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    const bool ok =
        EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, key) == 1 &&
        EVP_DigestSign(ctx, reinterpret_cast<unsigned char *>(signature.data()), &length,
                       reinterpret_cast<const unsigned char *>(message.constData()), size_t(message.size())) == 1;
    EVP_MD_CTX_free(ctx);
    return ok ? signature : QByteArray();
}

QByteArray sign(const QByteArray &message)
{
    EVP_PKEY *key = readPem(kKeyFile, true);
    const QByteArray signature = signWith(key, message);
    EVP_PKEY_free(key);
    return signature;
}

QByteArray signWithFreshKey(const QByteArray &message)
{
    EVP_PKEY *key = nullptr;
    EVP_PKEY_CTX *ctx = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
    EVP_PKEY_keygen_init(ctx);
    EVP_PKEY_keygen(ctx, &key);
    EVP_PKEY_CTX_free(ctx);
    const QByteArray signature = signWith(key, message);
    EVP_PKEY_free(key);
    return signature;
}

QByteArray flipBit(QByteArray bytes, int at)
{
    bytes[at] = char(bytes.at(at) ^ 0x01);
    return bytes;
}

QByteArray line(const QString &name, const QString &version, const QByteArray &bytes)
{
    return (name + QLatin1Char('=') + version + QLatin1Char('=')).toUtf8() +
           QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '=' +
           QByteArray::number(bytes.size()) + "\r\n";
}

} // namespace

void TestSignedUpdate::initTestCase()
{
    qRegisterMetaType<QNetworkReply *>();
    EVP_PKEY *key = readPem(kPubFile, false);
    publicKey = rawPublicKey(key);
    EVP_PKEY_free(key);
    QCOMPARE(publicKey.size(), 32);
    newProgram = stampedBytes(QStringLiteral("1.2.0.0"), QByteArray(3000, 'n'));
}

UpdateDialog *TestSignedUpdate::startCheck(const QByteArray &key)
{
    delete folder;
    folder = new QTemporaryDir;
    writeFile(folder->filePath(QStringLiteral("Glimra")), stampedBytes(QStringLiteral("1.1.2.0"), "old program"));
    launches = {};
    auto *dialog = new UpdateDialog;
    dialog->setProgramFolder(folder->path());
    dialog->setPublicKey(key);
    launches.attach(dialog);
    return dialog;
}

void TestSignedUpdate::signatureCoversExactBytes_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<bool>("keyed");
    QTest::addColumn<bool>("valid");

    const QByteArray manifest = "Glimra=1.2.0.0=00=1\r\n";
    const QByteArray good = sign(manifest);
    QTest::newRow("signed bytes") << manifest << good << true << true;
    QTest::newRow("message bit flipped") << flipBit(manifest, 3) << good << true << false;
    QTest::newRow("one byte more") << manifest + '\0' << good << true << false;
    QTest::newRow("signature bit flipped") << manifest << flipBit(good, 40) << true << false;
    QTest::newRow("signature cut short") << manifest << good.left(63) << true << false;
    QTest::newRow("signed by another key") << manifest << signWithFreshKey(manifest) << true << false;
    QTest::newRow("no key verifies nothing") << manifest << good << false << false;
}

void TestSignedUpdate::signatureCoversExactBytes()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, signature);
    QFETCH(bool, keyed);
    QFETCH(bool, valid);
    const UpdateVerifier verifier(keyed ? publicKey : QByteArray());
    QCOMPARE(verifier.hasKey(), keyed);
    QCOMPARE(verifier.verifySignature(message, signature), valid);
}

void TestSignedUpdate::signedUpdateIsInstalled()
{
    UpdateSite site;
    const QByteArray manifest = line("Glimra", "1.2.0.0", newProgram);
    site.serveManifest(manifest);
    site.server.serve(sitePath("update.ini.sig"), sign(manifest));
    site.serveFile("1.2.0.0", "Glimra", newProgram);

    QPointer<UpdateDialog> dialog = startCheck(publicKey);
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    dialog->updateAll();
    QTRY_COMPARE(launches.commands.size(), 1);
    const QString replacement = folder->filePath(QStringLiteral("Glimra_new"));
    QCOMPARE(launches.commands.first(), QLatin1Char('"') + replacement + QLatin1Char('"'));
    QCOMPARE(launches.exitCodes.first(), 12);
    QCOMPARE(readFile(replacement), newProgram);
    delete dialog;
}

void TestSignedUpdate::refusedManifestStartsNothing_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<QByteArray>("signature"); // empty: no .sig on the server

    const QByteArray manifest = line("Glimra", "1.2.0.0", newProgram);
    const QByteArray other = line("Glimra", "1.3.0.0", newProgram);
    QTest::newRow("manifest bit flipped") << flipBit(manifest, 4) << sign(manifest);
    QTest::newRow("signature missing") << manifest << QByteArray();
    QTest::newRow("signature of another manifest") << manifest << sign(other);
    QTest::newRow("signed by another key") << manifest << signWithFreshKey(manifest);
}

void TestSignedUpdate::refusedManifestStartsNothing()
{
    QFETCH(QByteArray, served);
    QFETCH(QByteArray, signature);
    UpdateSite site;
    site.serveManifest(served);
    if (!signature.isEmpty())
        site.server.serve(sitePath("update.ini.sig"), signature);
    site.serveFile("1.2.0.0", "Glimra", newProgram);
    site.serveFile("1.3.0.0", "Glimra", newProgram);

    QPointer<UpdateDialog> dialog = startCheck(publicKey);
    QSignalSpy finished(dialog->downloadManager(), &DownloadManager::fileDownloaded);
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    QSignalSpy notFound(dialog, &UpdateDialog::updateNotFound);
    dialog->checkForUpdates();
    QTRY_COMPARE(finished.size(), 2);
    // Like a failed manifest request: no question, no notice, the dialog stays hidden.
    QVERIFY(found.isEmpty());
    QVERIFY(notFound.isEmpty());
    QVERIFY(dialog && !dialog->isVisible());
    QVERIFY(dialog->filesToFetch().isEmpty());
    dialog->updateAll();
    QCOMPARE(finished.size(), 2);
    QCOMPARE(site.server.requests().size(), 2);
    QVERIFY(!QFile::exists(folder->filePath(QStringLiteral("Glimra_new"))));
    QVERIFY(launches.commands.isEmpty());
    delete dialog;
}

void TestSignedUpdate::refusedFileIsNotWritten_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("stalled");
    QTest::addColumn<qint64>("claimedLength"); // for a stalled body; -1 sends no length

    const qint64 size = newProgram.size();
    QTest::newRow("byte flipped") << flipBit(newProgram, 200) << false << qint64(-1);
    QTest::newRow("truncated") << newProgram.left(newProgram.size() - 10) << false << qint64(-1);
    QTest::newRow("oversized") << newProgram + QByteArray(500, 'x') << false << qint64(-1);
    // These never end on their own: only cutting the download off at the signed size ends them.
    QTest::newRow("keeps sending past its size") << newProgram + QByteArray(500, 'x') << true << qint64(-1);
    QTest::newRow("announces more than its size") << newProgram.left(100) << true << size + 1;
}

void TestSignedUpdate::refusedFileIsNotWritten()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, stalled);
    QFETCH(qint64, claimedLength);
    UpdateSite site;
    const QByteArray manifest = line("Glimra", "1.2.0.0", newProgram);
    site.serveManifest(manifest);
    site.server.serve(sitePath("update.ini.sig"), sign(manifest));
    if (stalled)
        site.server.serveStalled(sitePath("1.2.0.0/Glimra"), body, claimedLength);
    else
        site.serveFile("1.2.0.0", "Glimra", body);

    QPointer<UpdateDialog> dialog = startCheck(publicKey);
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    QSignalSpy finished(dialog->downloadManager(), &DownloadManager::fileDownloaded);
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    dialog->updateAll();
    QTRY_COMPARE(finished.size(), 3);
    const QLabel *notice = dialog->findChild<QLabel *>(QStringLiteral("verification_label"));
    QVERIFY(notice);
    QCOMPARE(notice->text(), QStringLiteral("Glimra failed verification and was not installed."));
    QVERIFY(!QFile::exists(folder->filePath(QStringLiteral("Glimra_new"))));
    QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList{QStringLiteral("Glimra")});
    QVERIFY(launches.commands.isEmpty());
    QVERIFY(dialog->isUpdateAvailable());
    delete dialog;
}

void TestSignedUpdate::unhashedLineIsIgnoredWhenKeyed()
{
    UpdateSite site;
    const QByteArray helper = stampedBytes(QStringLiteral("1.0.1.0"), "new helper");
    const QByteArray manifest = "Glimra=1.2.0.0\r\n" + line("helper.so", "1.0.1.0", helper);
    site.serveManifest(manifest);
    site.server.serve(sitePath("update.ini.sig"), sign(manifest));

    QPointer<UpdateDialog> dialog = startCheck(publicKey);
    writeFile(folder->filePath(QStringLiteral("helper.so")), stampedBytes(QStringLiteral("1.0.0.0"), "helper"));
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    QCOMPARE(found.size(), 1);
    QCOMPARE(dialog->filesToFetch(), QList<QUrl>{QUrl(site.server.url(sitePath("1.0.1.0/helper.so")))});
    QCOMPARE(dialog->availableVersion(), QStringLiteral("1.0.1.0"));
    delete dialog;

    // With only the unhashed line there is nothing to offer.
    site.serveManifest("Glimra=1.2.0.0\r\n");
    site.server.serve(sitePath("update.ini.sig"), sign("Glimra=1.2.0.0\r\n"));
    dialog = startCheck(publicKey);
    QSignalSpy notFound(dialog, &UpdateDialog::updateNotFound);
    dialog->checkForUpdates();
    QVERIFY(notFound.wait());
    QTRY_VERIFY(dialog.isNull());
}

void TestSignedUpdate::unkeyedRunUpdatesAsBefore()
{
    UpdateSite site;
    // Without a key the digest fields are not looked at, right or wrong.
    site.serveManifest("Glimra=1.2.0.0=" + QByteArray(64, 'a') + "=1\r\n");
    site.serveFile("1.2.0.0", "Glimra", newProgram);

    QPointer<UpdateDialog> dialog = startCheck(QByteArray());
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    QTest::ignoreMessage(QtDebugMsg, "Updates are unverified: this build has no update signing key");
    dialog->checkForUpdates();
    QVERIFY(found.wait());
    dialog->updateAll();
    QTRY_COMPARE(launches.commands.size(), 1);
    QCOMPARE(readFile(folder->filePath(QStringLiteral("Glimra_new"))), newProgram);
    QCOMPARE(site.requestCount("update.ini.sig"), 0);
    delete dialog;
}

void TestSignedUpdate::signToolOutputInstallsUpdate()
{
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("sign-update needs python3 and openssl");
    QTemporaryDir release;
    QTemporaryDir upload;
    const QByteArray helper = stampedBytes(QStringLiteral("1.0.1.0"), "new helper");
    QVERIFY(writeFile(release.filePath(QStringLiteral("Glimra")), newProgram));
    QVERIFY(writeFile(release.filePath(QStringLiteral("helper.so")), helper));

    const QString tool = QStringLiteral(GLIMRA_SOURCE_DIR "/tools/sign-update");
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(tool, {QStringLiteral("--out"), upload.path(), release.path(), kKeyFile});
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(run.exitCode(), 0);
    run.start(tool, {QStringLiteral("--print-public-key"), kKeyFile});
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(run.readAllStandardOutput().trimmed(), publicKey.toHex());

    const QByteArray manifest = readFile(upload.filePath(QStringLiteral("update.ini")));
    QCOMPARE(manifest, line("helper.so", "1.0.1.0", helper) + line("Glimra", "1.2.0.0", newProgram));
    QVERIFY(UpdateVerifier(publicKey).verifySignature(manifest, readFile(upload.filePath("update.ini.sig"))));

    // Served as uploaded, the tree drives a complete signed update.
    UpdateSite site;
    QDirIterator files(upload.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        site.server.serve(sitePath(QDir(upload.path()).relativeFilePath(path)), readFile(path));
    }
    QPointer<UpdateDialog> dialog = startCheck(publicKey);
    writeFile(folder->filePath(QStringLiteral("helper.so")), stampedBytes(QStringLiteral("1.0.0.0"), "helper"));
    QSignalSpy found(dialog, &UpdateDialog::updateFound);
    dialog->checkForUpdates();
    QTRY_COMPARE(found.size(), 2);
    dialog->updateAll();
    QTRY_COMPARE(readFile(folder->filePath(QStringLiteral("helper.so"))), helper);
    QTRY_COMPARE(launches.commands.size(), 1);
    QCOMPARE(readFile(folder->filePath(QStringLiteral("Glimra_new"))), newProgram);
    delete dialog;
    delete folder;
    folder = nullptr;
}

GLIMRA_TEST_MAIN(TestSignedUpdate)
#include "test_signedupdate.moc"
