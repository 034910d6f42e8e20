#include "displaydialog.h"
#include "ui_displaydialog.h"

#include "classchoices.h"
#include "translator.h"

#include <QPushButton>

DisplayDialog::DisplayDialog(const QString &display, const QString &category, const QString &roomClass,
                             QWidget *parent)
    : QDialog(parent), m_ui(new Ui::DisplayDialog)
{
    m_ui->setupUi(this);
    TR::Translator *translator = TR::Translator::instance();
    translator->translateObject(this, true);
    setWindowTitle(translator->translate(QStringLiteral("displayDialog_title")));
    m_ui->displayLabel->setText(display);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setText(translator->translate(QStringLiteral("ok")));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(translator->translate(QStringLiteral("cancel")));
    ClassChoices::fillCategories(m_ui->categoryComboBox);
    ClassChoices::fillRoomClasses(m_ui->roomClassComboBox);
    ClassChoices::choose(m_ui->categoryComboBox, category);
    ClassChoices::choose(m_ui->roomClassComboBox, roomClass);
}

DisplayDialog::~DisplayDialog() = default;

QString DisplayDialog::category() const
{
    return m_ui->categoryComboBox->currentData().toString();
}

QString DisplayDialog::roomClass() const
{
    return m_ui->roomClassComboBox->currentData().toString();
}
