#pragma once

#include <QList>
#include <QScrollArea>
#include <QStringList>

#include "thumbnails/qimagevieweritem.h"

class QLabel;

// The scrolling grid of the pictures tab. It owns the tiles, places them by hand in 120-pixel
// cells that reflow with the area's width, and answers which pictures are checked.
class QImageViewer : public QScrollArea
{
    Q_OBJECT

signals:
    void somethingMoved(QLabel *p_Label);
    // A tile was added, removed, checked or unchecked.
    void contentChanged();

public slots:
    void rearrangeItems(bool force = false);
    QImageViewerItem *addItem();
    void addItem(QImageViewerItem *p_Item);
    // Adopts the tiles in this order and lays the grid out once for all of them.
    void addItems(const QList<QImageViewerItem *> &p_Items);
    void setItemSelected(const QString &name);
    void removeRequested(QImageViewerItem *p_Item);
    QStringList selectedList() const;
    void retranslate();
    void checkAll();
    void uncheckAll();
    int count() const { return items.size(); }
    QImageViewerItem *at(int i) const { return items.at(i); }

public:
    explicit QImageViewer(QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Display order.
    QList<QImageViewerItem *> items;
};
