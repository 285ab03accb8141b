#include "testhome.h"
#include "updater/downloadmanager.h"
#include "updater/normalprogressbar.h"
#include "updater/updatemanifest.h"

#include <QHash>
#include <QVector>

// Manifest reading and version comparison, without network or dialog.
class TestUpdateManifest : public QObject
{
    Q_OBJECT

private slots:
    void manifestOffersNewerFiles_data();
    void manifestOffersNewerFiles();
    void signedLinesNeedDigestAndSize_data();
    void signedLinesNeedDigestAndSize();
    void fileNameComesFromUrlPath_data();
    void fileNameComesFromUrlPath();
    void progressBarTakesTotalThenValue();
};

namespace {

const QString kBase = QStringLiteral("http://updates.test/updates/linux/");
const QString kSha = QStringLiteral("9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08");

// "name:1.2.3.4,other:5.6.7.8" -> a reader that knows exactly those files.
UpdateManifest::VersionReader readerFor(const QString &locals)
{
    QHash<QString, QVector<int>> versions;
    for (const QString &entry : locals.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        QVector<int> v;
        for (const QString &piece : parts.at(1).split(QLatin1Char('.')))
            v.append(piece.toInt());
        versions.insert(parts.at(0), v);
    }
    return [versions](const QString &name, int version[4]) {
        if (!versions.contains(name))
            return false;
        for (int i = 0; i < 4; ++i)
            version[i] = versions.value(name).at(i);
        return true;
    };
}

QStringList offered(const UpdateManifest::Result &result)
{
    QStringList urls;
    for (const UpdateEntry &entry : result.updates)
        urls.append(entry.url.toString());
    return urls;
}

} // namespace

void TestUpdateManifest::manifestOffersNewerFiles_data()
{
    QTest::addColumn<QString>("manifest");
    QTest::addColumn<QString>("locals");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QString>("currentLabel");
    QTest::addColumn<QString>("newLabel");

    const auto url = [](const QString &tail) { return QStringList{kBase + tail}; };
    QTest::newRow("components compare as numbers") << "Glimra=1.1.10.0\r\n"
                                                   << "Glimra:1.1.2.0" << url("1.1.10.0/Glimra") << "1.1.2.0"
                                                   << "1.1.10.0";
    QTest::newRow("equal is not newer") << "Glimra=1.1.2.0\r\n"
                                        << "Glimra:1.1.2.0" << QStringList() << "1.1.2.0"
                                        << "1.1.2.0";
    QTest::newRow("short version newer") << "Glimra=1.2"
                                         << "Glimra:1.1.9.9" << url("1.2/Glimra") << "1.1.9.9"
                                         << "1.2";
    QTest::newRow("short version older") << "Glimra=1.2"
                                         << "Glimra:1.2.0.1" << QStringList() << "1.2.0.1"
                                         << "1.2";
    QTest::newRow("major decides") << "Glimra=2.0.0.0"
                                   << "Glimra:1.9.9.9" << url("2.0.0.0/Glimra") << "1.9.9.9"
                                   << "2.0.0.0";
    QTest::newRow("same major release") << "Glimra=2.0.0.0"
                                        << "Glimra:2.0.0.0" << QStringList() << "2.0.0.0"
                                        << "2.0.0.0";
    QTest::newRow("empty piece dropped") << "Glimra=1..2"
                                         << "Glimra:1.1.9.9" << url("1..2/Glimra") << "1.1.9.9"
                                         << "1..2";
    QTest::newRow("not a number is zero") << "Glimra=1.x.5"
                                          << "Glimra:1.0.4.0" << url("1.x.5/Glimra") << "1.0.4.0"
                                          << "1.x.5";
    QTest::newRow("missing pieces carry over") << "a.dat=1.2.3.4\r\nb.dat=3\r\n"
                                               << "a.dat:9.9.9.9,b.dat:3.2.3.3" << url("3/b.dat") << "3.2.3.3"
                                               << "3";
    QTest::newRow("missing local file") << "Other.so=9.0.0.0\r\n"
                                        << "Glimra:1.1.2.0" << QStringList() << QString() << QString();
    QTest::newRow("labels from last readable line") << "Glimra=1.2\r\nOther.so=5.0\r\n"
                                                    << "Glimra:1.1.9.9" << url("1.2/Glimra") << "1.1.9.9"
                                                    << "1.2";
    QTest::newRow("lines without = skipped") << "garbage\r\n\r\nGlimra=1.2\r\n"
                                             << "Glimra:1.1.0.0" << url("1.2/Glimra") << "1.1.0.0"
                                             << "1.2";
    QTest::newRow("five components skipped without touching the rest") << "Glimra=1.2.3.4.5\r\nGlimra=2\r\n"
                                                                       << "Glimra:2.1.0.0" << QStringList() << "2.1.0.0"
                                                                       << "2";
    QTest::newRow("two newer files in order")
        << "a.dat=2.0\r\nGlimra=1.2\r\n"
        << "a.dat:1.0.0.0,Glimra:1.1.0.0" << QStringList{kBase + "2.0/a.dat", kBase + "1.2/Glimra"} << "1.1.0.0"
        << "1.2";
    QTest::newRow("names outside the folder skipped")
        << "../Glimra=9\r\nsub/Glimra=9\r\n"
        << "../Glimra:1.0.0.0,sub/Glimra:1.0.0.0" << QStringList() << QString() << QString();
    QTest::newRow("only LF does not split") << "Glimra=1.0.0.0\nGlimra=9"
                                            << "Glimra:1.0.0.0" << QStringList() << "1.0.0.0"
                                            << "1.0.0.0\nGlimra";
}

