#include "testhome.h"

#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"

#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QtTest>

#include <memory>

namespace {

using States = QVector<int>;

QListWidget *list(MainWindow &w, const char *name)
{
    auto *found = w.findChild<QListWidget *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no list %s", name);
    return found;
}

// Empty when the rows show exactly the nodes, in order; the custom category's row text is the
// language switch's business and is not compared.
QString rowsMismatch(QListWidget *rows, const QList<MessageItem *> &nodes, bool skipLastText = false)
{
    if (rows->count() != nodes.size())
        return QStringLiteral("%1: %2 rows for %3 nodes").arg(rows->objectName()).arg(rows->count()).arg(nodes.size());
    for (int i = 0; i < nodes.size(); ++i) {
        const QListWidgetItem *row = rows->item(i);
        if (!(skipLastText && i == nodes.size() - 1) && row->text() != nodes.at(i)->text())
            return QStringLiteral("%1 row %2: text '%3', node '%4'")
                .arg(rows->objectName())
                .arg(i)
                .arg(row->text(), nodes.at(i)->text());
        if (row->data(Qt::CheckStateRole).toInt() != nodes.at(i)->checkState())
            return QStringLiteral("%1 row %2: state %3, node %4")
                .arg(rows->objectName())
                .arg(i)
                .arg(row->data(Qt::CheckStateRole).toInt())
                .arg(nodes.at(i)->checkState());
    }
    return QString();
}

// Every list shows its model list, and the selections are the indices the window keeps.
QString browserMismatch(MainWindow &w)
{
    QString error = rowsMismatch(list(w, "category_list"), w.categories, true);
    const MessageItem *category = w.categories.value(w.currentCategory);
    if (error.isEmpty())
        error = rowsMismatch(list(w, "subcategory_list"), category->children());
    const MessageItem *subcategory = category->children().value(w.currentSubcategory);
    if (error.isEmpty())
        error = rowsMismatch(list(w, "messages_list"), subcategory ? subcategory->children() : QList<MessageItem *>());
    if (error.isEmpty() && list(w, "category_list")->currentRow() != w.currentCategory)
        error = QStringLiteral("category selection differs from currentCategory");
    if (error.isEmpty() && subcategory && list(w, "subcategory_list")->currentRow() != w.currentSubcategory)
        error = QStringLiteral("subcategory selection differs from currentSubcategory");
    return error;
}

// Checked messages per subcategory: -1 all, -2 all but the last, otherwise the first n.
int resolveCount(int code, int size)
{
    return code == -1 ? size : code == -2 ? size - 1 : code;
}

int checkedCount(const MessageItem *node)
{
    int n = 0;
    for (const MessageItem *child : node->children())
        n += child->isChecked() ? 1 : 0;
    return n;
}

int checkedDescendants(const MessageItem *node)
{
    int n = 0;
    for (const MessageItem *child : node->children())
        n += (child->checkState() != 0 ? 1 : 0) + checkedDescendants(child);
    return n;
}

// Sets the nodes the way a library file leaves them: messages and subcategories checked, the
// category itself stored unchecked.
void storeChecks(MessageItem *category, const States &perSubcategory, int rest)
{
    for (int s = 0; s < category->childCount(); ++s) {
        MessageItem *subcategory = category->child(s);
        const int n = resolveCount(perSubcategory.value(s, rest), subcategory->childCount());
        for (int m = 0; m < subcategory->childCount(); ++m)
            subcategory->child(m)->setChecked(m < n);
        subcategory->setCheckState(n == 0 ? 0 : n == subcategory->childCount() ? 2 : 1);
    }
    category->setCheckState(Qt::Unchecked);
}

// Clicks the check box of a row with the mouse, as a user does.
void clickCheckBox(QListWidget *rows, int row)
{
    QStyleOptionViewItem option;
    option.initFrom(rows);
    option.rect = rows->visualItemRect(rows->item(row));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = rows->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, rows);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
}

} // namespace

