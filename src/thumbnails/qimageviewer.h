#pragma once

#include <QScrollArea>
#include <QStringList>

#include "thumbnails/qimagevieweritem.h"

// Placeholder of the thumbnail grid; the real one replaces it.
class QImageViewer : public QScrollArea
{
    Q_OBJECT

public slots:
    QStringList selectedList() const { return {}; }
    void setItemSelected(const QString &) {}
    void checkAll() {}
    void uncheckAll() {}
    void retranslate() {}
    int count() const { return 0; }
    QImageViewerItem *at(int) const { return nullptr; }
    void addItem(QImageViewerItem *) {}

public:
    explicit QImageViewer(QWidget *parent = nullptr) : QScrollArea(parent) {}
};