void TestUpdateManifest::manifestOffersNewerFiles()
{
    QFETCH(QString, manifest);
    QFETCH(QString, locals);
    QFETCH(QStringList, urls);
    QFETCH(QString, currentLabel);
    QFETCH(QString, newLabel);

    const UpdateManifest::Result result = UpdateManifest::evaluate(manifest, kBase, readerFor(locals));
    QCOMPARE(offered(result), urls);
    QCOMPARE(result.hasVersions, !currentLabel.isEmpty());
    QCOMPARE(result.currentVersion, currentLabel);
    QCOMPARE(result.offeredVersion, newLabel);
    for (const UpdateEntry &entry : result.updates) {
        QVERIFY(entry.sha256.isEmpty());
        QCOMPARE(entry.url.toString(), kBase + entry.versionText + QLatin1Char('/') + entry.fileName);
    }
}

void TestUpdateManifest::signedLinesNeedDigestAndSize_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<qint64>("size");

    QTest::newRow("digest and size") << "Glimra=1.2=" + kSha + "=4" << true << qint64(4);
    QTest::newRow("upper-case digest") << "Glimra=1.2=" + kSha.toUpper() + "=4" << true << qint64(4);
    QTest::newRow("no digest") << "Glimra=1.2" << false << qint64(-1);
    QTest::newRow("digest without size") << "Glimra=1.2=" + kSha << false << qint64(-1);
    QTest::newRow("short digest") << "Glimra=1.2=" + kSha.left(63) + "=4" << false << qint64(-1);
    QTest::newRow("digest not hex") << "Glimra=1.2=" + kSha.left(63) + "g=4" << false << qint64(-1);
    QTest::newRow("negative size") << "Glimra=1.2=" + kSha + "=-4" << false << qint64(-1);
    QTest::newRow("size not a number") << "Glimra=1.2=" + kSha + "=4k" << false << qint64(-1);
    QTest::newRow("empty size") << "Glimra=1.2=" + kSha + "=" << false << qint64(-1);
}

void TestUpdateManifest::signedLinesNeedDigestAndSize()
{
    QFETCH(QString, line);
    QFETCH(bool, accepted);
    QFETCH(qint64, size);

    const auto reader = readerFor(QStringLiteral("Glimra:1.1.0.0"));
    const UpdateManifest::Result result = UpdateManifest::evaluate(line + "\r\n", kBase, reader, true);
    QCOMPARE(result.updates.size(), accepted ? 1 : 0);
    if (accepted) {
        QCOMPARE(result.updates.first().sha256.toHex(), kSha.toLatin1());
        QCOMPARE(result.updates.first().size, size);
        QCOMPARE(result.updates.first().url.toString(), kBase + "1.2/Glimra");
    }
    // Unsigned reading takes the version and leaves the rest alone.
    QCOMPARE(UpdateManifest::evaluate(line, kBase, reader).updates.size(), 1);
}

void TestUpdateManifest::fileNameComesFromUrlPath_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");

    QTest::newRow("update file") << kBase + "1.2.0.0/Glimra"
                                 << "Glimra";
    QTest::newRow("trailing slash") << kBase << "download";
    QTest::newRow("no path") << "http://updates.test"
                             << "download";
    QTest::newRow("encoded name decoded") << kBase + "1.2/My%20File.so"
                                          << "My File.so";
    QTest::newRow("query ignored") << kBase + "1.2/Glimra?x=1"
                                   << "Glimra";
}

void TestUpdateManifest::fileNameComesFromUrlPath()
{
    QFETCH(QString, url);
    QFETCH(QString, name);
    QCOMPARE(DownloadManager::fileNameFromUrl(QUrl(url, QUrl::TolerantMode)), name);
}

void TestUpdateManifest::progressBarTakesTotalThenValue()
{
    QWidget parent;
    NormalProgressBar bar(&parent);
    bar.setNewValue(5000, 20000);
    QCOMPARE(bar.maximum(), 20000);
    QCOMPARE(bar.value(), 5000);
    bar.setNewValue(15000, 20000);
    QCOMPARE(bar.maximum(), 20000);
    QCOMPARE(bar.value(), 15000);
    // A total that changes mid-way (a second Update on the same bar) is taken over.
    bar.setNewValue(100, 300);
    QCOMPARE(bar.maximum(), 300);
    QCOMPARE(bar.value(), 100);
}

GLIMRA_TEST_MAIN(TestUpdateManifest)
#include "test_updatemanifest.moc"
