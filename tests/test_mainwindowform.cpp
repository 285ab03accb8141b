#include "mainwindow/mainwindow.h"
#include "preferences/buttonids.h"
#include "testhome.h"
#include "windowtesting.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QRegularExpression>

// The main window as the form builds it: names and defaults others rely on, and the tray.
class TestMainWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void buttonGroupsCountDownFromMinusTwoInScreenOrder_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("checkedId"); // the default
        QTest::addColumn<QString>("parts");
        QTest::newRow("display") << "display_%1_sec_radio" << -5 << "1 2 3 4 5 6 7 8";
        QTest::newRow("duration") << "duration_%1_msec_radio" << -4 << "10 20 30 50 80 1000";
        QTest::newRow("location") << "location_%1_radio" << -2 << "center top bottom random";
    }

    void buttonGroupsCountDownFromMinusTwoInScreenOrder()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, parts);
        const QStringList names = parts.split(QLatin1Char(' '));
        MainWindow w;
        const QButtonGroup *group = w.findChild<QAbstractButton *>(pattern.arg(names[0]))->group();
        QCOMPARE(group->buttons().size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            const int id = group->id(w.findChild<QAbstractButton *>(pattern.arg(names[i])));
            QCOMPARE(id, -2 - i);
            // What each id means is what its button's name says.
            if (pattern.startsWith(QLatin1String("display")))
                QCOMPARE(ButtonIds::displayIntervalMs(id), names[i].toInt() * 1000);
            else if (pattern.startsWith(QLatin1String("duration")))
                QCOMPARE(ButtonIds::durationMs(id), names[i].toInt());
        }
        QTEST(group->checkedId(), "checkedId");
    }

    void linksLabelHasItsThreeAnchors()
    {
        MainWindow w;
        const auto *links = w.findChild<QLabel *>(QStringLiteral("links"));
        // The window handles the anchors itself.
        QVERIFY(!links->openExternalLinks());
        const QRegularExpression anchor(QStringLiteral("<a href=\"([^\"]*)\"><span[^>]*>([^<]*)</span></a>"));
        QStringList anchors;
        for (auto it = anchor.globalMatch(links->text()); it.hasNext();)
            anchors << it.next().capturedTexts().mid(1).join(QLatin1Char('='));
        QCOMPARE(anchors, (QStringList{"about=About/Help", "updates=Updates", "website=Website"}));
    }

    void trayShowsTheWindowOnlyOnTrigger_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("shows");
        QTest::newRow("Trigger") << int(QSystemTrayIcon::Trigger) << true;
        QTest::newRow("DoubleClick") << int(QSystemTrayIcon::DoubleClick) << false;
        QTest::newRow("MiddleClick") << int(QSystemTrayIcon::MiddleClick) << false;
        QTest::newRow("Context") << int(QSystemTrayIcon::Context) << false;
    }

    void trayShowsTheWindowOnlyOnTrigger()
    {
        QFETCH(int, reason);
        MainWindow w;
        QCOMPARE(MainWindowTestAccess::trayIcon(w)->toolTip(), QStringLiteral("Glimra"));
        emit MainWindowTestAccess::trayIcon(w)->activated(QSystemTrayIcon::ActivationReason(reason));
        QTEST(w.isVisible(), "shows");
    }
};

GLIMRA_TEST_MAIN(TestMainWindowForm)
#include "test_mainwindowform.moc"
