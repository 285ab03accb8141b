#pragma once

#include <QDialog>

class AboutDialog : public QDialog
{
    Q_OBJECT

public slots:
    void retranslate();

public:
    explicit AboutDialog(QWidget *parent = nullptr);
};
