#include "core/atomicfile.h"
#include "library/libraryfile.h"
#include "preferences/autostart.h"
#include "testhome.h"
#include "tmpfsmount.h"

#include <QDir>
#include <QScopeGuard>

// Files of a folder and nothing else, so that a temporary left behind shows.
static QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Saving on a full disk fails without touching the file it was meant to replace.
class TestAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!TmpfsMount(4096).isMounted())
            QSKIP("no small file system to fill");
    }

    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("throughLibrary"); // LibraryFile::saveAtomically rather than the bare function
        QTest::addColumn<qint64>("keepFree");
        QTest::addColumn<int>("newSize");
        for (const bool library : {false, true}) {
            QTest::addRow("%s: no byte free", library ? "library" : "any file") << library << qint64(0) << 100;
            QTest::addRow("%s: 8 KiB free for 24 KiB", library ? "library" : "any file")
                << library << qint64(8 * 1024) << 24 * 1024;
        }
    }

    void fullDiskKeepsTheOldFile()
    {
        QFETCH(bool, throughLibrary);
        QFETCH(qint64, keepFree);
        QFETCH(int, newSize);
        TmpfsMount disk(64 * 1024);
        const QString path = disk.filePath(QStringLiteral("messages.dat"));
        const QByteArray old(3000, 'o'), replacement(newSize, 'n');
        QVERIFY(writeFileAtomically(path, old));
        const QString filler = disk.filePath(QStringLiteral("filler"));
        QVERIFY(disk.fill(filler, keepFree) <= keepFree);
        QVERIFY(disk.freeBytes() < newSize);
        const auto save = [&](QString *error) {
            return throughLibrary ? LibraryFile::saveAtomically(path, replacement, error)
                                  : writeFileAtomically(path, replacement, error);
        };
        QString error;
        QVERIFY(!save(&error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(LibraryFile::readFileBytes(path), old);
        QCOMPARE(entries(disk.path()), QStringList({"filler", "messages.dat"}));
        // With room again, the same call replaces the file.
        QVERIFY(QFile::remove(filler));
        QVERIFY(save(nullptr));
        QCOMPARE(LibraryFile::readFileBytes(path), replacement);
    }

    void fullDiskKeepsTheLogOnEntry()
    {
#ifdef Q_OS_WIN
        QSKIP("the log-on entry is a registry value on Windows");
#else
        TmpfsMount disk(64 * 1024);
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", configHome); });
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(disk.path()));
        Autostart::write(QStringLiteral("\"/old/Glimra\""));
        const QByteArray old = LibraryFile::readFileBytes(Autostart::desktopFilePath());
        QVERIFY(old.contains("Exec=\"/old/Glimra\"\n"));
        QCOMPARE(disk.fill(disk.filePath(QStringLiteral("filler"))), qint64(0));
        Autostart::write(QStringLiteral("\"/new/Glimra\""));
        QCOMPARE(LibraryFile::readFileBytes(Autostart::desktopFilePath()), old);
        QCOMPARE(entries(disk.path() + QStringLiteral("/autostart")), QStringList{"Glimra.desktop"});
#endif
    }
};

GLIMRA_TEST_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
