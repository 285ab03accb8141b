#include "about/aboutdialog.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "preferences/settings.h"
#include "testhome.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

class MainWindowTestAccess
{
public:
    static QSystemTrayIcon *trayIcon(MainWindow &w) { return w.trayIcon; }
    static QTimer *hideTimer(MainWindow &w) { return w.hideTimer; }
    static QDialog *overlay(MainWindow &w) { return w.overlay; }
};
using Access = MainWindowTestAccess;

class TestMainWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void widgets_data();
    void widgets();
    void buttonGroupIdsFollowScreenOrder_data();
    void buttonGroupIdsFollowScreenOrder();
    void windowSettings();
    void linksLabel();
    void trayMenu();
    void trayActivation_data();
    void trayActivation();
    void closeHidesAndSessionGoesOn();
    void links_data();
    void links();
};

void TestMainWindowForm::initTestCase()
{
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");
    Settings::instance()->setActive(false);
}

void TestMainWindowForm::widgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("className");
    QTest::addColumn<QString>("text");
    // -1: not a checkable button, or its state comes from elsewhere.
    QTest::addColumn<int>("checked");

    const auto row = [](const char *name, const char *cls, const QString &text, int checked = -1) {
        QTest::newRow(name) << QString::fromLatin1(name) << QByteArray(cls) << text << checked;
    };
    row("label_7", "QLabel", "SELECT CATEGORY");
    row("label_6", "QLabel", "SELECT SUBCATEGORY");
    row("label_5", "QLabel", "SELECT MESSAGES");
    row("category_list", "QListWidget", QString());
    row("subcategory_list", "QListWidget", QString());
    row("messages_list", "QListWidget", QString());
    row("subcat_add", "QPushButton", "Add...");
    row("subcat_edit", "QPushButton", "Edit...");
    row("subcat_delete", "QPushButton", "Delete");
    row("message_add", "QPushButton", "Add...");
    row("message_edit", "QPushButton", "Edit...");
    row("message_delete", "QPushButton", "Delete");
    row("check_all_button", "QPushButton", "Check all");
    row("uncheck_all_button", "QPushButton", "Uncheck all");
    row("add_picture_button", "QPushButton", "Add picture...");
    row("groupBox", "QGroupBox", "Display messages every:");
    row("display_1_sec_radio", "QRadioButton", "1 sec", 0);
    row("display_2_sec_radio", "QRadioButton", "2 sec", 0);
    row("display_3_sec_radio", "QRadioButton", "3 sec", 0);
    row("display_4_sec_radio", "QRadioButton", "4 sec (recommended)", 1);
    row("display_5_sec_radio", "QRadioButton", "5 sec", 0);
    row("display_6_sec_radio", "QRadioButton", "6 sec", 0);
    row("display_7_sec_radio", "QRadioButton", "7 sec", 0);
    row("display_8_sec_radio", "QRadioButton", "8 sec", 0);
    row("groupBox_2", "QGroupBox", "Message duration:");
    row("duration_10_msec_radio", "QRadioButton", "10 ms (subconcious)", 0);
    row("duration_20_msec_radio", "QRadioButton", "20 ms", 0);
    row("duration_30_msec_radio", "QRadioButton", "30 ms", 1);
    row("duration_50_msec_radio", "QRadioButton", "50 ms", 0);
    row("duration_80_msec_radio", "QRadioButton", "80 ms", 0);
    row("duration_1000_msec_radio", "QRadioButton", "1 sec (for testing)", 0);
    row("groupBox_3", "QGroupBox", "Message location:");
    row("location_center_radio", "QRadioButton", "Center of the screen", 1);
    row("location_top_radio", "QRadioButton", "Top of the screen", 0);
    row("location_bottom_radio", "QRadioButton", "Bottom of the screen", 0);
    row("location_random_radio", "QRadioButton", "Random on the screen", 0);
    row("groupBox_4", "QGroupBox", "Program settings:");
    row("fontLabel", "QLabel", "Example");
    row("select_font_button", "QPushButton", "Choose font...");
    row("colorLabel", "QLabel", QString());
    row("colorButton", "QPushButton", "Choose color...");
    row("label_12", "QLabel", "Language:");
    row("run_on_startup_box", "QCheckBox", "Run on startup?");
    row("minimize_box", "QCheckBox", "Minimize to tray");
    row("restore_settings", "QPushButton", "Restore to default");
    row("start_button", "QPushButton", "START");
    row("language_box", "QComboBox", QString());
    row("tabWidget", "QTabWidget", QString());
    row("picture_bottom_widget", "QWidget", QString());
}

