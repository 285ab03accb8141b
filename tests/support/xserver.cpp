#include "xserver.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

XServer::~XServer()
{
    kill();
}

bool XServer::start(int timeoutMs)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return false;
    // -displayfd picks a free display and reports it on standard output once clients can connect.
    m_process.start(xvfb,
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    QByteArray out;
    while (!out.contains('\n') && !deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        out += m_process.readAllStandardOutput();
    }
    const QByteArray number = out.trimmed();
    if (number.isEmpty())
        return false;
    m_display = QLatin1Char(':') + QString::fromLatin1(number);
    return true;
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

int XServer::xdotool(const QStringList &arguments, int timeoutMs) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    tool.setProcessEnvironment(env);
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished(5000);
        return -1;
    }
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

bool XServer::pressKey(const QString &windowTitle, const QString &key) const
{
    return xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                    QLatin1Char('^') + windowTitle + QLatin1Char('$'), QStringLiteral("windowfocus"),
                    QStringLiteral("--sync"), QStringLiteral("key"), key}) == 0;
}

bool XServer::waitForWindow(const QString &windowTitle) const
{
    return xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                    QLatin1Char('^') + windowTitle + QLatin1Char('$')}) == 0;
}

bool XServer::waitForMappedWindowOfClass(const QString &windowClass) const
{
    return xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--class"), windowClass}) == 0;
}
