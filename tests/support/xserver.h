#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A private Xvfb for tests whose behaviour depends on a real X server. It is ready when it has
// written its display number, which Xvfb does only once it accepts clients.
class XServer
{
public:
    XServer() = default;
    ~XServer() { kill(); }
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    // False when Xvfb is missing or did not come up. `extraArguments` go to Xvfb (more screens,
    // +xinerama, ...); without them one 1280x800 screen.
    bool start(int timeoutMs = 30000, const QStringList &extraArguments = {});
    void kill();
    QString display() const { return m_display; }
    // `base` with DISPLAY pointing here and Qt on its xcb platform.
    QProcessEnvironment environment(QProcessEnvironment base) const;
    // Each waits until a window of that exact title (or mapped window of that class) exists;
    // pressKey then gives it the keyboard focus and presses `key` there.
    bool waitForWindow(const QString &windowTitle) const { return run("xdotool", byTitle(windowTitle)) == 0; }
    bool pressKey(const QString &windowTitle, const QString &key) const;
    bool waitForMappedWindowOfClass(const QString &windowClass) const;
    // Asks the window manager to close the window (as its close button or a task bar does).
    bool closeWindow(quint32 window) const;
    // Runs an X client (xdotool, xprop, ...) against this display; its exit code, -1 when it did
    // not end in time. `output` receives its standard output.
    int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr) const;

    // Desktop parts: starts `program` in the background and waits until it owns `selection`
    // ("_NET_WM_CM_S0" for a compositor, "_NET_SYSTEM_TRAY_S0" for a tray, "WM_S0" for a window
    // manager), which is when it is ready. It runs until stopClient(program) or kill().
    bool startClient(const QString &program, const QStringList &arguments, const QByteArray &selection);
    void stopClient(const QString &program);
    bool selectionOwned(const QByteArray &selection) const;

private:
    static QStringList byTitle(const QString &title) { return {"search", "--sync", "--name", '^' + title + '$'}; }

    QProcess m_process;
    QString m_display;
    std::vector<std::unique_ptr<QProcess>> m_clients;
};
