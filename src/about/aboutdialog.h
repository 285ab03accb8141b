#pragma once

#include <QDialog>
#include <QPoint>

class QMouseEvent;

namespace Ui {
class AboutDialog;
}

// The program's icon, name and version with two paragraphs of links. Modal, destroys itself when
// closed, and can be dragged by any free spot of its surface.
class AboutDialog : public QDialog
{
    Q_OBJECT

public slots:
    void retranslate();

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    Ui::AboutDialog *ui = nullptr;
    QPoint m_dragOrigin;
};
