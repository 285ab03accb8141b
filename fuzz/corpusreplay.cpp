#include "fuzztargets.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <iterator>

// Runs every seed and crash reproducer under fuzz/corpus through its target's entry point, so the
// ordinary test suite notices when a parser regresses on an input the fuzzer once found.
class FuzzCorpusReplay : public QObject
{
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<int>("target");
        for (int i = 0; i < int(std::size(kFuzzTargets)); ++i)
            QTest::newRow(kFuzzTargets[i].name) << i;
    }

    void replay()
    {
        QFETCH(int, target);
        const FuzzTarget &fuzzTarget = kFuzzTargets[target];
        const QDir folder(QStringLiteral(GLIMRA_FUZZ_CORPUS_DIR "/") + QLatin1String(fuzzTarget.name));
        QVERIFY2(folder.exists(), qPrintable(folder.path() + QStringLiteral(" is missing")));
        const QStringList files = folder.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), qPrintable(folder.path() + QStringLiteral(" holds no input")));

        for (const QString &name : files) {
            QFile file(folder.filePath(name));
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            const QByteArray bytes = file.readAll();
            QCOMPARE(fuzzTarget.run(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
        }
        qInfo("%s: %d inputs ran", fuzzTarget.name, int(files.size()));
    }
};

QTEST_GUILESS_MAIN(FuzzCorpusReplay)
#include "corpusreplay.moc"
