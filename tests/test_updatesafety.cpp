#include "buildconfig.h"
#include "testhome.h"
#include "updater/updatedialog.h"
#include "updatesite.h"
#include "windowtesting.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

using namespace UpdateTesting;

// What the updater refuses from a server: unsigned offers in a build without a key.
class TestUpdateSafety : public QObject
{
    Q_OBJECT

private slots:
    void buildWithoutKeyNeverAsks()
    {
        if (GLIMRA_ALLOW_UNSIGNED_UPDATES || !UpdateVerifier::builtInKey().isEmpty())
            QSKIP("this build updates itself");
        UpdateSite site;
        site.serve("update.ini", "Glimra=99\r\n"); // newer than the built program beside this test
        MessageBoxWatcher watcher;
        MainWindow window;
        window.checkForUpdates(true);
        QVERIFY(window.findChildren<UpdateDialog *>().isEmpty());
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen.first().title + ": " + watcher.seen.first().text,
                 "Update: This build of Glimra does not update itself. Get new versions where you got this one.");
        UpdateDialog dialog; // nor does a dialog on its own
        dialog.checkForUpdates();
        // Any request of the program's would have gone out before this one.
        QNetworkAccessManager network;
        QSignalSpy answered(network.get(QNetworkRequest(QUrl(qEnvironmentVariable("GLIMRA_UPDATE_URL") + "last"))),
                            &QNetworkReply::finished);
        QVERIFY(answered.wait());
        QCOMPARE(site.requests, QStringList{"last"});
        QCOMPARE(watcher.seen.size(), 1);
    }
};

GLIMRA_TEST_MAIN(TestUpdateSafety)
#include "test_updatesafety.moc"
