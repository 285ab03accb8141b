#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "library/checkstates.h"
#include "library/messageitem.h"

#include <QSignalBlocker>

// Rows carry no node pointers: row i of a list is node i of the list it was filled from.
// Check changes cascade synchronously through the lists' itemChanged signals and may rebuild a
// list while one of its items is still being handled, so a handler reads what it needs from its
// item first and never touches the item again afterwards.

namespace {

void setRowState(QListWidgetItem *row, int state)
{
    // Storing an equal state raises no itemChanged; that is what ends the cascades.
    if (row)
        row->setData(Qt::CheckStateRole, state);
}

} // namespace

QListWidgetItem *MainWindow::createListItem(MessageItem *item) const
{
    auto *row = new QListWidgetItem(item->text());
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setData(Qt::CheckStateRole, item->checkState());
    return row;
}

QListWidgetItem *MainWindow::createUncheckedItem(const QString &text) const
{
    auto *row = new QListWidgetItem(text);
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setData(Qt::CheckStateRole, static_cast<int>(Qt::Unchecked));
    return row;
}

void MainWindow::fillList(QListWidget *list, const QList<MessageItem *> &items)
{
    // A copy: the cascades raised by the insertions must not pull the list from under the loop.
    const QList<MessageItem *> nodes = items;
    list->clear();
    // Rows are measured one by one, so that each is as wide as its text and a long message
    // scrolls. A list too long for that takes every row's size from one of them: it fills and
    // repaints at once, and a message wider than the list is elided.
    constexpr int MeasuredRowsLimit = 1000;
    list->setUniformItemSizes(nodes.size() > MeasuredRowsLimit);
    for (MessageItem *node : nodes)
        list->addItem(createListItem(node));
    if (list->count() > 0)
        list->setCurrentRow(0);
}

void MainWindow::fillCategoryList()
{
    fillList(ui->category_list, categories);
    if (ui->category_list->count() > 0)
        ui->category_list->setFocus(Qt::OtherFocusReason);
}

int MainWindow::aggregateState(const QList<MessageItem *> &items)
{
    return CheckStates::aggregate(items);
}

void MainWindow::showCustomRowText()
{
    // Only the displayed name changes: the node keeps the file's text, and the check cascades
    // must not see an edit.
    if (const int rows = ui->category_list->count()) {
        const QSignalBlocker blocker(ui->category_list);
        ui->category_list->item(rows - 1)->setText(tr("Custom messages"));
    }
}

void MainWindow::fillSubcatigories()
{
    // Each inserted row may change the category's state, whose handling asks for this very list
    // again. Such a request is remembered and served once the running fill is complete.
    if (fillingSubcategories) {
        subcategoryRefillPending = true;
        return;
    }
    fillingSubcategories = true;
    do {
        subcategoryRefillPending = false;
        const MessageItem *category = categories.value(currentCategory, nullptr);
        fillList(ui->subcategory_list, category ? category->children() : QList<MessageItem *>());
        // Every inserted row would give the category the same state from the same children:
        // it follows them once per fill instead of once per row.
        if (ui->subcategory_list->count() > 0)
            followSubcategories();
    } while (subcategoryRefillPending);
    fillingSubcategories = false;
    if (ui->subcategory_list->count() == 0)
        ui->messages_list->clear();
    updateEditButtons();
}

void MainWindow::updateEditButtons()
{
    // Only the custom category, the last one, can be edited.
    const bool custom = currentCategory == categories.size() - 1;
    ui->subcat_control->setEnabled(custom);
    ui->message_control->setEnabled(custom);
    const bool hasSubcategories = ui->subcategory_list->count() > 0;
    const bool hasMessages = hasSubcategories && ui->messages_list->count() > 0;
    ui->subcat_edit->setEnabled(hasSubcategories);
    ui->subcat_delete->setEnabled(hasSubcategories);
    ui->message_add->setEnabled(hasSubcategories);
    ui->message_edit->setEnabled(hasMessages);
    ui->message_delete->setEnabled(hasMessages);
}

