#include "benchmain.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

// Start-up with 1 000 stored pictures against start-up with none. The pictures are what the
// program itself stores: 200 pixels wide, three in four as JPG, landscape and portrait mixed.
class BenchPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startWithoutPictures();
    void startWithThousandPictures();
    // The tiles are made when the pictures tab is first shown.
    void showThousandPictures();

private:
    static void useDataFolder(const QString &name);
};

void BenchPictures::useDataFolder(const QString &name)
{
    qputenv("XDG_DATA_HOME", QDir::home().filePath(name).toUtf8());
}

void BenchPictures::initTestCase()
{
    const QString images = QDir::home().filePath(QStringLiteral("thousand/Orvanta/Glimra/images"));
    QVERIFY(QDir().mkpath(images));
    QRandomGenerator random(7);
    for (int i = 0; i < 1000; ++i) {
        QImage picture(200, i % 3 == 2 ? 267 : 150, QImage::Format_RGB32);
        QLinearGradient gradient(0, 0, picture.width(), picture.height());
        gradient.setColorAt(0, QColor::fromRgb(random.generate()));
        gradient.setColorAt(1, QColor::fromRgb(random.generate()));
        QPainter painter(&picture);
        painter.fillRect(picture.rect(), gradient);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int shape = 0; shape < 12; ++shape) {
            painter.setBrush(QColor::fromRgb(random.generate()));
            painter.drawEllipse(QPoint(random.bounded(200), random.bounded(picture.height())), random.bounded(5, 40),
                                random.bounded(5, 40));
        }
        painter.drawText(picture.rect(), Qt::AlignCenter, QString::number(i));
        painter.end();
        const bool png = i % 4 == 0;
        QVERIFY(picture.save(images + QStringLiteral("/picture_%1.%2").arg(i).arg(png ? "png" : "jpg"),
                             png ? "PNG" : "JPG", 80));
    }
}

void BenchPictures::startWithoutPictures()
{
    useDataFolder(QStringLiteral("empty"));
    QBENCHMARK
    {
        MainWindow window;
    }
}

void BenchPictures::startWithThousandPictures()
{
    useDataFolder(QStringLiteral("thousand"));
    QBENCHMARK
    {
        MainWindow window;
    }
}

void BenchPictures::showThousandPictures()
{
    useDataFolder(QStringLiteral("thousand"));
    QBENCHMARK
    {
        MainWindow window;
        window.findChild<QTabWidget *>()->setCurrentIndex(1);
        window.show();
    }
}

GLIMRA_BENCH_MAIN(BenchPictures)

#include "bench_pictures.moc"
