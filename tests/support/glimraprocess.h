#pragma once

#include <QProcess>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Runs a copy of the built program from a folder of the test's own, inside a temporary home,
// and ends it when the object goes away.
class GlimraProcess
{
public:
    // A fresh program folder and home; `executableName` is the name the copy is given.
    explicit GlimraProcess(const QString &executableName = QStringLiteral("Glimra"));
    ~GlimraProcess();

    QString programFolder() const { return m_folder.path(); }
    QString programPath() const { return m_folder.path() + '/' + m_name; }
    QString homePath() const { return m_home.path(); }
    QString dataFolder() const { return homePath() + QStringLiteral("/.local/share/Orvanta/Glimra"); }
    QString messagesPath() const { return dataFolder() + QStringLiteral("/messages.dat"); }
    QString imagesPath() const { return dataFolder() + QStringLiteral("/images"); }
    // Preferences of this home, as the program reads and writes them.
    QSettings::SettingsMap readSettings() const;
    void writeSetting(const QString &key, const QVariant &value);

    QProcessEnvironment environment() const { return m_process.processEnvironment(); }
    // Replaces the environment this program and its other starts run with.
    void setEnvironment(const QProcessEnvironment &environment) { m_process.setProcessEnvironment(environment); }

    // Starts the program and waits until it accepts single-instance connections itself, which it
    // does only once its start-up is complete.
    bool startAndWaitReady(const QStringList &arguments = {}, int timeoutMs = 30000);
    // Runs another start of the same program file to its end; returns its exit code, -1 on a hang.
    int runToEnd(const QStringList &arguments = {}, int timeoutMs = 20000, const QString &program = QString());
    // Asks it to stop as the system would (SIGTERM on Unix) and waits; the exit code, -1 when it did not end.
    int terminate(int timeoutMs = 20000);
    // The program's single-instance socket, as the program computes it in this environment.
    QString socketName() const;
    // True when a copy run by this user answers on the program's single-instance socket in time.
    bool isReady(int timeoutMs = 200) const;
    QProcess &process() { return m_process; }

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_home;
    QString m_name;
    QProcess m_process;
};
