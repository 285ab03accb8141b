#include "startup.h"

#include "app/application.h"
#include "app/migration.h"
#include "app/signalwatcher.h"
#include "buildconfig.h"
#include "core/filemanager.h"
#include "core/process.h"
#include "core/random.h"
#include "core/updateconstants.h"
#include "library/libraryfile.h"
#include "mainwindow/mainwindow.h"
#include "preferences/preferencekeys.h"
#include "preferences/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTime>
#include <QTimer>

namespace {

// The overlay must be placed by the program, which Wayland does not allow: run on XWayland
// unless the user chose a platform.
void preferX11OnWayland(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariable("XDG_SESSION_TYPE") != "wayland" ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0)
            return;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
}

// Nothing here draws with OpenGL, yet Qt's xcb GLX integration loads Mesa (and with it LLVM)
// for the first window shown. The user's own choice is kept.
void skipOpenGl()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

#if GLIMRA_WITH_UPDATER
void removeWithRetry(const QString &path)
{
    if (!QFile::remove(path)) {
        QThread::msleep(1000);
        QFile::remove(path);
    }
}

// Started under the replacement name: put this file in place of the program and start that.
int installUpdate()
{
    const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QString program = folder + UpdateConstants::executableName();
    removeWithRetry(program);
    if (QFile::copy(folder + UpdateConstants::replacementName(), program))
        startDetachedCommand(QLatin1Char('"') + program + QLatin1Char('"'));
    return 0;
}

bool startedAsReplacement(const QStringList &arguments)
{
    return !arguments.isEmpty() && QFileInfo(arguments.first()).fileName() == UpdateConstants::replacementName();
}

void removeReplacementLeftover()
{
    const QString leftover =
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + UpdateConstants::replacementName();
    if (QFile::exists(leftover))
        removeWithRetry(leftover);
}
#endif

} // namespace

int runGlimra(int argc, char **argv)
{
    preferX11OnWayland(argc, argv);
    skipOpenGl();
    // On a 2x desktop (Xft.dpi 192 on X11, 200 % on Windows) the whole window doubles, fixed
    // pixel sizes included, and icons take their larger images.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    Application app(argc, argv);

    if (app.isRunning()) {
        releaseTerminationSignals();
        return app.sendMessage(QStringLiteral("Wake up"), 5000) ? 0 : 1;
    }

    const QStringList arguments = QCoreApplication::arguments();
#if GLIMRA_WITH_UPDATER
    if (startedAsReplacement(arguments)) {
        releaseTerminationSignals();
        return installUpdate();
    }
#endif

    // From here on a stop request is held until the event loop runs and then quits normally.
    quitOnTerminationSignals(&app);

    Random::seed(uint(QTime::currentTime().msec()));
    migrateLegacyData();
    LibraryFile::removeLeftoverTemporaries(FileManager::instance()->messagesPath());

    const int language = QSettings().value(PreferenceKeys::Language, 0).toInt();
    MainWindow window;
    window.languageSelected(language);
    window.setWindowTitle(QCoreApplication::applicationName());
    QObject::connect(&app, &SingleApplication::messageReceived, &window, &MainWindow::bringToFront);

    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("-i"))
        window.parseMessagesFromText(arguments.at(2));

    app.setQuitOnLastWindowClosed(false);
    // Without a notification area a window started hidden could not be reached.
    window.setVisible(QSettings().value(PreferenceKeys::Hidden, true).toBool() ||
                      !QSystemTrayIcon::isSystemTrayAvailable());
    // Resumed from inside the event loop, so that a quit request arriving while the "nothing
    // selected" box is open ends the program instead of only that box.
    if (Settings::instance()->isActive())
        QTimer::singleShot(0, &window, [&window] { window.startActivity(); });
#if GLIMRA_WITH_UPDATER
    removeReplacementLeftover();
    // Off the start-up path: network access loads its plugins and starts threads.
    QTimer::singleShot(0, &window, [&window] { window.checkForUpdates(false); });
#endif

    // Only a completely started program answers other copies (and the tests).
    app.startListening();
    return app.exec();
}
