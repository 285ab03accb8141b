#include "testhome.h"
#include "testpaths.h"

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void everySourceTextHasAFinishedRussianEntry()
    {
        // lupdate brings a copy of the catalogue up to date: texts it lacks come in unfinished.
        QTemporaryDir dir;
        const QString copy = dir.filePath("ru.ts");
        QVERIFY(QFile::copy(GLIMRA_SOURCE_DIR "/resources/translations/glimra_ru.ts", copy));
        QProcess lupdate;
        lupdate.start(GLIMRA_LUPDATE,
                      {"-silent", "-no-obsolete", GLIMRA_SOURCE_DIR "/src", GLIMRA_SOURCE_DIR "/forms", "-ts", copy});
        QVERIFY(lupdate.waitForFinished(60000) && lupdate.exitCode() == 0);
        const QString updated = readFile(copy);
        QVERIFY(updated.count("<source>") > 50);
        // Each message's source, where its translation is unfinished or empty.
        QRegularExpression unfinished("<source>((?:(?!</source>).)*)</source>(?:(?!</message>).)*"
                                      "<translation(?: type=\"unfinished\"|/>|></)",
                                      QRegularExpression::DotMatchesEverythingOption);
        QStringList problems;
        for (auto it = unfinished.globalMatch(updated); it.hasNext();)
            problems << it.next().captured(1);
        problems.removeAll("English"); // shown in its own language everywhere
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    }

    void compiledCatalogueTranslates()
    {
        QTranslator translator;
        QVERIFY(translator.load("://glimra_ru"));
        QCOMPARE(translator.translate("MainWindow", "START"), QString("ПОЕХАЛИ"));
        QCOMPARE(translator.translate("QImageViewerItem", "Remove this image"), QString("Удалить"));
        QVERIFY(translator.translate("MainWindow", "English").isEmpty());
    }
};

GLIMRA_TEST_MAIN(TestTranslations)
#include "test_translations.moc"
