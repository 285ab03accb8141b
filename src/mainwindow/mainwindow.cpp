#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "about/aboutdialog.h"
#include "appicons.h"
#include "flash/flashsession.h"
#include "library/messageitem.h"
#include "thumbnails/qimageviewer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

namespace {
const char kWebsite[] = "https://www.orvanta.example/glimra/";
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    // The box is kept only for its stored value; closing the window hides it (or, with no
    // notification area to bring it back from, minimises it).
    ui->minimize_box->hide();

    languageChanging = false;
    languageIndex = -1;

    loadSettings();

    showTimer = new QTimer(this);
    hideTimer = new QTimer(this);
    createOverlay();
    createImageViewer();
    updateColorLabel();
    loadPictures();

    if (!loadGroups())
        buildPlaceholderLibrary();

    connect(ui->subcategory_list->model(), &QAbstractItemModel::rowsInserted, this,
            &MainWindow::onSubcategoryListModified);
    connect(ui->subcategory_list->model(), &QAbstractItemModel::rowsRemoved, this,
            &MainWindow::onSubcategoryListModified);
    fillCategoryList();
    // Created after the first fill: what start-up derives for display is no change of the user's.
    createLibrarySaver();

    connect(ui->select_font_button, &QPushButton::clicked, this, &MainWindow::selectFont);
    connect(ui->start_button, &QPushButton::clicked, this, &MainWindow::toggleActivity);
    connect(showTimer, &QTimer::timeout, this, &MainWindow::showTimeout);
    connect(hideTimer, &QTimer::timeout, this, &MainWindow::hideTimeout);
    connect(ui->run_on_startup_box, &QCheckBox::clicked, this, &MainWindow::startupChanged);
    connect(ui->display_group, &QButtonGroup::idClicked, this, &MainWindow::displaySelected);
    connect(ui->duration_group, &QButtonGroup::idClicked, this, &MainWindow::durationSelected);
    connect(ui->location_group, &QButtonGroup::idClicked, this, &MainWindow::locationSelected);
    connect(ui->language_box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::languageSelected);
    // The library is written before the preferences.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::writeGroups);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        writeSettings();
        preferencesFinal = true;
    });
    connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::commitData);
    connect(ui->subcat_add, &QPushButton::clicked, this, &MainWindow::addSubcategory);
    connect(ui->subcat_edit, &QPushButton::clicked, this, &MainWindow::editSubcategory);
    connect(ui->subcat_delete, &QPushButton::clicked, this, &MainWindow::removeSubcategory);
    connect(ui->message_add, &QPushButton::clicked, this, &MainWindow::addMessage);
    connect(ui->message_edit, &QPushButton::clicked, this, &MainWindow::editMessage);
    connect(ui->message_delete, &QPushButton::clicked, this, &MainWindow::removeMessage);
    connect(ui->restore_settings, &QPushButton::clicked, this, &MainWindow::restoreSettings);
    connect(ui->add_picture_button, &QPushButton::clicked, this, &MainWindow::browseForPicture);
    connect(ui->check_all_button, &QPushButton::clicked, imageViewer, &QImageViewer::checkAll);
    connect(ui->uncheck_all_button, &QPushButton::clicked, imageViewer, &QImageViewer::uncheckAll);

    createTrayIcon();
    connect(ui->links, &QLabel::linkActivated, this, &MainWindow::linkActivated);
}

MainWindow::~MainWindow()
{
    // The library tree and the session's pictures have no Qt parent.
    FlashSession::releasePictures(messageList);
    qDeleteAll(categories);
    qDeleteAll(retiredItems);
    delete trayIconMenu;
    delete ui;
}

void MainWindow::createImageViewer()
{
    imageViewer = new QImageViewer(ui->tab_2);
    imageViewer->setFrameShape(QFrame::NoFrame);
    // Style sheets only where they are needed: one on the window would make every widget in it
    // go through the (slow) style sheet style.
    imageViewer->setStyleSheet(QStringLiteral("QImageViewer, QImageViewer QWidget { background-color: white; }"));
    // The grid fills the tab; the button bar stays below it.
    ui->verticalLayout_7->removeWidget(ui->picture_bottom_widget);
    ui->verticalLayout_7->addWidget(imageViewer);
    ui->verticalLayout_7->addWidget(ui->picture_bottom_widget);
    connect(imageViewer, &QImageViewer::tilesWanted, this, &MainWindow::makePendingTiles);
}

void MainWindow::createActions()
{
    restoreAction = new QAction(windowIcon(), QString(), this);
    connect(restoreAction, &QAction::triggered, this, &MainWindow::bringToFront);
    quitAction = new QAction(AppIcons::quit(), QString(), this);
    // Ctrl+Q everywhere (QKeySequence::Quit has none on Windows); it is the only way out
    // of the window when there is no notification area.
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
    addAction(quitAction);
}

void MainWindow::createTrayIcon()
{
    createActions();
    // A context menu is a window of its own, without a parent; the destructor deletes it.
    trayIconMenu = new QMenu;
    trayIconMenu->addAction(restoreAction);
    trayIconMenu->addSeparator();
    trayIconMenu->addAction(quitAction);

    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setContextMenu(trayIconMenu);
    retranslateTray();
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::iconActivated);
    trayIcon->setIcon(AppIcons::program());
    trayIcon->setVisible(true);
}

void MainWindow::iconActivated(QSystemTrayIcon::ActivationReason p_Reason)
{
    if (p_Reason == QSystemTrayIcon::Trigger)
        bringToFront();
}

void MainWindow::bringToFront()
{
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void MainWindow::retranslateTray()
{
    restoreAction->setText(tr("Open Glimra..."));
    quitAction->setText(tr("Quit"));
    const QString name = QCoreApplication::applicationName();
    // A running session always has one of its two timers going.
    const bool flashing = showTimer->isActive() || hideTimer->isActive();
    trayIcon->setToolTip(flashing ? tr("%1 — flashing").arg(name) : name);
}

void MainWindow::linkActivated(QString p_Action)
{
    if (p_Action == QLatin1String("about")) {
        auto *about = new AboutDialog(this);
        about->retranslate();
        about->show();
    } else if (p_Action == QLatin1String("updates")) {
        checkForUpdates(true);
    } else if (p_Action == QLatin1String("website")) {
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebsite), QUrl::TolerantMode));
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Asked each time: a panel may come or go while the program runs.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
        QMainWindow::closeEvent(event);
        return;
    }
    // Hidden, the window could not be brought back (short of a second start): it is minimised.
    event->ignore();
    if (!noTrayExplained) {
        noTrayExplained = true;
        QMessageBox::information(
            this, tr("No notification area"),
            tr("This desktop has no notification area for Glimra's icon, so the window stays in the task bar "
               "when closed, and a running session goes on. To quit Glimra, press %1.")
                .arg(quitAction->shortcut().toString(QKeySequence::NativeText)));
    }
    showMinimized();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Once the window is up: writing the preferences would delay its first appearance.
    QTimer::singleShot(0, this, &MainWindow::persistWindowState);
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    persistWindowState();
}

void MainWindow::commitData(QSessionManager &manager)
{
    Q_UNUSED(manager)
    writeGroups();
    writeSettings();
}
