#include "settings.h"

#include "preferences/autostart.h"
#include "preferences/preferencekeys.h"

#include <QCoreApplication>
#include <QSettings>

#include <memory>

namespace {

std::unique_ptr<Settings> theInstance;

// Runs as the application object goes away, after aboutToQuit; deleting the handle writes
// whatever is still pending.
void destroyInstance()
{
    theInstance.reset();
}

} // namespace

Settings *Settings::instance()
{
    if (!theInstance) {
        theInstance.reset(new Settings);
        qAddPostRoutine(destroyInstance);
    }
    return theInstance.get();
}

Settings::Settings() : m_store(new QSettings(this))
{
    // The entry always names the executable that runs now; one the user switched off stays off.
    Autostart::refresh(autostartCommand());
}

Settings::~Settings() = default;

QString Settings::selectedDuration() const
{
    return m_store->value(PreferenceKeys::SelectedDuration).toString();
}

QString Settings::selectedDisplay() const
{
    return m_store->value(PreferenceKeys::SelectedDisplay).toString();
}

QString Settings::selectedLocation() const
{
    return m_store->value(PreferenceKeys::SelectedLocation).toString();
}

void Settings::setSelectedDuration(const QString &name)
{
    m_store->setValue(PreferenceKeys::SelectedDuration, name);
}

void Settings::setSelectedDisplay(const QString &name)
{
    m_store->setValue(PreferenceKeys::SelectedDisplay, name);
}

void Settings::setSelectedLocation(const QString &name)
{
    m_store->setValue(PreferenceKeys::SelectedLocation, name);
}

QString Settings::messageColor() const
{
    return m_store->value(PreferenceKeys::MessageColor, QStringLiteral("black")).toString();
}

void Settings::setMessageColor(const QString &name)
{
    m_store->setValue(PreferenceKeys::MessageColor, name);
}

QString Settings::defaultFont()
{
    return QFont(QStringLiteral("Arial"), 28).toString();
}

QFont Settings::messageFont()
{
    const QString legacy = legacyFontValue();
    if (!legacy.isEmpty()) {
        QFont font;
        font.fromString(legacy);
        setMessageFont(font);
        removeLegacyFont();
        return font;
    }
    QFont font;
    font.fromString(m_store->value(PreferenceKeys::MessageFont, defaultFont()).toString());
    return font;
}

void Settings::setMessageFont(const QFont &font)
{
    m_store->setValue(PreferenceKeys::MessageFont, font.toString());
}

bool Settings::isActive() const
{
    return m_store->value(PreferenceKeys::IsActive, false).toBool();
}

void Settings::sync()
{
    m_store->sync();
}

void Settings::setActive(bool on)
{
    m_store->setValue(PreferenceKeys::IsActive, on);
    m_store->sync();
}

bool Settings::isAutostartOn() const
{
    return Autostart::isPresent();
}

void Settings::setIsAutostartOn(bool on)
{
    if (on)
        Autostart::write(autostartCommand());
    else
        Autostart::remove();
    emit autostartChanged(on);
}

QString Settings::autostartCommand()
{
    return Autostart::command();
}

QString Settings::legacyFontValue() const
{
    return QSettings().value(PreferenceKeys::LegacyFont).toString();
}

void Settings::removeLegacyFont()
{
    QSettings().remove(PreferenceKeys::LegacyFont);
}
