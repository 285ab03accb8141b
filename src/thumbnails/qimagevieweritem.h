#pragma once

#include <QWidget>

// Placeholder of the picture tile; the real one replaces it.
class QImageViewerItem : public QWidget
{
    Q_OBJECT

public slots:
    QString getFileName() const { return QString(); }
    bool isChecked() const { return false; }

public:
    explicit QImageViewerItem(QWidget *parent = nullptr) : QWidget(parent) {}
};
