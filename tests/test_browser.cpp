#include "testhome.h"
#include "windowtesting.h"

#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/newmessagedialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

using States = QVector<int>;

QListWidget *list(MainWindow &w, const char *name)
{
    return w.findChild<QListWidget *>(QString::fromLatin1(name));
}

// "text/check state" of each node or row.
template <typename Entry> QStringList shown(const QList<Entry *> &entries)
{
    QStringList out;
    for (const Entry *entry : entries)
        out << entry->text() + '/' + QString::number(entry->checkState());
    return out;
}

QStringList shown(const QListWidget *rows)
{
    return shown(rows->findItems(QStringLiteral("*"), Qt::MatchWildcard)); // all rows, in order
}

// What a parent of these nodes shows: checked when all are, unchecked when none is (or there are
// none), partly checked otherwise.
int expectedState(const QList<MessageItem *> &nodes)
{
    const auto count = [&nodes](int state) {
        return std::count_if(nodes.cbegin(), nodes.cend(),
                             [state](const MessageItem *n) { return n->checkState() == state; });
    };
    if (count(Qt::Unchecked) == nodes.size())
        return Qt::Unchecked;
    return count(Qt::Checked) == nodes.size() ? Qt::Checked : Qt::PartiallyChecked;
}

// After any change: each list shows its nodes in order, the selections are the window's indices,
// every state follows the children, and panels and buttons match the category and the lists.
void verifyBrowser(MainWindow &w)
{
    const MessageItem *category = w.categories.at(w.currentCategory);
    const MessageItem *subcategory = category->children().value(w.currentSubcategory);
    QCOMPARE(shown(list(w, "subcategory_list")), shown(category->children()));
    QCOMPARE(shown(list(w, "messages_list")), shown(subcategory ? subcategory->children() : QList<MessageItem *>()));
    QCOMPARE(int(list(w, "category_list")->currentItem()->checkState()), category->checkState());
    QCOMPARE(list(w, "subcategory_list")->currentRow(), subcategory ? w.currentSubcategory : -1);
    QCOMPARE(category->checkState(), expectedState(category->children()));
    for (const MessageItem *node : category->children())
        QCOMPARE(node->checkState(), expectedState(node->children()));

    const bool custom = w.currentCategory == w.categories.size() - 1;
    QCOMPARE(w.findChild<QWidget *>(QStringLiteral("subcat_control"))->isEnabled(), custom);
    QCOMPARE(w.findChild<QWidget *>(QStringLiteral("message_control"))->isEnabled(), custom);
    const bool subcategories = subcategory, messages = subcategory && subcategory->childCount() > 0;
    const QList<QPair<const char *, bool>> buttons{
        {"subcat_add", true},           {"subcat_edit", subcategories}, {"subcat_delete", subcategories},
        {"message_add", subcategories}, {"message_edit", messages},     {"message_delete", messages}};
    for (const auto &b : buttons) // the buttons' own states, whatever their panel's
        QVERIFY2(w.findChild<QPushButton *>(b.first)->testAttribute(Qt::WA_ForceDisabled) != b.second, b.first);
}

// Clicks a row's check box (-1: the last row's), as a user does.
void clickCheckBox(QListWidget *rows, int row)
{
    QListWidgetItem *item = rows->item(row < 0 ? rows->count() - 1 : row);
    rows->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(rows);
    option.rect = rows->visualItemRect(item);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = rows->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, rows);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
}

// The custom category as "subcategory:message,message"; "*" marks a checked message, ">" the
// current subcategory.
QStringList customTree(MainWindow &w)
{
    QStringList out;
    for (const MessageItem *subcategory : w.categories.last()->children()) {
        QStringList messages;
        for (const MessageItem *message : subcategory->children())
            messages << (message->isChecked() ? "*" : "") + message->text();
        out << (out.size() == w.currentSubcategory ? ">" : "") + subcategory->text() + ':' + messages.join(',');
    }
    return out;
}

// Fills the custom category from a tree like customTree's and shows it; "^" before a message of
// the current subcategory makes that message the current row.
void fillCustom(MainWindow &w, const QStringList &tree)
{
    int selected = 0;
    int selectedMessage = 0;
    for (QString entry : tree) {
        if (entry.startsWith('>'))
            selected = w.categories.last()->childCount();
        auto *subcategory = new MessageItem; // the window owns and deletes its tree
        subcategory->setText(entry.remove('>').section(':', 0, 0));
        for (QString text : entry.section(':', 1).split(',', Qt::SkipEmptyParts)) {
            auto *message = new MessageItem;
            if (text.startsWith('^'))
                selectedMessage = subcategory->childCount();
            text.remove('^');
            message->setChecked(text.startsWith('*'));
            message->setText(text.remove('*'));
            subcategory->addChild(message);
        }
        subcategory->setCheckState(expectedState(subcategory->children()));
        w.categories.last()->addChild(subcategory);
    }
    list(w, "category_list")->setCurrentRow(w.categories.size() - 1);
    list(w, "subcategory_list")->setCurrentRow(selected);
    list(w, "messages_list")->setCurrentRow(selectedMessage);
}

} // namespace

