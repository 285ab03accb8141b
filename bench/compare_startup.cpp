// Starts Glimra and a minimal Qt window alternately on a private Xvfb and reports, as medians:
// the time from spawn to the first window mapped, the resident memory once settled, and the
// wake-ups (context switches) per second while idle with Glimra's window hidden.
//
//   compare_startup <Glimra> <minimal_window> [rounds] [idle seconds] [pictures folder]
//
// With a pictures folder, each Glimra start finds a copy of its files among its stored pictures.
#include "procstat.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <poll.h>
#include <xcb/xcb.h>

namespace {

QTextStream out(stdout);

struct Display
{
    QProcess xvfb;
    QString name;
    xcb_connection_t *connection = nullptr;
    xcb_atom_t pidAtom = XCB_NONE;

    bool start()
    {
        xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        while (xvfb.waitForReadyRead(10000) && !xvfb.canReadLine()) {
        }
        name = ':' + QString::fromLatin1(xvfb.readLine().trimmed());
        connection = xcb_connect(name.toLatin1().constData(), nullptr);
        if (name == ":" || xcb_connection_has_error(connection))
            return false;
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 11, "_NET_WM_PID"), nullptr);
        pidAtom = atom ? atom->atom : XCB_NONE;
        free(atom);
        xcb_flush(connection);
        return true;
    }

    quint32 pidOf(xcb_window_t window)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        const quint32 pid = reply && xcb_get_property_value_length(reply) == 4
                                ? *static_cast<quint32 *>(xcb_get_property_value(reply))
                                : 0;
        free(reply);
        return pid;
    }

    // Waits until a window of process `pid` is mapped; false after `timeoutMs`.
    bool waitForMap(qint64 pid, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                                    pidOf(reinterpret_cast<xcb_map_notify_event_t *>(event)->window) == pid;
                free(event);
                if (mapped)
                    return true;
            }
            pollfd fd = {xcb_get_file_descriptor(connection), POLLIN, 0};
            poll(&fd, 1, 50);
        }
        return false;
    }

    ~Display()
    {
        if (connection)
            xcb_disconnect(connection);
        xvfb.kill();
        xvfb.waitForFinished();
    }
};

qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Figures
{
    QVector<double> startMs, residentMiB, wakeupsPerSecond;
};

QString g_pictures;

// A home that each program keeps for all its starts, as on a desktop, where every start but the
// first finds its files in place; with a pictures folder, Glimra finds copies of its files among
// its stored pictures.
void prepareHome(const QString &home)
{
    const QString stored = home + "/.local/share/Orvanta/Glimra/images/";
    QDir().mkpath(stored);
    for (const QString &name : QDir(g_pictures).entryList(QDir::Files))
        QFile::copy(g_pictures + '/' + name, stored + name);
}

// One start of `program`; `hidden` starts Glimra with its window hidden.
bool measure(Display &display, const QString &program, const QString &home, bool hidden, int idleSeconds,
             Figures &figures)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("XDG_RUNTIME_DIR", home);
    env.insert("DISPLAY", display.name);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/"); // nothing listens there
    QSettings(home + "/.config/Orvanta/Glimra.conf", QSettings::IniFormat).setValue("hidden", !hidden);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, QStringList());
    if (!process.waitForStarted())
        return false;
    if (!hidden) {
        if (!display.waitForMap(process.processId(), 30000))
            return false;
        figures.startMs << timer.nsecsElapsed() / 1e6;
    }
    QThread::sleep(3); // let start-up work and deferred loading finish
    if (hidden) {
        const qint64 before = contextSwitches(process.processId());
        QThread::sleep(idleSeconds);
        figures.wakeupsPerSecond << double(contextSwitches(process.processId()) - before) / idleSeconds;
    } else {
        figures.residentMiB << residentKiB(process.processId()) / 1024.0;
    }
    ::kill(pid_t(process.processId()), SIGTERM);
    if (!process.waitForFinished(10000))
        process.kill();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        out << "usage: compare_startup <Glimra> <minimal_window> [rounds] [idle seconds] [pictures folder]\n";
        return 2;
    }
    const int rounds = args.value(3, "11").toInt();
    const int idleSeconds = args.value(4, "20").toInt();
    g_pictures = args.value(5);
    Display display;
    if (!display.start()) {
        out << "Xvfb did not start\n";
        return 1;
    }
    QTemporaryDir glimraHome, minimalHome;
    prepareHome(glimraHome.path());
    const QString homes[] = {glimraHome.path(), minimalHome.path()};
    const auto start = [&](int which, bool hidden, int idle, Figures &figures) {
        return measure(display, args[1 + which], homes[which], hidden, idle, figures);
    };
    Figures glimra, minimal, firstStarts;
    if (!start(0, false, 0, firstStarts) || !start(1, false, 0, firstStarts)) {
        out << "a first start failed\n";
        return 1;
    }
    for (int round = 0; round < rounds; ++round) {
        // Alternating, so that a busy moment of the machine hits both alike.
        const int first = round % 2;
        if (!start(first, false, 0, first ? minimal : glimra) ||
            !start(1 - first, false, 0, first ? glimra : minimal)) {
            out << "a start failed\n";
            return 1;
        }
    }
    if (idleSeconds > 0 && (!start(0, true, idleSeconds, glimra) || !start(1, true, idleSeconds, minimal))) {
        out << "an idle run failed\n";
        return 1;
    }
    const auto line = [](const char *what, double g, double m) {
        out << QString::asprintf("%-26s Glimra %8.2f   minimal %8.2f   ratio %.2f\n", what, g, m, m ? g / m : 0);
    };
    out << "medians of " << rounds << " starts each, alternating, after a first start of each in its home\n";
    line("start to window mapped, ms", median(glimra.startMs), median(minimal.startMs));
    line("resident memory, MiB", median(glimra.residentMiB), median(minimal.residentMiB));
    if (idleSeconds > 0)
        line("idle wake-ups per second", median(glimra.wakeupsPerSecond), median(minimal.wakeupsPerSecond));
    out.flush();
    return 0;
}
