#include "benchmain.h"
#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The library browser with two subcategories of 10 000 messages each, shown on screen: checking
// the current one by clicking its box, and moving between the two, until the lists are painted.
class BenchBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void checkLargeSubcategory();
    void selectLargeSubcategory();

private:
    void click(const QPoint &pos);

    std::unique_ptr<MainWindow> m_window;
    QListWidget *m_subcategories = nullptr;
};

void BenchBrowser::initTestCase()
{
    auto category = std::make_unique<MessageItem>();
    category->setText(QStringLiteral("Crowded"));
    for (int s = 0; s < 2; ++s) {
        auto *subcategory = new MessageItem;
        subcategory->setText(QStringLiteral("Subcategory %1").arg(s));
        for (int m = 0; m < 10000; ++m) {
            auto *message = new MessageItem;
            message->setText(QStringLiteral("Message %1").arg(m));
            subcategory->addChild(message);
        }
        category->addChild(subcategory);
    }
    MessageItem custom;
    const QByteArray bytes = LibraryFile::write({category.get(), &custom}, {});

    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/messages.dat"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    file.close();

    m_window = std::make_unique<MainWindow>();
    m_window->resize(900, 700);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_subcategories = m_window->findChild<QListWidget *>(QStringLiteral("subcategory_list"));
    QVERIFY(m_subcategories);
    QCOMPARE(m_subcategories->count(), 2);
    QCOMPARE(m_window->findChild<QListWidget *>(QStringLiteral("messages_list"))->count(), 10000);
}

void BenchBrowser::cleanupTestCase()
{
    m_window.reset();
}

void BenchBrowser::click(const QPoint &pos)
{
    QTest::mouseClick(m_subcategories->viewport(), Qt::LeftButton, {}, pos);
    // Layout and painting of the refilled lists.
    QCoreApplication::processEvents();
}

void BenchBrowser::checkLargeSubcategory()
{
    m_subcategories->setCurrentRow(0);
    QCoreApplication::processEvents();
    QStyleOptionViewItem option;
    option.initFrom(m_subcategories->viewport());
    option.rect = m_subcategories->visualItemRect(m_subcategories->item(0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = m_subcategories->item(0)->text();
    const QPoint box = m_subcategories->style()
                           ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, m_subcategories)
                           .center();

    const Qt::CheckState before = m_subcategories->item(0)->checkState();
    click(box);
    QVERIFY(m_subcategories->item(0)->checkState() != before);
    QBENCHMARK
    {
        click(box);
    }
}

void BenchBrowser::selectLargeSubcategory()
{
    const QPoint rows[] = {m_subcategories->visualItemRect(m_subcategories->item(0)).center(),
                           m_subcategories->visualItemRect(m_subcategories->item(1)).center()};
    int next = m_subcategories->currentRow() == 0 ? 1 : 0;
    click(rows[next]);
    QCOMPARE(m_subcategories->currentRow(), next);
    QBENCHMARK
    {
        next = 1 - next;
        click(rows[next]);
    }
    QCOMPARE(m_subcategories->currentRow(), next);
}

GLIMRA_BENCH_MAIN(BenchBrowser)

#include "bench_browser.moc"
