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
    ClassChoices::fillRoomClasses(m_ui->roomClassComboBox);
    ClassChoices::choose(m_ui->roomClassComboBox, roomClass);
    offerCategories();
    ClassChoices::choose(m_ui->categoryComboBox, category);
    connect(m_ui->roomClassComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &DisplayDialog::offerCategories);
    m_ui->workstationLabel->hide();
    m_ui->workstationComboBox->hide();
}

void DisplayDialog::offerCategories()
{
    ClassChoices::fillCategories(m_ui->categoryComboBox, roomClass());
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(m_ui->categoryComboBox->count() > 0);
}

void DisplayDialog::offerWorkstations(const QString &workstation, const QStringList &known)
{
    QComboBox *combo = m_ui->workstationComboBox;
    combo->clear();
    combo->addItem(TR::Translator::instance()->translate(QStringLiteral("plan_thisStation")), QString());
    for (const QString &name : known) {
        if (!name.isEmpty())
            combo->addItem(name, name);
    }
    if (!workstation.isEmpty() && combo->findData(workstation) < 0)
        combo->addItem(workstation, workstation);
    combo->setCurrentIndex(qMax(0, combo->findData(workstation)));
    m_ui->workstationLabel->show();
    combo->show();
}

QString DisplayDialog::workstation() const
{
    // A name typed in is a workstation of its own; the first item is this station.
    const QComboBox *combo = m_ui->workstationComboBox;
    const int index = combo->findText(combo->currentText());
    return index >= 0 ? combo->itemData(index).toString() : combo->currentText().trimmed();
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
