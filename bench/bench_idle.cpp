// Wake-ups per second of a program left idle after an update check that could not reach its
// server, as a build with an update key makes at every start.
//   ./build/bench/bench_idle [seconds]
#include "procstat.h"

#include "updater/updatedialog.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <QTimer>

namespace {

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The idle program: makes the check, says whether it let go of it, then waits for the end.
int runChecker(int argc, char **argv)
{
    QApplication app(argc, argv);
    QPointer<UpdateDialog> dialog = new UpdateDialog;
    dialog->setPublicKey(QByteArray(32, 'k')); // any key: the check is made and fails
    dialog->checkForUpdates();
    for (int waited = 0; dialog && waited < 30000; waited += 100)
        runEventLoopFor(100);
    QTextStream(stdout) << (dialog ? "still alive" : "released") << Qt::endl;
    return app.exec();
}

} // namespace

// Counted from outside, so that the counting itself wakes nothing.
int main(int argc, char **argv)
{
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/"); // nothing listens there
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && qstrcmp(argv[1], "--checker") == 0)
        return runChecker(argc, argv);
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;
    QProcess checker;
    checker.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--checker")});
    checker.waitForReadyRead(60000);
    const QByteArray state = checker.readLine().trimmed();
    QThread::sleep(2); // network threads wind down
    const qint64 before = contextSwitches(checker.processId());
    QThread::sleep(seconds);
    const double rate = double(contextSwitches(checker.processId()) - before) / seconds;
    checker.kill();
    checker.waitForFinished();
    QTextStream(stdout) << "update check " << state << "; idle wake-ups per second over " << seconds << " s: " << rate
                        << '\n';
    return state == "released" ? 0 : 1;
}
