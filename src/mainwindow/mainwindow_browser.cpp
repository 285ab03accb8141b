#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "library/messageitem.h"

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
    row->setData(Qt::CheckStateRole, Qt::Unchecked);
    return row;
}

void MainWindow::fillList(QListWidget *list, const QList<MessageItem *> &items)
{
    Q_UNUSED(list)
    Q_UNUSED(items)
}

void MainWindow::fillCategoryList() {}
int MainWindow::aggregateState(const QList<MessageItem *> &items)
{
    Q_UNUSED(items)
    return 0;
}
void MainWindow::fillSubcatigories() {}
void MainWindow::fillMessages(int) {}
void MainWindow::categoryClicked(int) {}
void MainWindow::subcategoryClicked(int) {}
void MainWindow::categoryChecked(int, Qt::CheckState) {}
void MainWindow::subcategoryChecked(int, Qt::CheckState) {}
void MainWindow::messageChecked(int, Qt::CheckState) {}
void MainWindow::onSubcategoryListModified() {}
void MainWindow::on_category_list_currentRowChanged(int) {}
void MainWindow::on_subcategory_list_currentRowChanged(int) {}
void MainWindow::on_category_list_itemChanged(QListWidgetItem *) {}
void MainWindow::on_subcategory_list_itemChanged(QListWidgetItem *) {}
void MainWindow::on_messages_list_itemChanged(QListWidgetItem *) {}
