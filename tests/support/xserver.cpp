#include "xserver.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTest>

#ifndef Q_OS_WIN
#include <xcb/xcb.h>

#include <cstdlib>
#endif

bool XServer::start(int timeoutMs, const QStringList &extraArguments)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return false;
    // -displayfd picks a free display and reports it on standard output once clients can connect;
    // -noreset keeps root properties set by short-lived clients such as xprop.
    QStringList arguments{"-displayfd", "1", "-nolisten", "tcp", "-noreset"};
    arguments += extraArguments.isEmpty() ? QStringList{"-screen", "0", "1280x800x24"} : extraArguments;
    m_process.start(xvfb, arguments);
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
    while (!m_clients.empty())
        stopClient(m_clients.back()->program());
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

bool XServer::startClient(const QString &program, const QStringList &arguments, const QByteArray &selection)
{
    auto client = std::make_unique<QProcess>();
    client->setProcessEnvironment(environment(QProcessEnvironment::systemEnvironment()));
    client->setProcessChannelMode(QProcess::ForwardedChannels);
    client->start(program, arguments);
    if (!client->waitForStarted(30000))
        return false;
    const QProcess *started = client.get();
    m_clients.push_back(std::move(client));
    return QTest::qWaitFor([&] { return selectionOwned(selection) || started->state() != QProcess::Running; }, 30000) &&
           started->state() == QProcess::Running;
}

void XServer::stopClient(const QString &program)
{
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        if ((*it)->program() == program) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(10000)) {
                (*it)->kill();
                (*it)->waitForFinished(10000);
            }
            it = m_clients.erase(it);
        } else {
            ++it;
        }
    }
}

bool XServer::closeWindow(quint32 window) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(window)
    return false;
#else
    xcb_connection_t *connection = xcb_connect(m_display.toLocal8Bit().constData(), nullptr);
    const QByteArray name = "_NET_CLOSE_WINDOW";
    xcb_intern_atom_reply_t *atom =
        xcb_connection_has_error(connection)
            ? nullptr
            : xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()),
                                    nullptr);
    const bool sent = atom != nullptr;
    if (atom) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom->atom;
        event.data.data32[1] = 2; // from a pager or task bar
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
        xcb_flush(connection);
        std::free(atom);
    }
    const bool delivered = sent && !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return delivered;
#endif
}

bool XServer::selectionOwned(const QByteArray &selection) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(selection)
    return false;
#else
    xcb_connection_t *connection = xcb_connect(m_display.toLocal8Bit().constData(), nullptr);
    bool owned = false;
    if (!xcb_connection_has_error(connection)) {
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(selection.size()), selection.constData()), nullptr);
        if (atom) {
            xcb_get_selection_owner_reply_t *owner =
                xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
            owned = owner && owner->owner != XCB_NONE;
            std::free(owner);
            std::free(atom);
        }
    }
    xcb_disconnect(connection);
    return owned;
#endif
}
