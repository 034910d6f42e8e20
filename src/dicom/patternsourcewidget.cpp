#include "patternsourcewidget.h"
#include "ui_patternsourcewidget.h"

#include "translator.h"

PatternSourceWidget::PatternSourceWidget(QWidget *parent) : QWidget(parent), m_ui(new Ui::PatternSourceWidget)
{
    m_ui->setupUi(this);
    retranslate();
    connect(m_ui->viewerRadioButton, &QRadioButton::toggled, this, &PatternSourceWidget::applyChoice);
}

PatternSourceWidget::~PatternSourceWidget() = default;

QString PatternSourceWidget::viewer() const
{
    return m_ui->viewerRadioButton->isChecked() ? m_ui->viewerNameLineEdit->text().trimmed() : QString();
}

bool PatternSourceWidget::isComplete() const
{
    return !m_ui->viewerRadioButton->isChecked() || !viewer().isEmpty();
}

void PatternSourceWidget::retranslate()
{
    TR::Translator *translator = TR::Translator::instance();
    translator->translateObject(this, true);
    m_ui->viewerNameLineEdit->setPlaceholderText(translator->translate(QStringLiteral("dicom_viewerName")));
}

void PatternSourceWidget::applyChoice()
{
    m_ui->viewerNameLineEdit->setEnabled(m_ui->viewerRadioButton->isChecked());
    if (m_ui->viewerRadioButton->isChecked())
        m_ui->viewerNameLineEdit->setFocus(Qt::OtherFocusReason);
}
