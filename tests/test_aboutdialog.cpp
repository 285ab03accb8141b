#include "about/aboutdialog.h"
#include "mainwindow/mainwindow.h"
#include "testhome.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

// The about dialog: its labels, dragging, and one fresh dialog per "about" click.
class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsIconNameAndVersion();
    void dragMovesByPointerDeltaOnlyWithButtonHeld();
    void eachAboutClickOpensAnotherDialog();

private:
    static void sendMouse(QWidget *widget, QEvent::Type type, QPoint local, Qt::MouseButtons buttons);
};

void TestAboutDialog::initTestCase()
{
    QApplication::setApplicationVersion(QStringLiteral("1.1.2.0"));
    QApplication::setWindowIcon(QIcon(QStringLiteral("://images/main_icon.ico")));
    // Keep the main window's automatic update check off the network.
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");
}

void TestAboutDialog::sendMouse(QWidget *widget, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void TestAboutDialog::showsIconNameAndVersion()
{
    QPointer<AboutDialog> dialog = new AboutDialog;
    dialog->retranslate();
    QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("name_label"))->text(),
             QStringLiteral("<span style=\" font-size:24pt;\">Glimra</span>"));
    QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("version_label"))->text(),
             QStringLiteral("<span style=\" font-size:18pt;\">1.1.2.0</span> (latest version)"));
    const QPixmap icon = dialog->findChild<QLabel *>(QStringLiteral("icon_label"))->pixmap(Qt::ReturnByValue);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(128, 128));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("About"));
    QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("close_button"))->text(), QStringLiteral("Close"));
    QVERIFY(dialog->findChild<QLabel *>(QStringLiteral("label"))->openExternalLinks());
    QVERIFY(dialog->isModal());

    dialog->show();
    dialog->findChild<QPushButton *>(QStringLiteral("close_button"))->click();
    QTRY_VERIFY(dialog.isNull());
}

void TestAboutDialog::dragMovesByPointerDeltaOnlyWithButtonHeld()
{
    QPointer<AboutDialog> dialog = new AboutDialog;
    dialog->move(100, 100);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QPoint start = dialog->pos();

    sendMouse(dialog, QEvent::MouseButtonPress, QPoint(20, 30), Qt::LeftButton);
    sendMouse(dialog, QEvent::MouseMove, QPoint(25, 37), Qt::LeftButton);
    QTRY_COMPARE(dialog->pos(), start + QPoint(5, 7));
    // Without a held button the pointer just passes over the dialog.
    sendMouse(dialog, QEvent::MouseMove, QPoint(60, 80), Qt::NoButton);
    QCOMPARE(dialog->pos(), start + QPoint(5, 7));
    // The origin stays where the button went down.
    sendMouse(dialog, QEvent::MouseMove, QPoint(18, 29), Qt::LeftButton);
    QTRY_COMPARE(dialog->pos(), start + QPoint(3, 6));
    delete dialog;
}

void TestAboutDialog::eachAboutClickOpensAnotherDialog()
{
    MainWindow window;
    window.linkActivated(QStringLiteral("about"));
    window.linkActivated(QStringLiteral("about"));
    const QList<AboutDialog *> dialogs = window.findChildren<AboutDialog *>();
    QCOMPARE(dialogs.size(), 2);
    QPointer<AboutDialog> first = dialogs.first();
    QPointer<AboutDialog> second = dialogs.last();
    QVERIFY(first->isVisible() && second->isVisible());
    first->close();
    QTRY_VERIFY(first.isNull());
    QVERIFY(second && second->isVisible());
}

GLIMRA_TEST_MAIN(TestAboutDialog)
#include "test_aboutdialog.moc"