class TestBrowser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aggregateStateOfSiblings_data();
    void aggregateStateOfSiblings();
    void navigationShowsChildren();
    void checkCascades_data();
    void checkCascades();
    void mouseClicksCascade();
    void enteringCategoryShowsItsChildrenState_data();
    void enteringCategoryShowsItsChildrenState();
    void editingPanelsFollowCategory_data();
    void editingPanelsFollowCategory();

private:
    std::unique_ptr<MainWindow> window;
};

void TestBrowser::init()
{
    window = std::make_unique<MainWindow>();
    QVERIFY2(window->categories.size() == 11, "the default library has ten preset categories and the custom one");
    QVERIFY(window->categories.first()->childCount() >= 3);
}

void TestBrowser::cleanup()
{
    window.reset();
}

void TestBrowser::aggregateStateOfSiblings_data()
{
    QTest::addColumn<States>("states");
    QTest::addColumn<int>("expected");
    QTest::newRow("none") << States{} << 0;
    QTest::newRow("all unchecked") << States{0, 0} << 0;
    QTest::newRow("all checked") << States{2, 2, 2} << 2;
    QTest::newRow("mixed") << States{2, 0} << 1;
    QTest::newRow("lone partial") << States{1} << 1;
    QTest::newRow("partial among checked") << States{2, 1, 2} << 1;
}

void TestBrowser::aggregateStateOfSiblings()
{
    QFETCH(States, states);
    QFETCH(int, expected);
    MessageItem parent;
    QList<std::shared_ptr<MessageItem>> keep;
    for (int state : states) {
        keep.append(std::make_shared<MessageItem>());
        keep.last()->setCheckState(state);
        parent.addChild(keep.last().get());
    }
    QCOMPARE(MainWindow::aggregateState(parent.children()), expected);
}

void TestBrowser::navigationShowsChildren()
{
    MainWindow &w = *window;
    QCOMPARE(w.currentCategory, 0);
    QCOMPARE(w.currentSubcategory, 0);
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));

    list(w, "category_list")->setCurrentRow(3);
    QCOMPARE(w.currentCategory, 3);
    QCOMPARE(list(w, "subcategory_list")->currentRow(), 0);
    list(w, "subcategory_list")->setCurrentRow(2);
    QCOMPARE(w.currentSubcategory, 2);
    QCOMPARE(list(w, "messages_list")->item(0)->text(), w.categories.at(3)->child(2)->child(0)->text());
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
}

void TestBrowser::checkCascades_data()
{
    QTest::addColumn<States>("stored");       // checked messages per subcategory (see resolveCount)
    QTest::addColumn<int>("rest");            // the same for the subcategories not listed
    QTest::addColumn<int>("selected");        // subcategory row selected before the change
    QTest::addColumn<QString>("listName");    // the list whose row is changed
    QTest::addColumn<int>("row");             // -1: the last row
    QTest::addColumn<int>("state");           // the row's new check state
    QTest::addColumn<States>("subStates");    // rows 0..2 of subcategory_list afterwards
    QTest::addColumn<int>("categoryState");   // row of the category afterwards
    QTest::addColumn<int>("currentSub");      // subcategory selected afterwards
    QTest::addColumn<States>("checkedAfter"); // checked messages of subcategories 0..2 afterwards

    QTest::newRow("one message in an unchecked category")
        << States{} << 0 << 1 << "messages_list" << 0 << 2 << States{0, 1, 0} << 1 << 0 << States{0, 1, 0};
    QTest::newRow("last unchecked message of a subcategory")
        << States{1, -2} << 0 << 1 << "messages_list" << -1 << 2 << States{1, 2, 0} << 1 << 1 << States{1, -1, 0};
    QTest::newRow("unchecking a message of a checked category")
        << States{} << -1 << 1 << "messages_list" << 0 << 0 << States{2, 1, 2} << 1 << 0 << States{-1, -2, -1};
    QTest::newRow("checking a partial category checks everything")
        << States{1} << 0 << 0 << "category_list" << 0 << 2 << States{2, 2, 2} << 2 << 0 << States{-1, -1, -1};
    QTest::newRow("unchecking a checked subcategory of a checked category")
        << States{} << -1 << 1 << "subcategory_list" << 1 << 0 << States{2, 0, 2} << 1 << 0 << States{-1, 0, -1};
    QTest::newRow("unchecking the only checked subcategory")
        << States{0, -1} << 0 << 2 << "subcategory_list" << 1 << 0 << States{0, 0, 0} << 0 << 0 << States{0, 0, 0};
    QTest::newRow("checking the selected subcategory of a partial category")
        << States{1} << 0 << 1 << "subcategory_list" << 1 << 2 << States{1, 2, 0} << 1 << 1 << States{1, -1, 0};
    QTest::newRow("checking a subcategory that is not selected")
        << States{} << 0 << 2 << "subcategory_list" << 1 << 2 << States{0, 2, 0} << 1 << 0 << States{0, -1, 0};
    QTest::newRow("unchecking a checked category clears everything")
        << States{} << -1 << 1 << "category_list" << 0 << 0 << States{0, 0, 0} << 0 << 0 << States{0, 0, 0};
}

