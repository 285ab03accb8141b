#include "testhome.h"
#include "windowtesting.h"

#include "library/libraryfile.h"
#include "library/librarysaver.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "preferences/settings.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMutex>
#include <QThread>
#include <QtTest>

#include <memory>

// The library file and the window's preferences follow the user's changes while the program
// runs, without waiting for a quit.
class TestAutosave : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void manyChangesMakeOneWriteOfTheLatestState();
    void heldSaverWritesOnlyAfterRelease();
    void latestStateWinsOverASlowerEarlierWrite();
    void checkReachesTheFileAsWriteGroupsWritesIt();
    void entryOnScreenHoldsTheWrite();
    void failedSaveIsToldOnce();
    void windowPreferencesAreWrittenWhenTheyChange();

private:
    QString messagesPath() const { return m_home.dataFolder() + QStringLiteral("/messages.dat"); }
    static QByteArray read(const QString &path);
    TestHome m_home;
};

namespace {

// A saver over a counter that stands for the library's state, recording what it writes.
struct CountingSaver
{
    int state = 0;
    int snapshots = 0;
    QMutex mutex;
    QStringList written;
    std::function<void(const QString &)> duringWrite;
    LibrarySaver saver{[this] {
                           ++snapshots;
                           return QString::number(state);
                       },
                       [this](const QString &xml, QString *) {
                           if (duringWrite)
                               duringWrite(xml);
                           const QMutexLocker lock(&mutex);
                           written << xml;
                           return true;
                       }};
    QStringList writes()
    {
        const QMutexLocker lock(&mutex);
        return written;
    }
};

QListWidget *list(MainWindow &w, const char *name)
{
    return w.findChild<QListWidget *>(QString::fromLatin1(name));
}

} // namespace

QByteArray TestAutosave::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestAutosave::init()
{
    QDir(m_home.dataFolder()).removeRecursively();
    QFile::remove(m_home.settingsFile());
}

void TestAutosave::manyChangesMakeOneWriteOfTheLatestState()
{
    CountingSaver counting;
    counting.saver.setDelay(50);
    QSignalSpy saved(&counting.saver, &LibrarySaver::saved);
    for (int i = 1; i <= 100; ++i) {
        counting.state = i;
        counting.saver.markChanged();
    }
    QVERIFY(saved.wait());
    QCOMPARE(counting.writes(), QStringList{QStringLiteral("100")});
    QVERIFY(!counting.saver.hasUnsavedChanges());

    counting.state = 101;
    counting.saver.markChanged();
    QVERIFY(saved.wait());
    QCOMPARE(counting.writes(), QStringList({QStringLiteral("100"), QStringLiteral("101")}));
}

void TestAutosave::heldSaverWritesOnlyAfterRelease()
{
    CountingSaver counting;
    counting.saver.setDelay(10);
    QSignalSpy saved(&counting.saver, &LibrarySaver::saved);
    counting.saver.setHeld(true);
    counting.state = 1;
    counting.saver.markChanged();
    // Once the delay is over the saver waits for the release, without taking the state.
    QTRY_VERIFY(counting.saver.isWaitingForRelease());
    QCOMPARE(counting.snapshots, 0);

    counting.state = 2;
    counting.saver.setHeld(false);
    QCOMPARE(counting.snapshots, 1);
    QVERIFY(saved.wait());
    QCOMPARE(counting.writes(), QStringList{QStringLiteral("2")});
}

void TestAutosave::latestStateWinsOverASlowerEarlierWrite()
{
    const QString path = m_home.path() + QStringLiteral("/state.txt");
    QAtomicInt writing = 0;
    LibrarySaver saver([&] { return QString::number(writing.loadAcquire() ? 3 : 1); },
                       [&](const QString &xml, QString *) {
                           if (xml == QLatin1String("1")) {
                               writing.storeRelease(1);
                               QThread::msleep(300); // an earlier write that takes its time
                           }
                           return LibraryFile::saveAtomically(path, xml.toUtf8());
                       });
    saver.setDelay(0);
    saver.markChanged();
    QTRY_VERIFY(writing.loadAcquire());
    // The quit-time write comes while the background one is still busy.
    QVERIFY(saver.saveNow());
    QCOMPARE(read(path), QByteArray("3"));
}

