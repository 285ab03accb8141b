#include "preferences/autostart.h"

#include <QCoreApplication>
#include <QSettings>

#include <windows.h>

namespace Autostart {

namespace {

const char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Where Task Manager and the Settings app keep the user's switch for each Run value.
const wchar_t kApprovedSubkey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const wchar_t kValueName[] = L"Glimra";

QString runValue()
{
    return QSettings(QString::fromLatin1(kRunKey), QSettings::NativeFormat).value(QStringLiteral("Glimra")).toString();
}

// The switch is a binary value whose first byte is odd while the entry is switched off (the rest
// records when); no value means on.
bool isSwitchedOff()
{
    BYTE data[64] = {};
    DWORD size = sizeof data;
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, kApprovedSubkey, kValueName, RRF_RT_REG_BINARY, nullptr, data, &size);
    return status == ERROR_SUCCESS && size > 0 && (data[0] & 1);
}

void removeSwitch()
{
    QSettings approved(QStringLiteral("HKEY_CURRENT_USER\\") + QString::fromWCharArray(kApprovedSubkey),
                       QSettings::NativeFormat);
    approved.remove(QStringLiteral("Glimra"));
}

} // namespace

QString commandFor(const QString &programPath)
{
    QString path = programPath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QString command()
{
    return commandFor(QCoreApplication::applicationFilePath());
}

bool isPresent()
{
    return !runValue().isEmpty() && !isSwitchedOff();
}

void write(const QString &command)
{
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.setValue(QStringLiteral("Glimra"), command);
    removeSwitch();
}

void refresh(const QString &command)
{
    const QString current = runValue();
    if (!current.isEmpty() && current != command)
        QSettings(QString::fromLatin1(kRunKey), QSettings::NativeFormat).setValue(QStringLiteral("Glimra"), command);
}

void remove()
{
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.remove(QStringLiteral("Glimra"));
    removeSwitch();
}

} // namespace Autostart
