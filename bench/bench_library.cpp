#include "core/random.h"
#include "flash/flashsession.h"
#include "library/libraryfile.h"
#include "library/messageitem.h"

#include <QFile>
#include <QtTest>

// Start-up reads the library once and quit writes it once; START builds the session list.
// These measure those three steps on the default library (440 messages).
class BenchLibrary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readDefaultLibrary();
    void writeDefaultLibrary();
    void buildSessionOfAllMessages();

private:
    QByteArray m_bytes;
    LibraryFile m_file;
};

void BenchLibrary::initTestCase()
{
    QFile resource(QStringLiteral("://messages_def.dat"));
    QVERIFY(resource.open(QIODevice::ReadOnly));
    m_bytes = resource.readAll();
    QCOMPARE(m_file.read(m_bytes), LibraryFile::Ok);
    for (MessageItem *category : m_file.categories())
        category->checkAll();
}

void BenchLibrary::cleanupTestCase()
{
    m_file.read(QByteArray());
}

void BenchLibrary::readDefaultLibrary()
{
    QBENCHMARK
    {
        LibraryFile file;
        file.read(m_bytes);
    }
}

void BenchLibrary::writeDefaultLibrary()
{
    QBENCHMARK
    {
        LibraryFile::write(m_file.categories(), {});
    }
}

void BenchLibrary::buildSessionOfAllMessages()
{
    Random::seed(1);
    QList<MessageItem *> session;
    QBENCHMARK
    {
        session = FlashSession::build(session, m_file.categories(), {}, FlashSession::loadPicture, Random::next);
    }
    QCOMPARE(session.size(), 440);
}

QTEST_MAIN(BenchLibrary)
#include "bench_library.moc"