class TestBrowser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void checkCascades_data();
    void checkCascades();
    void editCustomCategory_data();
    void editCustomCategory();
    void nameDialog_data();
    void nameDialog();
    void importShowsItsCategoriesWithTheFocus();

private:
    std::unique_ptr<MainWindow> w;
};

void TestBrowser::init()
{
    w = std::make_unique<MainWindow>();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void TestBrowser::checkCascades_data()
{
    QTest::addColumn<States>("stored");   // checked messages per subcategory, -1 all, -2 all but one; last for the rest
    QTest::addColumn<int>("selected");    // subcategory row selected before the click
    QTest::addColumn<QString>("clicked"); // the list whose check box is clicked; none: only entering the category
    QTest::addColumn<int>("row");         // -1: the last row
    QTest::addColumn<States>("after");    // states of subcategories 0..2 and the category, the current subcategory

    QTest::newRow("entering, one checked") << States{0, -1, 0} << 0 << "" << 0 << States{0, 2, 0, 1, 0};
    QTest::newRow("entering, all checked") << States{-1} << 0 << "" << 0 << States{2, 2, 2, 2, 0};
    QTest::newRow("one message") << States{0} << 1 << "messages_list" << 0 << States{0, 1, 0, 1, 0};
    QTest::newRow("last unchecked message") << States{1, -2, 0} << 1 << "messages_list" << -1 << States{1, 2, 0, 1, 1};
    QTest::newRow("partial category") << States{1, 0} << 0 << "category_list" << 1 << States{2, 2, 2, 2, 0};
    QTest::newRow("uncheck subcategory") << States{-1} << 1 << "subcategory_list" << 1 << States{2, 0, 2, 1, 0};
    QTest::newRow("uncheck only checked") << States{0, -1, 0} << 2 << "subcategory_list" << 1 << States{0, 0, 0, 0, 0};
    QTest::newRow("check subcategory") << States{1, 0} << 1 << "subcategory_list" << 1 << States{1, 2, 0, 1, 1};
}

void TestBrowser::checkCascades()
{
    QFETCH(States, stored);
    QFETCH(int, selected);
    QFETCH(QString, clicked);
    QFETCH(int, row);
    QFETCH(States, after);

    MessageItem *category = w->categories.at(1);
    // As a library file leaves them: messages and subcategories checked, the category left unchecked.
    for (int s = 0; s < category->childCount(); ++s) {
        MessageItem *subcategory = category->child(s);
        const int code = stored.value(s, stored.last()), size = subcategory->childCount();
        const int n = code == -1 ? size : code == -2 ? size - 1 : code;
        for (int m = 0; m < size; ++m)
            subcategory->child(m)->setChecked(m < n);
        subcategory->setCheckState(n == 0 ? 0 : n == size ? 2 : 1);
    }
    list(*w, "category_list")->setCurrentRow(1);
    list(*w, "subcategory_list")->setCurrentRow(selected);
    if (!clicked.isEmpty())
        clickCheckBox(list(*w, qPrintable(clicked)), row);

    verifyBrowser(*w);
    QCOMPARE((States{category->child(0)->checkState(), category->child(1)->checkState(),
                     category->child(2)->checkState(), category->checkState(), w->currentSubcategory}),
             after);
    for (const MessageItem *other : w->categories.at(0)->children()) // nothing leaks into other categories
        QCOMPARE(expectedState(other->children()), 0);
}

void TestBrowser::editCustomCategory_data()
{
    using L = QStringList;
    QTest::addColumn<L>("tree");  // see fillCustom
    QTest::addColumn<L>("step");  // button, text typed into the name dialog (none: Cancel), "title:text" it showed
    QTest::addColumn<L>("after"); // see customTree

    QTest::newRow("add subcategory") << L{"A:a", "B:c"} << L{"subcat_add", "C", "Subcategory:"}
                                     << L{"A:a", "B:c", ">C:"};
    QTest::newRow("rename") << L{"A:a", ">B:c"} << L{"subcat_edit", "D", "Subcategory:B"} << L{"A:a", ">D:c"};
    QTest::newRow("cancelled rename") << L{"A:a", ">B:c"} << L{"subcat_edit", "", "Subcategory:B"} << L{"A:a", ">B:c"};
    QTest::newRow("add message") << L{"A:*a", "B:*c"} << L{"message_add", "d", "Message:"} << L{">A:*a,d", "B:*c"};
    QTest::newRow("change message") << L{"A:a,b", "B:c"} << L{"message_edit", "d", "Message:a"} << L{">A:d,b", "B:c"};
    QTest::newRow("delete subcategory") << L{"A:*a", ">B:b", "C:*c"} << L{"subcat_delete"} << L{"A:*a", ">C:*c"};
    QTest::newRow("delete last subcategory") << L{"A:a", "B:b", ">C:c"} << L{"subcat_delete"} << L{"A:a", ">B:b"};
    QTest::newRow("delete only subcategory") << L{"A:*a"} << L{"subcat_delete"} << L{};
    QTest::newRow("delete message") << L{"A:a,*b", "B:*c"} << L{"message_delete"} << L{">A:*b", "B:*c"};
    QTest::newRow("delete only message") << L{"A:*a", "B:c"} << L{"message_delete"} << L{">A:", "B:c"};
    // Not the first row of the first subcategory: the window's indices must not be mixed up.
    QTest::newRow("change a later message")
        << L{"A:a,b", "B:c", ">C:d,^e"} << L{"message_edit", "f", "Message:e"} << L{"A:a,b", "B:c", ">C:d,f"};
    QTest::newRow("delete a later message")
        << L{"A:a,b", "B:c", ">C:*d,^e,f"} << L{"message_delete"} << L{"A:a,b", "B:c", ">C:*d,f"};
}

void TestBrowser::editCustomCategory()
{
    QFETCH(QStringList, tree);
    QFETCH(QStringList, step);
    QFETCH(QStringList, after);

    fillCustom(*w, tree);
    MessageItem *subcategory = w->categories.last()->child(w->currentSubcategory);
    const QPointer<MessageItem> removed =
        step.first() == "message_delete" ? subcategory->child(list(*w, "messages_list")->currentRow()) : subcategory;
    QStringList dialogs;
    MainWindowTestAccess::setNameDialogRunner(*w, [&](QDialog *dialog) {
        auto *line = dialog->findChild<QLineEdit *>();
        dialogs << dialog->windowTitle() + ':' + line->text();
        line->setText(step.at(1));
        const auto button = step.at(1).isEmpty() ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok;
        dialog->findChild<QDialogButtonBox *>()->button(button)->click();
    });

    w->findChild<QPushButton *>(step.first())->click();

    QCOMPARE(dialogs, step.mid(2));
    QCOMPARE(customTree(*w), after);
    verifyBrowser(*w);
    // A running session may still show what was removed.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(removed && MainWindowTestAccess::retiredItems(*w).contains(removed), step.first().endsWith("delete"));
}

void TestBrowser::nameDialog_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("seen"); // title, label, then the text emitted on OK
    QTest::newRow("subcategory") << 1 << QStringList{"Subcategory", "Enter subcategory name:", "Calm"};
    QTest::newRow("message") << 2 << QStringList{"Message", "Enter your message:", "Calm"};
}

