#include "testhome.h"
#include "windowtesting.h"

#include "library/messageitem.h"

#include <QtWidgets>

#include <memory>

// Each entry as its text followed by its check state.
template <typename Entry> QStringList entries(const QList<Entry *> &all)
{
    QStringList out;
    for (const Entry *entry : all)
        out << entry->text() + QString::number(entry->checkState());
    return out;
}

class TestBrowser : public QObject
{
    Q_OBJECT
    std::unique_ptr<MainWindow> w;

    QListWidget *list(const QString &name) { return w->findChild<QListWidget *>(name); }
    QStringList rows(const QString &name) { return entries(list(name)->findItems("*", Qt::MatchWildcard)); }

    // The custom category as "state|subcategory:message,…|…", ">" marking the current subcategory.
    QString tree()
    {
        const MessageItem *category = w->categories.last();
        QStringList out = entries(category->children());
        for (int s = 0; s < out.size(); ++s)
            out[s] = (s == w->currentSubcategory ? ">" : "") + out[s] + ':' +
                     entries(category->child(s)->children()).join(',');
        return (QStringList(QString::number(category->checkState())) + out).join('|');
    }

    // Fills the custom category from a tree written like tree()'s, less the category's state, and shows it;
    // "^" marks the current message.
    void fill(const QString &tree)
    {
        for (const QString &segment : tree.split('|')) {
            MessageItem *subcategory = nullptr;
            for (QString text : segment.split(QRegularExpression("[:,]"), Qt::SkipEmptyParts)) {
                auto *node = new MessageItem; // the window owns its tree
                node->setText(text.remove(QRegularExpression("[>^]")).chopped(1));
                node->setCheckState(text.right(1).toInt());
                subcategory ? subcategory->addChild(node) : w->categories.last()->addChild(subcategory = node);
            }
        }
        list("category_list")->setCurrentRow(w->categories.size() - 1);
        list("subcategory_list")->setCurrentRow(tree.left(tree.indexOf('>')).count('|'));
        list("messages_list")->setCurrentRow(tree.left(tree.indexOf('^')).section(':', -1).count(','));
    }

    // The lists show the current category's nodes, and each editing button is available when it applies.
    void verifyShown()
    {
        const MessageItem *category = w->categories.at(w->currentCategory);
        const MessageItem *subcategory = category->children().value(w->currentSubcategory);
        QCOMPARE(int(list("category_list")->currentItem()->checkState()), category->checkState());
        QCOMPARE(rows("subcategory_list"), entries(category->children()));
        QCOMPARE(list("subcategory_list")->currentRow(), subcategory ? w->currentSubcategory : -1);
        QCOMPARE(rows("messages_list"), subcategory ? entries(subcategory->children()) : QStringList());
        const bool custom = category == w->categories.last(), subs = subcategory,
                   messages = subs && subcategory->childCount();
        QVector<bool> available;
        for (const char *name : {"subcat_control", "message_control", "subcat_add", "subcat_edit", "subcat_delete",
                                 "message_add", "message_edit", "message_delete"})
            available << !w->findChild<QWidget *>(name)->testAttribute(Qt::WA_ForceDisabled); // whatever its panel's
        QCOMPARE(available, (QVector<bool>{custom, custom, true, subs, subs, subs, messages, messages}));
    }

private slots:
    void init() { w = std::make_unique<MainWindow>(); }

    void customCategory_data()
    {
        QTest::addColumn<QString>("before"); // see fill()
        // Empty: entering only; a list and the row whose box is clicked (-1: the last); or a button, the
        // name dialog's text and the text typed (none: Cancel).
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("after"); // see tree()
        const auto row = [](const char *name, QString before, QString step, QString after) {
            QTest::newRow(name) << before << step << after;
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
        row("delete subcategory", "A0:a0|>B2:b2|C0:c0", "subcat_delete", "0|A0:a0|>C0:c0");
        row("delete last subcategory", "A2:a2|B2:b2|>C0:c0", "subcat_delete", "2|A2:a2|>B2:b2");
        row("delete only subcategory", ">A2:a2", "subcat_delete", "0");
        row("add message", "A2:a2|>B0:c0", "message_add  d", "1|A2:a2|>B0:c0,d0");
        row("change message", "A0:a0,b0|B0:c0|>C0:d0,^e0", "message_edit e f", "0|A0:a0,b0|B0:c0|>C0:d0,f0");
        row("delete message", "A0:a0,b0|>B1:b2,^c0,d2", "message_delete", "1|A0:a0,b0|>B2:b2,d2");
        row("delete only message", "A0:a0|>B2:b2", "message_delete", "0|>A0:a0|B0:");
    }

    void customCategory()
    {
        QFETCH(QString, before);
        QFETCH(QString, step);
        const QStringList args = step.split(' ');
        fill(before);
        MessageItem *subcategory = w->categories.last()->child(w->currentSubcategory);
        const QPointer<MessageItem> removed =
            step == "message_delete" ? subcategory->child(list("messages_list")->currentRow()) : subcategory;
        QPointer<QDialog> dialog;
        MainWindowTestAccess::setNameDialogRunner(*w, [&](QDialog *opened) {
            auto *line = (dialog = opened)->findChild<QLineEdit *>();
            QCOMPARE(line->text(), args.at(1));
            line->setText(args.value(2));
            const auto button = args.size() > 2 ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel;
            opened->findChild<QDialogButtonBox *>()->button(button)->click();
        });

        if (step.contains("_list")) { // as a click: the press makes the row current, the release toggles its box
            QListWidget *clicked = list(args[0]);
            clicked->setCurrentRow(args[1].toInt() < 0 ? clicked->count() - 1 : args[1].toInt());
            QListWidgetItem *row = clicked->currentItem();
            row->setCheckState(row->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        } else if (!step.isEmpty()) {
            w->findChild<QPushButton *>(args[0])->click();
        }

        QTEST(tree(), "after");
        verifyShown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog); // deletes itself when closed
        // A running session may still show what was removed.
        QCOMPARE(removed && MainWindowTestAccess::retiredItems(*w).contains(removed), step.endsWith("delete"));
    }

    void importShowsItsCategoriesWithTheFocus()
    {
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        list("messages_list")->setFocus();
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("outline.txt"), "Calm\r\n\tBreath\r\n\t\tI breathe\r\n"));
        w->parseMessagesFromText(dir.filePath("outline.txt"));
        QCOMPARE(rows("category_list").value(0), "Calm0");
        verifyShown();
        QTRY_VERIFY(list("category_list")->hasFocus());
    }
};

GLIMRA_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
