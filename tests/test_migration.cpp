#include "app/migration.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Legacy data beside the executable moves into the per-user folder without ever losing a file.
class TestMigration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void libraryMovesWhenUserHasNone();
    void userLibraryWinsAndLegacyIsKept();
    void identicalLibraryIsJustDropped();
    void failedLibraryCopyLeavesLegacyInPlace();
    void picturesMergeKeepingUserOnlyFiles();
    void nameClashKeepsBothFiles();
    void repeatingIsHarmless();
    void failedPictureCopyLeavesLegacyFolder();

private:
    QString legacy(const QString &name) const { return m_exe.filePath(name); }
    QString user(const QString &name) const { return m_data.filePath(name); }
    LegacyMigration migration() const
    {
        return LegacyMigration(legacy(QStringLiteral("messages.dat")), legacy(QStringLiteral("images")),
                               user(QStringLiteral("messages.dat")), user(QStringLiteral("images")));
    }
    static void write(const QString &path, const QByteArray &bytes);
    static QByteArray read(const QString &path);

    QTemporaryDir m_exe;
    QTemporaryDir m_data;
};

void TestMigration::write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray TestMigration::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestMigration::init()
{
    QDir(m_exe.path()).removeRecursively();
    QDir(m_data.path()).removeRecursively();
    QDir().mkpath(m_exe.path());
    QDir().mkpath(m_data.path());
}

void TestMigration::libraryMovesWhenUserHasNone()
{
    write(legacy(QStringLiteral("messages.dat")), "legacy library");
    migration().run();
    QCOMPARE(read(user(QStringLiteral("messages.dat"))), QByteArray("legacy library"));
    QVERIFY(!QFile::exists(legacy(QStringLiteral("messages.dat"))));
}

void TestMigration::userLibraryWinsAndLegacyIsKept()
{
    write(legacy(QStringLiteral("messages.dat")), "legacy library");
    write(user(QStringLiteral("messages.dat")), "user library");
    migration().run();
    QCOMPARE(read(user(QStringLiteral("messages.dat"))), QByteArray("user library"));
    QCOMPARE(read(user(QStringLiteral("messages.dat.legacy"))), QByteArray("legacy library"));
    QVERIFY(!QFile::exists(legacy(QStringLiteral("messages.dat"))));

    // A second legacy library later gets a name of its own.
    write(legacy(QStringLiteral("messages.dat")), "another legacy library");
    migration().run();
    QCOMPARE(read(user(QStringLiteral("messages.dat-1.legacy"))), QByteArray("another legacy library"));
    QCOMPARE(read(user(QStringLiteral("messages.dat.legacy"))), QByteArray("legacy library"));
}

void TestMigration::identicalLibraryIsJustDropped()
{
    write(legacy(QStringLiteral("messages.dat")), "same");
    write(user(QStringLiteral("messages.dat")), "same");
    migration().run();
    QVERIFY(!QFile::exists(legacy(QStringLiteral("messages.dat"))));
    QCOMPARE(QDir(m_data.path()).entryList(QDir::Files), QStringList{QStringLiteral("messages.dat")});
}

void TestMigration::failedLibraryCopyLeavesLegacyInPlace()
{
    write(legacy(QStringLiteral("messages.dat")), "legacy library");
    // The per-user folder cannot be created: its place is taken by a file.
    write(m_data.filePath(QStringLiteral("blocked")), "x");
    LegacyMigration(legacy(QStringLiteral("messages.dat")), legacy(QStringLiteral("images")),
                    m_data.filePath(QStringLiteral("blocked/messages.dat")),
                    m_data.filePath(QStringLiteral("blocked/images")))
        .run();
    QCOMPARE(read(legacy(QStringLiteral("messages.dat"))), QByteArray("legacy library"));
}

void TestMigration::picturesMergeKeepingUserOnlyFiles()
{
    write(legacy(QStringLiteral("images/a.jpg")), "a");
    write(legacy(QStringLiteral("images/trip/b.png")), "b");
    write(legacy(QStringLiteral("images/trip/deep/c.png")), "c");
    write(user(QStringLiteral("images/mine.png")), "mine");
    migration().run();
    QCOMPARE(read(user(QStringLiteral("images/a.jpg"))), QByteArray("a"));
    QCOMPARE(read(user(QStringLiteral("images/trip/b.png"))), QByteArray("b"));
    QCOMPARE(read(user(QStringLiteral("images/trip/deep/c.png"))), QByteArray("c"));
    QCOMPARE(read(user(QStringLiteral("images/mine.png"))), QByteArray("mine"));
    QVERIFY(!QFileInfo::exists(legacy(QStringLiteral("images"))));
}

void TestMigration::nameClashKeepsBothFiles()
{
    write(legacy(QStringLiteral("images/beach_0.jpg")), "legacy beach");
    write(user(QStringLiteral("images/beach_0.jpg")), "user beach");
    migration().run();
    QCOMPARE(read(user(QStringLiteral("images/beach_0.jpg"))), QByteArray("user beach"));
    QCOMPARE(read(user(QStringLiteral("images/beach_0-1.jpg"))), QByteArray("legacy beach"));
}

void TestMigration::repeatingIsHarmless()
{
    write(legacy(QStringLiteral("images/x.jpg")), "x");
    write(user(QStringLiteral("images/x.jpg")), "different");
    write(legacy(QStringLiteral("images/.hidden")), "h");
    migration().run();
    // The hidden file keeps the legacy folder alive, so the next start finds it again.
    QVERIFY(QFileInfo::exists(legacy(QStringLiteral("images/.hidden"))));
    QVERIFY(!QFileInfo::exists(user(QStringLiteral("images/.hidden"))));
    // Put a visible file back as if the removal had failed half-way, and run again.
    write(legacy(QStringLiteral("images/x.jpg")), "x");
    migration().run();
    migration().run();
    QStringList files = QDir(user(QStringLiteral("images"))).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    QCOMPARE(files, (QStringList{QStringLiteral("x-1.jpg"), QStringLiteral("x.jpg")}));
    QCOMPARE(read(user(QStringLiteral("images/x-1.jpg"))), QByteArray("x"));
}

void TestMigration::failedPictureCopyLeavesLegacyFolder()
{
    write(legacy(QStringLiteral("images/a.jpg")), "a");
    // A file where the destination subfolder should go makes that part of the copy fail.
    write(legacy(QStringLiteral("images/sub/b.jpg")), "b");
    write(user(QStringLiteral("images/sub")), "not a folder");
    migration().run();
    QCOMPARE(read(legacy(QStringLiteral("images/sub/b.jpg"))), QByteArray("b"));
    QCOMPARE(read(user(QStringLiteral("images/a.jpg"))), QByteArray("a"));
}

GLIMRA_TEST_MAIN(TestMigration)
#include "test_migration.moc"
