#include "updatedialog.h"
#include "ui_updatedialog.h"

#include "core/fileversion.h"
#include "core/process.h"
#include "core/updateconstants.h"
#include "updater/downloadmanager.h"
#include "updater/normalprogressbar.h"

#include "buildconfig.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QNetworkReply>
#include <QPushButton>
#include <QtDebug>

#include <cstdlib>

namespace {

constexpr int kUpdateExitCode = 12;
// Far above any real manifest, signature or release, so that a hostile server cannot fill memory.
constexpr qint64 kMaxManifestBytes = 1 << 20;
constexpr qint64 kMaxSignatureBytes = 4 << 10;
constexpr qint64 kMaxUnsignedFileBytes = qint64(256) << 20;

void startAndExit(const QString &commandLine, int exitCode)
{
    startDetachedCommand(commandLine);
    // At once: the quit sequence must not write the library or the preferences now.
    std::_Exit(exitCode);
}

QString decodeManifest(const QByteArray &body)
{
    const int nul = body.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? body : body.left(nul));
}

bool isSameUrl(const QUrl &a, const QUrl &b)
{
    return a.toString(QUrl::FullyEncoded) == b.toString(QUrl::FullyEncoded);
}

} // namespace

UpdateDialog::UpdateDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::UpdateDialog), m_allowUnsigned(GLIMRA_ALLOW_UNSIGNED_UPDATES),
      m_launcher(startAndExit)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->label->setText(tr("%1 update").arg(QCoreApplication::applicationName()));
    // A child, so that replies finishing after the dialog is gone are dropped with it.
    m_downloadManager = new DownloadManager(this);
    m_manifestUrl = QUrl(UpdateConstants::manifestUrl(), QUrl::TolerantMode);

    connect(m_downloadManager, &DownloadManager::fileDownloaded, this, &UpdateDialog::fileDownloaded);
    connect(ui->update_button, &QPushButton::clicked, this, &UpdateDialog::updateAll);
    connect(ui->cancel_button, &QPushButton::clicked, this, &UpdateDialog::close);
}

UpdateDialog::~UpdateDialog()
{
    delete ui;
}

void UpdateDialog::setProgramFolder(const QString &folder)
{
    m_downloadManager->setProgramFolder(folder);
}

void UpdateDialog::setLauncher(Launcher launcher)
{
    m_launcher = launcher ? std::move(launcher) : Launcher(startAndExit);
}

void UpdateDialog::setPublicKey(const QByteArray &publicKey)
{
    m_verifier = UpdateVerifier(publicKey);
}

void UpdateDialog::checkForUpdates()
{
    m_manifestUrl = QUrl(UpdateConstants::manifestUrl(), QUrl::TolerantMode);
    m_haveManifest = m_haveSignature = m_manifestFailed = false;
    if (!updatesEnabled())
        return;
    m_downloadManager->startDownload(m_manifestUrl, kMaxManifestBytes);
    if (m_verifier.hasKey())
        m_downloadManager->startDownload(signatureUrl(), kMaxSignatureBytes);
    else
        qDebug() << "Updates are unverified: this build has no update signing key";
}

bool UpdateDialog::isUpdateAvailable()
{
    return m_pendingUpdates != 0;
}

QUrl UpdateDialog::signatureUrl() const
{
    return QUrl(m_manifestUrl.toString(QUrl::FullyEncoded) + QStringLiteral(".sig"), QUrl::TolerantMode);
}

void UpdateDialog::fileDownloaded(QNetworkReply *p_Reply)
{
    const QUrl url = p_Reply->url();
    const int entry = m_downloads.contains(p_Reply) ? m_downloads.take(p_Reply) : -1;
    const bool isManifest = isSameUrl(url, m_manifestUrl);
    const bool isSignature = isSameUrl(url, signatureUrl());
    p_Reply->deleteLater();

    // Redirects, error pages, cut-off and short replies count as network errors.
    if (!DownloadManager::isComplete(p_Reply)) {
        if (isManifest || isSignature)
            m_manifestFailed = true;
        return;
    }
    if (isManifest)
        manifestArrived(p_Reply->readAll());
    else if (isSignature)
        signatureArrived(p_Reply->readAll());
    else
        receiveFile(p_Reply, entry);
}

