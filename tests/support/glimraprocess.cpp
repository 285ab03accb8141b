#include "glimraprocess.h"

#include "core/instancekey.h"
#include "processcontrol.h"
#include "testhome.h"
#include "testpaths.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>

namespace {

// Who listens on the local socket `name`; pid 0 when nobody answers.
LocalSocketPeer listenerAt(const QString &name, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    return socket.waitForConnected(timeoutMs) ? localSocketPeer(socket.socketDescriptor()) : LocalSocketPeer();
}

int exitCodeOf(const QProcess &process)
{
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

GlimraProcess::GlimraProcess(const QString &executableName) : m_name(executableName)
{
    QFile::copy(QStringLiteral(GLIMRA_EXECUTABLE), programPath());
    QProcessEnvironment env = environmentForHome(homePath(), QProcessEnvironment::systemEnvironment());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    setEnvironment(env);
    m_process.setProgram(programPath());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

GlimraProcess::~GlimraProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QSettings::SettingsMap GlimraProcess::readSettings() const
{
    QSettings store(homePath() + QStringLiteral("/.config/Orvanta/Glimra.conf"), QSettings::IniFormat);
    QSettings::SettingsMap map;
    for (const QString &key : store.allKeys())
        map.insert(key, store.value(key));
    return map;
}

void GlimraProcess::writeSetting(const QString &key, const QVariant &value)
{
    QSettings(homePath() + QStringLiteral("/.config/Orvanta/Glimra.conf"), QSettings::IniFormat).setValue(key, value);
}

QString GlimraProcess::socketName() const
{
    return instanceKey(programPath(), environment());
}

bool GlimraProcess::isReady(int timeoutMs) const
{
    // Another user's listener at the name is not the program.
    const LocalSocketPeer listener = listenerAt(socketName(), timeoutMs);
    return listener.pid != 0 && listener.sameUser;
}

bool GlimraProcess::startAndWaitReady(const QStringList &arguments, int timeoutMs)
{
    m_process.setArguments(arguments);
    m_process.start();
    QDeadlineTimer deadline(timeoutMs);
    // Readiness is observable only from outside the process, so this polls the socket.
    while (m_process.waitForStarted(timeoutMs) && !deadline.hasExpired() && m_process.state() == QProcess::Running) {
        if (listenerAt(socketName(), 200).pid == m_process.processId())
            return true;
        m_process.waitForFinished(100);
    }
    return false;
}

int GlimraProcess::runToEnd(const QStringList &arguments, int timeoutMs, const QString &program)
{
    QProcess other;
    other.setProcessEnvironment(environment());
    other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    other.start(program.isEmpty() ? programPath() : program, arguments);
    if (other.waitForFinished(timeoutMs))
        return exitCodeOf(other);
    other.kill();
    other.waitForFinished(5000);
    return -1;
}

int GlimraProcess::terminate(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning) {
        requestStop(m_process.processId(), StopRequest::Terminate);
        if (!m_process.waitForFinished(timeoutMs))
            return -1;
    }
    return exitCodeOf(m_process);
}
