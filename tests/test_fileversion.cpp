#include "buildconfig.h"
#include "core/fileversion.h"
#include "testhome.h"
#include "testpaths.h"

class TestFileVersion : public QObject
{
    Q_OBJECT

private slots:
    void readsStampOrFails()
    {
        int v[4];
        QVERIFY(readFileVersion(GLIMRA_EXECUTABLE, v));
        QCOMPARE(QVersionNumber({v[0], v[1], v[2], v[3]}).toString(), QString(GLIMRA_VERSION_STRING));
        QCOMPARE(applicationFileVersion(), QString(GLIMRA_VERSION_STRING)); // test programs carry the stamp too
        const QByteArray stamp = QByteArray("GLIMRA-VERSION") + "-STAMP:" + QByteArray::fromHex("ffff000000010100");
        for (const QByteArray &content : {"x" + stamp + "tail", stamp, stamp.chopped(1), stamp.mid(1), QByteArray()}) {
            const QString path = QDir::home().filePath(QString::number(content.size())); // empty: no file
            QVERIFY(content.isEmpty() || writeFile(path, content));
            QCOMPARE(readFileVersion(path, v), content.contains(stamp));
            QVERIFY(!content.contains(stamp) || QVector<int>(v, v + 4) == (QVector<int>{65535, 0, 256, 1}));
        }
    }
};

GLIMRA_TEST_MAIN(TestFileVersion)
#include "test_fileversion.moc"
