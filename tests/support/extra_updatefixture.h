#pragma once

#include "extra_httpserver.h"
#include "windowtesting.h"

#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Shared pieces of the updater tests.
namespace UpdateFixture {

// `payload` around a version stamp of `version` ("a.b.c.d"): a file whose version readFileVersion finds.
QByteArray stampedBytes(const QString &version, const QByteArray &payload);
// The built program with its stamp rewritten to `version`: a "newer" executable that really runs.
QByteArray patchedExecutable(const QString &version);
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// Folder-relative path of an update file on the site: "/updates/linux/<version>/<name>".
QString sitePath(const QString &relative);

} // namespace UpdateFixture

// A local update server whose base address the program uses (GLIMRA_UPDATE_URL) while it lives.
class UpdateSite
{
public:
    UpdateSite();
    ~UpdateSite();

    bool isListening() const { return m_listening; }
    void serveManifest(const QByteArray &manifest);
    void serveFile(const QString &version, const QString &name, const QByteArray &bytes);
    int requestCount(const QString &relative) const;

    TestHttpServer server;

private:
    bool m_listening = false;
};

// Records the start-and-exit step of an update instead of ending the test process.
struct LaunchRecorder
{
    QStringList commands;
    QList<int> exitCodes;

    template <typename Dialog> void attach(Dialog *dialog)
    {
        dialog->setLauncher([this](const QString &command, int exitCode) {
            commands.append(command);
            exitCodes.append(exitCode);
        });
    }
};
