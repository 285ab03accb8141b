#include "library/messageitem.h"
#include "preferences/buttonids.h"
#include "testhome.h"
#include "windowtesting.h"

#include <QtWidgets>

class TestMainWindowForm : public QObject
{
    Q_OBJECT
    MainWindow w;

private slots:
    void startLoadsNoImagePluginsOrNetworkAccess() // each costs start-up time and memory
    {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QByteArray maps = readFile("/proc/self/maps");
        if (maps.isEmpty())
            QSKIP("no /proc on this system");
        for (const char *library : {"/imageformats/", "/iconengines/", "/bearer/", "libjpeg", "libQt5Svg"})
            QVERIFY2(!maps.contains(library), library);
        w.hide();
    }

    void radioIdsCountDownFromMinusTwoInScreenOrder()
    {
        const QString groups[]{"display 1 2 3 4 5 6 7 8", "duration 10 20 30 50 80 1000",
                               "location center top bottom random"};
        for (const QString &group : groups) {
            const QButtonGroup *buttons = w.findChild<QButtonGroup *>(group.section(' ', 0, 0) + "_group");
            for (int id = -2; buttons->button(id); --id) {
                QCOMPARE(buttons->button(id)->objectName().section('_', 1, 1), group.section(' ', -1 - id, -1 - id));
                const int meanings[]{ButtonIds::displayIntervalMs(id) / 1000, ButtonIds::durationMs(id), 0};
                QCOMPARE(meanings[&group - groups], group.section(' ', -1 - id, -1 - id).toInt()); // as the name says
            }
        }
    }

    void trayShowsTheWindowOnlyOnTrigger()
    {
        QCOMPARE(MainWindowTestAccess::trayIcon(w)->toolTip(), QStringLiteral("Glimra"));
        for (int reason = QSystemTrayIcon::Unknown; reason <= QSystemTrayIcon::MiddleClick; w.hide(), ++reason) {
            emit MainWindowTestAccess::trayIcon(w)->activated(QSystemTrayIcon::ActivationReason(reason));
            QCOMPARE(w.isVisible(), reason == QSystemTrayIcon::Trigger);
        }
    }

    void trayAndQtTextsFollowTheLanguage()
    {
        QSystemTrayIcon *tray = MainWindowTestAccess::trayIcon(w);
        w.categories.first()->child(0)->checkAll();
        // Tray menu, tooltip while a session runs and after it, Qt's own button, the about box's version note.
        for (const auto &[language, texts] : QList<QPair<int, QStringList>>{
                 {1, {"Открыть Glimra...", "Выход", "Glimra — идёт показ", "Glimra", "Отмена", "(последняя версия)"}},
                 {0, {"Open Glimra...", "Quit", "Glimra — flashing", "Glimra", "Cancel", "(latest version)"}}}) {
            w.startActivity();
            w.findChild<QComboBox *>("language_box")->setCurrentIndex(language);
            QStringList seen;
            for (const QAction *action : tray->contextMenu()->actions())
                if (!action->isSeparator())
                    seen << action->text();
            seen << tray->toolTip();
            w.stopActivity();
            seen << tray->toolTip() << QCoreApplication::translate("QPlatformTheme", "Cancel");
            w.linkActivated("about");
            QWidget *about = w.findChild<QWidget *>("AboutDialog");
            seen << about->findChild<QLabel *>("version_label")->text().section("</span> ", 1);
            delete about;
            QCOMPARE(seen, texts);
        }
    }
};

GLIMRA_TEST_MAIN(TestMainWindowForm)
#include "test_mainwindowform.moc"
