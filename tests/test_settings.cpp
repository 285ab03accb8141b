#include "glimraprocess.h"
#include "testhome.h"

#include "preferences/autostart.h"
#include "preferences/settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

namespace {

QString configFile(const char *name)
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QLatin1Char('/') + QLatin1String(name);
}

QString autostartExec(const QString &desktopFile)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Exec=")))
            return line.mid(5);
    }
    return QString();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void cleanStoreGivesDefaults();
    void legacyFontMovesIntoMessageFont();
    void emptyLegacyFontIsIgnoredAndKept();
    void setActiveReachesTheFileAtOnce();

    void quitRecordsCheckedButtonsAndVisibility();
    void startRewritesAStaleAutostartEntry();
};

void TestSettings::init()
{
    QSettings().clear();
    QSettings().sync();
    Autostart::remove();
}

void TestSettings::cleanStoreGivesDefaults()
{
    Settings *settings = Settings::instance();
    QCOMPARE(settings->selectedDisplay(), QString());
    QCOMPARE(settings->selectedDuration(), QString());
    QCOMPARE(settings->selectedLocation(), QString());
    QCOMPARE(settings->messageColor(), QStringLiteral("black"));
    QVERIFY(!settings->isActive());
    QVERIFY(!settings->isAutostartOn());
    QCOMPARE(settings->legacyFontValue(), QString());

    const QFont font = settings->messageFont();
    QCOMPARE(font.family(), QStringLiteral("Arial"));
    QCOMPARE(font.pointSize(), 28);
    QVERIFY(!font.italic());
    QCOMPARE(font.weight(), int(QFont::Normal));
    QCOMPARE(font.toString(), Settings::defaultFont());
}

void TestSettings::legacyFontMovesIntoMessageFont()
{
    const QString legacy = QFont(QStringLiteral("Courier"), 13).toString();
    QSettings().setValue(QStringLiteral("Glimra/font"), legacy);

    const QFont font = Settings::instance()->messageFont();
    QCOMPARE(font.toString(), legacy);
    QSettings store;
    QVERIFY(!store.contains(QStringLiteral("Glimra/font")));
    QCOMPARE(store.value(QStringLiteral("messageFont")).toString(), legacy);
    QCOMPARE(Settings::instance()->messageFont().toString(), legacy);
}

void TestSettings::emptyLegacyFontIsIgnoredAndKept()
{
    const QString current = QFont(QStringLiteral("Times"), 15).toString();
    QSettings().setValue(QStringLiteral("Glimra/font"), QString());
    Settings::instance()->setMessageFont(QFont(QStringLiteral("Times"), 15));

    QCOMPARE(Settings::instance()->messageFont().toString(), current);
    QVERIFY(QSettings().contains(QStringLiteral("Glimra/font")));
}

void TestSettings::setActiveReachesTheFileAtOnce()
{
    const auto fileText = [] {
        QFile file(configFile("Orvanta/Glimra.conf"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    Settings::instance()->setActive(true);
    QVERIFY(fileText().contains(QLatin1String("isActive=true")));
    QVERIFY(Settings::instance()->isActive());
    Settings::instance()->setActive(false);
    QVERIFY(fileText().contains(QLatin1String("isActive=false")));
}

void TestSettings::quitRecordsCheckedButtonsAndVisibility()
{
    GlimraProcess program;
    program.writeSetting(QStringLiteral("Glimra/duration"), -6);
    QVERIFY(program.startAndWaitReady());
    QCOMPARE(program.terminate(), 0);

    const QSettings::SettingsMap stored = program.readSettings();
    QCOMPARE(stored.value(QStringLiteral("selectedDuration")).toString(), QStringLiteral("duration_80_msec_radio"));
    QCOMPARE(stored.value(QStringLiteral("selectedDisplay")).toString(), QStringLiteral("display_4_sec_radio"));
    QCOMPARE(stored.value(QStringLiteral("selectedLocation")).toString(), QStringLiteral("location_center_radio"));
    QCOMPARE(stored.value(QStringLiteral("hidden")).toBool(), true);
}

void TestSettings::startRewritesAStaleAutostartEntry()
{
    GlimraProcess program;
    const QString entry = program.homePath() + QStringLiteral("/.config/autostart/Glimra.desktop");
    QVERIFY(QDir().mkpath(program.homePath() + QStringLiteral("/.config/autostart")));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write("[Desktop Entry]\nType=Application\nExec=\"/moved/away/Glimra\"\n");
    file.close();

    QVERIFY(program.startAndWaitReady());
    QCOMPARE(autostartExec(entry), QStringLiteral("\"%1\"").arg(program.programPath()));
    program.terminate();
}

GLIMRA_TEST_MAIN(TestSettings)
#include "test_settings.moc"
