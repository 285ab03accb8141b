#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A private Xvfb for tests whose behaviour depends on a real X server. It is ready when it has
// written its display number, which Xvfb does only once it accepts clients.
class XServer
{
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    // False when Xvfb is missing or did not come up.
    bool start(int timeoutMs = 30000);
    void kill();
    QString display() const { return m_display; }
    // `base` with DISPLAY pointing here and Qt on its xcb platform.
    QProcessEnvironment environment(QProcessEnvironment base) const;
    // Runs xdotool against this display; its exit code, -1 when it did not end in time.
    int xdotool(const QStringList &arguments, int timeoutMs = 30000) const;
    // Waits for a window of that exact title, gives it the keyboard focus and presses `key` there.
    bool pressKey(const QString &windowTitle, const QString &key) const;
    // Waits until a window of that exact title exists.
    bool waitForWindow(const QString &windowTitle) const;
    // Waits until a window of that class is mapped.
    bool waitForMappedWindowOfClass(const QString &windowClass) const;

private:
    QProcess m_process;
    QString m_display;
};
