#include "testhome.h"

#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "preferences/autostart.h"
#include "preferences/settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <memory>

class MainWindowTestAccess
{
public:
    static QTimer *showTimer(MainWindow &w) { return w.showTimer; }
    static QTimer *hideTimer(MainWindow &w) { return w.hideTimer; }
    static QGraphicsOpacityEffect *opacityEffect(MainWindow &w) { return w.opacityEffect; }
    static QLabel *overlayLabel(MainWindow &w) { return w.overlayLabel; }
    static QFont currentFont(MainWindow &w) { return w.currentFont; }
    static void setFontChooser(MainWindow &w, std::function<QFont(bool *, const QFont &, QWidget *)> chooser)
    {
        w.fontChooser = std::move(chooser);
    }
    static void setColorChooser(MainWindow &w, std::function<QColor(const QColor &, QWidget *)> chooser)
    {
        w.colorChooser = std::move(chooser);
    }
};

namespace {

template <typename T> T *widget(MainWindow &w, const char *name)
{
    T *found = w.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

QRadioButton *radio(MainWindow &w, const QString &name)
{
    return widget<QRadioButton>(w, name.toLatin1().constData());
}

int translatorCount(MainWindow &w)
{
    return w.findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly).size();
}

QStringList debugLines;
QtMessageHandler previousHandler = nullptr;

void captureDebug(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines << message;
    previousHandler(type, context, message);
}

} // namespace

class TestSettingsTab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstRunShowsDefaults();
    void choiceIsStoredAndSurvivesRestart_data();
    void choiceIsStoredAndSurvivesRestart();
    void runningSessionFollowsNewTimes();
    void restoreResetsOnlyFlashSettings();
    void fontPreviewFitsWhileFlashUsesChosenSize_data();
    void fontPreviewFitsWhileFlashUsesChosenSize();
    void colourDialog_data();
    void colourDialog();
    void languageSwitchRoundTrip();
    void runOnStartupTogglesEntry();
    void startupBoxFollowsEntry_data();
    void startupBoxFollowsEntry();
    void quitRecordsWindowAndButtons_data();
    void quitRecordsWindowAndButtons();

private:
    std::unique_ptr<MainWindow> window;
};

void TestSettingsTab::initTestCase()
{
    // The window's silent update check stays on this machine.
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");
}

void TestSettingsTab::init()
{
    QSettings().clear();
    QSettings().sync();
    Autostart::remove();
    debugLines.clear();
}

void TestSettingsTab::cleanup()
{
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestSettingsTab::firstRunShowsDefaults()
{
    window.reset(new MainWindow);
    MainWindow &w = *window;
    QVERIFY(radio(w, "display_4_sec_radio")->isChecked());
    QVERIFY(radio(w, "duration_30_msec_radio")->isChecked());
    QVERIFY(radio(w, "location_center_radio")->isChecked());
    QCOMPARE(widget<QComboBox>(w, "language_box")->currentIndex(), 0);
    QVERIFY(!widget<QCheckBox>(w, "minimize_box")->isChecked());
    QVERIFY(!widget<QCheckBox>(w, "run_on_startup_box")->isChecked());
    const QFont font = MainWindowTestAccess::currentFont(w);
    QCOMPARE(font.family(), QStringLiteral("Arial"));
    QCOMPARE(font.pointSize(), 28);
    QCOMPARE(widget<QLabel>(w, "colorLabel")->styleSheet(), QStringLiteral("QLabel { background-color : black; }"));
}

void TestSettingsTab::choiceIsStoredAndSurvivesRestart_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("id");

    const char *display[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("display_%1_sec_radio").arg(QLatin1String(display[i]));
        QTest::newRow(qPrintable(name)) << "Glimra/display" << name << -2 - i;
    }
    const char *duration[] = {"10", "20", "30", "50", "80", "1000"};
    for (int i = 0; i < 6; ++i) {
        const QString name = QStringLiteral("duration_%1_msec_radio").arg(QLatin1String(duration[i]));
        QTest::newRow(qPrintable(name)) << "Glimra/duration" << name << -2 - i;
    }
    const char *location[] = {"center", "top", "bottom", "random"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("location_%1_radio").arg(QLatin1String(location[i]));
        QTest::newRow(qPrintable(name)) << "Glimra/location" << name << -2 - i;
    }
}

