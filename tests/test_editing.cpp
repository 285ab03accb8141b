#include "testhome.h"

#include "app/filemanager.h"
#include "library/messageitem.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/newmessagedialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

class MainWindowTestAccess
{
public:
    static void setNameDialogRunner(MainWindow &w, std::function<void(QDialog *)> runner)
    {
        w.nameDialogRunner = std::move(runner);
    }
    static const QList<MessageItem *> &retiredItems(MainWindow &w) { return w.retiredItems; }
};

namespace {

QListWidget *list(MainWindow &w, const char *name)
{
    auto *found = w.findChild<QListWidget *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no list %s", name);
    return found;
}

QPushButton *button(MainWindow &w, const QString &name)
{
    auto *found = w.findChild<QPushButton *>(name);
    if (!found)
        qFatal("no button %s", qPrintable(name));
    return found;
}

// The buttons' own states, whatever their panel's.
bool enabled(MainWindow &w, const char *name)
{
    return !button(w, QString::fromLatin1(name))->testAttribute(Qt::WA_ForceDisabled);
}

QStringList texts(const QList<MessageItem *> &nodes)
{
    QStringList result;
    for (const MessageItem *node : nodes)
        result << node->text();
    return result;
}

// Empty when every row shows its node (text and check state), in order.
QString rowsMismatch(QListWidget *rows, const QList<MessageItem *> &nodes)
{
    QStringList shown;
    for (int i = 0; i < rows->count(); ++i)
        shown << rows->item(i)->text() + QLatin1Char('/') + QString::number(rows->item(i)->checkState());
    QStringList expected;
    for (const MessageItem *node : nodes)
        expected << node->text() + QLatin1Char('/') + QString::number(node->checkState());
    return shown == expected
               ? QString()
               : QStringLiteral("%1 shows [%2], nodes are [%3]")
                     .arg(rows->objectName(), shown.join(QLatin1Char(',')), expected.join(QLatin1Char(',')));
}

QString browserMismatch(MainWindow &w)
{
    const MessageItem *category = w.categories.at(w.currentCategory);
    QString error = rowsMismatch(list(w, "subcategory_list"), category->children());
    const MessageItem *subcategory = category->children().value(w.currentSubcategory);
    if (error.isEmpty())
        error = rowsMismatch(list(w, "messages_list"), subcategory ? subcategory->children() : QList<MessageItem *>());
    if (error.isEmpty() && list(w, "category_list")->item(w.currentCategory)->checkState() != category->checkState())
        error = QStringLiteral("category row and node disagree");
    if (error.isEmpty() && subcategory && list(w, "subcategory_list")->currentRow() != w.currentSubcategory)
        error = QStringLiteral("subcategory selection differs from currentSubcategory");
    return error;
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogResultEditsTheList_data();
    void dialogResultEditsTheList();
    void renameSurvivesNavigationAndQuit();
    void removeSubcategory_data();
    void removeSubcategory();
    void removeMessage_data();
    void removeMessage();
    void addedMessageUpdatesStates_data();
    void addedMessageUpdatesStates();
    void realDialogIsModalOverTheWindow();

private:
    // Fills the custom category with "name" -> messages; "*" before a text checks the node.
    void fillCustom(const QList<QPair<QString, QStringList>> &subcategories);
    // Answers every following name dialog with `text`, noting the title and text each one showed.
    void answerDialogs(const QString &text, bool accept);

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QObject> nodeOwner;
    QStringList dialogTitles;
    QStringList dialogTexts;
};

void TestEditing::init()
{
    window = std::make_unique<MainWindow>();
    nodeOwner = std::make_unique<QObject>();
    dialogTitles.clear();
    dialogTexts.clear();
    QVERIFY(window->categories.size() > 1);
    QCOMPARE(window->categories.last()->childCount(), 0);
}

void TestEditing::cleanup()
{
    window.reset();
    nodeOwner.reset();
    // Every test starts from the default library.
    QFile::remove(FileManager::instance()->messagesPath());
}

void TestEditing::fillCustom(const QList<QPair<QString, QStringList>> &subcategories)
{
    MainWindow &w = *window;
    MessageItem *custom = w.categories.last();
    for (const auto &entry : subcategories) {
        auto *subcategory = new MessageItem(nodeOwner.get());
        subcategory->setText(entry.first);
        for (const QString &text : entry.second) {
            auto *message = new MessageItem(nodeOwner.get());
            message->setText(text.startsWith(QLatin1Char('*')) ? text.mid(1) : text);
            message->setChecked(text.startsWith(QLatin1Char('*')));
            subcategory->addChild(message);
        }
        subcategory->setCheckState(MainWindow::aggregateState(subcategory->children()));
        custom->addChild(subcategory);
    }
    list(w, "category_list")->setCurrentRow(w.categories.size() - 1);
}

void TestEditing::answerDialogs(const QString &text, bool accept)
{
    MainWindowTestAccess::setNameDialogRunner(*window, [this, text, accept](QDialog *dialog) {
        QCOMPARE(dialog->parentWidget(), window.get());
        dialogTitles << dialog->windowTitle();
        auto *line = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"));
        dialogTexts << line->text();
        line->setText(text);
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
}

void TestEditing::dialogResultEditsTheList_data()
{
    QTest::addColumn<int>("subRow");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QStringList>("subcategories");
    QTest::addColumn<QStringList>("messages"); // of the subcategory shown afterwards
    QTest::addColumn<int>("currentSub");
    QTest::addColumn<int>("currentMessage");

    const QStringList ab{"A", "B"};
    const QStringList a{"a1", "a2", "a3"};
    QTest::newRow("add subcategory") << 0 << "subcat_add"
                                     << "C" << true << "Subcategory"
                                     << "" << QStringList{"A", "B", "C"} << QStringList{} << 2 << -1;
    QTest::newRow("add subcategory without a name") << 0 << "subcat_add"
                                                    << "" << true << "Subcategory"
                                                    << "" << QStringList{"A", "B", ""} << QStringList{} << 2 << -1;
    QTest::newRow("rename subcategory") << 1 << "subcat_edit"
                                        << "Bee" << true << "Subcategory"
                                        << "B" << QStringList{"A", "Bee"} << QStringList{"b1"} << 1 << 0;
    QTest::newRow("add message") << 0 << "message_add"
                                 << "a4" << true << "Message"
                                 << "" << ab << QStringList{"a1", "a2", "a3", "a4"} << 0 << 3;
    QTest::newRow("add message without text") << 0 << "message_add"
                                              << "" << true << "Message"
                                              << "" << ab << QStringList{"a1", "a2", "a3", ""} << 0 << 3;
    QTest::newRow("change message") << 0 << "message_edit"
                                    << "a2 again" << true << "Message"
                                    << "a2" << ab << QStringList{"a1", "a2 again", "a3"} << 0 << 1;
    QTest::newRow("cancelled add") << 0 << "subcat_add"
                                   << "C" << false << "Subcategory"
                                   << "" << ab << a << 0 << 1;
    QTest::newRow("cancelled change") << 0 << "message_edit"
                                      << "zzz" << false << "Message"
                                      << "a2" << ab << a << 0 << 1;
}

void TestEditing::dialogResultEditsTheList()
{
    QFETCH(int, subRow);
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(bool, accept);
    QFETCH(QString, title);
    QFETCH(QString, initial);
    QFETCH(QStringList, subcategories);
    QFETCH(QStringList, messages);
    QFETCH(int, currentSub);
    QFETCH(int, currentMessage);

    MainWindow &w = *window;
    fillCustom({{"A", {"a1", "a2", "a3"}}, {"B", {"b1"}}});
    list(w, "subcategory_list")->setCurrentRow(subRow);
    list(w, "messages_list")->setCurrentRow(1);
    answerDialogs(answer, accept);

    ::button(w, button)->click();

    QCOMPARE(dialogTitles, QStringList{title});
    QCOMPARE(dialogTexts, QStringList{initial});
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
    QCOMPARE(texts(w.categories.last()->children()), subcategories);
    QCOMPARE(w.currentSubcategory, currentSub);
    QCOMPARE(texts(w.categories.last()->child(currentSub)->children()), messages);
    QCOMPARE(list(w, "messages_list")->currentRow(), currentMessage);
    QCOMPARE(enabled(w, "message_edit"), !messages.isEmpty());
    QCOMPARE(enabled(w, "message_delete"), !messages.isEmpty());
    QVERIFY(enabled(w, "subcat_edit") && enabled(w, "subcat_delete") && enabled(w, "message_add"));
}

void TestEditing::renameSurvivesNavigationAndQuit()
{
    MainWindow &w = *window;
    fillCustom({{"A", {"a1", "a2"}}, {"B", {"b1"}}});
    list(w, "messages_list")->setCurrentRow(1);
    answerDialogs(QStringLiteral("A two"), true);
    button(w, QStringLiteral("message_edit"))->click();
    list(w, "subcategory_list")->setCurrentRow(1);
    answerDialogs(QStringLiteral("Bee"), true);
    button(w, QStringLiteral("subcat_edit"))->click();

    list(w, "category_list")->setCurrentRow(0);
    list(w, "category_list")->setCurrentRow(w.categories.size() - 1);
    QCOMPARE(list(w, "subcategory_list")->item(1)->text(), QStringLiteral("Bee"));
    QCOMPARE(list(w, "messages_list")->item(1)->text(), QStringLiteral("A two"));

    w.writeGroups();
    MainWindow restarted;
    const MessageItem *custom = restarted.categories.last();
    QCOMPARE(texts(custom->children()), (QStringList{"A", "Bee"}));
    QCOMPARE(texts(custom->child(0)->children()), (QStringList{"a1", "A two"}));
}

void TestEditing::removeSubcategory_data()
{
    QTest::addColumn<QStringList>("subcategories"); // "*" before a name: all its messages checked
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<int>("categoryState");

    QTest::newRow("last row while current") << QStringList{"A", "B", "C"} << 2 << QStringList{"A", "B"} << 1 << 0;
    QTest::newRow("middle row") << QStringList{"A", "B", "C"} << 1 << QStringList{"A", "C"} << 1 << 0;
    QTest::newRow("first row") << QStringList{"A", "B", "C"} << 0 << QStringList{"B", "C"} << 0 << 0;
    QTest::newRow("unchecked one between checked")
        << QStringList{"*A", "B", "*C"} << 1 << QStringList{"A", "C"} << 1 << 2;
    QTest::newRow("the checked one") << QStringList{"*A", "B"} << 0 << QStringList{"B"} << 0 << 0;
    QTest::newRow("the only one") << QStringList{"*A"} << 0 << QStringList{} << -1 << 0;
}

void TestEditing::removeSubcategory()
{
    QFETCH(QStringList, subcategories);
    QFETCH(int, current);
    QFETCH(QStringList, remaining);
    QFETCH(int, currentAfter);
    QFETCH(int, categoryState);

    MainWindow &w = *window;
    QList<QPair<QString, QStringList>> tree;
    for (const QString &entry : subcategories) {
        const QString mark = entry.startsWith(QLatin1Char('*')) ? QStringLiteral("*") : QString();
        const QString name = entry.mid(mark.size());
        tree.append({name, {mark + name.toLower() + "1", mark + name.toLower() + "2"}});
    }
    fillCustom(tree);
    list(w, "subcategory_list")->setCurrentRow(current);
    QPointer<MessageItem> removed = w.categories.last()->child(current);

    button(w, QStringLiteral("subcat_delete"))->click();

    QCOMPARE(texts(w.categories.last()->children()), remaining);
    QCOMPARE(list(w, "category_list")->item(w.categories.size() - 1)->checkState(), Qt::CheckState(categoryState));
    QCOMPARE(w.categories.last()->checkState(), categoryState);
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
    if (currentAfter >= 0)
        QCOMPARE(w.currentSubcategory, currentAfter);
    else
        QCOMPARE(list(w, "messages_list")->count(), 0);
    QVERIFY(enabled(w, "subcat_add"));
    for (const char *name : {"subcat_edit", "subcat_delete", "message_add", "message_edit", "message_delete"})
        QCOMPARE(enabled(w, name), !remaining.isEmpty());

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(removed);
    QVERIFY(MainWindowTestAccess::retiredItems(w).contains(removed.data()));
    QCOMPARE(removed->childCount(), 2);
}

void TestEditing::removeMessage_data()
{
    QTest::addColumn<QStringList>("messages"); // of A; B holds one unchecked message
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<int>("subcategoryState");
    QTest::addColumn<int>("categoryState");

    QTest::newRow("middle message") << QStringList{"a1", "a2", "a3"} << 1 << QStringList{"a1", "a3"} << 0 << 0;
    QTest::newRow("last row while current") << QStringList{"a1", "a2", "a3"} << 2 << QStringList{"a1", "a2"} << 0 << 0;
    QTest::newRow("unchecked one between checked")
        << QStringList{"*a1", "a2", "*a3"} << 1 << QStringList{"a1", "a3"} << 2 << 1;
    QTest::newRow("the checked one") << QStringList{"*a1", "a2"} << 0 << QStringList{"a2"} << 0 << 0;
    QTest::newRow("the only one") << QStringList{"*a1"} << 0 << QStringList{} << 0 << 0;
}

void TestEditing::removeMessage()
{
    QFETCH(QStringList, messages);
    QFETCH(int, row);
    QFETCH(QStringList, remaining);
    QFETCH(int, subcategoryState);
    QFETCH(int, categoryState);

    MainWindow &w = *window;
    fillCustom({{"A", messages}, {"B", {"b1"}}});
    list(w, "messages_list")->setCurrentRow(row);
    // A running session holds the message.
    QPointer<MessageItem> removed = w.categories.last()->child(0)->child(row);
    const QString removedText = removed->text();
    w.messageList = {removed.data()};

    button(w, QStringLiteral("message_delete"))->click();

    QCOMPARE(w.currentSubcategory, 0);
    QCOMPARE(texts(w.categories.last()->child(0)->children()), remaining);
    QCOMPARE(list(w, "subcategory_list")->item(0)->checkState(), Qt::CheckState(subcategoryState));
    QCOMPARE(list(w, "category_list")->item(w.categories.size() - 1)->checkState(), Qt::CheckState(categoryState));
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
    QCOMPARE(list(w, "messages_list")->currentRow(), remaining.isEmpty() ? -1 : 0);
    QCOMPARE(enabled(w, "message_edit"), !remaining.isEmpty());
    QCOMPARE(enabled(w, "message_delete"), !remaining.isEmpty());

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(removed);
    QCOMPARE(w.messageList.first()->text(), removedText);
    QVERIFY(MainWindowTestAccess::retiredItems(w).contains(removed.data()));
}

void TestEditing::addedMessageUpdatesStates_data()
{
    QTest::addColumn<QStringList>("a");
    QTest::addColumn<QStringList>("b");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("subcategoryState");
    QTest::addColumn<int>("categoryState");

    QTest::newRow("checked subcategory turns partial")
        << QStringList{"*a1", "*a2"} << QStringList{"*b1"} << 0 << 1 << 1;
    QTest::newRow("second subcategory turns partial") << QStringList{"*a1"} << QStringList{"*b1"} << 1 << 1 << 1;
    QTest::newRow("unchecked subcategory stays unchecked") << QStringList{"a1"} << QStringList{"*b1"} << 0 << 0 << 1;
    QTest::newRow("empty subcategory") << QStringList{} << QStringList{"*b1"} << 0 << 0 << 1;
}

void TestEditing::addedMessageUpdatesStates()
{
    QFETCH(QStringList, a);
    QFETCH(QStringList, b);
    QFETCH(int, selected);
    QFETCH(int, subcategoryState);
    QFETCH(int, categoryState);

    MainWindow &w = *window;
    fillCustom({{"A", a}, {"B", b}});
    list(w, "subcategory_list")->setCurrentRow(selected);
    MessageItem *subcategory = w.categories.last()->child(selected);
    const int checkedBefore = a.filter(QStringLiteral("*")).size() + b.filter(QStringLiteral("*")).size();
    answerDialogs(QStringLiteral("new"), true);

    button(w, QStringLiteral("message_add"))->click();

    QCOMPARE(subcategory->children().last()->text(), QStringLiteral("new"));
    QVERIFY(!subcategory->children().last()->isChecked());
    QCOMPARE(subcategory->checkState(), subcategoryState);
    QCOMPARE(list(w, "subcategory_list")->item(selected)->checkState(), Qt::CheckState(subcategoryState));
    QCOMPARE(w.categories.last()->checkState(), categoryState);
    QVERIFY2(browserMismatch(w).isEmpty(), qPrintable(browserMismatch(w)));
    int checkedAfter = 0;
    for (const MessageItem *node : w.categories.last()->children())
        for (const MessageItem *message : node->children())
            checkedAfter += message->isChecked() ? 1 : 0;
    QCOMPARE(checkedAfter, checkedBefore);
    if (w.currentSubcategory == selected)
        QCOMPARE(list(w, "messages_list")->currentRow(), subcategory->childCount() - 1);
}

void TestEditing::realDialogIsModalOverTheWindow()
{
    MainWindow &w = *window;
    fillCustom({});
    QPointer<QWidget> seen;
    QWidget *parent = nullptr;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<NewMessageDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        seen = dialog;
        parent = dialog->parentWidget();
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("Evening"));
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    poll.start();

    button(w, QStringLiteral("subcat_add"))->click();

    QVERIFY(!poll.isActive());
    QCOMPARE(parent, &w);
    QCOMPARE(texts(w.categories.last()->children()), QStringList{"Evening"});
    QCOMPARE(list(w, "subcategory_list")->item(0)->text(), QStringLiteral("Evening"));
    QVERIFY(!seen); // deleted once closed
}

GLIMRA_TEST_MAIN(TestEditing)
#include "test_editing.moc"
