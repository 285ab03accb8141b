#include "qimageviewer.h"

#include "thumbnails/gridlayout.h"

#include <utility>

QImageViewer::QImageViewer(QWidget *parent) : QScrollArea(parent)
{
    // The content keeps the size the grid computes; the scroll area only scrolls it.
    setWidgetResizable(false);
    setWidget(new QWidget);
    widget()->setStyleSheet(QImageViewerItem::gridStyleSheet());
}

void QImageViewer::rearrangeItems(bool force)
{
    // Every call lays out in full; the flag only tells why it was called.
    Q_UNUSED(force)
    if (items.isEmpty())
        return;

    // The whole area's width, not the viewport's, so the scroll bar never changes the column count.
    const GridLayout::Result layout = GridLayout::arrange(width(), items.size());
    for (int i = 0; i < items.size(); ++i)
        items.at(i)->move(layout.positions.at(i));
    widget()->resize(layout.contentSize);
}

QImageViewerItem *QImageViewer::addItem()
{
    auto *item = new QImageViewerItem(widget());
    items.append(item);
    return item;
}

void QImageViewer::addItem(QImageViewerItem *p_Item)
{
    addItems({p_Item});
}

void QImageViewer::addItems(const QList<QImageViewerItem *> &p_Items, bool listedBefore)
{
    // A new tile goes after every picture already listed.
    if (!pending.isEmpty())
        emit tilesWanted();
    for (QImageViewerItem *item : p_Items) {
        // Tiles made inside the grid already have their parent.
        if (item->parentWidget() != widget())
            item->setParent(widget());
        items.append(item);
        connect(item, &QImageViewerItem::removeRequest, this, &QImageViewer::removeRequested);
        connect(item, &QImageViewerItem::checked, this, &QImageViewer::contentChanged);
        connect(item, &QImageViewerItem::unchecked, this, &QImageViewer::contentChanged);
        item->show();
    }
    rearrangeItems(true);
    if (!listedBefore)
        emit contentChanged();
}

void QImageViewer::addPending(const QStringList &fileNames)
{
    for (const QString &name : fileNames)
        pending.append({name, false});
    if (isVisible() && !pending.isEmpty())
        emit tilesWanted();
}

QList<QPair<QString, bool>> QImageViewer::takePending()
{
    return std::exchange(pending, {});
}

QList<QPair<QString, bool>> QImageViewer::pictures() const
{
    QList<QPair<QString, bool>> all = pending;
    for (const QImageViewerItem *item : items)
        all.append({item->getFileName(), item->isChecked()});
    return all;
}

void QImageViewer::setItemSelected(const QString &name)
{
    for (auto &picture : pending) {
        if (picture.first == name)
            picture.second = true;
    }
    for (QImageViewerItem *item : qAsConst(items)) {
        if (item->getFileName() == name)
            item->setChecked(true);
    }
}

void QImageViewer::removeRequested(QImageViewerItem *p_Item)
{
    items.removeOne(p_Item);
    // The request comes from the tile's own button handler, so it may only go once that returns;
    // hidden now so the next tile can take its cell at once.
    p_Item->hide();
    p_Item->deleteLater();
    rearrangeItems(true);
    emit contentChanged();
}

QStringList QImageViewer::selectedList() const
{
    QStringList names;
    for (const auto &picture : pending) {
        if (picture.second)
            names.append(picture.first);
    }
    for (const QImageViewerItem *item : items) {
        if (item->isChecked())
            names.append(item->getFileName());
    }
    return names;
}

void QImageViewer::retranslate()
{
    for (QImageViewerItem *item : qAsConst(items))
        item->retranslate();
}

void QImageViewer::checkAll()
{
    for (auto &picture : pending)
        picture.second = true;
    for (QImageViewerItem *item : qAsConst(items))
        item->setChecked(true);
}

void QImageViewer::uncheckAll()
{
    for (auto &picture : pending)
        picture.second = false;
    for (QImageViewerItem *item : qAsConst(items))
        item->setChecked(false);
}

void QImageViewer::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    rearrangeItems(false);
}

void QImageViewer::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    if (!pending.isEmpty())
        emit tilesWanted();
}
