#pragma once

#include "mainwindow/mainwindow.h"

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QGraphicsOpacityEffect;
class QImageViewer;

// The main window's private parts, for tests (MainWindow befriends this class).
class MainWindowTestAccess
{
public:
    static QTimer *showTimer(MainWindow &w) { return w.showTimer; }
    static QTimer *hideTimer(MainWindow &w) { return w.hideTimer; }
    static QDialog *overlay(MainWindow &w) { return w.overlay; }
    static QLabel *overlayLabel(MainWindow &w) { return w.overlayLabel; }
    static QGraphicsOpacityEffect *opacityEffect(MainWindow &w) { return w.opacityEffect; }
    static QImageViewer *grid(MainWindow &w) { return w.imageViewer; }
    static QSystemTrayIcon *trayIcon(MainWindow &w) { return w.trayIcon; }
    static const QList<MessageItem *> &retiredItems(MainWindow &w) { return w.retiredItems; }
    static LibrarySaver *librarySaver(MainWindow &w) { return w.librarySaver; }
    static void setNameDialogRunner(MainWindow &w, std::function<void(QDialog *)> runner)
    {
        w.nameDialogRunner = std::move(runner);
    }
    static void setUpdateDialogSetup(MainWindow &w, std::function<void(UpdateDialog *)> setup)
    {
        w.updateDialogSetup = std::move(setup);
    }
    static void setColorChooser(MainWindow &w, std::function<QColor(const QColor &, QWidget *)> chooser)
    {
        w.colorChooser = std::move(chooser);
    }
};

// Answers every message box that becomes the active modal window while it lives, and records
// what each one said. Message boxes run their own event loop; a timer is what reaches into it.
class MessageBoxWatcher : public QObject
{
    Q_OBJECT

public:
    struct Seen
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);

    QList<Seen> seen;

private:
    void poll();

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};