void TestSettingsTab::choiceIsStoredAndSurvivesRestart()
{
    QFETCH(QString, key);
    QFETCH(QString, button);
    QFETCH(int, id);

    window.reset(new MainWindow);
    radio(*window, button)->click();
    QCOMPARE(QSettings().value(key), QVariant(id));

    window.reset(new MainWindow);
    QVERIFY(radio(*window, button)->isChecked());
}

void TestSettingsTab::runningSessionFollowsNewTimes()
{
    window.reset(new MainWindow);
    MainWindow &w = *window;
    QVERIFY(!w.categories.isEmpty());
    w.categories.first()->child(0)->child(0)->setChecked(true);
    w.startActivity();
    QTimer *showTimer = MainWindowTestAccess::showTimer(w);
    QTimer *hideTimer = MainWindowTestAccess::hideTimer(w);
    QGraphicsOpacityEffect *opacity = MainWindowTestAccess::opacityEffect(w);
    QVERIFY(hideTimer->isActive());

    radio(w, "display_2_sec_radio")->click();
    QCOMPARE(showTimer->interval(), 2000);

    radio(w, "duration_10_msec_radio")->click();
    QCOMPARE(hideTimer->interval(), 10);
    QCOMPARE(opacity->opacity(), 0.15);
    QVERIFY(hideTimer->isActive());

    radio(w, "duration_1000_msec_radio")->click();
    QCOMPARE(hideTimer->interval(), 1000);
    QCOMPARE(opacity->opacity(), 1.0);

    // Screen clear: the wait starts over with the new, shorter interval.
    w.hideTimeout();
    QVERIFY(showTimer->isActive());
    radio(w, "display_1_sec_radio")->click();
    QVERIFY(showTimer->isActive());
    QCOMPARE(showTimer->interval(), 1000);
    // Coarse timers may fire up to 5% late; the old 2 s wait would still have far more left.
    QVERIFY(showTimer->remainingTime() < 1500);
    w.stopActivity();
}

void TestSettingsTab::restoreResetsOnlyFlashSettings()
{
    {
        QSettings store;
        store.setValue(QStringLiteral("Glimra/language"), 1);
        store.setValue(QStringLiteral("Glimra/minimize"), true);
    }
    Settings::instance()->setIsAutostartOn(true);
    window.reset(new MainWindow);
    MainWindow &w = *window;
    radio(w, "display_7_sec_radio")->click();
    radio(w, "duration_80_msec_radio")->click();
    radio(w, "location_random_radio")->click();
    w.applyFont(QFont(QStringLiteral("Courier"), 13));
    Settings::instance()->setMessageColor(QStringLiteral("#00ff00"));

    widget<QPushButton>(w, "restore_settings")->click();

    QVERIFY(radio(w, "display_4_sec_radio")->isChecked());
    QVERIFY(radio(w, "duration_30_msec_radio")->isChecked());
    QVERIFY(radio(w, "location_center_radio")->isChecked());
    QSettings store;
    QCOMPARE(store.value(QStringLiteral("Glimra/display")), QVariant(-5));
    QCOMPARE(store.value(QStringLiteral("Glimra/duration")), QVariant(-4));
    QCOMPARE(store.value(QStringLiteral("Glimra/location")), QVariant(-2));
    QCOMPARE(store.value(QStringLiteral("messageFont")).toString(), Settings::defaultFont());
    QCOMPARE(store.value(QStringLiteral("messageColor")).toString(), QStringLiteral("black"));
    QCOMPARE(widget<QLabel>(w, "colorLabel")->styleSheet(), QStringLiteral("QLabel { background-color : black; }"));
    QCOMPARE(MainWindowTestAccess::overlayLabel(w)->font().pointSize(), 28);

    QCOMPARE(store.value(QStringLiteral("Glimra/language")), QVariant(1));
    QCOMPARE(store.value(QStringLiteral("Glimra/minimize")), QVariant(true));
    QVERIFY(widget<QCheckBox>(w, "minimize_box")->isChecked());
    QVERIFY(Settings::instance()->isAutostartOn());
    QVERIFY(widget<QCheckBox>(w, "run_on_startup_box")->isChecked());
}

