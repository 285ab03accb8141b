#include "updateconstants.h"

#include "buildconfig.h"

namespace UpdateConstants {

QString executableName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Glimra.exe");
#else
    return QStringLiteral("Glimra");
#endif
}

QString replacementName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Glimra_new.exe");
#else
    return QStringLiteral("Glimra_new");
#endif
}

QString updateBaseUrl()
{
    const QString overridden = qEnvironmentVariable("GLIMRA_UPDATE_URL");
    if (!overridden.isEmpty())
        return overridden.endsWith(QLatin1Char('/')) ? overridden : overridden + QLatin1Char('/');
#ifdef Q_OS_WIN
    return QStringLiteral(GLIMRA_UPDATE_SERVER "/updates/win/");
#else
    return QStringLiteral(GLIMRA_UPDATE_SERVER "/updates/linux/");
#endif
}

QString manifestUrl()
{
    return updateBaseUrl() + QStringLiteral("update.ini");
}

} // namespace UpdateConstants
