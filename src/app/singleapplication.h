#pragma once

#include <QApplication>

#include <memory>

class QLocalServer;
class QLockFile;

// A QApplication that knows whether another copy of the same executable already runs for the
// same user and can send that copy a text message.
// Built on a local socket whose name derives from the executable's path and the user, kept where
// other users cannot reach it; a peer of another user is ignored at either end.
//
// The first copy holds a lock file from construction until startListening(): a copy that
// starts meanwhile waits for it, so it either finds a fully started program answering on the
// socket or becomes the first copy itself once the lock holder is gone.
class SingleApplication : public QApplication
{
    Q_OBJECT

signals:
    void messageReceived(const QString &message);

public:
    SingleApplication(int &argc, char **argv);
    ~SingleApplication() override;

    bool isRunning() const { return m_running; }
    // Makes this copy reachable; call once start-up is complete. False when it cannot listen.
    bool startListening();
    // True only when the running copy received the whole message and confirmed it within the time-out.
    bool sendMessage(const QString &message, int timeout = 5000);

    QString serverName() const { return m_serverName; }

private slots:
    void onNewConnection();

private:
    QString m_serverName;
    bool m_running = false;
    QLocalServer *m_server = nullptr;
    std::unique_ptr<QLockFile> m_startLock;
};
