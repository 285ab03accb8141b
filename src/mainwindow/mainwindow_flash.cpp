#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "core/random.h"
#include "flash/compositor.h"
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
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace {

// The whole primary screen, panels included, at its place among the monitors.
QRect primaryScreenGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
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
    overlayComposited = Compositor::isRunning();
    applyOverlayLook();

    showTimer->setInterval(getDisplayTime());
    hideTimer->setInterval(Showing::hideIntervalFor(getDurationTime()));

    showTimeout();
    ui->start_button->setText(tr("Stop"));
    retranslateTray();
}

void MainWindow::applyOverlayLook()
{
    if (!overlay)
        return;
    overlayLook = Showing::lookFor(Settings::instance()->messageColor(), getDurationTime(), overlayComposited,
                                   overlay->palette().color(QPalette::Window));
    overlayLabel->setStyleSheet(overlayLook.labelStyleSheet);
    opacityEffect->setOpacity(overlayLook.effectOpacity);
    // A shaped overlay paints its own background: the glyphs' edges then blend with a known colour,
    // not with the black that an uncomposed transparent pixel shows.
    overlay->setAttribute(Qt::WA_NoSystemBackground, !overlayLook.shaped);
    if (!overlayLook.shaped)
        overlay->clearMask();
}

void MainWindow::stopActivity()
{
    replaceOverlayLabel();
    Settings::instance()->setActive(false);
    if (hideTimer->isActive())
        hideTimeout();
    showTimer->stop();
    ui->start_button->setText(tr("Start"));
    retranslateTray();
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
    if (entry->type() != MessageItem::PictureType)
        overlayLabel->setText(entry->text());
    else if (overlayLook.pictureOpacity < 1.0)
        overlayLabel->setPixmap(QPixmap::fromImage(Showing::blended(
            entry->pixmap().toImage(), overlay->palette().color(QPalette::Window), overlayLook.pictureOpacity)));
    else
        overlayLabel->setPixmap(entry->pixmap());
    overlayLabel->adjustSize();
    overlay->adjustSize();
    if (overlayLook.shaped) {
        // Only what the label draws is kept of the window; the desktop shows everywhere else.
        const qreal ratio = overlay->devicePixelRatioF();
        QImage content(overlayLabel->size() * ratio, QImage::Format_ARGB32_Premultiplied);
        content.setDevicePixelRatio(ratio);
        content.fill(Qt::transparent);
        overlayLabel->render(&content, QPoint(), QRegion(), QWidget::DrawChildren);
        overlay->setMask(Showing::opaqueRegion(content, Showing::ShapeAlphaThreshold).translated(overlayLabel->pos()));
    }

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
    widget->move(Placement::center(primaryScreenGeometry(), widget->size()));
}

void MainWindow::alignTopWidget(QWidget *widget)
{
    widget->move(Placement::top(primaryScreenGeometry(), widget->size()));
}

void MainWindow::alignBottomWidget(QWidget *widget)
{
    widget->move(Placement::bottom(primaryScreenGeometry(), widget->size()));
}

void MainWindow::alignRandomWidget(QWidget *widget)
{
    // y is drawn before x.
    const int r1 = Random::next();
    const int r2 = Random::next();
    widget->move(Placement::random(primaryScreenGeometry(), widget->size(), r1, r2));
}

int MainWindow::randInt(int p_Low, int p_High)
{
    const int range = p_High + 1 - p_Low;
    return range > 0 ? Random::next() % range + p_Low : p_Low;
}
