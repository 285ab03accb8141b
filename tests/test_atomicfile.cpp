#include "core/atomicfile.h"
#include "preferences/autostart.h"
#include "testhome.h"
#include "tmpfsmount.h"

class TestAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    // Saving on a full disk fails without touching the file it was meant to replace or leaving a temporary.
    void fullDiskKeepsTheOldFiles()
    {
        TmpfsMount disk(64 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.errorString()));
#ifndef Q_OS_WIN // there the log-on entry is a registry value, and no tmpfs mounts anyway
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(disk.path())); // for the rest of this process
        Autostart::write("\"/old/Glimra\"");
        const QByteArray entry = readFile(Autostart::desktopFilePath());
        QVERIFY(entry.contains("Exec=\"/old/Glimra\"\n"));
        const QString path = disk.filePath("messages.dat"), filler = disk.filePath("filler");
        QVERIFY(writeFileAtomically(path, entry));
        // 8 KiB left for 24 KiB, then no byte at all.
        QVERIFY(disk.fill(filler, 8 * 1024) <= 8 * 1024);
        QString error;
        QVERIFY(!writeFileAtomically(path, QByteArray(24 * 1024, 'n'), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(disk.fill(filler), qint64(0));
        Autostart::write("\"/new/Glimra\"");
        QCOMPARE(readFile(path), entry);
        QCOMPARE(readFile(Autostart::desktopFilePath()), entry);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "messages.dat"}));
        QCOMPARE(QDir(disk.path() + "/autostart").entryList(QDir::Files | QDir::Hidden), QStringList("Glimra.desktop"));
#endif
    }
};

GLIMRA_TEST_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
