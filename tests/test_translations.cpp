#include "testhome.h"
#include "testpaths.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

// Every visible text of the program has a finished Russian entry.
class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void russianCatalogueCoversEverySourceText();
    void compiledCatalogueHoldsTellingEntries_data();
    void compiledCatalogueHoldsTellingEntries();

private:
    struct Entry
    {
        QString translation;
        bool finished = false;
    };
    using Catalogue = QHash<QPair<QString, QString>, Entry>;
    static Catalogue readCatalogue(const QString &path);
};

TestTranslations::Catalogue TestTranslations::readCatalogue(const QString &path)
{
    Catalogue catalogue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return catalogue;
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (xml.name() == QLatin1String("source")) {
                // lupdate writes a CR as a <byte> element inside the text.
                source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (xml.name() == QLatin1String("translation")) {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                entry.finished = type.isEmpty();
                entry.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            catalogue.insert({context, source}, entry);
            entry = Entry();
        }
    }
    if (xml.hasError())
        qWarning() << path << xml.errorString();
    return xml.hasError() ? Catalogue() : catalogue;
}

void TestTranslations::russianCatalogueCoversEverySourceText()
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(GLIMRA_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral(GLIMRA_SOURCE_DIR "/src"),
                   QStringLiteral(GLIMRA_SOURCE_DIR "/forms"), QStringLiteral("-ts"), fresh});
    QVERIFY(lupdate.waitForFinished(60000));
    QCOMPARE(lupdate.exitCode(), 0);

    const Catalogue wanted = readCatalogue(fresh);
    QVERIFY(wanted.size() > 50);
    const Catalogue russian = readCatalogue(QStringLiteral(GLIMRA_SOURCE_DIR "/resources/translations/glimra_ru.ts"));

    QStringList problems;
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        // English is the source language, so its own name is shown untranslated everywhere.
        if (it.key().second == QLatin1String("English"))
            continue;
        const auto found = russian.constFind(it.key());
        if (found == russian.cend())
            problems << QStringLiteral("missing: %1 / %2").arg(it.key().first, it.key().second);
        else if (!found->finished || found->translation.isEmpty())
            problems << QStringLiteral("unfinished: %1 / %2").arg(it.key().first, it.key().second);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestTranslations::compiledCatalogueHoldsTellingEntries_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("russian");
    // The compiled catalogue is the one embedded in the program, and entries keep their contexts.
    QTest::newRow("START") << "MainWindow"
                           << "START" << QStringLiteral("ПОЕХАЛИ");
    QTest::newRow("remove image") << "QImageViewerItem"
                                  << "Remove this image" << QStringLiteral("Удалить");
}

void TestTranslations::compiledCatalogueHoldsTellingEntries()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, russian);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral("://glimra_ru")));
    QCOMPARE(translator.translate(context.toLatin1().constData(), source.toUtf8().constData()), russian);
    QVERIFY(translator.translate("MainWindow", "English").isEmpty());
}

GLIMRA_TEST_MAIN(TestTranslations)
#include "test_translations.moc"