void TestBrowser::checkCascades()
{
    QFETCH(States, stored);
    QFETCH(int, rest);
    QFETCH(int, selected);
    QFETCH(QString, listName);
    QFETCH(int, row);
    QFETCH(int, state);
    QFETCH(States, subStates);
    QFETCH(int, categoryState);
    QFETCH(int, currentSub);
    QFETCH(States, checkedAfter);

    MainWindow &w = *window;
    MessageItem *category = w.categories.at(1);
    storeChecks(category, stored, rest);
    list(w, "category_list")->setCurrentRow(1);
    list(w, "subcategory_list")->setCurrentRow(selected);
    QCOMPARE(w.currentSubcategory, selected);

    QListWidget *target = list(w, qPrintable(listName));
    // The category list's row 0 is the first category; use the selected one instead.
    const int targetRow = listName == "category_list" ? 1 : row < 0 ? target->count() - 1 : row;
    target->item(targetRow)->setCheckState(Qt::CheckState(state));

    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
    QCOMPARE(list(w, "category_list")->item(1)->checkState(), Qt::CheckState(categoryState));
    QCOMPARE(category->checkState(), categoryState);
    for (int s = 0; s < subStates.size(); ++s) {
        QCOMPARE(list(w, "subcategory_list")->item(s)->checkState(), Qt::CheckState(subStates.at(s)));
        const MessageItem *subcategory = category->child(s);
        QCOMPARE(checkedCount(subcategory), resolveCount(checkedAfter.at(s), subcategory->childCount()));
    }
    QCOMPARE(w.currentSubcategory, currentSub);
    QCOMPARE(list(w, "subcategory_list")->currentRow(), currentSub);
    if (categoryState != 1) {
        for (const MessageItem *subcategory : category->children())
            QCOMPARE(checkedCount(subcategory), categoryState == 2 ? subcategory->childCount() : 0);
    }
    QCOMPARE(checkedDescendants(w.categories.at(0)), 0); // nothing leaks into other categories
}

void TestBrowser::mouseClicksCascade()
{
    MainWindow &w = *window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    list(w, "category_list")->setCurrentRow(1);
    list(w, "subcategory_list")->setCurrentRow(1);

    clickCheckBox(list(w, "messages_list"), 0);
    QVERIFY(w.categories.at(1)->child(1)->child(0)->isChecked());
    QCOMPARE(list(w, "category_list")->item(1)->checkState(), Qt::PartiallyChecked);
    QCOMPARE(w.currentSubcategory, 0);
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));

    // A click on a partially checked row checks it.
    clickCheckBox(list(w, "category_list"), 1);
    QCOMPARE(list(w, "category_list")->item(1)->checkState(), Qt::Checked);
    for (const MessageItem *subcategory : w.categories.at(1)->children()) {
        QVERIFY(subcategory->isChecked());
        QCOMPARE(checkedCount(subcategory), subcategory->childCount());
    }
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
}

