#include "testhome.h"
#include "windowtesting.h"

#include "library/messageitem.h"
#include "preferences/settings.h"
#include "thumbnails/qimageviewer.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QSettings().clear(); // the temporary writes the file as it goes
        Settings::instance()->setIsAutostartOn(false);
    }

    void legacyFontIsMovedOnceAndEmptyIsIgnored()
    {
        for (const QString &legacy : {QFont("Courier", 13).toString(), QString()}) {
            Settings::instance()->setMessageFont(QFont("Times", 15));
            QSettings().setValue("Glimra/font", legacy);
            const QString expected = legacy.isEmpty() ? QFont("Times", 15).toString() : legacy;
            QCOMPARE(Settings::instance()->messageFont().toString(), expected);
            QCOMPARE(QSettings().value("messageFont").toString(), expected);
            QCOMPARE(QSettings().contains("Glimra/font"), legacy.isEmpty());
        }
    }

    void setActiveReachesTheFileAtOnce()
    {
        QFile file(QSettings().fileName()); // a QSettings going away writes the file itself
        Settings::instance()->setActive(true);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("isActive=true"));
    }

    void choiceIsStoredAndSurvivesRestart_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("display_1_sec_radio") << -2;
        QTest::newRow("display_8_sec_radio") << -9;
        QTest::newRow("duration_10_msec_radio") << -2;
        QTest::newRow("duration_1000_msec_radio") << -7;
        QTest::newRow("location_top_radio") << -3;
        QTest::newRow("location_random_radio") << -5;
    }
    void choiceIsStoredAndSurvivesRestart()
    {
        const QString button = QTest::currentDataTag();
        MainWindow().findChild<QRadioButton *>(button)->click();
        QTEST(QSettings().value("Glimra/" + button.section('_', 0, 0)).toInt(), "id");
        QVERIFY(MainWindow().findChild<QRadioButton *>(button)->isChecked());
    }

    void runningSessionFollowsNewTimes()
    {
        MainWindow w;
        w.categories.first()->child(0)->child(0)->setChecked(true);
        w.startActivity();
        w.findChild<QRadioButton *>("display_2_sec_radio")->click();
        QCOMPARE(MainWindowTestAccess::showTimer(w)->interval(), 2000);
        w.findChild<QRadioButton *>("duration_10_msec_radio")->click();
        QCOMPARE(MainWindowTestAccess::hideTimer(w)->interval(), 10);
        QCOMPARE(MainWindowTestAccess::opacityEffect(w)->opacity(), 0.15);
        w.findChild<QRadioButton *>("duration_1000_msec_radio")->click();
        QCOMPARE(MainWindowTestAccess::opacityEffect(w)->opacity(), 1.0);
    }

    void restoreResetsOnlyFlashSettings()
    {
        QSettings().setValue("Glimra/language", 1);
        QSettings().setValue("Glimra/minimize", true);
        Settings::instance()->setIsAutostartOn(true);
        MainWindow w;
        for (const char *name : {"display_7_sec_radio", "duration_80_msec_radio", "location_random_radio"})
            w.findChild<QRadioButton *>(name)->click();
        w.applyFont(QFont("Courier", 13));
        w.findChild<QPushButton *>("restore_settings")->click();
        QVariantList stored;
        for (const char *key : {"Glimra/display", "Glimra/duration", "Glimra/location", "messageColor", "messageFont",
                                "Glimra/language", "Glimra/minimize"})
            stored << QSettings().value(key);
        QCOMPARE(stored, (QVariantList{-5, -4, -2, "black", QFont("Arial", 28).toString(), 1, true}));
        QVERIFY(Settings::instance()->isAutostartOn());
    }

    void fontPreviewFitsWhileFlashKeepsChosenSize()
    {
        MainWindow w;
        w.applyFont(QFont("Arial", 72));
        QCOMPARE(MainWindowTestAccess::overlayLabel(w)->font().pointSize(), 72);
        const QLabel *preview = w.findChild<QLabel *>("fontLabel");
        QVERIFY(preview->font().pointSize() < 72 && preview->fontMetrics().height() <= preview->height());
        QVERIFY(preview->fontMetrics().horizontalAdvance("Example") <= preview->width());
    }

    void colourDialogCancelledThenRed()
    {
        MainWindow w;
        QColor answer; // invalid: the dialog was cancelled
        MainWindowTestAccess::setColorChooser(w, [&](const QColor &, QWidget *) { return answer; });
        w.findChild<QPushButton *>("colorButton")->click();
        QVERIFY(!QSettings().contains("messageColor"));
        answer = Qt::red;
        QTest::ignoreMessage(QtDebugMsg, "MainWindow choosedColor is #ff0000");
        w.findChild<QPushButton *>("colorButton")->click();
        QCOMPARE(QSettings().value("messageColor").toString(), "#ff0000");
        QCOMPARE(w.findChild<QLabel *>("colorLabel")->styleSheet(), "QLabel { background-color : #ff0000; }");
    }

    void languageSwitchRoundTrip()
    {
        MainWindow w;
        QComboBox *box = w.findChild<QComboBox *>("language_box");
        QListWidget *categories = w.findChild<QListWidget *>("category_list");
        auto tile = std::make_unique<QImageViewerItem>();
        const QImageViewerItem *shownTile = tile.get();
        MainWindowTestAccess::grid(w)->addItem(tile.release());
        const QStringList removeTips{"Remove this image", "Удалить"};
        for (const int index : {1, 0}) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            box->setCurrentIndex(index);
            QCOMPARE(w.findChildren<QTranslator *>().size(), 2); // ran once: the old one awaits deletion
            QCOMPARE(QSettings().value("Glimra/language"), QVariant(index));
            QCOMPARE(box->count(), 2);
            QCOMPARE(box->currentIndex(), index);
            QCOMPARE(w.windowTitle(), "Glimra");
            QCOMPARE(categories->item(categories->count() - 1)->text(), MainWindow::tr("Custom messages"));
            QCOMPARE(shownTile->findChild<QPushButton *>()->toolTip(), removeTips.at(index));
        }
    }

    void runOnStartupTogglesEntry()
    {
        QFile entry(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/Glimra.desktop");
        MainWindow w;
        w.findChild<QCheckBox *>("run_on_startup_box")->click();
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(entry.readAll(), "[Desktop Entry]\nType=Application\nName=Glimra\nExec=\"" +
                                      QCoreApplication::applicationFilePath().toUtf8() +
                                      "\"\nIcon=glimra\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
        w.findChild<QCheckBox *>("run_on_startup_box")->click();
        QVERIFY(!entry.exists());
        w.startupChanged();
        QVERIFY(!entry.exists() && !Settings::instance()->isAutostartOn());
    }
};

GLIMRA_TEST_MAIN(TestSettings)
#include "test_settings.moc"
