#include "newmessagedialog.h"
#include "ui_newmessagedialog.h"

NewMessageDialog::NewMessageDialog(int p_Type, QWidget *p_Parent, QString p_Text)
    : QDialog(p_Parent), ui(std::make_unique<Ui::NewMessageDialog>())
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    if (p_Type == SubcategoryKind) {
        setWindowTitle(tr("Subcategory"));
        ui->label->setText(tr("Enter subcategory name:"));
    } else {
        setWindowTitle(tr("Message"));
        ui->label->setText(tr("Enter your message:"));
    }
    ui->lineEdit->setText(p_Text);

    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // accepted() comes after the dialog has closed, so the receiver may open the next one.
    connect(this, &QDialog::accepted, this, &NewMessageDialog::acceptText);
}

NewMessageDialog::~NewMessageDialog() = default;

void NewMessageDialog::acceptText()
{
    emit textAccepted(ui->lineEdit->text());
}
