#include "librarysaver.h"

#include <QRunnable>

LibrarySaver::LibrarySaver(Snapshot snapshot, Writer writer, QObject *parent)
    : QObject(parent), m_snapshot(std::move(snapshot)), m_writer(std::move(writer))
{
    // One writer thread: writes land in the order their states were taken.
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(5000);
    m_timer.setSingleShot(true);
    m_timer.setInterval(DefaultDelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_held)
            m_due = true;
        else
            takeSnapshot();
    });
}

LibrarySaver::~LibrarySaver()
{
    m_pool.waitForDone();
}

void LibrarySaver::markChanged()
{
    m_changed = true;
    // Not restarted by later changes: a steady stream of changes still reaches the disk.
    if (!m_timer.isActive() && !m_due)
        m_timer.start();
}

void LibrarySaver::setHeld(bool held)
{
    m_held = held;
    if (!m_held && m_due) {
        m_due = false;
        takeSnapshot();
    }
}

void LibrarySaver::takeSnapshot()
{
    const QString xml = m_snapshot();
    if (xml.isNull())
        return;
    m_changed = false;
    const quint64 generation = ++m_generation;
    m_latest.store(generation);
    m_pool.start(QRunnable::create([this, xml, generation] {
        if (m_latest.load() != generation)
            return;
        QString error;
        const bool ok = m_writer(xml, &error);
        QMetaObject::invokeMethod(
            this, [this, ok, error] { emit saved(ok, error); }, Qt::QueuedConnection);
    }));
}

bool LibrarySaver::saveNow(QString *errorString)
{
    m_timer.stop();
    m_due = false;
    const QString xml = m_snapshot();
    // Anything still queued is older than this state and need not be written any more.
    m_latest.store(++m_generation);
    m_pool.waitForDone();
    if (xml.isNull())
        return false;
    m_changed = false;
    QString error;
    const bool ok = m_writer(xml, &error);
    if (errorString)
        *errorString = error;
    return ok;
}
