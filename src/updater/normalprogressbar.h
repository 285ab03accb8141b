#pragma once

#include <QProgressBar>

// A progress bar fed directly by a reply's downloadProgress(received, total).
class NormalProgressBar : public QProgressBar
{
    Q_OBJECT

public slots:
    void setNewValue(qint64 p_Progress, qint64 p_max);

public:
    explicit NormalProgressBar(QWidget *parent);
};
