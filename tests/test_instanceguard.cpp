#include "glimraprocess.h"
#include "testhome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#include <array>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Listens at argv[1], acknowledges whatever comes in like the program would and reports messages.
const char kSquatter[] = R"(
import os, socket, sys
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); os.chmod(sys.argv[1], 0o777); s.listen(8)
print("listening", flush=True)
while True:
    c = s.accept()[0]
    try: c.recv(4096) and print("message", flush=True); c.send(b"\x06")
    except OSError: pass
    c.close()
)";

// Sends "Wake up" to the socket argv[1] and says whether it was acknowledged.
const char kWaker[] = R"(
import socket, sys
c = socket.socket(socket.AF_UNIX); c.connect(sys.argv[1])
try: c.sendall(b"\0\0\0\7Wake up"); print("ack" if c.recv(1) == b"\x06" else "refused")
except OSError: print("refused")
)";

const QString kPython = QStringLiteral("/usr/bin/python3");

// Whether the other user, `nobody`, can be played (by a test running as root).
bool canPlayOtherUser()
{
    return ::geteuid() == 0 && !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty() &&
           QFileInfo(kPython).isExecutable() && ::getpwnam("nobody") && ::getgrnam("nogroup");
}
const char kNoOtherUser[] = "playing the other user needs root, setpriv, python3 and user nobody of group nogroup";

// A process of the other user that ends with the test.
struct OtherUserProcess : QProcess
{
    OtherUserProcess(const char *script, const QString &argument)
    {
        setWorkingDirectory(QStringLiteral("/"));
        start(QStandardPaths::findExecutable(QStringLiteral("setpriv")),
              {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"),
               kPython, QStringLiteral("-c"), QString::fromLatin1(script), argument});
    }
    ~OtherUserProcess() override { close(); } // kills and waits
    bool listens() { return waitForReadyRead(30000) && readLine().trimmed() == "listening"; }
};

struct Fs
{
    static QByteArray encoded(const QString &path) { return QFile::encodeName(path); }
    static bool setMode(const QString &path, uint mode) { return ::chmod(encoded(path).constData(), mode) == 0; }
    static bool giveToOtherUser(const QString &path)
    {
        return ::chown(encoded(path).constData(), ::getpwnam("nobody")->pw_uid, ::getgrnam("nogroup")->gr_gid) == 0;
    }
};

struct stat statOf(const QString &path)
{
    struct stat info = {};
    ::lstat(Fs::encoded(path).constData(), &info);
    return info;
}

// A program whose window was hidden at the last quit, its temporary folder shared like /tmp.
void prepare(GlimraProcess &program, const QTemporaryDir &temp)
{
    program.writeSetting(QStringLiteral("hidden"), false);
    QVERIFY(Fs::setMode(temp.path(), 01777));
    QProcessEnvironment environment = program.environment();
    environment.insert(QStringLiteral("TMPDIR"), temp.path());
    program.setEnvironment(environment);
}

} // namespace

// The single-instance socket and lock are out of other users' reach.
class TestInstanceGuard : public QObject
{
    Q_OBJECT

private slots:
    void listenerOfAnotherUserIsIgnored_data()
    {
        QTest::addColumn<bool>("oldPlace");
        QTest::newRow("at the place of versions up to 1.1.2, with a live lock") << true;
        QTest::newRow("at our name") << false;
    }

    void listenerOfAnotherUserIsIgnored()
    {
        QFETCH(bool, oldPlace);
        if (!canPlayOtherUser())
            QSKIP(kNoOtherUser);
        GlimraProcess program;
        QTemporaryDir temp, den;
        prepare(program, temp);
        // Versions up to 1.1.2 named the socket by the program's path and the user.
        const QByteArray id =
            QFileInfo(program.programPath()).canonicalFilePath().toUtf8() + '\0' + QByteArray::number(::getuid());
        const QString socket =
            oldPlace
                ? temp.filePath("glimra-" + QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(24))
                : den.filePath(QStringLiteral("socket"));
        QVERIFY(Fs::giveToOtherUser(den.path()));
        OtherUserProcess squatter(kSquatter, socket);
        QVERIFY(squatter.listens());
        if (oldPlace) {
            // Names the squatter as holder, so that the lock is not taken for stale.
            const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(squatter.processId())).symLinkTarget();
            QVERIFY(writeFile(socket + QStringLiteral(".lock"),
                                             QByteArray::number(squatter.processId()) + '\n' +
                                                 QFileInfo(exe).fileName().toUtf8() + '\n' +
                                                 QSysInfo::machineHostName().toUtf8() + '\n'));
            QVERIFY(Fs::giveToOtherUser(socket + QStringLiteral(".lock")));
        } else {
            QVERIFY(::rename(Fs::encoded(socket).constData(), Fs::encoded(program.socketName()).constData()) == 0);
        }

