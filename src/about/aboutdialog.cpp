#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPushButton>

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);

    ui->name_label->setText(QStringLiteral("<span style=\" font-size:24pt;\">") + QApplication::applicationName() +
                            QStringLiteral("</span>"));
    ui->version_label->setText(QStringLiteral("<span style=\" font-size:18pt;\">") +
                               QApplication::applicationVersion() + QStringLiteral("</span> ") +
                               tr("(latest version)"));
    ui->icon_label->setPixmap(QApplication::windowIcon().pixmap(128, 128, QIcon::Normal, QIcon::Off));

    connect(ui->close_button, &QPushButton::clicked, this, &AboutDialog::close);
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

void AboutDialog::retranslate()
{
    // The form marks name, version and icon as untranslated, so this leaves them alone.
    ui->retranslateUi(this);
}

void AboutDialog::mousePressEvent(QMouseEvent *event)
{
    m_dragOrigin = event->localPos().toPoint();
    QDialog::mousePressEvent(event);
}

void AboutDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton)
        move(pos() + (event->localPos().toPoint() - m_dragOrigin));
    QDialog::mouseMoveEvent(event);
}
