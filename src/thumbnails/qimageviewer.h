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
    // The grid is shown, or gets a tile, while pictures wait for theirs: make them now.
    void tilesWanted();

public slots:
    void rearrangeItems(bool force = false);
    QImageViewerItem *addItem();
    void addItem(QImageViewerItem *p_Item);
    // Adopts the tiles in this order and lays the grid out once for all of them.
    // `listedBefore`: the tiles of pictures already listed (takePending()), which changes nothing.
    void addItems(const QList<QImageViewerItem *> &p_Items, bool listedBefore = false);
    void setItemSelected(const QString &name);
    void removeRequested(QImageViewerItem *p_Item);
    QStringList selectedList() const;
    void retranslate();
    void checkAll();
    void uncheckAll();
    int count() const { return items.size(); }
    QImageViewerItem *at(int i) const { return items.at(i); }

    // Pictures listed without tiles yet, in display order; tiles are made the first time they are
    // wanted, so a start with many pictures does not wait for them. Until then the pictures count
    // in selectedList(), pictures() and setItemSelected() as if they had tiles.
    void addPending(const QStringList &fileNames);
    // Hands the waiting pictures over (file name and whether it is checked) to have tiles made.
    QList<QPair<QString, bool>> takePending();
    // Every picture in display order and whether it is checked, with or without its tile.
    QList<QPair<QString, bool>> pictures() const;

public:
    explicit QImageViewer(QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Display order; pictures still waiting for their tiles come before all tiles.
    QList<QImageViewerItem *> items;
    QList<QPair<QString, bool>> pending;
};
