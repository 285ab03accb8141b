#pragma once

#include <QScrollArea>
#include <QStringList>

class QImageViewerItem;

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

public:
    explicit QImageViewer(QWidget *parent = nullptr) : QScrollArea(parent) {}
};
