#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class NewMessageDialog;
}

// Asks for the name of a subcategory (kind 1) or the text of a message (any other kind).
// Deletes itself when closed.
class NewMessageDialog : public QDialog
{
    Q_OBJECT

signals:
    // The typed text, emitted once the dialog has been accepted.
    void textAccepted(QString p_Text);

public:
    static constexpr int SubcategoryKind = 1;
    static constexpr int MessageKind = 2;

    NewMessageDialog(int p_Type, QWidget *p_Parent, QString p_Text);
    ~NewMessageDialog() override;

private slots:
    void acceptText();

private:
    std::unique_ptr<Ui::NewMessageDialog> ui;
};