void TestMainWindowForm::widgets()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, className);
    QFETCH(QString, text);
    QFETCH(int, checked);

    MainWindow w;
    QWidget *widget = w.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(QByteArray(widget->metaObject()->className()), className);
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        QCOMPARE(box->title(), text);
    else if (widget->metaObject()->indexOfProperty("text") >= 0)
        QCOMPARE(widget->property("text").toString(), text);
    if (checked >= 0)
        QCOMPARE(widget->property("checked").toBool(), checked == 1);
}

void TestMainWindowForm::buttonGroupIdsFollowScreenOrder_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("display") << "display_group"
                             << QStringList{"display_1_sec_radio", "display_2_sec_radio", "display_3_sec_radio",
                                            "display_4_sec_radio", "display_5_sec_radio", "display_6_sec_radio",
                                            "display_7_sec_radio", "display_8_sec_radio"};
    QTest::newRow("duration") << "duration_group" << QStringList{"duration_10_msec_radio", "duration_20_msec_radio",
                                                                 "duration_30_msec_radio", "duration_50_msec_radio",
                                                                 "duration_80_msec_radio", "duration_1000_msec_radio"};
    QTest::newRow("location") << "location_group"
                              << QStringList{"location_center_radio", "location_top_radio", "location_bottom_radio",
                                             "location_random_radio"};
}

void TestMainWindowForm::buttonGroupIdsFollowScreenOrder()
{
    QFETCH(QString, group);
    QFETCH(QStringList, buttons);

    MainWindow w;
    auto *buttonGroup = w.findChild<QButtonGroup *>(group);
    QVERIFY(buttonGroup);
    QCOMPARE(buttonGroup->buttons().size(), buttons.size());
    for (int i = 0; i < buttons.size(); ++i) {
        QAbstractButton *button = buttonGroup->button(-2 - i);
        QVERIFY2(button, qPrintable(buttons.at(i)));
        QCOMPARE(button->objectName(), buttons.at(i));
    }
}

void TestMainWindowForm::windowSettings()
{
    MainWindow w;
    QCOMPARE(w.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(w.size(), QSize(828, 481));
    QCOMPARE(w.locale(), QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(w.styleSheet(), QStringLiteral("QImageViewer, QImageViewer QWidget {\n\tbackground-color: white;\n}\n\n"
                                            "#picture_bottom_widget {\n\tborder-top: 1px solid gray;\n}"));
    QVERIFY(w.findChild<QCheckBox *>(QStringLiteral("minimize_box"))->isHidden());

    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->documentMode(), false);
    const QStringList titles{"MESSAGES", "PICTURES", "SETTINGS"};
    const QStringList pages{"tab", "tab_2", "tab_3"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(tabs->tabText(i), titles.at(i));
        QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
    }

    auto *language = w.findChild<QComboBox *>(QStringLiteral("language_box"));
    QCOMPARE(language->count(), 2);
    QCOMPARE(language->itemText(0), QStringLiteral("English"));
    QCOMPARE(language->itemText(1), QStringLiteral("Russian"));
}

void TestMainWindowForm::linksLabel()
{
    MainWindow w;
    auto *links = w.findChild<QLabel *>(QStringLiteral("links"));
    QVERIFY(links);
    QVERIFY(!links->openExternalLinks());
    QCOMPARE(links->alignment() & (Qt::AlignRight | Qt::AlignVCenter), Qt::AlignRight | Qt::AlignVCenter);

    const QString text = links->text();
    const QRegularExpression anchor(QStringLiteral("<a href=\"([^\"]*)\"><span style=\"([^\"]*)\">([^<]*)</span></a>"));
    QStringList hrefs;
    QStringList captions;
    auto it = anchor.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        hrefs << match.captured(1);
        QCOMPARE(match.captured(2), QStringLiteral("text-decoration: none; color:#4949ff;"));
        captions << match.captured(3);
    }
    QCOMPARE(hrefs, (QStringList{"about", "updates", "website"}));
    QCOMPARE(captions, (QStringList{"About/Help", "Updates", "Website"}));
    const QString gap = QStringLiteral("</a>") + QStringLiteral("&nbsp;").repeated(8) + QStringLiteral("<a href=");
    QCOMPARE(text.count(gap), 2);
}

