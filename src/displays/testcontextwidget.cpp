#include "testcontextwidget.h"
#include "ui_testcontextwidget.h"

#include "classchoices.h"
#include "testsmanager.h"
#include "translator.h"

TestContextWidget::TestContextWidget(const TestsManager *catalogue, QWidget *parent)
    : QWidget(parent), m_ui(new Ui::TestContextWidget), m_catalogue(catalogue)
{
    m_ui->setupUi(this);
    fillItems();
    connect(m_ui->testTypeComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &TestContextWidget::applyTestType);
}

TestContextWidget::~TestContextWidget() = default;

TestingSession::Context TestContextWidget::context() const
{
    TestingSession::Context context;
    context.testType = m_ui->testTypeComboBox->currentData().toString();
    return context;
}

void TestContextWidget::setTestType(const QString &id)
{
    const int index = m_ui->testTypeComboBox->findData(id);
    if (index >= 0)
        m_ui->testTypeComboBox->setCurrentIndex(index);
    applyTestType();
}

void TestContextWidget::retranslate()
{
    TR::Translator::instance()->translateObject(this, true);
    fillItems();
}

void TestContextWidget::applyTestType()
{
    const QVariantList groups = m_catalogue->testTypeGroups(m_ui->testTypeComboBox->currentData().toString());
    if (!groups.isEmpty())
        emit testTypeChosen(groups);
}

void TestContextWidget::fillItems()
{
    QList<QPair<QString, QString>> types;
    for (const TestsManager::TestType &type : m_catalogue->testTypes())
        types.append({type.id, ClassChoices::translatedOrAsIs(type.title)});
    ClassChoices::refill(m_ui->testTypeComboBox, types);
}
