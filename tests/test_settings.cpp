#include "testhome.h"
#include "windowtesting.h"

#include "preferences/fontfit.h"
#include "preferences/settings.h"
#include "thumbnails/qimageviewer.h"

#include <QtWidgets>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { QSettings().clear(); }

    void legacyFontIsMovedOnce()
    {
        QSettings().setValue("Glimra/font", QFont("Courier", 13).toString());
        for (int read = 0; read < 2; ++read) // the second one from where the first put it
            QCOMPARE(Settings::instance()->messageFont().toString(), QFont("Courier", 13).toString());
        QVERIFY(!QSettings().contains("Glimra/font"));
    }

    void fontFitEqualsTryingEverySize_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QSize>("box");
        for (QFont font : {QFont("DejaVu Sans"), QFont("DejaVu Serif", -1, QFont::Bold),
                           QFont("DejaVu Sans Mono", -1, -1, true), QFont("Courier")}) {
            const auto at = [&font](int size) { return font.setPointSize(size), QFontMetrics(font); };
            // Fixed boxes, and boxes that some size fills exactly in width or height.
            for (const QSize &box :
                 {QSize(0, 0), QSize(60, 23), QSize(221, 60), QSize(3000, 3000), QSize(9999, at(12).height()),
                  QSize(at(30).horizontalAdvance("Example"), 9999), QSize(at(198).horizontalAdvance("Example"), 9999)})
                QTest::addRow("%s %dx%d", qPrintable(font.family()), box.width(), box.height()) << font << box;
        }
    }

    void fontFitEqualsTryingEverySize()
    {
        QFETCH(QFont, font);
        QFETCH(QSize, box);
        int linear = FontFit::AllFit;
        for (int size = 1; size <= FontFit::LargestTried && linear == FontFit::AllFit; ++size) {
            font.setPointSize(size);
            if (QFontMetrics(font).horizontalAdvance("Example") > box.width() ||
                QFontMetrics(font).height() > box.height())
                linear = size - 1;
        }
        int measured = 0;
        QCOMPARE(FontFit::largestFittingPointSize(font, "Example", box, &measured), linear);
        QVERIFY(measured <= 8);
    }

    void setActiveReachesTheFileAtOnce()
    {
        Settings::instance()->setActive(true); // a new QSettings would write it, so the path is spelt out
        QVERIFY(readFile(qEnvironmentVariable("HOME") + "/.config/Orvanta/Glimra.conf").contains("isActive=true"));
    }

    void choicesPersistAndRestoreResetsOnlyFlashOnes()
    {
        QSettings().setValue("Glimra/language", 1);
        const QStringList radios{"display_8_sec_radio", "duration_1000_msec_radio", "location_random_radio"};
        MainWindow w;
        for (const QString &name : radios)
            w.findChild<QRadioButton *>(name)->click();
        for (const QString &name : radios)
            QVERIFY(MainWindow().findChild<QRadioButton *>(name)->isChecked());
        w.applyFont(QFont("Courier", 13));
        w.findChild<QCheckBox *>("run_on_startup_box")->click();
        w.findChild<QPushButton *>("restore_settings")->click();
        QVariantList stored;
        for (const char *key :
             {"Glimra/display", "Glimra/duration", "Glimra/location", "messageColor", "messageFont", "Glimra/language"})
            stored << QSettings().value(key);
        QCOMPARE(stored, (QVariantList{-5, -4, -2, "black", QFont("Arial", 28).toString(), 1}));
        QVERIFY(Settings::instance()->isAutostartOn()); // the entry is there
        w.findChild<QCheckBox *>("run_on_startup_box")->click();
        QVERIFY(!Settings::instance()->isAutostartOn());
    }

    void fontAndColourReachPreviewAndOverlay()
    {
        MainWindow w;
        const QLabel *preview = w.findChild<QLabel *>("fontLabel");
        for (const int size : {8, 72}) {
            w.applyFont(QFont("Arial", size));
            QCOMPARE(MainWindowTestAccess::overlayLabel(w)->font().pointSize(), size);
            QVERIFY(size < 72 ? preview->font().pointSize() == size : preview->font().pointSize() < size);
            QVERIFY(preview->fontMetrics().horizontalAdvance("Example") <= preview->width());
        }
        for (const QColor &answer : {QColor(Qt::red), QColor()}) { // the second dialog is cancelled
            MainWindowTestAccess::setColorChooser(w, [answer](const QColor &, QWidget *) { return answer; });
            w.findChild<QPushButton *>("colorButton")->click();
        }
        QCOMPARE(QSettings().value("messageColor").toString(), "#ff0000");
        QVERIFY(w.findChild<QLabel *>("colorLabel")->styleSheet().contains("#ff0000"));
        QVERIFY(MainWindowTestAccess::overlayLabel(w)->styleSheet().contains("#ff0000")); // restyled at once
    }

    void languageSwitchRoundTrip()
    {
        MainWindow w;
        QComboBox *box = w.findChild<QComboBox *>("language_box");
        const QListWidget *categories = w.findChild<QListWidget *>("category_list");
        auto *tile = new QImageViewerItem;
        MainWindowTestAccess::grid(w)->addItem(tile);
        for (const int index : {1, 0}) {
            box->setCurrentIndex(index);
            QCOMPARE(QSettings().value("Glimra/language"), QVariant(index));
            QCOMPARE(qMakePair(box->count(), box->currentIndex()), qMakePair(2, index));
            QCOMPARE(w.windowTitle(), "Glimra");
            QCOMPARE(categories->item(categories->count() - 1)->text(), MainWindow::tr("Custom messages"));
            QCOMPARE(tile->findChild<QPushButton *>()->toolTip(), index ? "Удалить" : "Remove this image");
            QTRY_COMPARE(w.findChildren<QTranslator *>().size(), index); // English is the source: none
        }
    }
};

GLIMRA_TEST_MAIN(TestSettings)
#include "test_settings.moc"
