#include "glimraprocess.h"
#include "testhome.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Run as the other user: listens at argv[1] until its input ends, then tries to wake the socket argv[2].
const char kOtherUser[] = R"(
import os, socket, sys
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); os.chmod(sys.argv[1], 0o777); s.listen(8)
print("listening", flush=True); sys.stdin.read()
c = socket.socket(socket.AF_UNIX); c.connect(sys.argv[2])
try: c.sendall(b"\0\0\0\7Wake up"); print("ack" if c.recv(1) == b"\x06" else "refused")
except OSError: print("refused")
)";

// Makes `path` a folder, unless it is one, of the other user's ("nobody") or of an octal mode;
// "symlink" makes it a link to a private folder of ours, "absent" leaves it alone.
bool prepare(const QString &path, const QString &how)
{
    const QByteArray name = QFile::encodeName(path);
    const passwd *nobody = ::getpwnam("nobody");
    if (how == "absent" || how == "symlink")
        return how == "absent" || QFile::link(QDir::homePath(), path);
    ::mkdir(name, 0700);
    return how == "nobody" ? ::chown(name, nobody->pw_uid, nobody->pw_gid) == 0
                           : ::chmod(name, how.toUInt(nullptr, 8)) == 0;
}

} // namespace

class TestInstanceGuard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (::geteuid() != 0 || !::getpwnam("nobody"))
            QSKIP("playing the other user, nobody, needs root");
    }

    void anotherUserIsNeitherTrustedNorObeyed()
    {
        GlimraProcess program;
        QTemporaryDir den; // the other user's
        const QString listener = den.filePath("listener"), door = den.filePath("door");
        QVERIFY(prepare(den.path(), "nobody"));
        QProcess other;
        other.setWorkingDirectory("/"); // the system's python3 is one they can run
        other.start("setpriv", {"--reuid=nobody", "--regid=" + QString::number(::getpwnam("nobody")->pw_gid),
                                "--clear-groups", "/usr/bin/python3", "-c", kOtherUser, listener, door});
        QVERIFY(other.waitForReadyRead(30000) && other.readLine().trimmed() == "listening");
        QVERIFY(QFile::rename(listener, program.socketName()));
        QVERIFY(program.startAndWaitReady());
        // A door to the program's socket that the other user can pass.
        QVERIFY(::link(QFile::encodeName(program.socketName()), QFile::encodeName(door)) == 0 && prepare(door, "666"));
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(30000));
        QCOMPARE(other.readAllStandardOutput().trimmed(), "refused");
    }

    void privateFolderIsChosen_data()
    {
        // How the session's runtime folder and the fallback in the temporary folder are prepared.
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("runtime folder of another user") << QStringList{"nobody", "absent"};
        QTest::newRow("fallback of another user") << QStringList{"755", "nobody"};
        QTest::newRow("fallback open to everyone") << QStringList{"755", "777"};
        QTest::newRow("fallback is a symlink") << QStringList{"755", "symlink"};
    }

    // A rejected runtime folder makes way for the fallback, a rejected fallback for one in the cache.
    void privateFolderIsChosen()
    {
        QFETCH(QStringList, folders);
        GlimraProcess program;
        QTemporaryDir temp;
        QProcessEnvironment environment = program.environment();
        environment.insert("TMPDIR", temp.path());
        program.setEnvironment(environment);
        const QString fallback = temp.filePath(QString("glimra-%1").arg(::getuid()));
        QVERIFY(prepare(environment.value("XDG_RUNTIME_DIR"), folders[0]) && prepare(fallback, folders[1]));
        QVERIFY(program.startAndWaitReady());
        const QFileInfo used(QFileInfo(program.socketName()).absolutePath());
        QCOMPARE(used.filePath() == fallback, folders[1] == "absent");
        QVERIFY2(used.isDir() && !used.isSymLink() && used.ownerId() == ::getuid() && !(used.permissions() & 0x77),
                 qPrintable(used.filePath()));
    }
};

GLIMRA_TEST_MAIN(TestInstanceGuard)
#include "test_instanceguard.moc"
