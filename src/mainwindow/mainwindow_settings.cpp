#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "flash/showing.h"
#include "preferences/buttonids.h"
#include "preferences/fontfit.h"
#include "preferences/preferencekeys.h"
#include "preferences/settings.h"
#include "thumbnails/qimageviewer.h"

#include <QApplication>
#include <QColor>
#include <QColorDialog>
#include <QDebug>
#include <QFontDialog>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLibraryInfo>
#include <QSettings>
#include <QSignalBlocker>
#include <QTimer>
#include <QTranslator>

namespace {

const int kRussianIndex = 1;

void checkButton(QButtonGroup *group, int id)
{
    // A foreign id leaves the form's default checked.
    if (QAbstractButton *button = group->button(id))
        button->setChecked(true);
}

QString checkedName(const QButtonGroup *group)
{
    const QAbstractButton *button = group->checkedButton();
    return button ? button->objectName() : QString();
}

} // namespace

void MainWindow::displaySelected(int p_Num)
{
    displayId = p_Num;
    QSettings().setValue(PreferenceKeys::Display, p_Num);
    writeSettings();
    // setInterval restarts a running timer, so the current wait starts over with the new length.
    if (showTimer)
        showTimer->setInterval(getDisplayTime());
}

void MainWindow::durationSelected(int p_Num)
{
    durationId = p_Num;
    QSettings().setValue(PreferenceKeys::Duration, p_Num);
    writeSettings();
    applyOverlayLook();
    if (hideTimer)
        hideTimer->setInterval(Showing::hideIntervalFor(getDurationTime()));
}

void MainWindow::locationSelected(int p_Num)
{
    // The scheduler reads the location buttons at every showing.
    locationId = p_Num;
    QSettings().setValue(PreferenceKeys::Location, p_Num);
    writeSettings();
}

void MainWindow::languageSelected(int p_Num)
{
    // Retranslating and refilling the box emit currentIndexChanged, which leads back here.
    if (languageChanging)
        return;
    languageChanging = true;

    languageIndex = p_Num;
    QSettings store;
    // Setting even the same value rewrites the whole file.
    if (!store.contains(PreferenceKeys::Language) || store.value(PreferenceKeys::Language).toInt() != p_Num)
        store.setValue(PreferenceKeys::Language, p_Num);
    // English is the language of the source texts, so it needs no translator, and the form, which
    // starts out in English, no new texts when it stays English.
    const bool wasTranslated = translator != nullptr;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        translator->deleteLater();
        translator = nullptr;
    }
    qtTranslator.reset();
    if (p_Num == kRussianIndex) {
        translator = new QTranslator(this);
        translator->load(QStringLiteral("://glimra_ru"));
        QCoreApplication::installTranslator(translator);
        qtTranslator = std::make_unique<QTranslator>();
        if (qtTranslator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtTranslator.get());
    }

    if (translator || wasTranslated) {
        ui->retranslateUi(this);
        ui->language_box->clear();
        ui->language_box->addItem(tr("English"));
        ui->language_box->addItem(tr("Russian"));
        if (imageViewer)
            imageViewer->retranslate();
    }

    showCustomRowText();
    retranslateTray();

    ui->language_box->setCurrentIndex(languageIndex);
    setWindowTitle(QCoreApplication::applicationName());
    languageChanging = false;
}

void MainWindow::startupChanged()
{
    Settings::instance()->setIsAutostartOn(ui->run_on_startup_box->isChecked());
}

void MainWindow::selectFont()
{
    bool ok = false;
    const QFont font = fontChooser ? fontChooser(&ok, currentFont, this) : QFontDialog::getFont(&ok, currentFont, this);
    if (ok)
        applyFont(font);
}

void MainWindow::on_colorButton_clicked()
{
    const QColor initial(Settings::instance()->messageColor());
    const QColor color = colorChooser ? colorChooser(initial, this) : QColorDialog::getColor(initial, this);
    if (!color.isValid())
        return;
    qDebug().noquote() << QStringLiteral("MainWindow choosedColor is ") + color.name();
    Settings::instance()->setMessageColor(color.name());
    updateColorLabel();
    applyOverlayLook();
}

void MainWindow::restoreSettings()
{
    ui->display_4_sec_radio->setChecked(true);
    displaySelected(ButtonIds::DefaultDisplay);
    ui->duration_30_msec_radio->setChecked(true);
    durationSelected(ButtonIds::DefaultDuration);
    ui->location_center_radio->setChecked(true);
    locationSelected(ButtonIds::DefaultLocation);

    QFont font;
    font.fromString(Settings::defaultFont());
    applyFont(font);

    Settings::instance()->setMessageColor(QStringLiteral("black"));
    updateColorLabel();
}

void MainWindow::loadSettings()
{
    const QSettings store;
    displayId = store.value(PreferenceKeys::Display, ButtonIds::DefaultDisplay).toInt();
    checkButton(ui->display_group, displayId);
    durationId = store.value(PreferenceKeys::Duration, ButtonIds::DefaultDuration).toInt();
    checkButton(ui->duration_group, durationId);
    locationId = store.value(PreferenceKeys::Location, ButtonIds::DefaultLocation).toInt();
    checkButton(ui->location_group, locationId);
    languageIndex = store.value(PreferenceKeys::Language, 0).toInt();
    ui->minimize_box->setChecked(store.value(PreferenceKeys::Minimize, false).toBool());

    // Start-up installs the translation itself; here the box only shows the stored choice.
    languageChanging = true;
    ui->language_box->setCurrentIndex(languageIndex);
    languageChanging = false;

    applyFont(Settings::instance()->messageFont());
    if (Settings::instance()->isAutostartOn())
        ui->run_on_startup_box->setChecked(true);
}

void MainWindow::persistWindowState()
{
    if (!preferencesFinal)
        writeSettings();
}

void MainWindow::writeSettings()
{
    QSettings store;
    store.setValue(PreferenceKeys::Minimize, ui->minimize_box->isChecked());
    // Despite its name, the key holds whether the window was shown.
    store.setValue(PreferenceKeys::Hidden, isVisible());

    Settings *settings = Settings::instance();
    settings->setSelectedDuration(checkedName(ui->duration_group));
    settings->setSelectedDisplay(checkedName(ui->display_group));
    settings->setSelectedLocation(checkedName(ui->location_group));
    settings->sync();
}

void MainWindow::applyFont(const QFont &font)
{
    currentFont = font;
    // Only the preview shrinks to fit; the flashed text keeps the chosen size.
    ui->fontLabel->setFont(fitFontToLabel(currentFont));
    Settings::instance()->setMessageFont(currentFont);
    if (overlayLabel)
        overlayLabel->setFont(currentFont);
}

QFont MainWindow::fitFontToLabel(const QFont &font) const
{
    const int chosen = font.pointSize();
    const int fitting = FontFit::largestFittingPointSize(font, QStringLiteral("Example"), ui->fontLabel->size());
    // A pixel-sized font has no point size to cap the preview at.
    const int size = chosen > 0 && fitting >= chosen ? chosen : fitting;
    QFont fitted = font;
    fitted.setPointSize(qMax(1, size));
    return fitted;
}

void MainWindow::updateColorLabel()
{
    ui->colorLabel->setStyleSheet(QStringLiteral("QLabel { background-color : ") +
                                  Settings::instance()->messageColor() + QStringLiteral("; }"));
}
