#include "app/migration.h"
#include "core/filemanager.h"
#include "glimraprocess.h"
#include "library/libraryfile.h"
#include "processcontrol.h"
#include "testhome.h"
#include "tmpfsmount.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QScopeGuard>
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
    void leavesTheDataFolderAlone_data();
    void leavesTheDataFolderAlone();
    void readOnlyLegacyLibraryIsCopiedOnce_data();
    void readOnlyLegacyLibraryIsCopiedOnce();
    void builtProgramKeepsDataInItsOwnFolder_data();
    void builtProgramKeepsDataInItsOwnFolder();
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

// Layouts in which the legacy places beside the executable are the per-user ones themselves.
enum class Layout
{
    SameFolder,
    SameFolderOtherSpelling,    // ".." in the program's path
    ProgramFolderLinksToData,   // the program folder is a symlink to the data folder
    DataFolderLinksToProgram,   // the data folder is a symlink to the program folder
    ImagesLinkedIntoDataFolder, // only the per-user images folder is a symlink to the legacy one
    DataFolderInsideLegacyImages,
};
Q_DECLARE_METATYPE(Layout)

void TestMigration::leavesTheDataFolderAlone_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::newRow("same folder") << Layout::SameFolder;
    QTest::newRow("same folder, other spelling") << Layout::SameFolderOtherSpelling;
    QTest::newRow("program folder links to the data folder") << Layout::ProgramFolderLinksToData;
    QTest::newRow("data folder links to the program folder") << Layout::DataFolderLinksToProgram;
    QTest::newRow("images folder links to the legacy one") << Layout::ImagesLinkedIntoDataFolder;
    QTest::newRow("data folder inside the legacy images") << Layout::DataFolderInsideLegacyImages;
}

void TestMigration::leavesTheDataFolderAlone()
{
    QFETCH(Layout, layout);
    QTemporaryDir root;
    const QString real = root.filePath(QStringLiteral("real"));
    const QString link = root.filePath(QStringLiteral("link"));
    const Files files{{"messages.dat", "L"}, {"images/a.jpg", "a"}, {"images/sub/b.png", "b"}};
    write(real, files);
    QString exe = real;
    QString data = real;
    switch (layout) {
    case Layout::SameFolder:
        break;
    case Layout::SameFolderOtherSpelling:
        exe = real + QStringLiteral("/images/../");
        break;
    case Layout::ProgramFolderLinksToData:
    case Layout::DataFolderLinksToProgram:
        QVERIFY(QFile::link(real, link));
        (layout == Layout::ProgramFolderLinksToData ? exe : data) = link;
        break;
    case Layout::ImagesLinkedIntoDataFolder:
        data = link;
        QVERIFY(QDir().mkpath(data));
        QVERIFY(QFile::link(real + QStringLiteral("/images"), data + QStringLiteral("/images")));
        break;
    case Layout::DataFolderInsideLegacyImages:
        data = real + QStringLiteral("/images/sub");
        break;
    }
    LegacyMigration migration(exe + QStringLiteral("/messages.dat"), exe + QStringLiteral("/images"),
                              data + QStringLiteral("/messages.dat"), data + QStringLiteral("/images"));
    for (int run = 0; run < 3; ++run) {
        migration.run();
        Files after = read(real);
        // A library beside the program but outside the data folder still moves in.
        if (layout == Layout::ImagesLinkedIntoDataFolder)
            after.insert(QStringLiteral("messages.dat"), read(data).value(QStringLiteral("messages.dat")));
        if (layout == Layout::DataFolderInsideLegacyImages)
            after.insert(QStringLiteral("messages.dat"), after.take(QStringLiteral("images/sub/messages.dat")));
        QCOMPARE(after, files);
    }
}

// Root may delete from any folder it can write to, so there a read-only mount takes the part of
// a program folder that the user may not change.
void TestMigration::readOnlyLegacyLibraryIsCopiedOnce_data()
{
    QTest::addColumn<Files>("user");
    QTest::newRow("no library of the user's yet") << Files{};
    QTest::newRow("the user's own library") << Files{{"messages.dat", "U"}};
}

