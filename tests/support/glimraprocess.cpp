#include "glimraprocess.h"

#include "core/instancekey.h"
#include "processcontrol.h"
#include "testhome.h"
#include "testpaths.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

namespace {

// Who listens on the local socket `name`; pid 0 when nobody answers.
LocalSocketPeer listenerAt(const QString &name, int timeoutMs)
{
    LocalSocketPeer peer;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(timeoutMs))
        peer = localSocketPeer(socket.socketDescriptor());
    socket.abort();
    return peer;
}

} // namespace

GlimraProcess::GlimraProcess(const QString &executableName) : m_name(executableName)
{
    QFile::copy(builtExecutable(), programPath());
    setEnvironment(defaultEnvironment());
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

QString GlimraProcess::builtExecutable()
{
    return QStringLiteral(GLIMRA_EXECUTABLE);
}

QString GlimraProcess::programPath() const
{
    return m_folder.path() + QLatin1Char('/') + m_name;
}

QString GlimraProcess::dataFolder() const
{
    return m_home.path() + QStringLiteral("/.local/share/Orvanta/Glimra");
}

QString GlimraProcess::settingsFile() const
{
    return m_home.path() + QStringLiteral("/.config/Orvanta/Glimra.conf");
}

QSettings::SettingsMap GlimraProcess::readSettings() const
{
    QSettings store(settingsFile(), QSettings::IniFormat);
    QSettings::SettingsMap map;
    for (const QString &key : store.allKeys())
        map.insert(key, store.value(key));
    return map;
}

void GlimraProcess::writeSetting(const QString &key, const QVariant &value)
{
    QSettings store(settingsFile(), QSettings::IniFormat);
    store.setValue(key, value);
}

QProcessEnvironment GlimraProcess::environment() const
{
    return m_environment;
}

void GlimraProcess::setEnvironment(const QProcessEnvironment &environment)
{
    m_environment = environment;
    m_process.setProcessEnvironment(environment);
}

QProcessEnvironment GlimraProcess::defaultEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_home.path();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QDir().mkpath(home + QStringLiteral("/.runtime"));
    QFile::setPermissions(home + QStringLiteral("/.runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/.runtime"));
    // Keep the program's automatic update check away from the network.
    env.insert(QStringLiteral("GLIMRA_UPDATE_URL"), QStringLiteral("http://127.0.0.1:9/updates/"));
    return env;
}

QString GlimraProcess::socketName() const
{
    return instanceKey(programPath(), m_environment);
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
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    // Readiness is observable only from outside the process, so this polls the socket.
    while (!deadline.hasExpired()) {
        if (m_process.state() == QProcess::NotRunning)
            return false;
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
    if (!other.waitForFinished(timeoutMs)) {
        other.kill();
        other.waitForFinished(5000);
        return -1;
    }
    return other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -1;
}

int GlimraProcess::terminate(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    requestStop(m_process.processId(), StopRequest::Terminate);
    if (!m_process.waitForFinished(timeoutMs))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
