#include "benchmain.h"
#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Start-up with a library far larger than any real one: one category holding 100 000
// subcategories (a 10 KB file once compressed). Building the window reads the file and fills
// the three lists; destroying it is what remains of a quit.
class BenchLargeLibrary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startAndQuitWithManySubcategories();
};

void BenchLargeLibrary::initTestCase()
{
    auto category = std::make_unique<MessageItem>();
    category->setText(QStringLiteral("Crowded"));
    for (int i = 0; i < 100000; ++i) {
        auto *subcategory = new MessageItem;
        subcategory->setText(QStringLiteral("S"));
        subcategory->setChecked(i % 2 == 0);
        category->addChild(subcategory);
    }
    const QByteArray bytes = LibraryFile::write({category.get()}, {});

    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/messages.dat"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    qInfo("library file: %d bytes", int(bytes.size()));
}

void BenchLargeLibrary::startAndQuitWithManySubcategories()
{
    QBENCHMARK
    {
        MainWindow window;
        window.writeGroups();
    }
}

GLIMRA_BENCH_MAIN(BenchLargeLibrary)

#include "bench_largelibrary.moc"
