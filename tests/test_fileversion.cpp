#include "app/filemanager.h"
#include "app/fileversion.h"
#include "app/versionstamp.h"
#include "testhome.h"
#include "testpaths.h"

#include <QFile>

#include <QTemporaryDir>
#include <array>

class TestFileVersion : public QObject
{
    Q_OBJECT

private slots:
    void builtProgramCarriesProjectVersion();
    void bareNameIsLookedUpInProgramFolder();
    void stampedFileReadsBack_data();
    void stampedFileReadsBack();
    void fileWithoutStampFails_data();
    void fileWithoutStampFails();
    void cpDirCopiesVisibleTree();
    void cpDirNeedsExistingParent();
    void removeDirStopsAtHiddenEntries();
};

static bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void TestFileVersion::builtProgramCarriesProjectVersion()
{
    int v[4] = {-1, -1, -1, -1};
    QVERIFY(readFileVersion(QStringLiteral(GLIMRA_EXECUTABLE), v));
    QCOMPARE(QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]), QStringLiteral("1.1.2.0"));
    QCOMPARE(applicationFileVersion(), QStringLiteral("1.1.2.0"));
}

void TestFileVersion::bareNameIsLookedUpInProgramFolder()
{
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    int v[4] = {0, 0, 0, 0};
    QVERIFY(readFileVersion(ownName, v));
    QCOMPARE(v[2], 2);
}

void TestFileVersion::stampedFileReadsBack_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QVector<int>>("version");
    QTest::newRow("plain") << QByteArray() << QVector<int>{1, 1, 2, 0};
    QTest::newRow("after other bytes") << QByteArray(5000, 'x') << QVector<int>{2, 0, 10, 7};
    QTest::newRow("16-bit limits") << QByteArray("\0\1\2", 3) << QVector<int>{65535, 0, 256, 1};
}

void TestFileVersion::stampedFileReadsBack()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QVector<int>, version);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("support.so"));
    QVERIFY(writeFile(path, prefix + VersionStamp::make(version.constData()) + QByteArray("tail")));
    int v[4] = {-1, -1, -1, -1};
    QVERIFY(readFileVersion(path, v));
    QCOMPARE(QVector<int>(v, v + 4), version);
}

void TestFileVersion::fileWithoutStampFails_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("no stamp") << QByteArray(4096, '\x7f') << true;
    QTest::newRow("marker cut short") << VersionStamp::make(std::array<int, 4>{1, 2, 3, 4}.data()).left(24) << true;
}

void TestFileVersion::fileWithoutStampFails()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other"));
    if (create)
        QVERIFY(writeFile(path, content));
    int v[4] = {0, 0, 0, 0};
    QVERIFY(!readFileVersion(path, v));
}

void TestFileVersion::cpDirCopiesVisibleTree()
{
    QTemporaryDir dir;
    const QString src = dir.filePath(QStringLiteral("src"));
    QVERIFY(QDir().mkpath(src + QStringLiteral("/sub/deeper")));
    QVERIFY(writeFile(src + QStringLiteral("/a.jpg"), "a"));
    QVERIFY(writeFile(src + QStringLiteral("/sub/deeper/b.png"), "b"));
    QVERIFY(writeFile(src + QStringLiteral("/.hidden"), "h"));

    const QString dst = dir.filePath(QStringLiteral("dst"));
    QVERIFY(cpDir(src, dst));
    QVERIFY(QFile::exists(dst + QStringLiteral("/a.jpg")));
    QVERIFY(QFile::exists(dst + QStringLiteral("/sub/deeper/b.png")));
    QVERIFY(!QFile::exists(dst + QStringLiteral("/.hidden")));
    // A second copy meets existing targets and stops.
    QVERIFY(!cpDir(src, dst));
}

void TestFileVersion::cpDirNeedsExistingParent()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("f")), "x"));
    const QString dst = dir.filePath(QStringLiteral("missing/parent/dst"));
    QVERIFY(!cpDir(dir.path(), dst));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

void TestFileVersion::removeDirStopsAtHiddenEntries()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("images"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    QVERIFY(writeFile(folder + QStringLiteral("/sub/x.jpg"), "x"));
    QVERIFY(removeDir(folder));
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(removeDir(folder)); // absent folder: nothing to do

    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(folder + QStringLiteral("/.thumbs"), "x"));
    QVERIFY(writeFile(folder + QStringLiteral("/y.jpg"), "y"));
    QVERIFY(!removeDir(folder));
    QVERIFY(QFile::exists(folder + QStringLiteral("/.thumbs")));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/y.jpg")));
}

GLIMRA_TEST_MAIN(TestFileVersion)
#include "test_fileversion.moc"
