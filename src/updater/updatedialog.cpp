#include "updatedialog.h"
#include "ui_updatedialog.h"

#include "updater/normalprogressbar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

UpdateDialog::UpdateDialog(QWidget *parent) : QDialog(parent), ui(new Ui::UpdateDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->label->setText(tr("%1 update").arg(QCoreApplication::applicationName()));
    // A child, so that replies finishing after the dialog is gone are dropped with it.
    m_check = new UpdateCheck(this);

    connect(m_check, &UpdateCheck::updateFound, this, &UpdateDialog::showUpdate);
    connect(m_check, &UpdateCheck::manifestEvaluated, this, &UpdateDialog::showVersions);
    connect(m_check, &UpdateCheck::nothingFound, this, [this] {
        emit updateNotFound();
        close();
    });
    // A check that ends without an offer lets go of the dialog and its network access at once.
    connect(m_check, &UpdateCheck::failed, this, &UpdateDialog::close);
    connect(m_check, &UpdateCheck::downloadProgress, this, &UpdateDialog::showProgress);
    connect(m_check, &UpdateCheck::fileFailedVerification, this, &UpdateDialog::reportFailedVerification);
    connect(ui->update_button, &QPushButton::clicked, this, &UpdateDialog::updateAll);
    connect(ui->cancel_button, &QPushButton::clicked, this, &UpdateDialog::close);
}

UpdateDialog::~UpdateDialog()
{
    delete ui;
}

QList<QUrl> UpdateDialog::filesToFetch() const
{
    QList<QUrl> urls;
    for (const UpdateEntry &entry : m_check->updates())
        urls.append(entry.url);
    return urls;
}

void UpdateDialog::checkForUpdates()
{
    m_check->start();
}

bool UpdateDialog::isUpdateAvailable()
{
    return m_check->pendingUpdates() != 0;
}

void UpdateDialog::fileDownloaded(QNetworkReply *p_Reply)
{
    m_check->fileDownloaded(p_Reply);
}

void UpdateDialog::compareVersions(QString p_Ini)
{
    m_check->compareVersions(p_Ini);
}

void UpdateDialog::showUpdate(const UpdateEntry &entry)
{
    // Whoever is asked about this file sees its versions, not those of a later line.
    ui->current_label->setText(entry.localVersion);
    ui->new_label->setText(entry.versionText);
    m_availableVersion = entry.versionText;
    emit updateFound(this);
}

void UpdateDialog::showVersions(const QString &current, const QString &offered)
{
    if (!current.isEmpty()) {
        ui->current_label->setText(current);
        ui->new_label->setText(offered);
    }
    ui->update_button->setEnabled(!m_check->updates().isEmpty());
}

void UpdateDialog::updateAll()
{
    for (int i = 0; i < m_check->updates().size(); ++i) {
        auto *bar = new NormalProgressBar(ui->widget_2);
        ui->verticalLayout->addWidget(bar);
        m_bars.append(bar);
    }
    m_check->fetchUpdates();
}

void UpdateDialog::showProgress(int download, qint64 received, qint64 total)
{
    if (NormalProgressBar *bar = m_bars.value(download))
        bar->setNewValue(received, total);
}

void UpdateDialog::reportFailedVerification(const QString &fileName)
{
    auto *label = new QLabel(tr("%1 failed verification and was not installed.").arg(fileName), ui->widget_2);
    label->setObjectName(QStringLiteral("verification_label"));
    label->setWordWrap(true);
    ui->verticalLayout->addWidget(label);
    // The minimum size ignores that a wrapped label needs more height in a narrow dialog. A new
    // child only counts for the layout once shown, which the layout itself would do only later.
    label->show();
    layout()->activate();
    resize(width(), qMax(height(), heightForWidth(width())));
}
