#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <functional>

// Keeps the library file up to date while the program runs. A change arms a short timer; when
// it runs out, the library's XML is taken on the saver's thread and written by a background
// thread. Writes run one at a time in the order their states were taken, and one that a newer
// state has already superseded is skipped, so the file always ends with the latest state.
class LibrarySaver : public QObject
{
    Q_OBJECT

signals:
    // After each background write, on the saver's thread.
    void saved(bool ok, const QString &errorString);

public:
    // Runs on the saver's thread; a null string means "nothing may be written now".
    using Snapshot = std::function<QString()>;
    // Runs on a background thread, or on the saver's thread for saveNow().
    using Writer = std::function<bool(const QString &xml, QString *errorString)>;

    static constexpr int DefaultDelayMs = 1000;

    LibrarySaver(Snapshot snapshot, Writer writer, QObject *parent = nullptr);
    // Waits for a write in progress.
    ~LibrarySaver() override;

    void setDelay(int ms) { m_timer.setInterval(ms); }

    // Something the file holds has changed. Many changes within the delay make one write.
    void markChanged();
    // While held (an entry is on screen) no state is taken; a write that falls due waits for release.
    void setHeld(bool held);
    bool isHeld() const { return m_held; }
    // The delay is over, but the saver is held.
    bool isWaitingForRelease() const { return m_due; }
    bool hasUnsavedChanges() const { return m_changed; }

    // Takes the current state and writes it at once, after any background write in progress.
    bool saveNow(QString *errorString = nullptr);

private:
    void takeSnapshot();

    Snapshot m_snapshot;
    Writer m_writer;
    QTimer m_timer;
    bool m_changed = false;
    bool m_held = false;
    bool m_due = false;
    quint64 m_generation = 0;
    std::atomic<quint64> m_latest{0};
    // Last: destroyed first, so no write outlives what it uses.
    QThreadPool m_pool;
};