void TestBrowser::enteringCategoryShowsItsChildrenState_data()
{
    QTest::addColumn<States>("stored");
    QTest::addColumn<int>("rest");
    QTest::addColumn<int>("expected");
    QTest::newRow("one checked subcategory") << States{0, -1} << 0 << 1;
    QTest::newRow("one partial subcategory") << States{0, 0, 1} << 0 << 1;
    QTest::newRow("all subcategories checked") << States{} << -1 << 2;
    QTest::newRow("nothing checked") << States{} << 0 << 0;
}

void TestBrowser::enteringCategoryShowsItsChildrenState()
{
    QFETCH(States, stored);
    QFETCH(int, rest);
    QFETCH(int, expected);

    MainWindow &w = *window;
    MessageItem *category = w.categories.at(2);
    storeChecks(category, stored, rest);
    QCOMPARE(list(w, "category_list")->item(2)->checkState(), Qt::Unchecked);

    int inserted = 0;
    connect(list(w, "subcategory_list")->model(), &QAbstractItemModel::rowsInserted, this, [&] { ++inserted; });
    list(w, "category_list")->setCurrentRow(2);

    QCOMPARE(list(w, "category_list")->item(2)->checkState(), Qt::CheckState(expected));
    QCOMPARE(category->checkState(), expected);
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
    QCOMPARE(w.currentSubcategory, 0);
    QCOMPARE(list(w, "subcategory_list")->count(), category->childCount());
    // A changed state shows the list once more after the first fill, never more often.
    QVERIFY(inserted <= 2 * category->childCount());
}

void TestBrowser::editingPanelsFollowCategory_data()
{
    QTest::addColumn<int>("category"); // -1: the custom category
    QTest::addColumn<int>("subcategories");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("panels");
    QTest::addColumn<bool>("subcategoryButtons"); // subcat_edit, subcat_delete, message_add
    QTest::addColumn<bool>("messageButtons");     // message_edit, message_delete

    QTest::newRow("preset category") << 4 << 0 << 0 << false << true << true;
    QTest::newRow("empty custom category") << -1 << 0 << 0 << true << false << false;
    QTest::newRow("custom with an empty subcategory") << -1 << 1 << 0 << true << true << false;
    QTest::newRow("custom with messages") << -1 << 2 << 3 << true << true << true;
}

void TestBrowser::editingPanelsFollowCategory()
{
    QFETCH(int, category);
    QFETCH(int, subcategories);
    QFETCH(int, messages);
    QFETCH(bool, panels);
    QFETCH(bool, subcategoryButtons);
    QFETCH(bool, messageButtons);

    MainWindow &w = *window;
    const int row = category < 0 ? w.categories.size() - 1 : category;
    std::vector<std::unique_ptr<MessageItem>> nodes;
    for (int s = 0; s < subcategories; ++s) {
        nodes.push_back(std::make_unique<MessageItem>());
        MessageItem *subcategory = nodes.back().get();
        w.categories.at(row)->addChild(subcategory);
        for (int m = 0; m < messages; ++m) {
            nodes.push_back(std::make_unique<MessageItem>());
            subcategory->addChild(nodes.back().get());
        }
    }
    QVERIFY(list(w, "messages_list")->count() > 0);
    list(w, "category_list")->setCurrentRow(row);

    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
    const auto panel = w.findChild<QWidget *>(QStringLiteral("subcat_control"));
    QCOMPARE(panel->isEnabled(), panels);
    QCOMPARE(w.findChild<QWidget *>(QStringLiteral("message_control"))->isEnabled(), panels);
    // The buttons' own states, whatever their panel's.
    const auto enabled = [&](const char *name) {
        return !w.findChild<QPushButton *>(QString::fromLatin1(name))->testAttribute(Qt::WA_ForceDisabled);
    };
    QVERIFY(enabled("subcat_add"));
    QCOMPARE(enabled("subcat_edit"), subcategoryButtons);
    QCOMPARE(enabled("subcat_delete"), subcategoryButtons);
    QCOMPARE(enabled("message_add"), subcategoryButtons);
    QCOMPARE(enabled("message_edit"), messageButtons);
    QCOMPARE(enabled("message_delete"), messageButtons);

    // The window does not own nodes added here.
    w.categories.at(row)->children().clear();
}

GLIMRA_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
