#include "testhome.h"
#include "windowtesting.h"

#include "library/librarysaver.h"

#include <QAbstractButton>
#include <QListWidget>

// The library file and the window's preferences follow the user's changes while the program runs.
class TestAutosave : public QObject
{
    Q_OBJECT

    struct Counting
    {
        Counting() { saver.setDelay(0); }
        int state = 0;          // what the library holds
        QAtomicInt begun, last; // writes begun; the state last written
        LibrarySaver saver{[this] { return QString::number(state); },
                           [this](const QString &xml, QString *) {
                               begun.ref();
                               QTest::qSleep(xml == "1" ? 300 : 1); // the first state's write takes its time
                               last = xml.toInt();
                               return true;
                           }};
        QSignalSpy saved{&saver, &LibrarySaver::saved};
        void change() { state++, saver.markChanged(); }
    };

private slots:
    void saverWritesTheLatestStateOnce()
    {
        for (bool held : {false, true}) { // held: an entry is on screen
            Counting c;
            c.saver.setHeld(held);
            while (c.state < 100)
                c.change();
            QTRY_COMPARE(c.saver.isWaitingForRelease(), held);
            c.change();
            c.saver.setHeld(false);
            QVERIFY(c.saved.wait());
            QCOMPARE(QPoint(c.begun, c.last), QPoint(1, 101));
        }
        Counting c; // the quit-time write comes while a slower earlier one runs
        c.change();
        QTRY_VERIFY(c.begun);
        c.change();
        QVERIFY(c.saver.saveNow());
        QTRY_VERIFY(c.saved.count() == 1 && c.last == 2);
        c.saver.setDelay(50);
        QTimer stream; // changes, each sooner than the delay, still reach the disk
        connect(&stream, &QTimer::timeout, [&c] { c.change(); });
        stream.start(5);
        QVERIFY(c.saved.wait());
    }

    void windowWritesWhatChanges()
    {
        const QString messages = qEnvironmentVariable("XDG_DATA_HOME") + "/Orvanta/Glimra/messages.dat";
        MainWindow w;
        QSignalSpy saved(MainWindowTestAccess::librarySaver(w), &LibrarySaver::saved);
        QVERIFY(QDir().mkpath(messages)); // a folder the file cannot replace
        for (int row : {0, 1}) {
            w.findChild<QListWidget *>("messages_list")->item(row)->setCheckState(Qt::Checked);
            QVERIFY(saved.wait(10000));
        }
        QVERIFY(w.findChildren<QMessageBox *>().size() == 1 && w.findChild<QMessageBox *>()->isVisible());
        QVERIFY(QDir(messages).removeRecursively());

        for (const char *radio : {"display_7_sec_radio", "duration_1000_msec_radio", "location_top_radio"})
            w.findChild<QAbstractButton *>(radio)->click();
        QVERIFY(readFile(QSettings().fileName())
                    .contains("selectedDisplay=display_7_sec_radio\nselectedDuration=duration_1000_msec_radio\n"
                              "selectedLocation=location_top_radio"));
        for (bool shown : {true, false}) {
            w.setVisible(shown); // the "hidden" key holds whether the window is shown
            QTRY_VERIFY(readFile(QSettings().fileName()).contains(shown ? "hidden=true" : "hidden=false"));
        }

        MainWindowTestAccess::librarySaver(w)->setDelay(10);
        w.startActivity(); // its entry holds the next write
        w.findChild<QListWidget *>("messages_list")->item(1)->setCheckState(Qt::Unchecked);
        QTRY_VERIFY(MainWindowTestAccess::librarySaver(w)->isWaitingForRelease() && !QFile::exists(messages));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(messages), 5000);
    }
};

GLIMRA_TEST_MAIN(TestAutosave)
#include "test_autosave.moc"
