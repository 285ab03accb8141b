#include "flash/placement.h"
#include "flash/random.h"
#include "glimraprocess.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "preferences/settings.h"
#include "testhome.h"
#include "thumbnails/qimageviewer.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

class MainWindowTestAccess
{
public:
    static QTimer *showTimer(MainWindow &w) { return w.showTimer; }
    static QTimer *hideTimer(MainWindow &w) { return w.hideTimer; }
    static QDialog *overlay(MainWindow &w) { return w.overlay; }
    static QLabel *label(MainWindow &w) { return w.overlayLabel; }
    static qreal opacity(MainWindow &w) { return w.opacityEffect->opacity(); }
    static QFont font(MainWindow &w) { return w.currentFont; }
    static QImageViewer *viewer(MainWindow &w) { return w.imageViewer; }
};
using Access = MainWindowTestAccess;

namespace {

void setTreeState(const QList<MessageItem *> &nodes, int state)
{
    for (MessageItem *node : nodes) {
        node->setCheckState(state);
        setTreeState(node->children(), state);
    }
}

// A category of the test's own at the end of the library, every other node unchecked; the given
// number of its messages is checked.
QList<MessageItem *> libraryWithChecked(MainWindow &w, int checked, int total = 4)
{
    setTreeState(w.categories, Qt::Unchecked);
    auto *category = new MessageItem(&w);
    category->setText(QStringLiteral("Flash test"));
    auto *sub = new MessageItem(&w);
    category->addChild(sub);
    QList<MessageItem *> messages;
    for (int i = 0; i < total; ++i) {
        auto *message = new MessageItem(&w);
        message->setText(QStringLiteral("Flash message %1").arg(i + 1));
        message->setChecked(i < checked);
        sub->addChild(message);
        messages << message;
    }
    w.categories.append(category);
    return messages;
}

QPushButton *startButton(MainWindow &w)
{
    return w.findChild<QPushButton *>(QStringLiteral("start_button"));
}

void check(MainWindow &w, const char *radio)
{
    auto *button = w.findChild<QRadioButton *>(QLatin1String(radio));
    QVERIFY2(button, radio);
    button->setChecked(true);
}

// One screen-clear phase and the next showing; returns the text then shown.
QString nextShowing(MainWindow &w)
{
    w.hideTimeout();
    w.showTimeout();
    return Access::label(w)->text();
}

struct BoxSeen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget *parent = nullptr;
};

// Closes the next modal message box and records what it said.
void closeNextBox(BoxSeen *seen)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->parent = box->parentWidget();
        box->accept();
        poll->deleteLater();
    });
    poll->start(10);
}

} // namespace

class TestScheduler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void nothingCheckedReportsAndChangesNothing();
    void startupWithNothingCheckedKeepsActiveFlag();
    void oneMessageShowsEveryCycle();
    void threeMessagesKeepOneOrderPerStart();
    void timersAlternateOnTheirOwn();
    void intervalsAndOpacity_data();
    void intervalsAndOpacity();
    void stopHidesAtOnce_data();
    void stopHidesAtOnce();
    void startReplacesLabelAndStyles();
    void picturesAreSessionEntriesReleasedAtNextStart();
    void placementFollowsLocationRadio_data();
    void placementFollowsLocationRadio();
    void runningFlagSurvivesAndResumes();
    void processQuitWhileRunningResumesAtNextStart();

private:
    QTemporaryDir m_pictures;
};

void TestScheduler::initTestCase()
{
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");
    QVERIFY(m_pictures.isValid());
}

void TestScheduler::init()
{
    Settings::instance()->setActive(false);
}

