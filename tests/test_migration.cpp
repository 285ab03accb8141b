#include "app/migration.h"
#include "core/filemanager.h"
#include "testhome.h"
#include "tmpfsmount.h"

#include <QDirIterator>

// Files are written and compared as sorted "path=content" entries separated by spaces. Symlinked
// folders are not entered, so each file shows once, where it really is.
namespace {

void write(const QString &root, const QString &entries)
{
    for (const QString &entry : entries.split(' ', Qt::SkipEmptyParts))
        QVERIFY(writeFile(root + '/' + entry.section('=', 0, 0), entry.section('=', 1).toUtf8()));
}

QString read(const QString &root)
{
    QStringList entries;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); !it.next().isEmpty();)
        entries << QDir(root).relativeFilePath(it.filePath()) + '=' + readFile(it.filePath());
    entries.sort();
    return entries.join(' ');
}

void migrate(const QString &exe, const QString &data)
{
    LegacyMigration(exe + "/messages.dat", exe + "/images", data + "/messages.dat", data + "/images").run();
}

} // namespace

class TestMigration : public QObject
{
    Q_OBJECT

private slots:
    void migratesWithoutLoss_data()
    {
        QTest::addColumn<QStringList>("folders"); // program, data; then maybe a symlink and its target
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const auto row = [](const char *name, const QString &folders, const QString &before, const QString &after) {
            QTest::newRow(name) << folders.split(' ') << before << after;
        };
        row("user's files win, legacy ones kept beside", "old new",
            "old/messages.dat=L old/images/a=L old/images/t/b=b new/messages.dat=U new/images/a=U",
            "new/images/a-1=L new/images/a=U new/images/t/b=b new/messages.dat.legacy=L "
            "new/messages.dat=U");
        row("same library dropped, hidden file and failed copy stay", "old new",
            "old/messages.dat=S old/images/a=a old/images/.h=h old/images/t/b=b new/messages.dat=S new/images/t=f",
            "new/images/a=a new/images/t=f new/messages.dat=S old/images/.h=h old/images/a=a old/images/t/b=b");
        const QString real = "real/images/a=a real/images/sub/b=b real/messages.dat=L";
        row("program folder links to data folder", "link real link real", real, real);
        row("data folder links to program folder", "real/images/../ link link real", real, real);
        row("images folder links to the legacy one", "real link link/images real/images", real,
            "link/messages.dat=L real/images/a=a real/images/sub/b=b");
        row("data folder inside the legacy images", "real real/images/sub", real,
            "real/images/a=a real/images/sub/b=b real/images/sub/messages.dat=L");
    }

    void migratesWithoutLoss()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QTemporaryDir root;
        const auto at = [&](int i) { return root.filePath(folders.at(i)); };
        write(root.path(), before);
        if (folders.size() > 2)
            QVERIFY(QDir().mkpath(QFileInfo(at(2)).absolutePath()) && QFile::link(at(3), at(2)));
        for (int run = 0; run < 3; ++run) {
            migrate(at(0), at(1));
            QCOMPARE(read(root.path()), after);
        }
    }

    // A mount, as root may delete anywhere it can write. Each quit saves the library anew.
    void readOnlyLegacyLibraryIsCopiedOnce()
    {
        TmpfsMount exe(1024 * 1024);
        QTemporaryDir data;
        write(exe.path(), "images/a=a messages.dat=L");
        if (!exe.setReadOnly(true))
            QSKIP(qPrintable("no read-only folder: " + exe.errorString()));
        for (const char *library : {"L", "saved", "saved"}) {
            migrate(exe.path(), data.path());
            QCOMPARE(read(exe.path()), "images/a=a messages.dat=L");
            QCOMPARE(read(data.path()), QString("images/a=a messages.dat.legacy=L messages.dat=") + library);
            write(data.path(), "messages.dat=saved");
        }
    }

    void cpDirCopiesTheVisibleTreeIntoAnExistingParentOnly()
    {
        QTemporaryDir dir;
        write(dir.path(), "src/a=a src/sub/b=b src/.hidden=h");
        QVERIFY(cpDir(dir.filePath("src"), dir.filePath("dst")));
        QCOMPARE(read(dir.filePath("dst")), "a=a sub/b=b");
        QVERIFY(!cpDir(dir.filePath("src"), dir.filePath("missing/dst")) &&
                !QFileInfo::exists(dir.filePath("missing")));
    }
};

GLIMRA_TEST_MAIN(TestMigration)
#include "test_migration.moc"