void TestMainWindowForm::trayMenu()
{
    MainWindow w;
    QSystemTrayIcon *tray = Access::trayIcon(w);
    QVERIFY(tray);
    QVERIFY(tray->isVisible());
    QCOMPARE(tray->toolTip(), QStringLiteral("Glimra"));
    QVERIFY(!tray->icon().isNull());
    const QList<QAction *> actions = tray->contextMenu()->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0)->text(), QStringLiteral("Open Glimra..."));
    QVERIFY(actions.at(1)->isSeparator());
    QCOMPARE(actions.at(2)->text(), QStringLiteral("Quit"));

    QVERIFY(!w.isVisible());
    actions.at(0)->trigger();
    QVERIFY(w.isVisible());
}

void TestMainWindowForm::trayActivation_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("shows");
    QTest::newRow("Trigger") << int(QSystemTrayIcon::Trigger) << true;
    QTest::newRow("DoubleClick") << int(QSystemTrayIcon::DoubleClick) << false;
    QTest::newRow("MiddleClick") << int(QSystemTrayIcon::MiddleClick) << false;
    QTest::newRow("Context") << int(QSystemTrayIcon::Context) << false;
    QTest::newRow("Unknown") << int(QSystemTrayIcon::Unknown) << false;
}

void TestMainWindowForm::trayActivation()
{
    QFETCH(int, reason);
    QFETCH(bool, shows);
    MainWindow w;
    emit Access::trayIcon(w)->activated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(w.isVisible(), shows);
}

void TestMainWindowForm::closeHidesAndSessionGoesOn()
{
    MainWindow w;
    auto *category = new MessageItem(&w);
    auto *sub = new MessageItem(&w);
    auto *message = new MessageItem(&w);
    message->setText(QStringLiteral("Still here"));
    message->setChecked(true);
    category->addChild(sub);
    sub->addChild(message);
    w.categories.append(category);
    w.findChild<QRadioButton *>(QStringLiteral("duration_10_msec_radio"))->setChecked(true);

    w.show();
    w.findChild<QPushButton *>(QStringLiteral("start_button"))->click();
    QVERIFY(Access::overlay(w)->isVisible());
    QSignalSpy hidden(Access::hideTimer(w), &QTimer::timeout);

    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(Settings::instance()->isActive());
    QVERIFY(hidden.wait());
    QVERIFY(!Access::overlay(w)->isVisible());
    w.findChild<QPushButton *>(QStringLiteral("start_button"))->click();
    QVERIFY(!Settings::instance()->isActive());
}

void TestMainWindowForm::links_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("aboutDialogs");
    QTest::newRow("about twice") << QStringList{"about", "about"} << 2;
    QTest::newRow("unknown") << QStringList{"help"} << 0;
    QTest::newRow("case differs") << QStringList{"About"} << 0;
    QTest::newRow("empty") << QStringList{QString()} << 0;
}

void TestMainWindowForm::links()
{
    QFETCH(QStringList, clicks);
    QFETCH(int, aboutDialogs);
    MainWindow w;
    const int topLevels = QApplication::topLevelWidgets().size();
    for (const QString &href : clicks)
        w.linkActivated(href);
    QCOMPARE(w.findChildren<AboutDialog *>().size(), aboutDialogs);
    if (aboutDialogs == 0) {
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QVERIFY(!QApplication::activeModalWidget());
    }
}

GLIMRA_TEST_MAIN(TestMainWindowForm)
#include "test_mainwindowform.moc"
