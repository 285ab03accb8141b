#pragma once

#include <QFont>
#include <QObject>
#include <QString>

class QSettings;

// The process-wide preferences object: typed access to the keys shared by several parts of the
// program, and the entry that starts the program at log-on.
class Settings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAutostartOn READ isAutostartOn WRITE setIsAutostartOn NOTIFY autostartChanged)

signals:
    void autostartChanged(bool isAutostart);

public:
    static Settings *instance();
    ~Settings() override;

    QString selectedDuration() const;
    QString selectedDisplay() const;
    QString selectedLocation() const;
    void setSelectedDuration(const QString &name);
    void setSelectedDisplay(const QString &name);
    void setSelectedLocation(const QString &name);

    QString messageColor() const;
    void setMessageColor(const QString &name);

    static QString defaultFont();
    // Moves a font found under the legacy key into "messageFont" the first time it is read.
    QFont messageFont();
    void setMessageFont(const QFont &font);

    // Writes what was set so far to the store now rather than at the next event loop pass.
    void sync();

    bool isActive() const;
    // Flushed at once: a crash must not resume or lose the session state.
    void setActive(bool on);

    bool isAutostartOn() const;
    void setIsAutostartOn(bool on);
    static QString autostartCommand();

    QString legacyFontValue() const;
    void removeLegacyFont();

private:
    Settings();

    QSettings *m_store = nullptr;
};