void TestScheduler::nothingCheckedReportsAndChangesNothing()
{
    MainWindow w;
    libraryWithChecked(w, 0);
    BoxSeen seen;
    closeNextBox(&seen);

    startButton(w)->click();

    QCOMPARE(seen.title, QStringLiteral("Error!"));
    QCOMPARE(seen.text, QStringLiteral("There are no messages selected!"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.parent, &w);
    QVERIFY(!Settings::instance()->isActive());
    QCOMPARE(startButton(w)->text(), QStringLiteral("START"));
    QVERIFY(!Access::showTimer(w)->isActive());
    QVERIFY(!Access::hideTimer(w)->isActive());
    QVERIFY(!Access::overlay(w)->isVisible());
}

void TestScheduler::startupWithNothingCheckedKeepsActiveFlag()
{
    Settings::instance()->setActive(true);
    MainWindow w;
    libraryWithChecked(w, 0);
    BoxSeen seen;
    closeNextBox(&seen);
    w.startActivity();
    QCOMPARE(seen.title, QStringLiteral("Error!"));
    QVERIFY(Settings::instance()->isActive());

    // The first press therefore stops, the second starts.
    libraryWithChecked(w, 1);
    startButton(w)->click();
    QVERIFY(!Settings::instance()->isActive());
    QCOMPARE(startButton(w)->text(), QStringLiteral("Start"));
    startButton(w)->click();
    QVERIFY(Settings::instance()->isActive());
    QCOMPARE(startButton(w)->text(), QStringLiteral("Stop"));
    QVERIFY(Access::overlay(w)->isVisible());
}

void TestScheduler::oneMessageShowsEveryCycle()
{
    MainWindow w;
    libraryWithChecked(w, 1);
    startButton(w)->click();

    QCOMPARE(Access::label(w)->text(), QStringLiteral("Flash message 1"));
    QVERIFY(Access::overlay(w)->isVisible());
    QVERIFY(Access::hideTimer(w)->isActive());
    QVERIFY(!Access::showTimer(w)->isActive());
    for (int cycle = 0; cycle < 4; ++cycle) {
        w.hideTimeout();
        QVERIFY(!Access::overlay(w)->isVisible());
        QVERIFY(Access::showTimer(w)->isActive());
        QVERIFY(!Access::hideTimer(w)->isActive());
        w.showTimeout();
        QCOMPARE(Access::label(w)->text(), QStringLiteral("Flash message 1"));
        QVERIFY(Access::overlay(w)->isVisible());
        QVERIFY(!Access::showTimer(w)->isActive());
    }
}

void TestScheduler::threeMessagesKeepOneOrderPerStart()
{
    MainWindow w;
    const QList<MessageItem *> messages = libraryWithChecked(w, 3);
    startButton(w)->click();

    QStringList shown{Access::label(w)->text()};
    // Unchecking during the session changes nothing until the next start.
    messages.at(0)->setChecked(false);
    for (int i = 1; i < 9; ++i)
        shown << nextShowing(w);

    const QStringList round = shown.mid(0, 3);
    QStringList sorted = round;
    sorted.sort();
    QCOMPARE(sorted, (QStringList{"Flash message 1", "Flash message 2", "Flash message 3"}));
    QCOMPARE(shown.mid(3, 3), round);
    QCOMPARE(shown.mid(6, 3), round);

    startButton(w)->click();
    startButton(w)->click();
    shown = QStringList{Access::label(w)->text(), nextShowing(w), nextShowing(w)};
    QVERIFY(!shown.contains(QStringLiteral("Flash message 1")));
    QCOMPARE(shown.at(2), shown.at(0));
}

void TestScheduler::timersAlternateOnTheirOwn()
{
    MainWindow w;
    libraryWithChecked(w, 1);
    check(w, "display_1_sec_radio");
    check(w, "duration_10_msec_radio");
    QSignalSpy hidden(Access::hideTimer(w), &QTimer::timeout);
    QSignalSpy shown(Access::showTimer(w), &QTimer::timeout);
    startButton(w)->click();

    QVERIFY(hidden.wait());
    QVERIFY(!Access::overlay(w)->isVisible());
    QVERIFY(shown.wait(5000));
    QVERIFY(Access::overlay(w)->isVisible());
    QCOMPARE(hidden.count(), 1);
    QTRY_COMPARE(hidden.count(), 2);
    QCOMPARE(shown.count(), 1);
}

void TestScheduler::intervalsAndOpacity_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("duration");
    QTest::addColumn<int>("showInterval");
    QTest::addColumn<int>("hideInterval");
    QTest::addColumn<qreal>("opacity");

    QTest::newRow("10 ms") << QByteArray("display_1_sec_radio") << QByteArray("duration_10_msec_radio") << 1000 << 10
                           << 0.15;
    QTest::newRow("20 ms") << QByteArray("display_2_sec_radio") << QByteArray("duration_20_msec_radio") << 2000 << 20
                           << 1.0;
    QTest::newRow("30 ms") << QByteArray("display_4_sec_radio") << QByteArray("duration_30_msec_radio") << 4000 << 30
                           << 1.0;
    QTest::newRow("80 ms") << QByteArray("display_7_sec_radio") << QByteArray("duration_80_msec_radio") << 7000 << 80
                           << 1.0;
    QTest::newRow("1 sec") << QByteArray("display_8_sec_radio") << QByteArray("duration_1000_msec_radio") << 8000
                           << 1000 << 1.0;
    QTest::newRow("no duration checked") << QByteArray("display_5_sec_radio") << QByteArray() << 5000 << 10 << 0.15;
}

