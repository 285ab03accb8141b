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

int main(int argc, char **argv)
{
    // A home of its own: the benchmark writes a library file.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glimra"));
    QApplication::setOrganizationName(QStringLiteral("Orvanta"));
    BenchLargeLibrary bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_largelibrary.moc"