void UpdateDialog::manifestArrived(const QByteArray &body)
{
    if (!m_verifier.hasKey()) {
        if (m_allowUnsigned)
            compareVersions(decodeManifest(body));
        return;
    }
    m_manifest = body;
    m_haveManifest = true;
    evaluateSignedManifest();
}

void UpdateDialog::signatureArrived(const QByteArray &body)
{
    if (!m_verifier.hasKey())
        return;
    m_signature = body;
    m_haveSignature = true;
    evaluateSignedManifest();
}

void UpdateDialog::evaluateSignedManifest()
{
    if (!m_haveManifest || !m_haveSignature || m_manifestFailed)
        return;
    // Both halves are consumed: a second copy of either cannot re-run the check.
    m_haveManifest = m_haveSignature = false;
    if (!m_verifier.verifySignature(m_manifest, m_signature)) {
        qWarning() << "The update manifest's signature does not verify; the update check is dropped";
        return;
    }
    compareVersions(decodeManifest(m_manifest));
}

void UpdateDialog::compareVersions(QString p_Ini)
{
    m_filesToFetch.clear();
    m_entries.clear();

    const QString folder = m_downloadManager->programFolder() + QLatin1Char('/');
    const auto readLocal = [&folder](const QString &fileName, int version[4]) {
        return readFileVersion(folder + fileName, version);
    };
    const UpdateManifest::Result result =
        UpdateManifest::evaluate(p_Ini, UpdateConstants::updateBaseUrl(), readLocal, m_verifier.hasKey());
    for (const UpdateEntry &update : result.updates) {
        // Whoever is asked about this file sees its versions, not those of a later line.
        ui->current_label->setText(update.localVersion);
        ui->new_label->setText(update.versionText);
        m_availableVersion = update.versionText;
        m_filesToFetch.append(update.url);
        m_entries.append(update);
        ++m_pendingUpdates;
        emit updateFound(this);
    }
    if (result.hasVersions) {
        ui->current_label->setText(result.currentVersion);
        ui->new_label->setText(result.offeredVersion);
    }
    if (m_filesToFetch.isEmpty()) {
        emit updateNotFound();
        close();
    }
    ui->update_button->setEnabled(!m_filesToFetch.isEmpty());
}

void UpdateDialog::updateAll()
{
    for (int i = 0; i < m_filesToFetch.size(); ++i) {
        auto *bar = new NormalProgressBar(ui->widget_2);
        ui->verticalLayout->addWidget(bar);
        // A signed file may not grow past its signed size.
        const qint64 limit = m_verifier.hasKey() ? m_entries.at(i).size : kMaxUnsignedFileBytes;
        QNetworkReply *reply = m_downloadManager->startDownload(m_filesToFetch.at(i), limit);
        connect(reply, &QNetworkReply::downloadProgress, bar, &NormalProgressBar::setNewValue);
        m_downloads.insert(reply, i);
    }
}

void UpdateDialog::receiveFile(QNetworkReply *reply, int entry)
{
    // Only what updateAll() asked for, under the name the manifest gave, never one from the URL.
    if (entry < 0 || entry >= m_entries.size())
        return;
    QString fileName = m_entries.at(entry).fileName;
    const QByteArray data = reply->readAll();
    if (m_verifier.hasKey() &&
        !UpdateVerifier::matchesDigest(data, m_entries.at(entry).sha256, m_entries.at(entry).size)) {
        reportFailedVerification(fileName);
        return;
    }

    // The running executable cannot be overwritten: it goes beside it and installs itself at start.
    const bool isExecutable = fileName == UpdateConstants::executableName();
    if (isExecutable)
        fileName = UpdateConstants::replacementName();

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const bool saved = m_downloadManager->saveToFile(fileName, &buffer);
    --m_pendingUpdates;
    if (!isExecutable || !saved)
        return;

    const QString path = m_downloadManager->programFolder() + QLatin1Char('/') + fileName;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup |
                                    QFile::ExeOther);
    m_launcher(QLatin1Char('"') + path + QLatin1Char('"'), kUpdateExitCode);
}

void UpdateDialog::reportFailedVerification(const QString &fileName)
{
    qWarning() << "Update file" << fileName << "failed verification and was discarded";
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