void TestScheduler::intervalsAndOpacity()
{
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, duration);
    QFETCH(int, showInterval);
    QFETCH(int, hideInterval);
    QFETCH(qreal, opacity);

    MainWindow w;
    libraryWithChecked(w, 1);
    check(w, display.constData());
    if (duration.isEmpty()) {
        auto *group = w.findChild<QButtonGroup *>(QStringLiteral("duration_group"));
        group->setExclusive(false);
        for (QAbstractButton *button : group->buttons())
            button->setChecked(false);
        group->setExclusive(true);
    } else {
        check(w, duration.constData());
    }
    startButton(w)->click();

    QCOMPARE(Access::showTimer(w)->interval(), showInterval);
    QCOMPARE(Access::hideTimer(w)->interval(), hideInterval);
    QCOMPARE(Access::opacity(w), opacity);
}

void TestScheduler::stopHidesAtOnce_data()
{
    QTest::addColumn<bool>("whileShown");
    QTest::newRow("entry on screen") << true;
    QTest::newRow("screen clear") << false;
}

void TestScheduler::stopHidesAtOnce()
{
    QFETCH(bool, whileShown);
    MainWindow w;
    libraryWithChecked(w, 2);
    startButton(w)->click();
    if (!whileShown)
        w.hideTimeout();

    startButton(w)->click();
    QVERIFY(!Access::overlay(w)->isVisible());
    QVERIFY(!Access::showTimer(w)->isActive());
    QVERIFY(!Access::hideTimer(w)->isActive());
    QVERIFY(!Settings::instance()->isActive());
    QCOMPARE(startButton(w)->text(), QStringLiteral("Start"));
    QCOMPARE(QSettings().value(QStringLiteral("isActive")).toBool(), false);
}

