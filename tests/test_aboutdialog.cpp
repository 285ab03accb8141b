#include "mainwindow/mainwindow.h"
#include "testhome.h"

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void eachAboutClickOpensADialogThatDragsOnlyWithTheButtonHeld()
    {
        MainWindow window;
        window.linkActivated(QStringLiteral("about"));
        window.linkActivated(QStringLiteral("about"));
        const QList<QWidget *> dialogs = window.findChildren<QWidget *>(QStringLiteral("AboutDialog"));
        QVERIFY(dialogs.size() == 2 && dialogs[0]->isVisible() && dialogs[1]->isVisible());
        dialogs[1]->setMouseTracking(true); // so that moves without a button reach it too
        const int events[][5]{{20, 30, 1, 0, 0}, {25, 37, 1, 5, 7}, {60, 80, 0, 5, 7}, {18, 29, 1, 3, 6}};
        for (const auto &[x, y, held, dx, dy] : events) { // a press, then moves
            QMouseEvent event(&x == events[0] ? QEvent::MouseButtonPress : QEvent::MouseMove, QPoint(x, y),
                              Qt::MouseButton(&x == events[0]), Qt::MouseButtons(held), {});
            QApplication::sendEvent(dialogs[1], &event);
            QCOMPARE(dialogs[1]->pos() - dialogs[0]->pos(), QPoint(dx, dy)); // both opened in one place
        }
    }
};

GLIMRA_TEST_MAIN(TestAboutDialog)
#include "test_aboutdialog.moc"
