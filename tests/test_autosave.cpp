#include "testhome.h"
#include "windowtesting.h"

#include "library/libraryfile.h"
#include "library/librarysaver.h"
#include "mainwindow/mainwindow.h"

#include <QAbstractButton>
#include <QDir>
#include <QListWidget>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <QtTest>

namespace {

// A saver over a counter that stands for the library's state, recording what it writes.
struct CountingSaver
{
    explicit CountingSaver(int delay) { saver.setDelay(delay); }
    int state = 0;
    int snapshots = 0;
    QMutex mutex;
    QStringList written;
    LibrarySaver saver{[this] {
                           ++snapshots;
                           return QString::number(state);
                       },
                       [this](const QString &xml, QString *) {
                           const QMutexLocker lock(&mutex);
                           written << xml;
                           return true;
                       }};
    QSignalSpy saved{&saver, &LibrarySaver::saved};
    QStringList writes()
    {
        const QMutexLocker lock(&mutex);
        return written;
    }
};

QListWidgetItem *message(MainWindow &w, int row)
{
    return w.findChild<QListWidget *>(QStringLiteral("messages_list"))->item(row);
}

void click(MainWindow &w, const char *name)
{
    w.findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
}

} // namespace

// The library file and the window's preferences follow the user's changes while the program
// runs, without waiting for a quit.
class TestAutosave : public QObject
{
    Q_OBJECT

    QString messagesPath() const { return m_home.dataFolder() + QStringLiteral("/messages.dat"); }
    TestHome m_home;

private slots:
    void init()
    {
        QDir(m_home.dataFolder()).removeRecursively();
        QFile::remove(m_home.settingsFile());
    }

    void manyChangesMakeOneWriteOfTheLatestState()
    {
        CountingSaver counting(50);
        for (int i = 1; i <= 100; ++i) {
            counting.state = i;
            counting.saver.markChanged();
        }
        QVERIFY(counting.saved.wait());
        QCOMPARE(counting.writes(), QStringList{QStringLiteral("100")});
        QVERIFY(!counting.saver.hasUnsavedChanges());
        // A steady stream of changes, each sooner than the delay, still reaches the disk.
        QTimer stream;
        connect(&stream, &QTimer::timeout, [&] {
            ++counting.state;
            counting.saver.markChanged();
        });
        stream.start(5);
        QVERIFY(counting.saved.wait());
        QVERIFY(counting.writes().at(1).toInt() > 100);
    }

    void heldSaverWritesOnlyAfterRelease()
    {
        CountingSaver counting(10);
        counting.saver.setHeld(true);
        counting.state = 1;
        counting.saver.markChanged();
        // Once the delay is over the saver waits for the release, without taking the state.
        QTRY_VERIFY(counting.saver.isWaitingForRelease());
        QCOMPARE(counting.snapshots, 0);
        counting.state = 2;
        counting.saver.setHeld(false);
        QVERIFY(counting.saved.wait());
        QCOMPARE(counting.writes(), QStringList{QStringLiteral("2")});
    }

    void latestStateWinsOverASlowerEarlierWrite()
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
        QCOMPARE(LibraryFile::readFileBytes(path), QByteArray("3"));
    }

    void entryOnScreenHoldsTheWrite()
    {
        MainWindow w;
        click(w, "duration_1000_msec_radio");
        message(w, 0)->setCheckState(Qt::Checked);
        LibrarySaver *saver = MainWindowTestAccess::librarySaver(w);
        QTRY_VERIFY(!saver->hasUnsavedChanges());
        QTRY_VERIFY(QFile::exists(messagesPath()));
        const QByteArray before = LibraryFile::readFileBytes(messagesPath());

        saver->setDelay(10);
        w.startActivity();
        QDialog *overlay = MainWindowTestAccess::overlay(w);
        QVERIFY(overlay->isVisible());
        message(w, 1)->setCheckState(Qt::Checked);
        QTRY_VERIFY(saver->isWaitingForRelease());
        QVERIFY(overlay->isVisible());
        QCOMPARE(LibraryFile::readFileBytes(messagesPath()), before);
        // Hiding the entry lets the write go.
        QTRY_VERIFY_WITH_TIMEOUT(!overlay->isVisible(), 5000);
        QTRY_VERIFY(LibraryFile::readFileBytes(messagesPath()) != before);
        w.stopActivity();
    }

    // Once the way is clear again, the next change is written as writeGroups() writes it.
    void failedSaveIsToldOnceThenTheFileIsWritten()
    {
        MessageBoxWatcher watcher;
        MainWindow w;
        // Something that cannot be replaced by a file stands where the library goes.
        QVERIFY(QDir().mkpath(messagesPath()));
        QSignalSpy saved(MainWindowTestAccess::librarySaver(w), &LibrarySaver::saved);
        for (int row = 0; row < 2; ++row) {
            message(w, row)->setCheckState(Qt::Checked);
            QVERIFY(saved.wait(10000));
            QCOMPARE(saved.last().at(0).toBool(), false);
        }
        QTRY_COMPARE(w.findChildren<QMessageBox *>().size(), 1);
        const QMessageBox *box = w.findChildren<QMessageBox *>().first();
        QVERIFY2(box->text().contains(QDir::toNativeSeparators(messagesPath())), qPrintable(box->text()));
        QVERIFY(box->isVisible() && !box->isModal());

        QVERIFY(QDir(messagesPath()).removeRecursively());
        message(w, 0)->setCheckState(Qt::Unchecked);
        QVERIFY(saved.wait(10000));
        QCOMPARE(saved.last().at(0).toBool(), true);
        const QByteArray autosaved = LibraryFile::readFileBytes(messagesPath());
        QVERIFY(!autosaved.isEmpty());
        w.writeGroups();
        QCOMPARE(LibraryFile::readFileBytes(messagesPath()), autosaved);
    }

    void windowPreferencesAreWrittenWhenTheyChange()
    {
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(LibraryFile::readFileBytes(m_home.settingsFile()).contains("hidden=true"));
        w.hide();
        QVERIFY(LibraryFile::readFileBytes(m_home.settingsFile()).contains("hidden=false"));
        click(w, "display_7_sec_radio");
        click(w, "duration_80_msec_radio");
        click(w, "location_top_radio");
        const QByteArray stored = LibraryFile::readFileBytes(m_home.settingsFile());
        QVERIFY2(stored.contains("selectedDisplay=display_7_sec_radio\nselectedDuration=duration_80_msec_radio\n"
                                 "selectedLocation=location_top_radio"),
                 stored.constData());
    }
};

GLIMRA_TEST_MAIN(TestAutosave)
#include "test_autosave.moc"