void TestScheduler::startReplacesLabelAndStyles()
{
    MainWindow w;
    libraryWithChecked(w, 1);
    Settings::instance()->setMessageColor(QStringLiteral("#12ab34"));
    QPointer<QLabel> first = Access::label(w);

    startButton(w)->click();
    QPointer<QLabel> running = Access::label(w);
    QVERIFY(running != first);
    QCOMPARE(running->parentWidget(), Access::overlay(w));
    QCOMPARE(running->styleSheet(), QStringLiteral("QLabel { color : #12ab34; }"));
    QCOMPARE(running->font().toString(), Access::font(w).toString());
    QCOMPARE(Access::overlay(w)->size(), running->size());

    startButton(w)->click();
    QLabel *idle = Access::label(w);
    QVERIFY(idle != running);
    QVERIFY(idle->text().isEmpty());
    QVERIFY(idle->styleSheet().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(running.isNull());

    startButton(w)->click();
    QVERIFY(Access::label(w) != idle);
    QCOMPARE(Access::label(w)->text(), QStringLiteral("Flash message 1"));
    Settings::instance()->setMessageColor(QStringLiteral("black"));
}

void TestScheduler::picturesAreSessionEntriesReleasedAtNextStart()
{
    MainWindow w;
    const QList<MessageItem *> texts = libraryWithChecked(w, 0);
    const QString file = m_pictures.filePath(QStringLiteral("red.png"));
    QImage image(37, 21, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(file));
    auto *tile = new QImageViewerItem;
    tile->setFileName(file);
    tile->setChecked(true);
    Access::viewer(w)->addItem(tile);

    // Only a picture checked: the session flashes it at its own size.
    startButton(w)->click();
    QVERIFY(Settings::instance()->isActive());
    QCOMPARE(w.messageList.size(), 1);
    QPointer<MessageItem> picture = w.messageList.first();
    QCOMPARE(picture->type(), int(MessageItem::PictureType));
    QCOMPARE(Access::label(w)->pixmap(Qt::ReturnByValue).size(), QSize(37, 21));
    QCOMPARE(Access::overlay(w)->size(), QSize(37, 21));

    texts.at(0)->setChecked(true);
    startButton(w)->click();
    startButton(w)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(picture.isNull());
    QCOMPARE(w.messageList.size(), 2);

    QPointer<MessageItem> text = texts.at(0);
    tile->setChecked(false);
    startButton(w)->click();
    startButton(w)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(w.messageList, QList<MessageItem *>{texts.at(0)});
    QVERIFY(!text.isNull());
}

void TestScheduler::placementFollowsLocationRadio_data()
{
    QTest::addColumn<QByteArray>("radio");
    QTest::newRow("center") << QByteArray("location_center_radio");
    QTest::newRow("top") << QByteArray("location_top_radio");
    QTest::newRow("bottom") << QByteArray("location_bottom_radio");
    QTest::newRow("random") << QByteArray("location_random_radio");
}

void TestScheduler::placementFollowsLocationRadio()
{
    QFETCH(QByteArray, radio);
    MainWindow w;
    libraryWithChecked(w, 1);
    check(w, radio.constData());

    // With one entry the shuffle draws nothing, so the placement gets the first two numbers.
    Random::seed(99);
    const int r1 = Random::next();
    const int r2 = Random::next();
    Random::seed(99);
    startButton(w)->click();

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize size = Access::overlay(w)->size();
    QVERIFY(!size.isEmpty());
    QPoint expected;
    if (radio == "location_center_radio")
        expected = Placement::center(screen.width(), screen.height(), size.width(), size.height());
    else if (radio == "location_top_radio")
        expected = Placement::top(screen.width(), screen.height(), size.width(), size.height());
    else if (radio == "location_bottom_radio")
        expected = Placement::bottom(screen.width(), screen.height(), size.width(), size.height());
    else
        expected = Placement::random(screen.width(), screen.height(), size.width(), size.height(), r1, r2);
    QCOMPARE(Access::overlay(w)->pos(), expected);
}

void TestScheduler::runningFlagSurvivesAndResumes()
{
    {
        MainWindow w;
        libraryWithChecked(w, 1);
        startButton(w)->click();
        // The flag is on disk at once, not only at quit.
        QSettings store(QSettings().fileName(), QSettings::IniFormat);
        QCOMPARE(store.value(QStringLiteral("isActive")).toBool(), true);
    }
    QVERIFY(Settings::instance()->isActive());

    // What start-up does with the flag set.
    MainWindow w;
    libraryWithChecked(w, 1);
    w.startActivity();
    QVERIFY(Access::overlay(w)->isVisible());
    QCOMPARE(startButton(w)->text(), QStringLiteral("Stop"));
    QVERIFY(Settings::instance()->isActive());
}

void TestScheduler::processQuitWhileRunningResumesAtNextStart()
{
    GlimraProcess glimra;
    QVERIFY(QDir().mkpath(glimra.dataFolder()));
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<GROUPS>\n"
                           "    <CATEGORY NAME=\"One\" SELECTED=\"0\">\n"
                           "        <SUBCATEGORY NAME=\"Sub\" SELECTED=\"0\">\n"
                           "            <MESSAGE TEXT=\"I keep going\" SELECTED=\"1\"/>\n"
                           "        </SUBCATEGORY>\n"
                           "    </CATEGORY>\n</GROUPS>\n";
    QFile library(glimra.messagesPath());
    QVERIFY(library.open(QIODevice::WriteOnly));
    library.write(qCompress(xml));
    library.close();
    glimra.writeSetting(QStringLiteral("isActive"), true);

    // A session that could not resume would stop start-up at the error box and never quit.
    for (int run = 0; run < 2; ++run) {
        QVERIFY(glimra.startAndWaitReady());
        QCOMPARE(glimra.terminate(), 0);
        QCOMPARE(glimra.readSettings().value(QStringLiteral("isActive")).toBool(), true);
    }
}

GLIMRA_TEST_MAIN(TestScheduler)
#include "test_scheduler.moc"
