#include "app/migration.h"
#include "core/filemanager.h"
#include "glimraprocess.h"
#include "library/libraryfile.h"
#include "processcontrol.h"
#include "testhome.h"
#include "tmpfsmount.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QScopeGuard>
#include <QTemporaryDir>

using Files = QMap<QString, QString>; // relative path -> content

namespace {

void write(const QString &root, const Files &files)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QDir().mkpath(QFileInfo(root + QLatin1Char('/') + it.key()).absolutePath());
        QVERIFY(LibraryFile::saveAtomically(root + QLatin1Char('/') + it.key(), it.value().toUtf8()));
    }
}

// Symlinked folders are not followed, so each file shows once, where it really is.
Files read(const QString &root)
{
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), QString::fromUtf8(LibraryFile::readFileBytes(path)));
    }
    return files;
}

void migrate(const QString &exe, const QString &data)
{
    LegacyMigration(exe + QStringLiteral("/messages.dat"), exe + QStringLiteral("/images"),
                    data + QStringLiteral("/messages.dat"), data + QStringLiteral("/images"))
        .run();
}

} // namespace

// Legacy data beside the executable moves into the per-user folder without ever losing a file,
// and running the migration again changes nothing.
class TestMigration : public QObject
{
    Q_OBJECT

private slots:
    void migratesWithoutLoss_data()
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
            << Files{{"images/a.jpg", "a"}, {"images/trip/deep/b.png", "b"}} << Files{{"images/mine.png", "u"}}
            << Files{} << Files{{"images/a.jpg", "a"}, {"images/trip/deep/b.png", "b"}, {"images/mine.png", "u"}};
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

    void migratesWithoutLoss()
    {
        QFETCH(Files, legacy);
        QFETCH(Files, user);
        QFETCH(Files, legacyAfter);
        QFETCH(Files, userAfter);
        QTemporaryDir exe, data;
        write(exe.path(), legacy);
        write(data.path(), user);
        for (int run = 0; run < 3; ++run) {
            migrate(exe.path(), data.path());
            QCOMPARE(read(exe.path()), legacyAfter);
            QCOMPARE(read(data.path()), userAfter);
        }
    }

    // Layouts in which the legacy places beside the executable are the per-user ones themselves.
    void leavesTheDataFolderAlone_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QStringList>("link"); // empty, or the symlink and its target
        QTest::addColumn<QString>("library");  // where the library is afterwards
        const QString real = QStringLiteral("real/messages.dat");
        QTest::newRow("same folder") << "real"
                                     << "real" << QStringList() << real;
        QTest::newRow("same folder, other spelling") << "real/images/../"
                                                     << "real" << QStringList() << real;
        QTest::newRow("program folder links to the data folder") << "link"
                                                                 << "real" << QStringList{"link", "real"} << real;
        QTest::newRow("data folder links to the program folder") << "real"
                                                                 << "link" << QStringList{"link", "real"} << real;
        // A library beside the program but outside the data folder still moves in.
        QTest::newRow("images folder links to the legacy one")
            << "real"
            << "link" << QStringList{"link/images", "real/images"} << "link/messages.dat";
        QTest::newRow("data folder inside the legacy images")
            << "real"
            << "real/images/sub" << QStringList() << "real/images/sub/messages.dat";
    }

    void leavesTheDataFolderAlone()
    {
        QFETCH(QString, exe);
        QFETCH(QString, data);
        QFETCH(QStringList, link);
        QFETCH(QString, library);
        QTemporaryDir root;
        write(root.filePath(QStringLiteral("real")), {{"images/a.jpg", "a"}, {"images/sub/b.png", "b"}});
        write(root.path(), {{QStringLiteral("real/messages.dat"), "L"}});
        if (!link.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(root.filePath(link.first())).absolutePath()));
            QVERIFY(QFile::link(root.filePath(link.last()), root.filePath(link.first())));
        }
        const Files after{{"real/images/a.jpg", "a"}, {"real/images/sub/b.png", "b"}, {library, "L"}};
        for (int run = 0; run < 3; ++run) {
            migrate(root.filePath(exe), root.filePath(data));
            QCOMPARE(read(root.path()), after);
        }
    }

    // Root may delete from any folder it can write to, so there a read-only mount takes the part
    // of a program folder that the user may not change.
    void readOnlyLegacyLibraryIsCopiedOnce_data()
    {
        QTest::addColumn<Files>("user");
        QTest::newRow("no library of the user's yet") << Files{};
        QTest::newRow("the user's own library") << Files{{"messages.dat", "U"}};
    }

    void readOnlyLegacyLibraryIsCopiedOnce()
    {
        QFETCH(Files, user);
        const Files legacy{{"messages.dat", "L"}, {"images/a.jpg", "a"}};
        TmpfsMount mount(1024 * 1024);
        QTemporaryDir fallback, data;
        const QString exe = mount.isMounted() ? mount.path() : fallback.path();
        if (!mount.isMounted() && isSuperUser())
            QSKIP(qPrintable(QStringLiteral("no read-only folder for root: ") + mount.errorString()));
        write(exe, legacy);
        const auto writable = qScopeGuard([&] {
            mount.setReadOnly(false);
            QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::WriteOwner);
        });
        QVERIFY(mount.isMounted() ? mount.setReadOnly(true)
                                  : QFile::setPermissions(exe, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(!QFile::remove(exe + QStringLiteral("/messages.dat")));

        write(data.path(), user);
        QString library = user.value(QStringLiteral("messages.dat"), QStringLiteral("L"));
        for (int run = 1; run <= 3; ++run) {
            migrate(exe, data.path());
            QCOMPARE(read(exe), legacy);
            QCOMPARE(read(data.path()),
                     (Files{{"messages.dat", library}, {"messages.dat.legacy", "L"}, {"images/a.jpg", "a"}}));
            // The program saves the library at every quit, so it differs from the legacy one later.
            library = QStringLiteral("saved at quit %1").arg(run);
            write(data.path(), {{"messages.dat", library}});
        }
    }

    void builtProgramKeepsDataInItsOwnFolder_data()
    {
        QTest::addColumn<bool>("programInDataFolder"); // otherwise the data folder links to the program folder
        QTest::newRow("program runs from the data folder") << true;
        QTest::newRow("data folder is a symlink to the program folder") << false;
    }

    void builtProgramKeepsDataInItsOwnFolder()
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
        }
        QVERIFY(programInDataFolder ? QFile::link(data, folder) : QFile::link(folder, data));
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
        QCOMPARE(
            mine.read(qCompress("<?xml version=\"1.0\"?><GROUPS><CATEGORY NAME=\"Mine\" SELECTED=\"1\"><SUBCATEGORY "
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

    void cpDirCopiesTheVisibleTreeIntoAnExistingParentOnly()
    {
        QTemporaryDir dir;
        write(dir.path(), {{"src/a.jpg", "a"}, {"src/sub/b.png", "b"}, {"src/.hidden", "h"}});
        QVERIFY(cpDir(dir.filePath(QStringLiteral("src")), dir.filePath(QStringLiteral("dst"))));
        QCOMPARE(read(dir.filePath(QStringLiteral("dst"))), (Files{{"a.jpg", "a"}, {"sub/b.png", "b"}}));
        QVERIFY(!cpDir(dir.filePath(QStringLiteral("src")), dir.filePath(QStringLiteral("missing/dst"))));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
    }
};

GLIMRA_TEST_MAIN(TestMigration)
#include "test_migration.moc"
