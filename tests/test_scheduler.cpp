#include "core/random.h"
#include "flash/placement.h"
#include "glimraprocess.h"
#include "library/messageitem.h"
#include "preferences/settings.h"
#include "testhome.h"
#include "windowtesting.h"
#include "xserver.h"

#include <QtWidgets>

using Access = MainWindowTestAccess;

class TestScheduler : public QObject
{
    Q_OBJECT

private slots:
    void init() { Settings::instance()->setActive(false); }

    void startShowsInOneOrderUntilStop()
    {
        MainWindow w;
        MessageBoxWatcher boxes;
        QAbstractButton *start = w.findChild<QAbstractButton *>("start_button");
        start->click();
        QCOMPARE(boxes.seen.value(0).text, QStringLiteral("There are no messages selected!"));

        w.categories.first()->child(0)->checkAll();
        w.findChild<QAbstractButton *>("display_1_sec_radio")->click();
        start->click();
        const QList<MessageItem *> session = w.messageList;
        QVERIFY(!w.close() && w.isMinimized()); // offscreen there is no notification area to hide it in
        QSignalSpy shows(Access::showTimer(w), &QTimer::timeout);
        QVERIFY(shows.wait() && Access::overlay(w)->isVisible()); // showings go on with the window closed
        for (int i = 1; i <= session.size(); ++i, w.hideTimeout(), w.showTimeout())
            QCOMPARE(Access::overlayLabel(w)->text(), session.at(i % session.size())->text());

        start->click();
        QVERIFY(!Access::overlay(w)->isVisible() && !Access::showTimer(w)->isActive() && start->text() == "Start");
        w.categories.first()->child(0)->child(0)->setChecked(false);
        start->click();
        QCOMPARE(w.messageList.size(), session.size() - 1);
    }

    void overlayFollowsTheChoices_data()
    {
        QTest::addColumn<int>("display");  // seconds
        QTest::addColumn<int>("duration"); // milliseconds; showings under 20 ms are faint
        QTest::newRow("center") << 1 << 10;
        QTest::newRow("top") << 4 << 20;
        QTest::newRow("bottom") << 8 << 30;
        QTest::newRow("random") << 2 << 1000;
    }

    void overlayFollowsTheChoices()
    {
        QFETCH(int, display);
        QFETCH(int, duration);
        MainWindow w;
        w.categories.first()->child(0)->child(0)->setChecked(true);
        const QString place = QTest::currentDataTag();
        for (const QString &name : {"location_" + place, QStringLiteral("display_%1_sec").arg(display),
                                    QStringLiteral("duration_%1_msec").arg(duration)})
            w.findChild<QAbstractButton *>(name + "_radio")->setChecked(true); // only START takes them
        Random::seed(7);
        const int r1 = Random::next(), r2 = Random::next(); // y is drawn first
        Random::seed(7);
        w.findChild<QAbstractButton *>("start_button")->click();
        const auto ms = [&] { return qMakePair(Access::showTimer(w)->interval(), Access::hideTimer(w)->interval()); };
        QCOMPARE(ms(), qMakePair(display * 1000, duration));
        QCOMPARE(Access::opacityEffect(w)->opacity(), duration < 20 ? 0.15 : 1.0);
        QVERIFY(Access::overlay(w)->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(Access::overlay(w)->mask().isEmpty()); // composed: translucent, not cut to its content
        QVERIFY(Access::overlayLabel(w)->styleSheet().contains(Settings::instance()->messageColor()));
        const QRect s = QGuiApplication::primaryScreen()->geometry();
        const QSize o = Access::overlay(w)->size();
        const QList<QPoint> at{Placement::center(s, o), Placement::top(s, o), Placement::bottom(s, o),
                               Placement::random(s, o, r1, r2)};
        QCOMPARE(Access::overlay(w)->pos(), at.value(QStringList{"center", "top", "bottom", "random"}.indexOf(place)));

        w.findChild<QAbstractButton *>(QStringLiteral("display_%1_sec_radio").arg(9 - display))->click();
        w.findChild<QAbstractButton *>(QStringLiteral("duration_%1_msec_radio").arg(duration < 20 ? 20 : 10))->click();
        QCOMPARE(ms(), qMakePair((9 - display) * 1000, duration < 20 ? 20 : 10));
        QCOMPARE(Access::opacityEffect(w)->opacity(), duration < 20 ? 1.0 : 0.15); // changed while running
    }

    void quitWhileRunningResumesAtNextStart()
    {
        XServer x;
        if (!x.start())
            QSKIP("Xvfb is not available");
        GlimraProcess glimra;
        glimra.setEnvironment(x.environment(glimra.environment()));
        QVERIFY(x.startClient("trayer", {"--edge", "top"}, "_NET_SYSTEM_TRAY_S0"));
        QVERIFY(writeFile(glimra.messagesPath(), qCompress("<GROUPS><CATEGORY><SUBCATEGORY><MESSAGE TEXT=\"On\" "
                                                           "SELECTED=\"1\"/></SUBCATEGORY></CATEGORY></GROUPS>")));
        glimra.writeSetting(QStringLiteral("isActive"), true);
        glimra.writeSetting(QStringLiteral("hidden"), false);       // in the tray: the overlay is the only window shown
        glimra.writeSetting(QStringLiteral("Glimra/duration"), -7); // a second per showing
        glimra.writeSetting(QStringLiteral("Glimra/location"), -4); // bottom: a tenth above the screen's edge
        // A panel takes the lower half, yet the entry is placed on the whole screen.
        QCOMPARE(x.run("xprop", {"-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", "0,0,1280,400"}), 0);
        for (int run = 0; run < 2; ++run) {
            QByteArray shell;
            QProcessEnvironment env = glimra.environment(); // OpenGL is loaded only when the user asks for it
            run ? env.insert("QT_XCB_GL_INTEGRATION", "xcb_glx") : env.remove("QT_XCB_GL_INTEGRATION");
            glimra.setEnvironment(env);
            // Top-level windows only: the tray icon lives in the panel.
            const QStringList overlay{"search", "--sync", "--maxdepth", "1", "--onlyvisible", "--class", "Glimra"};
            QVERIFY(glimra.startAndWaitReady() && x.run("xdotool", overlay) == 0);
            QCOMPARE(readFile(QString("/proc/%1/maps").arg(glimra.process().processId())).contains("libGLX_mesa"),
                     run == 1);
            QCOMPARE(x.run("xdotool", overlay + QStringList{"getwindowgeometry", "--shell"}, &shell), 0);
            int bottom = 0;
            for (const QByteArray &line : shell.split('\n'))
                bottom +=
                    line.startsWith("Y=") || line.startsWith("HEIGHT=") ? line.mid(line.indexOf('=') + 1).toInt() : 0;
            QCOMPARE(bottom, 720);
            QCOMPARE(glimra.terminate(), 0);
        }
    }
};

GLIMRA_TEST_MAIN(TestScheduler)
#include "test_scheduler.moc"
