#include "mainwindow.h"
#include "newmessagedialog.h"
#include "ui_mainwindow.h"

#include "library/messageitem.h"

#include <QSignalBlocker>

// Editing of the custom category. The buttons are reachable only while it is the current
// category (see categoryClicked), so the slots work on the current category and subcategory.
// Row changes made here run the browser's check cascades, which may rebuild the lists; rows are
// therefore addressed by index after such a change, never through an item kept from before.

void MainWindow::runNameDialog(int p_Type, const QString &p_Text, void (MainWindow::*p_Result)(QString))
{
    auto *dialog = new NewMessageDialog(p_Type, this, p_Text);
    connect(dialog, &NewMessageDialog::textAccepted, this, p_Result);
    if (nameDialogRunner)
        nameDialogRunner(dialog);
    else
        dialog->exec();
}

void MainWindow::addSubcategory()
{
    runNameDialog(NewMessageDialog::SubcategoryKind, QString(), &MainWindow::addedSubcategory);
}

void MainWindow::editSubcategory()
{
    const QListWidgetItem *row = ui->subcategory_list->currentItem();
    runNameDialog(NewMessageDialog::SubcategoryKind, row ? row->text() : QString(), &MainWindow::editedSubcategory);
}

void MainWindow::addMessage()
{
    runNameDialog(NewMessageDialog::MessageKind, QString(), &MainWindow::addedMessage);
}

void MainWindow::editMessage()
{
    const QListWidgetItem *row = ui->messages_list->currentItem();
    runNameDialog(NewMessageDialog::MessageKind, row ? row->text() : QString(), &MainWindow::editedMessage);
}

void MainWindow::addedSubcategory(QString p_Name)
{
    libraryChanged();
    MessageItem *category = categories.value(currentCategory, nullptr);
    if (!category)
        return;
    auto *node = new MessageItem;
    node->setText(p_Name);
    category->addChild(node);

    // The insertion makes the category follow its children, which may rebuild the list.
    ui->subcategory_list->addItem(createUncheckedItem(p_Name));
    ui->subcategory_list->setCurrentRow(ui->subcategory_list->count() - 1);

    updateEditButtons();
}

void MainWindow::editedSubcategory(QString p_Name)
{
    libraryChanged();
    MessageItem *category = categories.value(currentCategory, nullptr);
    if (MessageItem *node = category ? category->children().value(currentSubcategory, nullptr) : nullptr)
        node->setText(p_Name);
    // The node first: the row's change runs the cascades, which may rebuild the rows from the nodes.
    if (QListWidgetItem *row = ui->subcategory_list->currentItem())
        row->setText(p_Name);
}

void MainWindow::removeSubcategory()
{
    libraryChanged();
    MessageItem *category = categories.value(currentCategory, nullptr);
    if (!category)
        return;
    // A running session may still show its messages, so the node is kept alive.
    if (currentSubcategory >= 0 && currentSubcategory < category->childCount())
        retiredItems.append(category->children().takeAt(currentSubcategory));

    const int row = ui->subcategory_list->currentRow();
    if (row >= 0) {
        // The list's own row-change signals would refill the messages from a half-updated state;
        // its model still tells onSubcategoryListModified about the removal.
        const QSignalBlocker blocker(ui->subcategory_list);
        delete ui->subcategory_list->takeItem(row);
    }

    if (category->childCount() == 0) {
        category->setCheckState(Qt::Unchecked);
        if (QListWidgetItem *categoryRow = ui->category_list->item(currentCategory))
            categoryRow->setData(Qt::CheckStateRole, static_cast<int>(Qt::Unchecked));
        currentSubcategory = 0;
    } else {
        const int state = aggregateState(category->children());
        category->setCheckState(state);
        if (QListWidgetItem *categoryRow = ui->category_list->item(currentCategory))
            categoryRow->setData(Qt::CheckStateRole, state);
        if (currentSubcategory < 0 || currentSubcategory >= ui->subcategory_list->count())
            currentSubcategory = ui->subcategory_list->count() - 1;
        // The list moved its selection on its own while its signals were blocked; show the row
        // whose messages are listed.
        {
            const QSignalBlocker blocker(ui->subcategory_list);
            ui->subcategory_list->setCurrentRow(currentSubcategory);
        }
        fillMessages(currentSubcategory);
    }

    updateEditButtons();
}

void MainWindow::addedMessage(QString p_Text)
{
    libraryChanged();
    MessageItem *category = categories.value(currentCategory, nullptr);
    MessageItem *subcategory = category ? category->children().value(currentSubcategory, nullptr) : nullptr;
    if (!subcategory)
        return;
    auto *node = new MessageItem;
    node->setText(p_Text);
    subcategory->addChild(node);

    ui->messages_list->addItem(createUncheckedItem(p_Text));
    ui->messages_list->setCurrentRow(ui->messages_list->count() - 1);
    updateEditButtons();

    // The new message is unchecked, so a checked subcategory is now only partly checked; its row
    // carries the change on to the category.
    const int state = aggregateState(subcategory->children());
    subcategory->setCheckState(state);
    if (QListWidgetItem *subcategoryRow = ui->subcategory_list->item(currentSubcategory))
        subcategoryRow->setData(Qt::CheckStateRole, state);
    // That cascade may have refilled the messages; the new one stays current while its list is shown.
    if (category->children().value(currentSubcategory, nullptr) == subcategory)
        ui->messages_list->setCurrentRow(ui->messages_list->count() - 1);
}

void MainWindow::editedMessage(QString p_Text)
{
    libraryChanged();
    const MessageItem *category = categories.value(currentCategory, nullptr);
    const MessageItem *subcategory = category ? category->children().value(currentSubcategory, nullptr) : nullptr;
    const int row = ui->messages_list->currentRow();
    if (MessageItem *node = subcategory ? subcategory->children().value(row, nullptr) : nullptr)
        node->setText(p_Text);
    // The node first: the row's change runs the cascades, which may rebuild the rows from the nodes.
    if (QListWidgetItem *item = ui->messages_list->item(row))
        item->setText(p_Text);
}

void MainWindow::removeMessage()
{
    libraryChanged();
    MessageItem *category = categories.value(currentCategory, nullptr);
    MessageItem *subcategory = category ? category->children().value(currentSubcategory, nullptr) : nullptr;
    if (!subcategory)
        return;
    const int row = ui->messages_list->currentRow();
    // A running session may still show the message, so it is kept alive.
    if (row >= 0 && row < subcategory->childCount())
        retiredItems.append(subcategory->children().takeAt(row));
    if (row >= 0)
        delete ui->messages_list->takeItem(row);

    const int state = subcategory->childCount() == 0 ? int(Qt::Unchecked) : aggregateState(subcategory->children());
    subcategory->setCheckState(state);
    // The row's change carries the new state on to the category.
    if (QListWidgetItem *subcategoryRow = ui->subcategory_list->item(currentSubcategory))
        subcategoryRow->setData(Qt::CheckStateRole, state);
    if (subcategory->childCount() > 0) {
        if (currentSubcategory < 0 || currentSubcategory >= ui->subcategory_list->count())
            currentSubcategory = ui->subcategory_list->count() - 1;
        fillMessages(currentSubcategory);
    }

    updateEditButtons();
}
