#include "app/filemanager.h"
#include "app/migration.h"
#include "testhome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

using Files = QMap<QString, QString>; // relative path -> content

// Legacy data beside the executable moves into the per-user folder without ever losing a file,
// and running the migration again changes nothing.
class TestMigration : public QObject
{
    Q_OBJECT

private slots:
    void migratesWithoutLoss_data();
    void migratesWithoutLoss();
    void cpDirCopiesVisibleTreeOnly();
    void removeDirStopsAtHiddenEntries();

private:
    static void write(const QString &root, const Files &files);
    static Files read(const QString &root);
};

void TestMigration::write(const QString &root, const Files &files)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = root + QLatin1Char('/') + it.key();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(it.value().toUtf8());
    }
}

Files TestMigration::read(const QString &root)
{
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            files.insert(QDir(root).relativeFilePath(file.fileName()), QString::fromUtf8(file.readAll()));
    }
    return files;
}

void TestMigration::migratesWithoutLoss_data()
{
    QTest::addColumn<Files>("legacy");
    QTest::addColumn<Files>("user");
    QTest::addColumn<Files>("legacyAfter");
    QTest::addColumn<Files>("userAfter");
    const QString m = QStringLiteral("messages.dat");
    QTest::newRow("library moves") << Files{{m, "L"}} << Files{} << Files{} << Files{{m, "L"}};
    QTest::newRow("user library wins, legacy kept aside")
        << Files{{m, "L"}} << Files{{m, "U"}} << Files{} << Files{{m, "U"}, {m + ".legacy", "L"}};
    QTest::newRow("identical library dropped") << Files{{m, "S"}} << Files{{m, "S"}} << Files{} << Files{{m, "S"}};
    QTest::newRow("pictures merge with subfolders")
        << Files{{"images/a.jpg", "a"}, {"images/trip/deep/b.png", "b"}} << Files{{"images/mine.png", "u"}} << Files{}
        << Files{{"images/a.jpg", "a"}, {"images/trip/deep/b.png", "b"}, {"images/mine.png", "u"}};
    QTest::newRow("name clash keeps both")
        << Files{{"images/beach_0.jpg", "L"}} << Files{{"images/beach_0.jpg", "U"}} << Files{}
        << Files{{"images/beach_0.jpg", "U"}, {"images/beach_0-1.jpg", "L"}};
    QTest::newRow("hidden file is not copied and keeps its folder")
        << Files{{"images/.hidden", "h"}, {"images/x.jpg", "x"}} << Files{} << Files{{"images/.hidden", "h"}}
        << Files{{"images/x.jpg", "x"}};
    QTest::newRow("failed copy leaves the legacy tree")
        << Files{{"images/a.jpg", "a"}, {"images/sub/b.jpg", "b"}} << Files{{"images/sub", "a file"}}
        << Files{{"images/a.jpg", "a"}, {"images/sub/b.jpg", "b"}}
        << Files{{"images/a.jpg", "a"}, {"images/sub", "a file"}};
}

void TestMigration::migratesWithoutLoss()
{
    QFETCH(Files, legacy);
    QFETCH(Files, user);
    QFETCH(Files, legacyAfter);
    QFETCH(Files, userAfter);
    QTemporaryDir exe;
    QTemporaryDir data;
    write(exe.path(), legacy);
    write(data.path(), user);
    LegacyMigration migration(exe.filePath(QStringLiteral("messages.dat")), exe.filePath(QStringLiteral("images")),
                              data.filePath(QStringLiteral("messages.dat")), data.filePath(QStringLiteral("images")));
    for (int run = 0; run < 3; ++run) {
        migration.run();
        QCOMPARE(read(exe.path()), legacyAfter);
        QCOMPARE(read(data.path()), userAfter);
    }
}

void TestMigration::cpDirCopiesVisibleTreeOnly()
{
    QTemporaryDir dir;
    write(dir.path(), {{"src/a.jpg", "a"}, {"src/sub/b.png", "b"}, {"src/.hidden", "h"}});
    QVERIFY(cpDir(dir.filePath(QStringLiteral("src")), dir.filePath(QStringLiteral("dst"))));
    QCOMPARE(read(dir.filePath(QStringLiteral("dst"))), (Files{{"a.jpg", "a"}, {"sub/b.png", "b"}}));
    // Existing targets stop a second copy; a destination without its parent is refused.
    QVERIFY(!cpDir(dir.filePath(QStringLiteral("src")), dir.filePath(QStringLiteral("dst"))));
    QVERIFY(!cpDir(dir.filePath(QStringLiteral("src")), dir.filePath(QStringLiteral("missing/dst"))));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

void TestMigration::removeDirStopsAtHiddenEntries()
{
    QTemporaryDir dir;
    write(dir.path(), {{"tree/sub/x.jpg", "x"}, {"kept/.thumbs", "t"}, {"kept/y.jpg", "y"}});
    QVERIFY(removeDir(dir.filePath(QStringLiteral("tree"))));
    QVERIFY(removeDir(dir.filePath(QStringLiteral("tree")))); // already gone
    QVERIFY(!removeDir(dir.filePath(QStringLiteral("kept"))));
    QCOMPARE(read(dir.path()), (Files{{"kept/.thumbs", "t"}}));
}

GLIMRA_TEST_MAIN(TestMigration)
#include "test_migration.moc"
