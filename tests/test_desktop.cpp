#include "glimraprocess.h"
#include "testhome.h"
#include "xserver.h"

namespace {

const QStringList kTrayer{"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"};

// The window manager's client titled `title`: its WM_STATE ("Normal", "Iconic"; empty when no such
// window is managed, as a withdrawn one is not), whether it is the active one and whether another
// client (the tray's panel aside) lies above it.
struct Client
{
    QString id, state;
    bool active = false, covered = false;
    bool isUp() const { return state == "Normal" && active && !covered; }
};

Client client(const XServer &x, const QString &title)
{
    QByteArray root, props;
    x.run("xprop", {"-root", "-notype", "_NET_CLIENT_LIST_STACKING", "_NET_ACTIVE_WINDOW"}, &root);
    const QStringList lines = QString::fromLatin1(root).split('\n');
    const QStringList stacking = lines.value(0).section('#', 1).split(',', Qt::SkipEmptyParts); // bottom first
    bool covered = false;
    for (auto it = stacking.crbegin(); it != stacking.crend(); ++it) {
        const QString id = it->trimmed();
        x.run("xprop", {"-id", id, "-notype", "WM_NAME", "WM_STATE"}, &props);
        const QString name = QRegularExpression("WM_NAME = \"(.*)\"").match(props).captured(1);
        if (name == title)
            return {id, QRegularExpression("window state: (\\w+)").match(props).captured(1),
                    id == lines.value(1).section('#', 1).trimmed(), covered};
        covered = covered || name != "panel";
    }
    return {};
}

// Presses `key` once the client titled `title` has the focus.
bool press(const XServer &x, const QString &title, const QString &key)
{
    return QTest::qWaitFor([&] { return client(x, title).active; }, 10000) && x.run("xdotool", {"key", key}) == 0;
}

// Closes the client titled `title` as its close button does until `done` holds. On this test
// desktop under load, a close request now and then has no effect at all, sometimes several in a
// row (the next one passes at once), so the request is repeated for a while.
bool closeUntil(const XServer &x, const QString &title, const std::function<bool()> &done)
{
    for (int i = 0; i < 40; ++i) {
        const QString id = client(x, title).id;
        if (!id.isEmpty() && !x.closeWindow(id.toUInt(nullptr, 16)))
            return false;
        if (QTest::qWaitFor(done, 3000))
            return true;
    }
    return false;
}

// Clicks at `at` in the first window `search` finds. xdotool dies of an X error when a window
// vanishes while it searches (frames and menus come and go), so the search is repeated until it
// completes; the click itself is made once.
bool clickIn(const XServer &x, const QStringList &search, QPoint at, const QString &button)
{
    QByteArray found;
    return QTest::qWaitFor([&] { return x.run("xdotool", QStringList{"search"} + search, &found) == 0; }, 10000) &&
           x.run("xdotool", {"mousemove", "--window", QString::fromLatin1(found).section('\n', 0, 0),
                             QString::number(at.x()), QString::number(at.y()), "click", button}) == 0;
}

// Clicks the program's tray icon, alone in the panel, with `button`.
bool clickIcon(const XServer &x, const QString &button)
{
    return clickIn(x, {"--name", "^panel$"}, {12, 12}, button);
}

bool startDesktop(XServer &x, GlimraProcess &program, bool tray)
{
    program.setEnvironment(x.environment(program.environment()));
    return x.startClient("openbox", {"--sm-disable"}, "WM_S0") &&
           (!tray || x.startClient("trayer", kTrayer, "_NET_SYSTEM_TRAY_S0"));
}

// Ctrl+Q in the window ends the program through its quit sequence.
void quitWithCtrlQ(const XServer &x, GlimraProcess &program)
{
    QVERIFY(press(x, "Glimra", "ctrl+q") && program.process().waitForFinished(20000));
    QVERIFY(program.process().exitStatus() == QProcess::NormalExit && program.process().exitCode() == 0);
    QVERIFY(program.readSettings().value("hidden").toBool() && QFile::exists(program.messagesPath()));
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void withoutTrayClosingMinimisesAndSaysWhyOnce()
    {
        XServer x;
        GlimraProcess program;
        if (!x.start())
            QSKIP("Xvfb is not available");
        QVERIFY(startDesktop(x, program, false));
        program.writeSetting("hidden", false); // the window was hidden at the last quit
        QVERIFY(program.startAndWaitReady());
        QTRY_VERIFY(client(x, "Glimra").isUp());
        for (const bool first : {true, false}) {
            // The box is shown before the window is minimised: shown again, it would keep it up.
            const QString awaited = first ? "No notification area" : "Glimra";
            QVERIFY(closeUntil(x, "Glimra", [&] { return client(x, awaited).state == (first ? "Normal" : "Iconic"); }));
            if (first)
                QVERIFY(press(x, "No notification area", "Return"));
            QTRY_COMPARE(client(x, "Glimra").state, "Iconic");
            QCOMPARE(program.runToEnd(), 0); // a second start brings it back
            QTRY_VERIFY(client(x, "Glimra").isUp());
        }
        QVERIFY(x.startClient("trayer", kTrayer, "_NET_SYSTEM_TRAY_S0"));
        QVERIFY(closeUntil(x, "Glimra", [&] { return client(x, "Glimra").state.isEmpty(); })); // in the tray
        QVERIFY(program.process().state() == QProcess::Running && clickIcon(x, "1"));
        QTRY_VERIFY(client(x, "Glimra").isUp());
        quitWithCtrlQ(x, program);
    }

    void trayBringsTheWindowUp_data()
    {
        QTest::addColumn<QStringList>("how"); // how the window was put away, what brings it up
        QTest::newRow("minimised, icon clicked") << QStringList{"minimised", "click"};
        QTest::newRow("covered, icon clicked") << QStringList{"covered", "click"};
        QTest::newRow("covered, menu entry") << QStringList{"covered", "menu"};
        QTest::newRow("hidden at start, second start") << QStringList{"hidden", "start"};
    }

    void trayBringsTheWindowUp()
    {
        QFETCH(QStringList, how);
        const QString away = how[0], action = how[1];
        XServer x;
        GlimraProcess program;
        QProcess cover;
        if (!x.start())
            QSKIP("Xvfb is not available");
        QVERIFY(startDesktop(x, program, true));
        program.writeSetting("hidden", away != "hidden");
        QVERIFY(program.startAndWaitReady());
        if (away == "minimised") {
            QTRY_VERIFY(!client(x, "Glimra").id.isEmpty());
            QCOMPARE(x.run("xdotool", {"windowminimize", "--sync", client(x, "Glimra").id}), 0);
        } else if (away == "covered") {
            cover.setProcessEnvironment(x.environment(QProcessEnvironment::systemEnvironment()));
            cover.start("xmessage", {"-title", "cover", "-geometry", "1280x800+0+0", "cover"});
            QTRY_VERIFY(client(x, "cover").isUp() && client(x, "Glimra").state == "Normal");
        } else {
            QVERIFY(client(x, "Glimra").state.isEmpty());
        }
        if (action == "start")
            QCOMPARE(program.runToEnd(), 0);
        else
            QVERIFY(clickIcon(x, action == "menu" ? "3" : "1"));
        // Its first entry; the menu is the program's only top-level window that the window manager does not frame.
        if (action == "menu")
            QVERIFY(clickIn(x, {"--onlyvisible", "--maxdepth", "1", "--class", "Glimra"}, {20, 10}, "1"));
        QTRY_VERIFY(client(x, "Glimra").isUp());
        quitWithCtrlQ(x, program);
        cover.kill();
        cover.waitForFinished();
    }
};

GLIMRA_TEST_MAIN(TestDesktop)
#include "test_desktop.moc"
