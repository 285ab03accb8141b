#include "testhome.h"

#include "app/filemanager.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "preferences/settings.h"
#include "thumbnails/qimageviewer.h"
#include "thumbnails/qimagevieweritem.h"

#include <QDialog>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <memory>

class MainWindowTestAccess
{
public:
    static QImageViewer *grid(MainWindow &window) { return window.imageViewer; }
    static QLabel *overlayLabel(MainWindow &window) { return window.overlayLabel; }
    static QDialog *overlay(MainWindow &window) { return window.overlay; }
};

namespace {

// Closes every modal message box that opens while it lives and remembers the last one.
class BoxCatcher : public QObject
{
public:
    BoxCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            ++seen;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            parent = box->parentWidget();
            box->reject();
        });
        m_timer.start(10);
    }

    int seen = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget *parent = nullptr;

private:
    QTimer m_timer;
};

QString imagesFolder()
{
    return FileManager::instance()->imagesPath();
}

QStringList storedFiles()
{
    return QDir(imagesFolder()).entryList(QDir::Files, QDir::Name);
}

QImage solidImage(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    return image;
}

QStringList tileNames(QImageViewer *grid)
{
    QStringList names;
    for (int i = 0; i < grid->count(); ++i)
        names.append(grid->at(i)->getFileName());
    return names;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addingSamePictureCountsUp();
    void storedNameAndFormat_data();
    void storedNameAndFormat();
    void thumbnailLongerSideIs96_data();
    void thumbnailLongerSideIs96();
    void loadingListsJpgsThenPngs();
    void restartRestoresOrderAndChecks();
    void checkedPictureIsFlashed();
    void unreadableFileIsRefused();

private:
    QString makeSource(const QString &name, const QSize &size, const char *format = nullptr);
    void addPicture(MainWindow &window, const QString &path);
    std::unique_ptr<MainWindow> newWindow();

    std::unique_ptr<QTemporaryDir> m_sources;
};

void TestPictures::init()
{
    QDir(imagesFolder()).removeRecursively();
    QFile::remove(FileManager::instance()->messagesPath());
    Settings::instance()->setActive(false);
    m_sources = std::make_unique<QTemporaryDir>();
}

void TestPictures::cleanup()
{
    m_sources.reset();
}

QString TestPictures::makeSource(const QString &name, const QSize &size, const char *format)
{
    const QString path = m_sources->filePath(name);
    if (!solidImage(size).save(path, format))
        qWarning("could not write %s", qPrintable(path));
    return path;
}

void TestPictures::addPicture(MainWindow &window, const QString &path)
{
    window.setPictureChooser([path](QWidget *) { return path; });
    window.browseForPicture();
}

std::unique_ptr<MainWindow> TestPictures::newWindow()
{
    return std::make_unique<MainWindow>();
}

void TestPictures::addingSamePictureCountsUp()
{
    const auto window = newWindow();
    const QString beach = makeSource(QStringLiteral("beach.png"), QSize(300, 200));
    for (int i = 0; i < 3; ++i)
        addPicture(*window, beach);

    QCOMPARE(storedFiles(), QStringList({"beach_0.png", "beach_1.png", "beach_2.png"}));
    QImageViewer *grid = MainWindowTestAccess::grid(*window);
    QCOMPARE(tileNames(grid), QStringList({imagesFolder() + "/beach_0.png", imagesFolder() + "/beach_1.png",
                                           imagesFolder() + "/beach_2.png"}));
    QVERIFY(QFile::exists(beach)); // the chosen file is never touched
}

void TestPictures::storedNameAndFormat_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("storedSize");
    QTest::newRow("lower-case png stays png, enlarged")
        << "beach.png" << QSize(100, 50) << "beach_0.png" << QByteArray("png") << QSize(200, 100);
    QTest::newRow("upper-case PNG becomes jpg")
        << "Beach.PNG" << QSize(240, 120) << "Beach_0.jpg" << QByteArray("jpeg") << QSize(200, 100);
    QTest::newRow("base name ends at first dot, reduced")
        << "beach.holiday.jpg" << QSize(400, 800) << "beach_0.jpg" << QByteArray("jpeg") << QSize(200, 400);
    QTest::newRow("other formats become jpg")
        << "photo.bmp" << QSize(200, 200) << "photo_0.jpg" << QByteArray("jpeg") << QSize(200, 200);
}

void TestPictures::storedNameAndFormat()
{
    QFETCH(QString, chosen);
    QFETCH(QSize, size);
    QFETCH(QString, stored);
    QFETCH(QByteArray, format);
    QFETCH(QSize, storedSize);
    const auto window = newWindow();
    const QString source = makeSource(chosen, size, QFileInfo(chosen).suffix().toUpper().toLatin1());

    addPicture(*window, source);

    QCOMPARE(storedFiles(), QStringList(stored));
    QImageReader reader(imagesFolder() + '/' + stored);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.size(), storedSize);
}

void TestPictures::thumbnailLongerSideIs96_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("thumbnail");
    QTest::newRow("tall") << QSize(200, 400) << QSize(48, 96);
    QTest::newRow("wide") << QSize(200, 100) << QSize(96, 48);
    QTest::newRow("square") << QSize(200, 200) << QSize(96, 96);
}

