#include "xserver.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

bool XServer::start(int timeoutMs)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return false;
    // -displayfd picks a free display and reports it on standard output once clients can connect;
    // -noreset keeps root properties set by short-lived clients such as xprop.
    m_process.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"});
    QDeadlineTimer deadline(timeoutMs);
    QByteArray out;
    while (!out.contains('\n') && !deadline.hasExpired() && m_process.waitForStarted(timeoutMs) &&
           m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        out += m_process.readAllStandardOutput();
    }
    m_display = out.trimmed().isEmpty() ? QString() : ':' + QString::fromLatin1(out.trimmed());
    return !m_display.isEmpty();
}

void XServer::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QProcessEnvironment XServer::environment(QProcessEnvironment base) const
{
    base.insert(QStringLiteral("DISPLAY"), m_display);
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return base;
}

int XServer::run(const QString &program, const QStringList &arguments, QByteArray *output) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment(QProcessEnvironment::systemEnvironment()));
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000)) {
        tool.kill();
        tool.waitForFinished(5000);
        return -1;
    }
    if (output)
        *output = tool.readAllStandardOutput();
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

bool XServer::pressKey(const QString &windowTitle, const QString &key) const
{
    return run("xdotool", byTitle(windowTitle) + QStringList{"windowfocus", "--sync", "key", key}) == 0;
}

bool XServer::waitForMappedWindowOfClass(const QString &windowClass) const
{
    return run("xdotool", {"search", "--sync", "--onlyvisible", "--class", windowClass}) == 0;
}
