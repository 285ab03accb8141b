#include "qimagevieweritem.h"

#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const int RemoveButtonSize = 24;
// The button's square ends this far inside the thumbnail's right edge and starts this far below its top.
const int RemoveButtonInset = 5;
} // namespace

QImageViewerItem::QImageViewerItem(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(120, 120);

    // Creation order is stacking order: thumbnail, then the shade over it, then the button on top.
    mainLayout = new QVBoxLayout(this);
    mainLayout->setSpacing(3);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setAlignment(Qt::AlignCenter);
    imageLabel = new QLabel(this);
    mainLayout->addWidget(imageLabel);
    auto *checkContainer = new QWidget(this);
    auto *checkLayout = new QHBoxLayout(checkContainer);
    checkLayout->setSpacing(3);
    checkLayout->setContentsMargins(0, 0, 0, 0);
    checkLayout->setAlignment(Qt::AlignCenter);
    checkBox = new QCheckBox(checkContainer);
    checkLayout->addWidget(checkBox);
    mainLayout->addWidget(checkContainer);

    // Coloured by gridStyleSheet(), which the grid sets once for all its tiles.
    shade = new QWidget(this);
    shade->setObjectName(QStringLiteral("shade"));
    shade->hide();

    removeButton = new QPushButton(this);
    // Through QPixmap, whose cache decodes the file once for all tiles.
    removeButton->setIcon(QIcon(QPixmap(QStringLiteral("://images/remove.png"))));
    removeButton->setToolTip(tr("Remove this image"));
    removeButton->setGeometry(10, 10, RemoveButtonSize, RemoveButtonSize);
    removeButton->hide();

    initialised = true;
    m_checked = false;
    connect(checkBox, &QCheckBox::clicked, this, &QImageViewerItem::checkClicked);
    connect(removeButton, &QPushButton::clicked, this, &QImageViewerItem::removeClicked);
}

QString QImageViewerItem::gridStyleSheet()
{
    return QStringLiteral("QImageViewerItem QWidget#shade {background-color: rgba(0, 0, 0, 64);}"
                          "QImageViewerItem QPushButton {background-color: rgba(81, 193, 201, 64);"
                          "border: 1px solid rgba(81, 193, 201, 96);min-width: 1ex;min-height: 1ex;}"
                          "QImageViewerItem QPushButton:hover {background-color: rgba(97, 198, 205, 128);}"
                          "QImageViewerItem QPushButton:pressed {background-color: rgba(59, 182, 190, 196);}");
}

void QImageViewerItem::setImage(QPixmap *p_Pixmap)
{
    imageLabel->setPixmap(*p_Pixmap);
}

void QImageViewerItem::removeClicked()
{
    // A file that is already gone or locked must not keep the tile alive.
    QFile::remove(fileName);
    emit removeRequest(this);
}

void QImageViewerItem::checkClicked(bool p_Checked)
{
    if (p_Checked)
        emit checked(this);
    else
        emit unchecked(this);
    m_checked = p_Checked;
}

void QImageViewerItem::retranslate()
{
    removeButton->setToolTip(tr("Remove this image"));
}

void QImageViewerItem::setChecked(bool p_Checked)
{
    checkBox->setChecked(p_Checked);
    checkClicked(p_Checked);
}

void QImageViewerItem::enterEvent(QEvent *event)
{
    if (initialised) {
        removeButton->show();
        shade->show();
    }
    QWidget::enterEvent(event);
}

void QImageViewerItem::leaveEvent(QEvent *event)
{
    if (initialised) {
        removeButton->hide();
        shade->hide();
    }
    QWidget::leaveEvent(event);
}

void QImageViewerItem::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (initialised)
        emit resized(imageLabel);
}

void QImageViewerItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (initialised) {
        placeOverThumbnail();
        emit resized(imageLabel);
    }
}

void QImageViewerItem::placeOverThumbnail()
{
    const QRect label = imageLabel->geometry();
    shade->setGeometry(label);
    removeButton->move(label.x() + label.width() - RemoveButtonSize - RemoveButtonInset, label.y() + RemoveButtonInset);
}
