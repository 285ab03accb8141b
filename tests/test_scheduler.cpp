#include "core/random.h"
#include "flash/placement.h"
#include "glimraprocess.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "preferences/settings.h"
#include "testhome.h"
#include "windowtesting.h"
#include "xserver.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

using Access = MainWindowTestAccess;

// The flash engine of a real main window: START/STOP, the show/hide cycle, and what a quit leaves.
class TestScheduler : public QObject
{
    Q_OBJECT

private slots:
    void init() { Settings::instance()->setActive(false); }

    void nothingCheckedReportsAndChangesNothing_data()
    {
        QTest::addColumn<bool>("active");
        QTest::newRow("START pressed") << false;
        QTest::newRow("resumed at start-up") << true;
    }

    void nothingCheckedReportsAndChangesNothing()
    {
        QFETCH(bool, active);
        Settings::instance()->setActive(active);
        MainWindow w;
        MessageBoxWatcher boxes;
        w.startActivity();
        const MessageBoxWatcher::Seen box = boxes.seen.value(0);
        QCOMPARE(box.title + QLatin1Char('|') + box.text, QStringLiteral("Error!|There are no messages selected!"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(Settings::instance()->isActive(), active);
        QCOMPARE(button(w, "start_button")->text(), QStringLiteral("START"));
        QVERIFY(!Access::showTimer(w)->isActive() && !Access::hideTimer(w)->isActive());
        QVERIFY(!Access::overlay(w)->isVisible());
    }

    void oneMessageKeepsShowingWithTheWindowClosed()
    {
        MainWindow w;
        const QString text = checkFirstMessages(w, 1).first()->text();
        button(w, "display_1_sec_radio")->setChecked(true);
        button(w, "duration_10_msec_radio")->setChecked(true);
        w.show();
        button(w, "start_button")->click();
        QVERIFY(w.close() && !w.isVisible());
        QSignalSpy shows(Access::showTimer(w), &QTimer::timeout);
        for (int cycle = 0; cycle < 2; ++cycle) {
            QTRY_VERIFY(!Access::overlay(w)->isVisible());
            QVERIFY(shows.wait());
            QVERIFY(Access::overlay(w)->isVisible());
            QCOMPARE(Access::overlayLabel(w)->text(), text);
        }
    }

    void threeMessagesKeepOneOrderUntilStopHidesAndStartRebuilds()
    {
        MainWindow w;
        const QList<MessageItem *> messages = checkFirstMessages(w, 3);
        button(w, "start_button")->click();
        // Unchecking during the session changes nothing until the next START.
        messages.at(0)->setChecked(false);
        QStringList shown;
        for (int i = 0; i < 9; ++i, w.hideTimeout(), w.showTimeout())
            shown << Access::overlayLabel(w)->text();
        QStringList round = shown.mid(0, 3);
        QCOMPARE(shown, round + round + round);
        round.sort();
        QCOMPARE(round, (QStringList{messages[0]->text(), messages[1]->text(), messages[2]->text()}));

        button(w, "start_button")->click();
        QVERIFY(!Access::overlay(w)->isVisible());
        QVERIFY(!Access::showTimer(w)->isActive() && !Access::hideTimer(w)->isActive());
        QVERIFY(!Settings::instance()->isActive());
        QCOMPARE(button(w, "start_button")->text(), QStringLiteral("Start"));

        // A fresh label, so nothing of the last session can show again.
        QSignalSpy labelGone(Access::overlayLabel(w), &QObject::destroyed);
        button(w, "start_button")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(labelGone.count(), 1);
        QVERIFY(w.messageList.size() == 2 && !w.messageList.contains(messages[0]));
    }

    void overlayFollowsTheSettings_data()
    {
        QTest::addColumn<int>("display");  // seconds
        QTest::addColumn<int>("duration"); // milliseconds, at START
        QTest::addColumn<int>("changed");  // milliseconds, chosen while the session runs
        for (const auto &row : QList<QList<int>>{{1, 10, 20}, {4, 20, 10}, {8, 1000, 30}})
            QTest::addRow("%d ms then %d ms", row[1], row[2]) << row[0] << row[1] << row[2];
    }

    void overlayFollowsTheSettings()
    {
        QFETCH(int, display);
        QFETCH(int, duration);
        QFETCH(int, changed);
        const auto opacity = [](int ms) { return ms < 20 ? 0.15 : 1.0; }; // showings under 20 ms are faint
        MainWindow w;
        checkFirstMessages(w, 1);
        Settings::instance()->setMessageColor(QStringLiteral("#123456"));
        button(w, QStringLiteral("display_%1_sec_radio").arg(display))->setChecked(true);
        button(w, QStringLiteral("duration_%1_msec_radio").arg(duration))->setChecked(true);
        button(w, "start_button")->click();
        QCOMPARE(Access::showTimer(w)->interval(), display * 1000);
        QCOMPARE(Access::hideTimer(w)->interval(), duration);
        QCOMPARE(Access::opacityEffect(w)->opacity(), opacity(duration));
        QVERIFY(Access::overlay(w)->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(Access::overlayLabel(w)->styleSheet().contains(QLatin1String("#123456")));

        button(w, QStringLiteral("duration_%1_msec_radio").arg(changed))->click();
        QCOMPARE(Access::hideTimer(w)->interval(), changed);
        QCOMPARE(Access::opacityEffect(w)->opacity(), opacity(changed));
        Access::setColorChooser(w, [](const QColor &, QWidget *) { return QColor(QStringLiteral("#abcdef")); });
        button(w, "colorButton")->click();
        QVERIFY(Access::overlayLabel(w)->styleSheet().contains(QLatin1String("#abcdef")));
        button(w, "start_button")->click();
    }

    void overlayIsPlacedByTheLocationButtons_data()
    {
        QTest::addColumn<QString>("location");
        for (const char *place : {"center", "top", "bottom", "random"})
            QTest::newRow(place) << QStringLiteral("location_%1_radio").arg(place);
    }

    void overlayIsPlacedByTheLocationButtons()
    {
        QFETCH(QString, location);
        MainWindow w;
        checkFirstMessages(w, 1);
        button(w, location)->click();
        Random::seed(7);
        const int r1 = Random::next();
        const int r2 = Random::next();
        Random::seed(7);
        button(w, "start_button")->click();
        const QDialog *overlay = Access::overlay(w);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const int sw = screen.width(), sh = screen.height(), ow = overlay->width(), oh = overlay->height();
        // The window only chooses the arithmetic and feeds it the draws in order: y first, then x.
        const QMap<QString, QPoint> expected{{"location_center_radio", Placement::center(sw, sh, ow, oh)},
                                             {"location_top_radio", Placement::top(sw, sh, ow, oh)},
                                             {"location_bottom_radio", Placement::bottom(sw, sh, ow, oh)},
                                             {"location_random_radio", Placement::random(sw, sh, ow, oh, r1, r2)}};
        QCOMPARE(overlay->pos(), expected.value(location));
        QVERIFY(r1 != r2);
        button(w, "start_button")->click();
    }

    void quitWhileRunningResumesAtNextStart()
    {
        GlimraProcess glimra;
        QVERIFY(QDir().mkpath(glimra.dataFolder()));
        QFile library(glimra.messagesPath());
        QVERIFY(library.open(QIODevice::WriteOnly));
        library.write(qCompress("<?xml version=\"1.0\"?><GROUPS><CATEGORY NAME=\"C\" SELECTED=\"0\"><SUBCATEGORY "
                                "NAME=\"S\" SELECTED=\"0\"><MESSAGE TEXT=\"On\" SELECTED=\"1\"/></SUBCATEGORY>"
                                "</CATEGORY></GROUPS>"));
        library.close();
        glimra.writeSetting(QStringLiteral("isActive"), true);
        // The window stays in the tray, so the only window that shows is the overlay, each entry for
        // a second.
        glimra.writeSetting(QStringLiteral("hidden"), false);
        glimra.writeSetting(QStringLiteral("Glimra/duration"), -7);
        XServer x;
        if (!x.start())
            QSKIP("Xvfb is not available");
        glimra.setEnvironment(x.environment(glimra.environment()));
        for (int run = 0; run < 2; ++run) {
            QVERIFY(glimra.startAndWaitReady());
            QVERIFY(x.waitForMappedWindowOfClass(QStringLiteral("Glimra")));
            QCOMPARE(glimra.terminate(), 0);
            QCOMPARE(glimra.readSettings().value(QStringLiteral("isActive")).toBool(), true);
        }
    }

private:
    static QAbstractButton *button(MainWindow &w, const QString &name) { return w.findChild<QAbstractButton *>(name); }

    // Checks the first messages of the starting library, where nothing is checked.
    static QList<MessageItem *> checkFirstMessages(MainWindow &w, int count)
    {
        const QList<MessageItem *> messages = w.categories.first()->child(0)->children().mid(0, count);
        for (MessageItem *message : messages)
            message->setChecked(true);
        return messages;
    }
};

GLIMRA_TEST_MAIN(TestScheduler)
#include "test_scheduler.moc"