void TestBrowser::nameDialog()
{
    QFETCH(int, kind);
    QFETCH(QStringList, seen);
    for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
        const QPointer<NewMessageDialog> dialog = new NewMessageDialog(kind, nullptr, QStringLiteral("Calm"));
        QStringList texts{dialog->windowTitle(), dialog->findChild<QLabel *>()->text()};
        connect(dialog, &NewMessageDialog::textAccepted, this, [&](const QString &text) { texts << text; });
        dialog->findChild<QDialogButtonBox *>()->button(button)->click();
        QTRY_VERIFY(!dialog); // deletes itself when closed
        QCOMPARE(texts, button == QDialogButtonBox::Ok ? seen : seen.mid(0, 2));
    }
}

void TestBrowser::importShowsItsCategoriesWithTheFocus()
{
    w->show();
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    list(*w, "messages_list")->setFocus();
    QTemporaryDir dir;
    QFile outline(dir.filePath(QStringLiteral("outline.txt")));
    QVERIFY(outline.open(QIODevice::WriteOnly));
    outline.write("Calm\r\n\tBreath\r\n\t\tI breathe\r\n");
    outline.close();

    w->parseMessagesFromText(outline.fileName());
    QCOMPARE(shown(list(*w, "category_list")), QStringList({"Calm/0", "Custom messages/0"}));
    QCOMPARE(shown(list(*w, "messages_list")), QStringList{"I breathe/0"});
    QTRY_VERIFY(list(*w, "category_list")->hasFocus());
}

GLIMRA_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
