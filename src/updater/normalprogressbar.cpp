#include "normalprogressbar.h"

NormalProgressBar::NormalProgressBar(QWidget *parent) : QProgressBar(parent) {}

void NormalProgressBar::setNewValue(qint64 p_Progress, qint64 p_max)
{
    if (p_max != qint64(maximum()))
        setMaximum(int(p_max));
    setValue(int(p_Progress));
}
