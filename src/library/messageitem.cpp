#include "messageitem.h"

MessageItem::MessageItem(QObject *parent) : QObject(parent) {}

MessageItem::~MessageItem()
{
    qDeleteAll(m_children);
}

void MessageItem::checkAll()
{
    setAllDescendants(Qt::Checked);
}

void MessageItem::uncheckAll()
{
    setAllDescendants(Qt::Unchecked);
}

void MessageItem::setAllDescendants(int state)
{
    for (MessageItem *child : qAsConst(m_children)) {
        child->setCheckState(state);
        child->setAllDescendants(state);
    }
}

void MessageItem::setPixmap(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    m_type = PictureType;
}
