#include "glimraprocess.h"
#include "testhome.h"
#include "xserver.h"

#include <QtTest>

// The overlay on a real X server over a white desktop: whether a compositor runs or not, only the
// glyphs are seen, never the window's rectangle.
class TestOverlay : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheGlyphsDarkenTheDesktop_data()
    {
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<QString>("scale"); // Qt's scale factor: the shape is in logical coordinates
        QTest::newRow("no compositor") << false << "1";
        QTest::newRow("no compositor, scaled") << false << "2";
        QTest::newRow("xcompmgr") << true << "1";
    }

    void onlyTheGlyphsDarkenTheDesktop()
    {
        QFETCH(bool, compositor);
        QFETCH(QString, scale);
        XServer x;
        if (!x.start())
            QSKIP("Xvfb is not available");
        if (compositor && !x.startClient("xcompmgr", {}, "_NET_WM_CM_S0"))
            QSKIP("xcompmgr is not available");
        // With a tray to live in, the window stays closed and the overlay is the only window shown.
        QVERIFY(x.startClient("trayer", {"--edge", "bottom"}, "_NET_SYSTEM_TRAY_S0"));
        // xcompmgr paints its own grey in place of a plain root colour: light as well.
        QCOMPARE(x.run("xsetroot", {"-solid", "white"}), 0);
        GlimraProcess glimra;
        QProcessEnvironment environment = x.environment(glimra.environment());
        environment.insert("QT_SCALE_FACTOR", scale);
        glimra.setEnvironment(environment);
        QVERIFY(writeFile(glimra.messagesPath(), qCompress("<GROUPS><CATEGORY><SUBCATEGORY><MESSAGE TEXT=\"Glimra "
                                                           "on\" SELECTED=\"1\"/></SUBCATEGORY></CATEGORY></GROUPS>")));
        for (const auto &[key, value] :
             QList<QPair<QString, QVariant>>{{"isActive", true},
                                             {"hidden", false},
                                             {"Glimra/duration", -7}, // a second per showing
                                             {"Glimra/display", -2},  // and a second between two
                                             {"Glimra/location", -2}, // centre
                                             {"messageColor", "black"},
                                             {"messageFont", QFont("DejaVu Sans", 48).toString()}})
            glimra.writeSetting(key, value);
        QVERIFY(glimra.startAndWaitReady());

        // Until a screenshot finds the glyphs painted inside the overlay's rectangle.
        QRect overlay;
        int dark = 0, changed = 0; // pixels inside it: dark ones, and all that are not the desktop
        for (int attempt = 0; attempt < 150 && dark == 0; ++attempt) {
            QByteArray shell, ppm;
            if (x.run(
                    "xdotool",
                    {"search", "--maxdepth", "1", "--onlyvisible", "--class", "Glimra", "getwindowgeometry", "--shell"},
                    &shell) != 0 ||
                x.run("import", {"-window", "root", "ppm:-"}, &ppm) != 0)
                continue;
            QHash<QByteArray, int> g;
            for (const QByteArray &line : shell.split('\n'))
                g.insert(line.left(line.indexOf('=')), line.mid(line.indexOf('=') + 1).toInt());
            overlay = QRect(g["X"], g["Y"], g["WIDTH"], g["HEIGHT"]);
            const QImage shot = QImage::fromData(ppm);
            dark = changed = 0;
            for (int row = overlay.top(); row <= overlay.bottom(); ++row)
                for (int column = overlay.left(); column <= overlay.right(); ++column) {
                    dark += qGray(shot.pixel(column, row)) < 96;
                    changed += shot.pixel(column, row) != shot.pixel(0, 0);
                }
        }
        QVERIFY2(dark > 0, "the overlay was never seen");
        // Not a box, and what is drawn is the glyphs (their edges blend), not a background around them.
        const QString counts =
            QString("%1 dark and %2 drawn of %3").arg(dark).arg(changed).arg(overlay.width() * overlay.height());
        QVERIFY2(changed < overlay.width() * overlay.height() / 3 && dark * 4 > changed * 3, qPrintable(counts));
    }
};

GLIMRA_TEST_MAIN(TestOverlay)
#include "test_overlay.moc"
