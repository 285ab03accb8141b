#include "testhome.h"
#include "windowtesting.h"

#include "library/messageitem.h"

#include <QtWidgets>

template <typename Entry> QStringList entries(const QList<Entry *> &all) // each one's text and check state
{
    QStringList out;
    for (const Entry *entry : all)
        out << entry->text() + QString::number(entry->checkState());
    return out;
}

class TestBrowser : public QObject
{
    Q_OBJECT
    QScopedPointer<MainWindow> w;

    QListWidget *list(const QString &name) { return w->findChild<QListWidget *>(name); }
    QStringList rows(const QString &name) { return entries(list(name)->findItems("*", Qt::MatchWildcard)); }

    // The custom category as "state|subcategory:message,…|…", ">" marking the current subcategory.
    QString tree()
    {
        const MessageItem *custom = w->categories.last();
        QStringList out = entries(custom->children());
        for (int s = 0; s < out.size(); ++s)
            out[s] = QString(s == w->currentSubcategory, '>') + out[s] + ':' +
                     entries(custom->child(s)->children()).join(',');
        return (QStringList(QString::number(custom->checkState())) + out).join('|');
    }

    // Fills the custom category from a tree like tree()'s, less the category's state; "^" marks the current message.
    void fill(const QString &tree)
    {
        MessageItem *subcategory = nullptr;
        for (QString text : QString('|' + tree).split(QRegularExpression("[:,]|(?=\\|)"), Qt::SkipEmptyParts)) {
            auto *node = new MessageItem; // the window owns its tree
            text[0] == '|' ? w->categories.last()->addChild(subcategory = node) : subcategory->addChild(node);
            node->setText(text.remove(QRegularExpression("[|>^]")).chopped(1));
            node->setCheckState(text.right(1).toInt());
        }
        list("category_list")->setCurrentRow(w->categories.size() - 1);
        list("subcategory_list")->setCurrentRow(tree.left(tree.indexOf('>')).count('|'));
        list("messages_list")->setCurrentRow(tree.left(tree.indexOf('^')).section(':', -1).count(','));
    }

    // The lists show the current category's nodes, and each editing button is available when it applies.
    void verifyShown()
    {
        const MessageItem *category = w->categories.at(w->currentCategory);
        const MessageItem *current = category->children().value(w->currentSubcategory);
        QCOMPARE(int(list("category_list")->currentItem()->checkState()), category->checkState());
        QCOMPARE(rows("subcategory_list"), entries(category->children()));
        QCOMPARE(list("subcategory_list")->currentRow(), current ? w->currentSubcategory : -1);
        QCOMPARE(rows("messages_list"), current ? entries(current->children()) : QStringList());
        const bool custom = category == w->categories.last(), subs = current, msgs = subs && current->childCount();
        QVector<bool> available;
        for (const char *name : {"subcat_control", "message_control", "subcat_add", "subcat_edit", "subcat_delete",
                                 "message_add", "message_edit", "message_delete"})
            available << !w->findChild<QWidget *>(name)->testAttribute(Qt::WA_ForceDisabled); // whatever its panel's
        QCOMPARE(available, (QVector<bool>{custom, custom, true, subs, subs, subs, msgs, msgs}));
    }

private slots:
    void init() { w.reset(new MainWindow); }

