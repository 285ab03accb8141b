#include "buildconfig.h"
#include "core/fileversion.h"
#include "core/versionstamp.h"
#include "testhome.h"
#include "testpaths.h"

#include <QFile>
#include <QTemporaryDir>

// The version the build stamps into executables, read back from any named file.
class TestFileVersion : public QObject
{
    Q_OBJECT

private slots:
    void builtProgramCarriesProjectVersion();
    void readsStampOrFails_data();
    void readsStampOrFails();
};

void TestFileVersion::builtProgramCarriesProjectVersion()
{
    int v[4] = {-1, -1, -1, -1};
    QVERIFY(readFileVersion(QStringLiteral(GLIMRA_EXECUTABLE), v));
    QCOMPARE(QVector<int>(v, v + 4),
             (QVector<int>{GLIMRA_VERSION_MAJOR, GLIMRA_VERSION_MINOR, GLIMRA_VERSION_PATCH, GLIMRA_VERSION_BUILD}));
    // A bare name is looked up in the program's folder; test programs carry the stamp too.
    QVERIFY(readFileVersion(QFileInfo(QCoreApplication::applicationFilePath()).fileName(), v));
    QCOMPARE(applicationFileVersion(), QStringLiteral(GLIMRA_VERSION_STRING));
}

void TestFileVersion::readsStampOrFails_data()
{
    QTest::addColumn<QByteArray>("content");   // empty: no file at all
    QTest::addColumn<QVector<int>>("version"); // empty: reading fails
    const int big[4] = {65535, 0, 256, 1};
    const int small[4] = {1, 2, 3, 4};
    QTest::newRow("stamp after other bytes")
        << QByteArray(5000, 'x') + VersionStamp::make(big) + "tail" << QVector<int>{65535, 0, 256, 1};
    QTest::newRow("missing file") << QByteArray() << QVector<int>();
    QTest::newRow("no stamp") << QByteArray(4096, '\x7f') << QVector<int>();
    QTest::newRow("stamp cut short") << VersionStamp::make(small).left(24) << QVector<int>();
}

void TestFileVersion::readsStampOrFails()
{
    QFETCH(QByteArray, content);
    QFETCH(QVector<int>, version);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("support.so"));
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    int v[4] = {-1, -1, -1, -1};
    QCOMPARE(readFileVersion(path, v), !version.isEmpty());
    if (!version.isEmpty())
        QCOMPARE(QVector<int>(v, v + 4), version);
}

GLIMRA_TEST_MAIN(TestFileVersion)
#include "test_fileversion.moc"