        QVERIFY(program.startAndWaitReady());
        QCOMPARE(program.runToEnd(), 0);
        QCOMPARE(program.terminate(), 0);
        QCOMPARE(program.readSettings().value(QStringLiteral("hidden")).toBool(), true);
        QVERIFY(!squatter.readAllStandardOutput().contains("message"));
    }

    void messagesOfAnotherUserAreRefused()
    {
        if (!canPlayOtherUser())
            QSKIP(kNoOtherUser);
        GlimraProcess program;
        program.writeSetting(QStringLiteral("hidden"), false);
        QVERIFY(program.startAndWaitReady());
        // A door to the running program's socket that the other user can pass.
        QTemporaryDir hall;
        const QString door = hall.filePath(QStringLiteral("door"));
        QVERIFY(Fs::setMode(hall.path(), 0755));
        QVERIFY(::link(Fs::encoded(program.socketName()).constData(), Fs::encoded(door).constData()) == 0);
        QVERIFY(Fs::setMode(door, 0666));

        OtherUserProcess waker(kWaker, door);
        QVERIFY(waker.waitForFinished(30000));
        QCOMPARE(waker.readAllStandardOutput().trimmed(), QByteArray("refused"));
        QVERIFY(program.isReady());
        QCOMPARE(program.terminate(), 0);
        QCOMPARE(program.readSettings().value(QStringLiteral("hidden")).toBool(), false);
    }

    void privateFolderIsChosen_data()
    {
        // How the session's runtime folder and the fallback in the temporary folder are prepared;
        // the fallback is used when the runtime folder is rejected and the fallback is fresh.
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<QString>("fallback");
        for (const auto &[name, runtime, fallback] :
             {std::array<const char *, 3>{"no runtime folder", "unset", "absent"},
              {"runtime folder open to others", "0755", "absent"},
              {"runtime folder of another user", "nobody", "absent"},
              {"fallback of another user", "unset", "nobody"},
              {"fallback open to everyone", "unset", "0777"},
              {"fallback is a symlink", "unset", "symlink"}})
            QTest::newRow(name) << QString(runtime) << QString(fallback);
    }

    void privateFolderIsChosen()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, fallback);
        if ((runtime == "nobody" || fallback == "nobody") && !canPlayOtherUser())
            QSKIP(kNoOtherUser);
        const auto prepareFolder = [](const QString &path, const QString &how) {
            return how == "nobody" ? Fs::giveToOtherUser(path) : Fs::setMode(path, how.toUInt(nullptr, 8));
        };
        GlimraProcess program;
        QTemporaryDir temp;
        prepare(program, temp);
        QProcessEnvironment environment = program.environment();
        const QString runtimeFolder = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
        // A rejected folder is left as prepared, and empty.
        QString untouched = runtimeFolder;
        if (runtime == "unset") {
            environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
            untouched.clear();
        } else {
            QVERIFY(prepareFolder(runtimeFolder, runtime));
        }
        program.setEnvironment(environment);
        const QString folder = temp.filePath(QStringLiteral("glimra-%1").arg(::getuid()));
        if (fallback == "symlink") {
            untouched = temp.filePath(QStringLiteral("elsewhere"));
            QVERIFY(QDir().mkdir(untouched) && Fs::setMode(untouched, 0700) && QFile::link(untouched, folder));
        } else if (fallback != "absent") {
            untouched = folder;
            QVERIFY(QDir().mkdir(folder) && prepareFolder(folder, fallback));
        }
        const struct stat before = statOf(untouched);

        QVERIFY(program.startAndWaitReady());
        const QString socket = program.socketName();
        QVERIFY2(S_ISSOCK(statOf(socket).st_mode), qPrintable(socket));
        QCOMPARE(QFileInfo(socket).absolutePath() == folder, fallback == "absent");
        const struct stat used = statOf(QFileInfo(socket).absolutePath());
        QVERIFY(S_ISDIR(used.st_mode));
        QCOMPARE(used.st_uid, ::getuid());
        QCOMPARE(used.st_mode & 0077, 0u);
        if (!untouched.isEmpty()) {
            QCOMPARE(statOf(untouched).st_uid, before.st_uid);
            QCOMPARE(statOf(untouched).st_mode, before.st_mode);
            QVERIFY(QDir(untouched).isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot));
        }
        QCOMPARE(program.runToEnd(), 0);
        QCOMPARE(program.terminate(), 0);
    }
};

GLIMRA_TEST_MAIN(TestInstanceGuard)
#include "test_instanceguard.moc"