void TestAutosave::checkReachesTheFileAsWriteGroupsWritesIt()
{
    MainWindow w;
    QVERIFY(!QFile::exists(messagesPath()));
    QListWidget *messages = list(w, "messages_list");
    messages->item(1)->setCheckState(Qt::Checked);

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(messagesPath()), 3000);
    const QByteArray autosaved = read(messagesPath());
    LibraryFile file;
    QCOMPARE(file.read(autosaved), LibraryFile::Ok);
    QCOMPARE(file.categories().first()->child(0)->child(1)->isChecked(), true);
    QCOMPARE(file.categories().first()->child(0)->child(0)->isChecked(), false);

    w.writeGroups();
    QCOMPARE(read(messagesPath()), autosaved);
}

void TestAutosave::entryOnScreenHoldsTheWrite()
{
    MainWindow w;
    w.findChild<QAbstractButton *>(QStringLiteral("duration_1000_msec_radio"))->click();
    list(w, "messages_list")->item(0)->setCheckState(Qt::Checked);
    LibrarySaver *saver = MainWindowTestAccess::librarySaver(w);
    QTRY_VERIFY(!saver->hasUnsavedChanges());
    QTRY_VERIFY(QFile::exists(messagesPath()));
    const QByteArray before = read(messagesPath());

    saver->setDelay(10);
    w.startActivity();
    QDialog *overlay = MainWindowTestAccess::overlay(w);
    QVERIFY(overlay->isVisible());
    list(w, "messages_list")->item(1)->setCheckState(Qt::Checked);
    QTRY_VERIFY(saver->isWaitingForRelease());
    QVERIFY(overlay->isVisible());
    QCOMPARE(read(messagesPath()), before);

    // Hiding the entry lets the write go.
    QTRY_VERIFY_WITH_TIMEOUT(!overlay->isVisible(), 5000);
    QTRY_VERIFY(read(messagesPath()) != before);
    w.stopActivity();
}

void TestAutosave::failedSaveIsToldOnce()
{
    MessageBoxWatcher watcher;
    MainWindow w;
    // Something that cannot be replaced by a file stands where the library goes.
    QVERIFY(QDir().mkpath(messagesPath()));
    LibrarySaver *saver = MainWindowTestAccess::librarySaver(w);
    QSignalSpy saved(saver, &LibrarySaver::saved);
    QListWidget *messages = list(w, "messages_list");
    for (int row = 0; row < 2; ++row) {
        messages->item(row)->setCheckState(Qt::Checked);
        QVERIFY(saved.wait(10000));
        QCOMPARE(saved.last().at(0).toBool(), false);
    }
    QTRY_COMPARE(w.findChildren<QMessageBox *>().size(), 1);
    const QMessageBox *box = w.findChildren<QMessageBox *>().first();
    QVERIFY2(box->text().contains(QDir::toNativeSeparators(messagesPath())), qPrintable(box->text()));
    QVERIFY(box->isVisible() && !box->isModal());

    // With the way clear again the next change is written.
    QVERIFY(QDir(messagesPath()).removeRecursively());
    messages->item(2)->setCheckState(Qt::Checked);
    QVERIFY(saved.wait(10000));
    QCOMPARE(saved.last().at(0).toBool(), true);
    LibraryFile file;
    QCOMPARE(file.read(read(messagesPath())), LibraryFile::Ok);
}

void TestAutosave::windowPreferencesAreWrittenWhenTheyChange()
{
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(read(m_home.settingsFile()).contains("hidden=true"));
    w.hide();
    QVERIFY(read(m_home.settingsFile()).contains("hidden=false"));

    w.findChild<QAbstractButton *>(QStringLiteral("display_7_sec_radio"))->click();
    w.findChild<QAbstractButton *>(QStringLiteral("duration_80_msec_radio"))->click();
    w.findChild<QAbstractButton *>(QStringLiteral("location_top_radio"))->click();
    const QByteArray stored = read(m_home.settingsFile());
    QVERIFY2(stored.contains("selectedDisplay=display_7_sec_radio"), stored.constData());
    QVERIFY2(stored.contains("selectedDuration=duration_80_msec_radio"), stored.constData());
    QVERIFY2(stored.contains("selectedLocation=location_top_radio"), stored.constData());
}

GLIMRA_TEST_MAIN(TestAutosave)
#include "test_autosave.moc"
