#include "application.h"

#include "buildconfig.h"
#include "core/fileversion.h"
#include "mainwindow/appicons.h"

#include <QIcon>

Application::Application(int &argc, char **argv) : SingleApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Glimra"));
    setApplicationVersion(applicationFileVersion());
    setOrganizationName(QStringLiteral("Orvanta"));
    setOrganizationDomain(QStringLiteral("orvanta.example"));
    // Lets Wayland compositors and docks match our windows with the installed menu entry.
    setDesktopFileName(QStringLiteral(GLIMRA_APP_ID));
    setWindowIcon(AppIcons::program());
}
