#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "core/random.h"
#include "flash/flashsession.h"
#include "flash/placement.h"
#include "flash/showing.h"
#include "library/librarysaver.h"
#include "library/messageitem.h"
#include "preferences/buttonids.h"
#include "preferences/settings.h"
#include "thumbnails/qimageviewer.h"

#include <QDialog>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace {

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

} // namespace

void MainWindow::createOverlay()
{
    overlay = new QDialog(this);
    overlay->setStyleSheet(QStringLiteral("QLabel {background:transparent;}"));
    overlay->setAttribute(Qt::WA_TranslucentBackground);
    // Only the glyphs are seen: no frame, no task-bar entry, never the keyboard focus.
    overlay->setWindowFlags(overlay->windowFlags() | Qt::Tool | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint |
                            Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);

    opacityEffect = new QGraphicsOpacityEffect(overlay);
    overlay->setGraphicsEffect(opacityEffect);
    opacityEffect->setOpacity(1.0);

    overlayLabel = new QLabel(overlay);
}

void MainWindow::replaceOverlayLabel()
{
    // A fresh label, so nothing of the previous session's text or picture can show again.
    // The overlay sizes itself to its shown children before it is shown: the leaving label must
    // not count any more, and the new one must count already.
    overlayLabel->hide();
    overlayLabel->deleteLater();
    overlayLabel = new QLabel(overlay);
    overlayLabel->show();
}

void MainWindow::toggleActivity()
{
    if (Settings::instance()->isActive())
        stopActivity();
    else
        startActivity();
}

void MainWindow::startActivity()
{
    replaceOverlayLabel();
    currentMessage = 0;
    buildMessageList();

    if (messageList.isEmpty()) {
        QMessageBox::critical(this, tr("Error!"), tr("There are no messages selected!"));
        return;
    }

    Settings::instance()->setActive(true);
    overlayLabel->setFont(currentFont);
    overlayLabel->setStyleSheet(Showing::labelStyleSheet(Settings::instance()->messageColor()));

    showTimer->setInterval(getDisplayTime());
    const int duration = getDurationTime();
    opacityEffect->setOpacity(Showing::opacityFor(duration));
    hideTimer->setInterval(Showing::hideIntervalFor(duration));

    showTimeout();
    ui->start_button->setText(tr("Stop"));
    showSessionInTray(true);
}

void MainWindow::stopActivity()
{
    replaceOverlayLabel();
    Settings::instance()->setActive(false);
    if (hideTimer->isActive())
        hideTimeout();
    showTimer->stop();
    ui->start_button->setText(tr("Start"));
    showSessionInTray(false);
}

void MainWindow::buildMessageList()
{
    messageList = FlashSession::build(messageList, categories, imageViewer->selectedList(), FlashSession::loadPicture,
                                      Random::next);
}

void MainWindow::showTimeout()
{
    if (messageList.isEmpty())
        return;

    const MessageItem *entry = messageList.at(currentMessage);
    if (entry->type() == MessageItem::PictureType)
        overlayLabel->setPixmap(entry->pixmap());
    else
        overlayLabel->setText(entry->text());
    overlayLabel->adjustSize();
    overlay->adjustSize();

    currentMessage = FlashSession::nextIndex(currentMessage, messageList.size());

    if (ui->location_center_radio->isChecked())
        alignCenterWidget(overlay);
    else if (ui->location_bottom_radio->isChecked())
        alignBottomWidget(overlay);
    else if (ui->location_top_radio->isChecked())
        alignTopWidget(overlay);
    else
        alignRandomWidget(overlay);

    showTimer->stop();
    // The library file is not prepared while an entry is on screen.
    librarySaver->setHeld(true);
    overlay->show();
    hideTimer->start();
}

void MainWindow::hideTimeout()
{
    overlay->hide();
    hideTimer->stop();
    showTimer->start();
    librarySaver->setHeld(false);
}

int MainWindow::getDisplayTime()
{
    return ButtonIds::displayIntervalMs(ui->display_group->checkedId());
}

int MainWindow::getDurationTime()
{
    return ButtonIds::durationMs(ui->duration_group->checkedId());
}

void MainWindow::alignCenterWidget(QWidget *widget)
{
    const QSize screen = primaryScreenSize();
    widget->move(Placement::center(screen.width(), screen.height(), widget->width(), widget->height()));
}

void MainWindow::alignTopWidget(QWidget *widget)
{
    const QSize screen = primaryScreenSize();
    widget->move(Placement::top(screen.width(), screen.height(), widget->width(), widget->height()));
}

void MainWindow::alignBottomWidget(QWidget *widget)
{
    const QSize screen = primaryScreenSize();
    widget->move(Placement::bottom(screen.width(), screen.height(), widget->width(), widget->height()));
}

void MainWindow::alignRandomWidget(QWidget *widget)
{
    const QSize screen = primaryScreenSize();
    // y is drawn before x.
    const int r1 = Random::next();
    const int r2 = Random::next();
    widget->move(Placement::random(screen.width(), screen.height(), widget->width(), widget->height(), r1, r2));
}

int MainWindow::randInt(int p_Low, int p_High)
{
    const int range = p_High + 1 - p_Low;
    return range > 0 ? Random::next() % range + p_Low : p_Low;
}
