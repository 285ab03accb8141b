#pragma once

#include "flash/showing.h"

#include <QFont>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <optional>

class LibrarySaver;
class MessageItem;
class QAction;
class QCloseEvent;
class QColor;
class QDialog;
class QGraphicsOpacityEffect;
class QImageViewer;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QSessionManager;
class QTimer;
class QTranslator;
class UpdateDialog;

namespace Ui {
class MainWindow;
}

// The program's only main window: library browser, pictures, settings, the START button, the
// tray icon, and the flash engine that shows the checked entries in the overlay.
// Its implementation is split by concern over the mainwindow_*.cpp files.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // --- flash session (mainwindow_flash.cpp)
    void startActivity();
    void stopActivity();

    // --- window and tray (mainwindow.cpp)
    // Shows the window un-minimised, raised and active: tray click, tray menu and a second start.
    void bringToFront();

    // --- library browser (mainwindow_browser.cpp)
    QListWidgetItem *createListItem(MessageItem *item) const;
    QListWidgetItem *createUncheckedItem(const QString &text) const;
    void fillList(QListWidget *list, const QList<MessageItem *> &items);
    void fillCategoryList();
    static int aggregateState(const QList<MessageItem *> &items);

    // --- settings (mainwindow_settings.cpp)
    void applyFont(const QFont &font);
    QFont fitFontToLabel(const QFont &font) const;
    void updateColorLabel();

    // --- test seams: replace the modal choosers by functions (nullptr restores the real dialogs)
    using PictureChooser = std::function<QString(QWidget *parent)>;
    void setPictureChooser(PictureChooser chooser) { pictureChooser = std::move(chooser); }

    // The library; the last category is the custom one.
    QList<MessageItem *> categories;
    int currentCategory = 0;
    int currentSubcategory = 0;
    // The flash session's entries in shown order; picture entries belong to it, text entries to the library.
    QList<MessageItem *> messageList;

public slots:
    // --- library file and import (mainwindow_library.cpp)
    bool loadGroups();
    void writeGroups();
    void parseMessagesFromText(QString p_FileName);

    // --- library browser (mainwindow_browser.cpp)
    void fillSubcatigories();
    void fillMessages(int p_Subcategory);
    void categoryClicked(int p_Category);
    void subcategoryClicked(int p_Category);
    void categoryChecked(int p_Category, Qt::CheckState checkState);
    void subcategoryChecked(int subcategory, Qt::CheckState checkState);
    void messageChecked(int p_Message, Qt::CheckState checkState);
    void onSubcategoryListModified();

    // --- library editing (mainwindow_editing.cpp)
    void addSubcategory();
    void editSubcategory();
    void removeSubcategory();
    void addMessage();
    void editMessage();
    void removeMessage();
    void addedSubcategory(QString p_Name);
    void editedSubcategory(QString p_Name);
    void addedMessage(QString p_Text);
    void editedMessage(QString p_Text);

    // --- settings tab (mainwindow_settings.cpp)
    void displaySelected(int p_Num);
    void durationSelected(int p_Num);
    void locationSelected(int p_Num);
    void languageSelected(int p_Num);
    void startupChanged();
    void selectFont();
    void restoreSettings();
    void loadSettings();
    void writeSettings();

    // --- pictures tab (mainwindow_pictures.cpp)
    void browseForPicture();
    void addImageToList(QString p_FileName);

    // --- flash session and overlay (mainwindow_flash.cpp)
    void toggleActivity();
    void buildMessageList();
    void showTimeout();
    void hideTimeout();
    int getDisplayTime();
    int getDurationTime();
    void alignCenterWidget(QWidget *widget);
    void alignTopWidget(QWidget *widget);
    void alignBottomWidget(QWidget *widget);
    void alignRandomWidget(QWidget *widget);
    int randInt(int p_Low, int p_High);

    // --- window, tray and links (mainwindow.cpp)
    void createActions();
    void createTrayIcon();
    void iconActivated(QSystemTrayIcon::ActivationReason p_Reason);
    void linkActivated(QString p_Action);

    // --- updates (mainwindow_updates.cpp)
    void checkForUpdates(bool p_ByUser = false);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private slots:
    void on_colorButton_clicked();
    void on_category_list_currentRowChanged(int currentRow);
    void on_subcategory_list_currentRowChanged(int currentRow);
    void on_category_list_itemChanged(QListWidgetItem *item);
    void on_subcategory_list_itemChanged(QListWidgetItem *item);
    void on_messages_list_itemChanged(QListWidgetItem *item);
    // The session is ending: everything is written at once, in case the process gets no quit.
    void commitData(QSessionManager &manager);