void TestPictures::thumbnailLongerSideIs96()
{
    QFETCH(QSize, stored);
    QFETCH(QSize, thumbnail);
    QVERIFY(solidImage(stored).save(imagesFolder() + "/s.png"));

    const auto window = newWindow();

    QImageViewer *grid = MainWindowTestAccess::grid(*window);
    QCOMPARE(grid->count(), 1);
    QCOMPARE(grid->at(0)->getImageLabel()->pixmap(Qt::ReturnByValue).size(), thumbnail);
}

void TestPictures::loadingListsJpgsThenPngs()
{
    const QString folder = imagesFolder();
    QVERIFY(solidImage(QSize(200, 100)).save(folder + "/z.png"));
    QVERIFY(solidImage(QSize(200, 100)).save(folder + "/a.jpg"));
    QVERIFY(solidImage(QSize(200, 100)).save(folder + "/Upper.JPG", "JPG"));
    QVERIFY(solidImage(QSize(200, 100)).save(folder + "/other.bmp"));
    QVERIFY(QDir(folder).mkdir("folder.jpg"));
    QFile broken(folder + "/broken.jpg");
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();

    const auto window = newWindow();

    const QStringList names = tileNames(MainWindowTestAccess::grid(*window));
    QCOMPARE(names.size(), 4);
    const QStringList jpgs = {folder + "/a.jpg", folder + "/Upper.JPG", folder + "/broken.jpg"};
    for (int i = 0; i < 3; ++i)
        QVERIFY2(jpgs.contains(names.at(i)), qPrintable(names.at(i)));
    QCOMPARE(names.at(3), folder + "/z.png");
    // A stored file that cannot be read still has its tile, with an empty picture.
    const int brokenIndex = names.indexOf(folder + "/broken.jpg");
    QVERIFY(MainWindowTestAccess::grid(*window)->at(brokenIndex)->getImageLabel()->pixmap(Qt::ReturnByValue).isNull());
}

void TestPictures::restartRestoresOrderAndChecks()
{
    auto window = newWindow();
    for (const char *name : {"a.png", "b.jpg", "c.png", "d.jpg"})
        addPicture(*window, makeSource(QString::fromLatin1(name), QSize(120, 60)));
    QImageViewer *grid = MainWindowTestAccess::grid(*window);
    const QString folder = imagesFolder();
    grid->setItemSelected(folder + "/b_0.jpg");
    grid->setItemSelected(folder + "/c_0.png");
    window->writeGroups();
    window.reset();

    window = newWindow();

    grid = MainWindowTestAccess::grid(*window);
    const QStringList names = tileNames(grid);
    QCOMPARE(names.size(), 4);
    QVERIFY(names.at(0).endsWith(".jpg") && names.at(1).endsWith(".jpg"));
    QVERIFY(names.at(2).endsWith(".png") && names.at(3).endsWith(".png"));
    QStringList selected = grid->selectedList();
    selected.sort();
    QCOMPARE(selected, QStringList({folder + "/b_0.jpg", folder + "/c_0.png"}));
}

void TestPictures::checkedPictureIsFlashed()
{
    const auto window = newWindow();
    addPicture(*window, makeSource(QStringLiteral("sun.png"), QSize(100, 150)));
    addPicture(*window, makeSource(QStringLiteral("moon.png"), QSize(50, 50)));
    MainWindowTestAccess::grid(*window)->at(0)->setChecked(true);

    BoxCatcher catcher;
    window->toggleActivity();
    QCOMPARE(catcher.seen, 0);

    QCOMPARE(window->messageList.size(), 1);
    const MessageItem *entry = window->messageList.first();
    QCOMPARE(entry->type(), MessageItem::PictureType);
    QCOMPARE(entry->pixmap().size(), QSize(200, 300));
    QCOMPARE(MainWindowTestAccess::overlayLabel(*window)->pixmap(Qt::ReturnByValue).size(), QSize(200, 300));
    QVERIFY(MainWindowTestAccess::overlay(*window)->isVisible());

    window->toggleActivity();
    QVERIFY(!MainWindowTestAccess::overlay(*window)->isVisible());
}

void TestPictures::unreadableFileIsRefused()
{
    const auto window = newWindow();
    const QString fake = m_sources->filePath(QStringLiteral("notes.png"));
    QFile file(fake);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is a text, not a picture\n");
    file.close();

    BoxCatcher catcher;
    addPicture(*window, fake);

    QCOMPARE(catcher.seen, 1);
    QCOMPARE(catcher.icon, QMessageBox::Warning);
    QCOMPARE(catcher.parent, window.get());
    QCOMPARE(catcher.title, QStringLiteral("Add picture"));
    QVERIFY2(catcher.text.contains(QDir::toNativeSeparators(fake)), qPrintable(catcher.text));
    QVERIFY(storedFiles().isEmpty());
    QCOMPARE(MainWindowTestAccess::grid(*window)->count(), 0);
}

GLIMRA_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