    void customCategory_data()
    {
        QTest::addColumn<QString>("before"); // see fill()
        // "list row" clicks a box (-1: the last row); "button shown typed" answers the name dialog, with Cancel when
        // nothing is typed; "button removed" deletes.
        QTest::addColumn<QStringList>("step");
        QTest::addColumn<QString>("after"); // see tree()
        const auto row = [](const char *name, QString before, QString step, QString after) {
            QTest::newRow(name) << before << step.split(' ') << after;
        };
        row("entering", ">A0:a0,b0|B2:c2|C0:d0", "", "1|>A0:a0,b0|B2:c2|C0:d0");
        row("check message", "A0:a0|>B0:b0,c0", "messages_list 0", "1|>A0:a0|B1:b2,c0");
        row("check last message", "A2:a2|>B1:b2,c0", "messages_list 1", "2|>A2:a2|B2:b2,c2");
        row("uncheck message", "A0:a0|>B2:b2,c2", "messages_list 0", "1|A0:a0|>B1:b0,c2");
        row("check partial category", ">A2:a2|B0:b0,c0", "category_list -1", "2|>A2:a2|B2:b2,c2");
        row("uncheck category", ">A2:a2|B2:b2", "category_list -1", "0|>A0:a0|B0:b0");
        row("uncheck subcategory", "A2:a2|>B2:b2,c2|C2:d2", "subcategory_list 1", "1|>A2:a2|B0:b0,c0|C2:d2");
        row("uncheck other subcategory", "A0:a0|B2:b2|>C0:c0", "subcategory_list 1", "0|>A0:a0|B0:b0|C0:c0");
        row("check subcategory", "A1:a2,b0|>B0:c0|C0:d0", "subcategory_list 1", "1|A1:a2,b0|>B2:c2|C0:d0");
        row("add subcategory", "A0:a0|>B0:c0", "subcat_add  C", "0|A0:a0|B0:c0|>C0:");
        row("rename subcategory", "A0:a0|>B0:c0|C0:d0", "subcat_edit B D", "0|A0:a0|>D0:c0|C0:d0");
        row("cancel rename", "A0:a0|>B0:c0", "subcat_edit B", "0|A0:a0|>B0:c0");
        row("delete subcategory", "A0:a0|>B2:b2|C0:c0", "subcat_delete B2", "0|A0:a0|>C0:c0");
        row("delete last subcategory", "A2:a2|B2:b2|>C0:c0", "subcat_delete C0", "2|A2:a2|>B2:b2");
        row("delete only subcategory", ">A2:a2", "subcat_delete A2", "0");
        row("add message", "A0:a0|>B2:c2", "message_add  d", "1|A0:a0|>B1:c2,d0");
        row("change message", "A0:a0,b0|B0:c0|>C0:d0,^e0", "message_edit e f", "0|A0:a0,b0|B0:c0|>C0:d0,f0");
        row("delete message", "A0:a0,b0|>B1:b2,^c0,d2", "message_delete c0", "1|A0:a0,b0|>B2:b2,d2");
        row("delete only message", "A0:a0|>B2:b2", "message_delete b2", "0|>A0:a0|B0:");
    }

    void customCategory()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, step);
        fill(before);
        MainWindowTestAccess::setNameDialogRunner(*w, [&](QDialog *opened) {
            auto *line = opened->findChild<QLineEdit *>();
            QCOMPARE(line->text(), step.at(1));
            line->setText(step.value(2));
            const auto button = step.size() > 2 ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel; // nothing typed
            opened->findChild<QDialogButtonBox *>()->button(button)->click();
        });

        if (step[0].endsWith("_list")) { // as a click: the press makes the row current, the release toggles its box
            QListWidget *clicked = list(step[0]);
            clicked->setCurrentRow((step[1].toInt() + clicked->count()) % clicked->count());
            QListWidgetItem *row = clicked->currentItem();
            row->setCheckState(row->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        } else if (!step[0].isEmpty())
            w->findChild<QPushButton *>(step[0])->click();

        QTEST(tree(), "after");
        verifyShown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w->findChild<QDialog *>("NewMessageDialog")); // the name dialog deletes itself when closed
        const QStringList removed = step[0].endsWith("delete") ? step.mid(1) : QStringList();
        QCOMPARE(entries(MainWindowTestAccess::retiredItems(*w)), removed); // kept: a session may still show them
    }

    void longListIsLaidOutWithoutMeasuringEachRow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows");
        for (const char *name : {"category_list", "subcategory_list", "messages_list"})
            QTest::newRow(name) << name << 2000;
        QTest::newRow("short list, each row as wide as its text") << "messages_list" << 10;
    }

    void longListIsLaidOutWithoutMeasuringEachRow() // measuring each of 10 000 messages takes a noticeable time
    {
        struct SizeCounter : QStyledItemDelegate
        {
            using QStyledItemDelegate::QStyledItemDelegate;
            mutable int sizes = 0;
            QSize sizeHint(const QStyleOptionViewItem &o, const QModelIndex &i) const override
            {
                ++sizes;
                return QStyledItemDelegate::sizeHint(o, i);
            }
        };
        QFETCH(QString, name);
        QFETCH(int, rows);
        QListWidget *shown = list(name);
        w->fillList(shown, QVector<MessageItem *>(rows, w->categories.first()).toList());
        auto *counter = new SizeCounter(shown);
        shown->setItemDelegate(counter);
        shown->doItemsLayout();
        QVERIFY2((counter->sizes >= rows) == (rows <= 1000), qPrintable(QString::number(counter->sizes)));
    }

    void importShowsItsCategoriesWithTheFocus()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.data()));
        list("messages_list")->setFocus();
        QVERIFY(writeFile(QDir::home().filePath("outline.txt"), "Calm\r\n\tBreath\r\n\t\tI breathe\r\n"));
        w->parseMessagesFromText(QDir::home().filePath("outline.txt"));
        QCOMPARE(rows("category_list").value(0), "Calm0");
        verifyShown();
        QTRY_VERIFY(list("category_list")->hasFocus());
    }
};

GLIMRA_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
