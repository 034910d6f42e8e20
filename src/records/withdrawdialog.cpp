#include "withdrawdialog.h"
#include "ui_withdrawdialog.h"

#include "translator.h"

#include <QPushButton>

WithdrawDialog::WithdrawDialog(const QString &session, QWidget *parent) : QDialog(parent), m_ui(new Ui::WithdrawDialog)
{
    m_ui->setupUi(this);
    TR::Translator *translator = TR::Translator::instance();
    translator->translateObject(this, true);
    setWindowTitle(translator->translate(QStringLiteral("records_withdrawTitle")));
    m_ui->sessionLabel->setText(session);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setText(translator->translate(QStringLiteral("records_withdraw")));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(translator->translate(QStringLiteral("cancel")));
    connect(m_ui->byLineEdit, &QLineEdit::textChanged, this, &WithdrawDialog::updateOk);
    connect(m_ui->reasonPlainTextEdit, &QPlainTextEdit::textChanged, this, &WithdrawDialog::updateOk);
    updateOk();
}

WithdrawDialog::~WithdrawDialog() = default;

QString WithdrawDialog::by() const
{
    return m_ui->byLineEdit->text().trimmed();
}

QString WithdrawDialog::reason() const
{
    return m_ui->reasonPlainTextEdit->toPlainText().trimmed();
}

void WithdrawDialog::setBy(const QString &by)
{
    m_ui->byLineEdit->setText(by);
}

void WithdrawDialog::setReason(const QString &reason)
{
    m_ui->reasonPlainTextEdit->setPlainText(reason);
}

void WithdrawDialog::updateOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!by().isEmpty() && !reason().isEmpty());
}