void MainWindow::fillMessages(int p_Subcategory)
{
    // A cascade may ask several times; the outermost list handler fills the list once.
    if (listHandlerDepth > 0) {
        pendingMessagesFill = p_Subcategory;
        return;
    }
    const MessageItem *category = categories.value(currentCategory, nullptr);
    const MessageItem *subcategory = category ? category->children().value(p_Subcategory, nullptr) : nullptr;
    fillList(ui->messages_list, subcategory ? subcategory->children() : QList<MessageItem *>());
    updateEditButtons();
}

void MainWindow::categoryClicked(int p_Category)
{
    currentCategory = p_Category;
    fillSubcatigories();
    updateEditButtons();
}

void MainWindow::subcategoryClicked(int p_Category)
{
    currentSubcategory = p_Category;
    fillMessages(p_Category);
}

void MainWindow::categoryChecked(int p_Category, Qt::CheckState checkState)
{
    libraryChanged();
    MessageItem *category = categories.value(p_Category, nullptr);
    if (!category)
        return;
    CheckStates::apply(category, checkState);

    if (p_Category == currentCategory)
        categoryClicked(p_Category);
}

void MainWindow::subcategoryChecked(int subcategory, Qt::CheckState checkState)
{
    libraryChanged();
    MessageItem *category = categories.value(currentCategory, nullptr);
    MessageItem *node = category ? category->children().value(subcategory, nullptr) : nullptr;
    if (!node)
        return;
    CheckStates::apply(node, checkState);

    const int categoryState = aggregateState(category->children());
    category->setCheckState(categoryState);
    setRowState(ui->category_list->item(currentCategory), categoryState);

    if (currentSubcategory == subcategory)
        fillMessages(subcategory);
}

void MainWindow::messageChecked(int p_Message, Qt::CheckState checkState)
{
    libraryChanged();
    const MessageItem *category = categories.value(currentCategory, nullptr);
    MessageItem *subcategory = category ? category->children().value(currentSubcategory, nullptr) : nullptr;
    MessageItem *message = subcategory ? subcategory->children().value(p_Message, nullptr) : nullptr;
    if (!message)
        return;
    message->setCheckState(checkState);
    // The subcategory node follows in subcategoryChecked, raised by its row.
    setRowState(ui->subcategory_list->currentItem(), aggregateState(subcategory->children()));
}

void MainWindow::onSubcategoryListModified()
{
    if (!fillingSubcategories)
        handleListSignal([this] { followSubcategories(); });
}

void MainWindow::handleListSignal(const std::function<void()> &handler)
{
    ++listHandlerDepth;
    handler();
    if (--listHandlerDepth > 0 || !pendingMessagesFill)
        return;
    const int subcategory = *pendingMessagesFill;
    pendingMessagesFill.reset();
    fillMessages(subcategory);
}

void MainWindow::followSubcategories()
{
    MessageItem *category = categories.value(currentCategory, nullptr);
    if (!category)
        return;
    const int state = aggregateState(category->children());
    category->setCheckState(state);
    setRowState(ui->category_list->item(currentCategory), state);
}

void MainWindow::on_category_list_currentRowChanged(int currentRow)
{
    if (currentRow < 0 || currentRow >= ui->category_list->count())
        return;
    handleListSignal([this, currentRow] { categoryClicked(currentRow); });
}

void MainWindow::on_subcategory_list_currentRowChanged(int currentRow)
{
    if (currentRow < 0 || currentRow >= ui->subcategory_list->count())
        return;
    currentSubcategory = currentRow;
    fillMessages(currentRow);
}

void MainWindow::on_category_list_itemChanged(QListWidgetItem *item)
{
    const int row = ui->category_list->row(item);
    const auto state = static_cast<Qt::CheckState>(item->data(Qt::CheckStateRole).toInt());
    if (row >= 0)
        handleListSignal([=] { categoryChecked(row, state); });
}

void MainWindow::on_subcategory_list_itemChanged(QListWidgetItem *item)
{
    const int row = ui->subcategory_list->row(item);
    const auto state = static_cast<Qt::CheckState>(item->data(Qt::CheckStateRole).toInt());
    if (row >= 0)
        handleListSignal([=] { subcategoryChecked(row, state); });
}

void MainWindow::on_messages_list_itemChanged(QListWidgetItem *item)
{
    const int row = ui->messages_list->row(item);
    const auto state = static_cast<Qt::CheckState>(item->data(Qt::CheckStateRole).toInt());
    if (row >= 0)
        handleListSignal([=] { messageChecked(row, state); });
}