void TestSettingsTab::fontPreviewFitsWhileFlashUsesChosenSize_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("chosen");
    QTest::newRow("cancelled") << false << 50;
    QTest::newRow("small font shown as chosen") << true << 5;
    QTest::newRow("large font shrunk to fit") << true << 72;
}

void TestSettingsTab::fontPreviewFitsWhileFlashUsesChosenSize()
{
    QFETCH(bool, accepted);
    QFETCH(int, chosen);
    window.reset(new MainWindow);
    MainWindow &w = *window;
    const QLabel *preview = widget<QLabel>(w, "fontLabel");
    const QFont previewBefore = preview->font();
    QFont initial;
    MainWindowTestAccess::setFontChooser(w, [&](bool *ok, const QFont &current, QWidget *) {
        initial = current;
        *ok = accepted;
        return QFont(QStringLiteral("Arial"), chosen);
    });
    widget<QPushButton>(w, "select_font_button")->click();

    QCOMPARE(initial.pointSize(), 28);
    const int expected = accepted ? chosen : 28;
    QCOMPARE(MainWindowTestAccess::currentFont(w).pointSize(), expected);
    QCOMPARE(QSettings().value(QStringLiteral("messageFont")).toString(),
             QFont(QStringLiteral("Arial"), expected).toString());
    if (!accepted) {
        QCOMPARE(preview->font(), previewBefore);
        return;
    }
    QCOMPARE(MainWindowTestAccess::overlayLabel(w)->font().pointSize(), chosen);

    const auto fits = [&](int size) {
        QFont font = preview->font();
        font.setPointSize(size);
        const QFontMetrics metrics(font);
        return metrics.horizontalAdvance(QStringLiteral("Example")) <= preview->width() &&
               metrics.height() <= preview->height();
    };
    const int shown = preview->font().pointSize();
    QVERIFY(shown <= chosen);
    QVERIFY(fits(shown));
    if (shown < chosen)
        QVERIFY(!fits(shown + 1));
    if (chosen == 72)
        QVERIFY(shown < 72);
    else
        QCOMPARE(shown, chosen);
}

void TestSettingsTab::colourDialog_data()
{
    QTest::addColumn<QColor>("answer");
    QTest::addColumn<QString>("stored");
    QTest::newRow("cancelled") << QColor() << QString();
    QTest::newRow("pure red") << QColor(Qt::red) << QStringLiteral("#ff0000");
}

void TestSettingsTab::colourDialog()
{
    QFETCH(QColor, answer);
    QFETCH(QString, stored);
    Settings::instance()->setMessageColor(QStringLiteral("blue"));
    window.reset(new MainWindow);
    MainWindow &w = *window;
    QLabel *swatch = widget<QLabel>(w, "colorLabel");
    const QString overlayStyle = MainWindowTestAccess::overlayLabel(w)->styleSheet();
    QColor initial;
    MainWindowTestAccess::setColorChooser(w, [&](const QColor &current, QWidget *) {
        initial = current;
        return answer;
    });

    previousHandler = qInstallMessageHandler(captureDebug);
    widget<QPushButton>(w, "colorButton")->click();
    qInstallMessageHandler(previousHandler);

    QCOMPARE(initial, QColor(Qt::blue));
    if (stored.isEmpty()) {
        QCOMPARE(Settings::instance()->messageColor(), QStringLiteral("blue"));
        QCOMPARE(swatch->styleSheet(), QStringLiteral("QLabel { background-color : blue; }"));
        QCOMPARE(MainWindowTestAccess::overlayLabel(w)->styleSheet(), overlayStyle);
        QVERIFY(debugLines.isEmpty());
        return;
    }
    QCOMPARE(QSettings().value(QStringLiteral("messageColor")).toString(), stored);
    QCOMPARE(swatch->styleSheet(), QStringLiteral("QLabel { background-color : %1; }").arg(stored));
    QCOMPARE(MainWindowTestAccess::overlayLabel(w)->styleSheet(), QStringLiteral("QLabel { color : %1; }").arg(stored));
    QCOMPARE(debugLines, QStringList{QStringLiteral("MainWindow choosedColor is  \"%1\"").arg(stored)});
}

