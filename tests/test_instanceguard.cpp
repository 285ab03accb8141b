#include "glimraprocess.h"
#include "testhome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Listens at argv[1], acknowledges whatever comes in like the program would and reports messages.
const char kSquatter[] = R"(
import os, socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
os.chmod(sys.argv[1], 0o777)
s.listen(8)
print("listening", flush=True)
while True:
    c = s.accept()[0]
    try:
        if c.recv(4096):
            print("message", flush=True)
        c.send(b"\x06")
    except OSError:
        pass
    c.close()
)";

// Sends "Wake up" to the socket argv[1] and says whether it was acknowledged; no answer when it
// cannot connect at all.
const char kWaker[] = R"(
import socket, sys
c = socket.socket(socket.AF_UNIX)
c.connect(sys.argv[1])
try:
    c.sendall(b"\0\0\0\7Wake up")
    print("ack" if c.recv(1) == b"\x06" else "refused", flush=True)
except OSError:
    print("refused", flush=True)
)";

const QString kPython = QStringLiteral("/usr/bin/python3");

// Where versions up to 1.1.2 put the socket (the lock file had ".lock" appended).
QString oldSocketPath(const QString &tempFolder, const QString &programPath)
{
    const QByteArray id = QFileInfo(programPath).canonicalFilePath().toUtf8() + '\0' + QByteArray::number(::getuid());
    return tempFolder + QStringLiteral("/glimra-") +
           QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(24));
}

// A process of the other user that ends with the test.
struct OtherUserProcess : QProcess
{
    ~OtherUserProcess() override
    {
        kill();
        waitForFinished(5000);
    }
};

struct stat statOf(const QString &path)
{
    struct stat info = {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

} // namespace

// The single-instance socket and lock are out of other users' reach. The other user is `nobody`,
// played by a test that runs as root.
class TestInstanceGuard : public QObject
{
    Q_OBJECT

private slots:
    void leftoversOfAnotherUserAtTheOldPlaceAreIgnored();
    void listenerOfAnotherUserAtOurNameIsIgnored();
    void messagesOfAnotherUserAreRefused();
    void privateFolderIsChosen_data();
    void privateFolderIsChosen();

private:
    // Empty when `nobody` can be played; otherwise why not.
    static QString otherUserMissing();
    static void startAsOtherUser(QProcess &process, const char *script, const QString &argument);
    // The other user's listener at `path`, once it listens.
    static void startSquatter(QProcess &squatter, const QString &path);
    static void giveToOtherUser(const QString &path);
    // A folder like /tmp: everyone may create entries, only their owner may remove them.
    static void makeShared(const QTemporaryDir &folder);
};

#define REQUIRE_OTHER_USER()                                                                                           \
    do {                                                                                                               \
        const QString missing = otherUserMissing();                                                                    \
        if (!missing.isEmpty())                                                                                        \
            QSKIP(qPrintable(missing));                                                                                \
    } while (false)

QString TestInstanceGuard::otherUserMissing()
{
    if (::geteuid() != 0)
        return QStringLiteral("playing the other user `nobody` needs root");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty() || !QFileInfo(kPython).isExecutable())
        return QStringLiteral("playing the other user needs setpriv and %1").arg(kPython);
    if (!::getpwnam("nobody") || !::getgrnam("nogroup"))
        return QStringLiteral("there is no user `nobody` with group `nogroup`");
    return QString();
}

void TestInstanceGuard::startAsOtherUser(QProcess &process, const char *script, const QString &argument)
{
    process.setWorkingDirectory(QStringLiteral("/"));
    process.start(QStandardPaths::findExecutable(QStringLiteral("setpriv")),
                  {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                   QStringLiteral("--clear-groups"), kPython, QStringLiteral("-c"), QString::fromLatin1(script),
                   argument});
    QVERIFY(process.waitForStarted(30000));
}

void TestInstanceGuard::startSquatter(QProcess &squatter, const QString &path)
{
    startAsOtherUser(squatter, kSquatter, path);
    QVERIFY(squatter.waitForReadyRead(30000));
    QCOMPARE(squatter.readLine().trimmed(), QByteArray("listening"));
}

void TestInstanceGuard::giveToOtherUser(const QString &path)
{
    QVERIFY(::chown(QFile::encodeName(path).constData(), ::getpwnam("nobody")->pw_uid, ::getgrnam("nogroup")->gr_gid) ==
            0);
}

void TestInstanceGuard::makeShared(const QTemporaryDir &folder)
{
    QVERIFY(::chmod(QFile::encodeName(folder.path()).constData(), 01777) == 0);
}