private:
    friend class MainWindowTestAccess;

    void createOverlay();
    void createImageViewer();
    void loadPictures();
    void makePendingTiles();
    void buildPlaceholderLibrary();
    void replaceOverlayLabel();
    // The current label's colour and the overlay's translucency or shape, from the chosen
    // colour and duration and whether this session's desktop composes.
    void applyOverlayLook();

    Ui::MainWindow *ui = nullptr;

    // Settings tab.
    int displayId = -5;
    int durationId = -4;
    int locationId = -2;
    int languageIndex = -1;
    bool languageChanging = false;
    QTranslator *translator = nullptr;
    // Qt's own texts (standard buttons, dialogs) for the chosen language.
    std::unique_ptr<QTranslator> qtTranslator;
    QFont currentFont;

    // Flash engine.
    int currentMessage = 0;
    QTimer *showTimer = nullptr;
    QTimer *hideTimer = nullptr;
    QDialog *overlay = nullptr;
    QLabel *overlayLabel = nullptr;
    QGraphicsOpacityEffect *opacityEffect = nullptr;
    // Asked at every start: compositors come and go with the desktop's settings.
    bool overlayComposited = true;
    Showing::Look overlayLook;

    // Tray and pictures.
    QSystemTrayIcon *trayIcon = nullptr;
    QMenu *trayIconMenu = nullptr;
    QAction *restoreAction = nullptr;
    QAction *quitAction = nullptr;
    QImageViewer *imageViewer = nullptr;
    // The tray's texts in the current language; the tooltip tells whether a session runs.
    void retranslateTray();
    // Without a notification area a closed window stays in the task bar; said once a run.
    bool noTrayExplained = false;

    PictureChooser pictureChooser;

    // Concern-private state; each block belongs to the file named.
    // mainwindow_settings.cpp: test seams for the modal font and colour dialogs (empty = the real ones).
    std::function<QFont(bool *ok, const QFont &initial, QWidget *parent)> fontChooser;
    std::function<QColor(const QColor &initial, QWidget *parent)> colorChooser;
    // mainwindow_browser.cpp
    // Editing buttons that need a subcategory or a message follow what the lists hold.
    void updateEditButtons();
    // The custom category's row shows the translated "Custom messages".
    void showCustomRowText();
    // The current category takes the aggregate state of its children.
    void followSubcategories();
    bool fillingSubcategories = false;
    bool subcategoryRefillPending = false;
    // One user action runs nested list handlers, several of which may ask for the message list;
    // it is filled once, with the last subcategory asked for, when the outermost handler returns.
    void handleListSignal(const std::function<void()> &handler);
    int listHandlerDepth = 0;
    std::optional<int> pendingMessagesFill;
    // mainwindow_library.cpp / mainwindow_editing.cpp: nodes taken out of the tree stay alive
    // while a running session may still show them.
    QList<MessageItem *> retiredItems;
    // mainwindow_library.cpp: an unreadable library file that could not be copied aside is
    // never replaced.
    bool keepUnreadableLibrary = false;
    bool preserveUnreadableLibrary(const QString &path);
    // mainwindow_library.cpp: the library file follows every change while the program runs.
    LibrarySaver *librarySaver = nullptr;
    bool librarySaveErrorShown = false;
    void createLibrarySaver();
    void libraryChanged();
    QString libraryXml();
    void reportLibrarySaveResult(bool ok, const QString &errorString);
    // mainwindow_settings.cpp: once the quit sequence has written the preferences, nothing
    // (such as the window going away) may write them again.
    bool preferencesFinal = false;
    void persistWindowState();
    // mainwindow_editing.cpp: runs the modal name dialog (exec() when empty); tests drive it instead.
    std::function<void(QDialog *)> nameDialogRunner;
    // mainwindow_updates.cpp: prepares each new update dialog before its check starts (tests).
    std::function<void(UpdateDialog *)> updateDialogSetup;
    void showUpdateDialog(UpdateDialog *p_Dialog);
    void noUpdates();
    void runNameDialog(int p_Type, const QString &p_Text, void (MainWindow::*p_Result)(QString));
};
