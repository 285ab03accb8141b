#include "about/aboutdialog.h"
#include "mainwindow/mainwindow.h"
#include "testhome.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

// The about dialog: its labels, dragging, and one fresh dialog per "about" click.
class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void showsIconNameAndVersion()
    {
        QApplication::setApplicationVersion(QStringLiteral("9.8.7.6"));
        QApplication::setWindowIcon(QIcon(QStringLiteral("://images/main_icon.ico")));
        AboutDialog dialog;
        dialog.retranslate();
        const auto text = [&dialog](const char *name) { return dialog.findChild<QLabel *>(name)->text(); };
        QCOMPARE(text("name_label"), QString("<span style=\" font-size:24pt;\">Glimra</span>"));
        QCOMPARE(text("version_label"), QString("<span style=\" font-size:18pt;\">9.8.7.6</span> (latest version)"));
        QCOMPARE(dialog.findChild<QLabel *>("icon_label")->pixmap(Qt::ReturnByValue).size(), QSize(128, 128));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
    }

    void dragMovesByPointerDeltaOnlyWithButtonHeld()
    {
        AboutDialog dialog;
        dialog.move(100, 100);
        const auto mouse = [&dialog](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, dialog.mapToGlobal(at), button, buttons, Qt::NoModifier);
            QApplication::sendEvent(&dialog, &event);
        };
        mouse(QEvent::MouseButtonPress, QPoint(20, 30), Qt::LeftButton);
        mouse(QEvent::MouseMove, QPoint(25, 37), Qt::LeftButton);
        QCOMPARE(dialog.pos(), QPoint(105, 107));
        mouse(QEvent::MouseMove, QPoint(60, 80), Qt::NoButton);
        QCOMPARE(dialog.pos(), QPoint(105, 107));
        // Measured from where the button went down, which stays under the pointer as the dialog follows it.
        mouse(QEvent::MouseMove, QPoint(18, 29), Qt::LeftButton);
        QCOMPARE(dialog.pos(), QPoint(103, 106));
    }

    void eachAboutClickOpensAnotherDialog()
    {
        qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/"); // the window's own update check stays local
        MainWindow window;
        window.linkActivated(QStringLiteral("about"));
        window.linkActivated(QStringLiteral("about"));
        const QList<AboutDialog *> dialogs = window.findChildren<AboutDialog *>();
        QCOMPARE(dialogs.size(), 2);
        QPointer<AboutDialog> first = dialogs.first();
        QVERIFY(first->isVisible() && dialogs.last()->isVisible());
        first->close();
        QTRY_VERIFY(first.isNull());
        QVERIFY(dialogs.last()->isVisible());
    }
};

GLIMRA_TEST_MAIN(TestAboutDialog)
#include "test_aboutdialog.moc"