void TestInstanceGuard::leftoversOfAnotherUserAtTheOldPlaceAreIgnored()
{
    REQUIRE_OTHER_USER();
    GlimraProcess program;
    program.writeSetting(QStringLiteral("hidden"), false);
    QTemporaryDir temp;
    makeShared(temp);
    QProcessEnvironment environment = program.environment();
    environment.insert(QStringLiteral("TMPDIR"), temp.path());
    program.setEnvironment(environment);

    // Another user answers at the old socket name and holds the old lock with a live process.
    const QString oldSocket = oldSocketPath(temp.path(), program.programPath());
    OtherUserProcess squatter;
    startSquatter(squatter, oldSocket);
    QFile lock(oldSocket + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    // Names the squatter as holder, so that the lock is not taken for stale.
    const QString holder = QFileInfo(QStringLiteral("/proc/%1/exe").arg(squatter.processId())).symLinkTarget();
    lock.write(QByteArray::number(squatter.processId()) + '\n' + QFileInfo(holder).fileName().toUtf8() + '\n' +
               QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();
    giveToOtherUser(lock.fileName());

    QVERIFY(program.startAndWaitReady());
    QCOMPARE(program.runToEnd(), 0);
    QCOMPARE(program.terminate(), 0);
    QCOMPARE(program.readSettings().value(QStringLiteral("hidden")).toBool(), true);
    QVERIFY(!squatter.readAllStandardOutput().contains("message"));
}

void TestInstanceGuard::listenerOfAnotherUserAtOurNameIsIgnored()
{
    REQUIRE_OTHER_USER();
    GlimraProcess program;
    program.writeSetting(QStringLiteral("hidden"), false);

    // Should another user ever get a listener to our name, it is put there before we start.
    QTemporaryDir den;
    giveToOtherUser(den.path());
    OtherUserProcess squatter;
    startSquatter(squatter, den.filePath(QStringLiteral("socket")));
    QVERIFY(::rename(QFile::encodeName(den.filePath(QStringLiteral("socket"))).constData(),
                     QFile::encodeName(program.socketName()).constData()) == 0);

    QVERIFY(program.startAndWaitReady());
    QCOMPARE(program.runToEnd(), 0);
    QCOMPARE(program.terminate(), 0);
    QCOMPARE(program.readSettings().value(QStringLiteral("hidden")).toBool(), true);
    QVERIFY(!squatter.readAllStandardOutput().contains("message"));
}

void TestInstanceGuard::messagesOfAnotherUserAreRefused()
{
    REQUIRE_OTHER_USER();
    GlimraProcess program;
    program.writeSetting(QStringLiteral("hidden"), false);
    QVERIFY(program.startAndWaitReady());

    // A door to the running program's socket that the other user can pass.
    QTemporaryDir hall;
    QVERIFY(::chmod(QFile::encodeName(hall.path()).constData(), 0755) == 0);
    const QString door = hall.filePath(QStringLiteral("door"));
    QVERIFY(::link(QFile::encodeName(program.socketName()).constData(), QFile::encodeName(door).constData()) == 0);
    QVERIFY(::chmod(QFile::encodeName(door).constData(), 0666) == 0);

    OtherUserProcess waker;
    startAsOtherUser(waker, kWaker, door);
    QVERIFY(waker.waitForFinished(30000));
    QCOMPARE(waker.readAllStandardOutput().trimmed(), QByteArray("refused"));

    // Still running, and our own start is still heard.
    QVERIFY(program.isReady());
    QCOMPARE(program.terminate(), 0);
    QCOMPARE(program.readSettings().value(QStringLiteral("hidden")).toBool(), false);
}

void TestInstanceGuard::privateFolderIsChosen_data()
{
    // The session's runtime folder and the fallback in the temporary folder, each prepared so.
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<bool>("fallbackUsed");
    QTest::newRow("no runtime folder, fresh fallback") << "unset"
                                                       << "absent" << true;
    QTest::newRow("runtime folder open to others") << "0755"
                                                   << "absent" << true;
    QTest::newRow("runtime folder of another user") << "nobody"
                                                    << "absent" << true;
    QTest::newRow("fallback of another user") << "unset"
                                              << "nobody" << false;
    QTest::newRow("fallback open to everyone") << "unset"
                                               << "0777" << false;
    QTest::newRow("fallback is a symlink") << "unset"
                                           << "symlink" << false;
}

void TestInstanceGuard::privateFolderIsChosen()
{
    QFETCH(QString, runtime);
    QFETCH(QString, fallback);
    QFETCH(bool, fallbackUsed);
    if (runtime == QLatin1String("nobody") || fallback == QLatin1String("nobody"))
        REQUIRE_OTHER_USER();

    GlimraProcess program;
    QTemporaryDir temp;
    makeShared(temp);
    QProcessEnvironment environment = program.environment();
    environment.insert(QStringLiteral("TMPDIR"), temp.path());
    const QString runtimeFolder = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (runtime == QLatin1String("unset"))
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    else if (runtime == QLatin1String("nobody"))
        giveToOtherUser(runtimeFolder);
    else
        QVERIFY(::chmod(QFile::encodeName(runtimeFolder).constData(), runtime.toUInt(nullptr, 8)) == 0);
    program.setEnvironment(environment);

    const QString folder = temp.filePath(QStringLiteral("glimra-%1").arg(::getuid()));
    // What a rejected folder looks like afterwards: as prepared, and empty.
    QString untouched = runtime == QLatin1String("unset") ? QString() : runtimeFolder;
    if (fallback == QLatin1String("symlink")) {
        QVERIFY(QDir(temp.path()).mkdir(QStringLiteral("elsewhere")));
        QVERIFY(::chmod(QFile::encodeName(temp.filePath(QStringLiteral("elsewhere"))).constData(), 0700) == 0);
        QVERIFY(QFile::link(temp.filePath(QStringLiteral("elsewhere")), folder));
        untouched = temp.filePath(QStringLiteral("elsewhere"));
    } else if (fallback != QLatin1String("absent")) {
        QVERIFY(QDir(temp.path()).mkdir(QFileInfo(folder).fileName()));
        if (fallback == QLatin1String("nobody"))
            giveToOtherUser(folder);
        else
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), fallback.toUInt(nullptr, 8)) == 0);
        untouched = folder;
    }
    const struct stat before = statOf(untouched);

    QVERIFY(program.startAndWaitReady());
    const QString socket = program.socketName();
    QVERIFY2(S_ISSOCK(statOf(socket).st_mode), qPrintable(socket));
    QCOMPARE(QFileInfo(socket).absolutePath() == folder, fallbackUsed);
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

GLIMRA_TEST_MAIN(TestInstanceGuard)
#include "test_instanceguard.moc"