void TestSettingsTab::languageSwitchRoundTrip()
{
    window.reset(new MainWindow);
    MainWindow &w = *window;
    w.languageSelected(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QComboBox *box = widget<QComboBox>(w, "language_box");
    QListWidget *categories = widget<QListWidget>(w, "category_list");
    QPushButton *start = widget<QPushButton>(w, "start_button");
    QVERIFY(categories->count() > 1);
    const QString firstRow = categories->item(0)->text();

    for (const int index : {1, 0}) {
        QCOMPARE(translatorCount(w), 1);
        start->setText(QStringLiteral("Stop"));
        w.setWindowTitle(QStringLiteral("MainWindow"));

        box->setCurrentIndex(index);

        // Every run replaces the translator, so one run leaves the old one and one new one.
        QCOMPARE(translatorCount(w), 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(QSettings().value(QStringLiteral("Glimra/language")), QVariant(index));
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("English"));
        QCOMPARE(box->itemText(1), MainWindow::tr("Russian"));
        QCOMPARE(box->currentIndex(), index);
        QCOMPARE(w.windowTitle(), QStringLiteral("Glimra"));
        QCOMPARE(categories->item(categories->count() - 1)->text(), MainWindow::tr("Custom messages"));
        QCOMPARE(categories->item(0)->text(), firstRow);
        QCOMPARE(start->text(), MainWindow::tr("START"));
    }
}

void TestSettingsTab::runOnStartupTogglesEntry()
{
    window.reset(new MainWindow);
    QCheckBox *box = widget<QCheckBox>(*window, "run_on_startup_box");
    QSignalSpy changed(Settings::instance(), &Settings::autostartChanged);
    const QString entry = Autostart::desktopFilePath();
    QCOMPARE(entry, qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/Glimra.desktop"));

    box->click();
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    file.close();
    QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
    QVERIFY(lines.contains(QStringLiteral("Exec=\"%1\"").arg(QCoreApplication::applicationFilePath())));

    box->click();
    QVERIFY(!QFile::exists(entry));
    window->startupChanged();
    QVERIFY(!QFile::exists(entry));
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed.at(0).at(0).toBool(), true);
    QCOMPARE(changed.at(2).at(0).toBool(), false);
}

void TestSettingsTab::startupBoxFollowsEntry_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("entry present") << true;
    QTest::newRow("no entry") << false;
}

void TestSettingsTab::startupBoxFollowsEntry()
{
    QFETCH(bool, present);
    if (present)
        Autostart::write(Autostart::command());
    window.reset(new MainWindow);
    QCOMPARE(widget<QCheckBox>(*window, "run_on_startup_box")->isChecked(), present);
}

void TestSettingsTab::quitRecordsWindowAndButtons_data()
{
    QTest::addColumn<bool>("visible");
    QTest::newRow("window shown") << true;
    QTest::newRow("window in the tray") << false;
}

void TestSettingsTab::quitRecordsWindowAndButtons()
{
    QFETCH(bool, visible);
    window.reset(new MainWindow);
    MainWindow &w = *window;
    w.setVisible(visible);
    radio(w, "duration_50_msec_radio")->click();
    widget<QCheckBox>(w, "minimize_box")->setChecked(true);

    w.writeSettings();

    QSettings store;
    QCOMPARE(store.value(QStringLiteral("hidden")), QVariant(visible));
    QCOMPARE(store.value(QStringLiteral("Glimra/minimize")), QVariant(true));
    QCOMPARE(store.value(QStringLiteral("selectedDuration")).toString(), QStringLiteral("duration_50_msec_radio"));
    QCOMPARE(store.value(QStringLiteral("selectedDisplay")).toString(), QStringLiteral("display_4_sec_radio"));
    QCOMPARE(store.value(QStringLiteral("selectedLocation")).toString(), QStringLiteral("location_center_radio"));
}

GLIMRA_TEST_MAIN(TestSettingsTab)
#include "test_settingstab.moc"