void TestMigration::readOnlyLegacyLibraryIsCopiedOnce()
{
    QFETCH(Files, user);
    const Files legacy{{"messages.dat", "L"}, {"images/a.jpg", "a"}};
    TmpfsMount mount(1024 * 1024);
    QTemporaryDir fallback;
    QString exe = mount.path();
    if (!mount.isMounted()) {
        if (isSuperUser())
            QSKIP(qPrintable(QStringLiteral("no read-only folder for root: ") + mount.errorString()));
        exe = fallback.path();
    }
    write(exe, legacy);
    const auto writable = qScopeGuard([&] {
        mount.setReadOnly(false);
        QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::WriteOwner);
    });
    if (mount.isMounted())
        QVERIFY(mount.setReadOnly(true));
    else
        QVERIFY(QFile::setPermissions(exe, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(!QFile::remove(exe + QStringLiteral("/messages.dat")));

    QTemporaryDir data;
    write(data.path(), user);
    LegacyMigration migration(exe + QStringLiteral("/messages.dat"), exe + QStringLiteral("/images"),
                              data.filePath(QStringLiteral("messages.dat")), data.filePath(QStringLiteral("images")));
    QString library = user.value(QStringLiteral("messages.dat"), QStringLiteral("L"));
    for (int run = 1; run <= 3; ++run) {
        migration.run();
        QCOMPARE(read(exe), legacy);
        const Files expected{{"messages.dat", library}, {"messages.dat.legacy", "L"}, {"images/a.jpg", "a"}};
        QCOMPARE(read(data.path()), expected);
        // The program saves the library at every quit, so it differs from the legacy one later.
        library = QStringLiteral("saved at quit %1").arg(run);
        write(data.path(), {{"messages.dat", library}});
    }
}

void TestMigration::builtProgramKeepsDataInItsOwnFolder_data()
{
    QTest::addColumn<bool>("programInDataFolder"); // otherwise the data folder links to the program folder
    QTest::newRow("program runs from the data folder") << true;
    QTest::newRow("data folder is a symlink to the program folder") << false;
}

void TestMigration::builtProgramKeepsDataInItsOwnFolder()
{
    QFETCH(bool, programInDataFolder);
    GlimraProcess program;
    const QString data = program.dataFolder();
    const QString folder = program.programFolder();
    QVERIFY(QDir().mkpath(QFileInfo(data).absolutePath()));
    if (programInDataFolder) {
        // The test's program path leads through a symlink to the executable in the data folder.
        QVERIFY(QDir().mkpath(data));
        QVERIFY(QFile::rename(program.programPath(), data + QStringLiteral("/Glimra")));
        QVERIFY(QDir().rmdir(folder));
        QVERIFY(QFile::link(data, folder));
    } else {
        QVERIFY(QFile::link(folder, data));
    }
    // The program folder is a folder again when it is cleaned up.
    const auto restore = qScopeGuard([&] {
        if (QFileInfo(folder).isSymLink() && QFile::remove(folder))
            QDir().mkdir(folder);
    });

    write(program.imagesPath(), {{"trip/b.jpg", "not a tile"}});
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(program.imagesPath() + QStringLiteral("/a.png")));
    const Files pictures = read(program.imagesPath());
    LibraryFile mine;
    QCOMPARE(mine.read(qCompress("<?xml version=\"1.0\"?><GROUPS><CATEGORY NAME=\"Mine\" SELECTED=\"1\"><SUBCATEGORY "
                                 "NAME=\"S\" SELECTED=\"1\"><MESSAGE TEXT=\"my own words\" SELECTED=\"1\"/>"
                                 "</SUBCATEGORY></CATEGORY><CATEGORY NAME=\"Пользовательские\" SELECTED=\"0\"/>"
                                 "</GROUPS>",
                                 -1)),
             LibraryFile::Ok);
    // What the program itself writes at quit for this library and its one picture tile.
    const QByteArray library =
        LibraryFile::write(mine.categories(), {{program.imagesPath() + QStringLiteral("/a.png"), true}});
    QVERIFY(LibraryFile::saveAtomically(program.messagesPath(), library));

    for (int start = 1; start <= 2; ++start) {
        QVERIFY2(program.startAndWaitReady(), qPrintable(QStringLiteral("start %1").arg(start)));
        QCOMPARE(program.terminate(), 0);
        QCOMPARE(LibraryFile::readFileBytes(program.messagesPath()), library);
        QCOMPARE(read(program.imagesPath()), pictures);
        QCOMPARE(QDir(data).entryList({QStringLiteral("messages.dat*")}, QDir::Files), QStringList{"messages.dat"});
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
