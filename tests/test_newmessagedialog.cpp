#include "testhome.h"

#include "mainwindow/newmessagedialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestNewMessageDialog : public QObject
{
    Q_OBJECT

private slots:
    void kindChoosesTexts_data();
    void kindChoosesTexts();
    void onlyAcceptingEmitsTheText_data();
    void onlyAcceptingEmitsTheText();
};

void TestNewMessageDialog::kindChoosesTexts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label");
    QTest::newRow("subcategory") << 1 << "Subcategory"
                                 << "Enter subcategory name:";
    QTest::newRow("message") << 2 << "Message"
                             << "Enter your message:";
    QTest::newRow("any other kind") << 0 << "Message"
                                    << "Enter your message:";
}

void TestNewMessageDialog::kindChoosesTexts()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, label);

    QWidget parent;
    auto *dialog = new NewMessageDialog(kind, &parent, QStringLiteral("Morning"));
    QCOMPARE(dialog->parentWidget(), &parent);
    QCOMPARE(dialog->windowTitle(), title);
    QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("label"))->text(), label);
    QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text(), QStringLiteral("Morning"));
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
}

void TestNewMessageDialog::onlyAcceptingEmitsTheText_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("emits");
    QTest::newRow("OK button") << "ok" << true;
    QTest::newRow("Enter in the line") << "enter" << true;
    QTest::newRow("Cancel button") << "cancel" << false;
    QTest::newRow("Escape") << "escape" << false;
    QTest::newRow("closed") << "close" << false;
}

void TestNewMessageDialog::onlyAcceptingEmitsTheText()
{
    QFETCH(QString, how);
    QFETCH(bool, emits);

    QPointer<NewMessageDialog> dialog = new NewMessageDialog(2, nullptr, QStringLiteral("old"));
    QSignalSpy accepted(dialog.data(), &NewMessageDialog::textAccepted);
    QSignalSpy destroyed(dialog.data(), &QObject::destroyed);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    auto *line = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    line->setText(QStringLiteral("I am calm"));
    auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));

    if (how == "ok")
        buttons->button(QDialogButtonBox::Ok)->click();
    else if (how == "enter")
        QTest::keyClick(line, Qt::Key_Return);
    else if (how == "cancel")
        buttons->button(QDialogButtonBox::Cancel)->click();
    else if (how == "escape")
        QTest::keyClick(line, Qt::Key_Escape);
    else
        dialog->close();

    QVERIFY(destroyed.wait());
    QCOMPARE(accepted.size(), emits ? 1 : 0);
    if (emits)
        QCOMPARE(accepted.first().first().toString(), QStringLiteral("I am calm"));
}

GLIMRA_TEST_MAIN(TestNewMessageDialog)
#include "test_newmessagedialog.moc"
