#include "testcontextwidget.h"
#include "ui_testcontextwidget.h"

#include "limitstable.h"
#include "testsmanager.h"
#include "translator.h"

namespace {

// A site's own category names itself; the shipped ones are translation keys.
QString translatedOrAsIs(const QString &text)
{
    const QString translation = TR::Translator::instance()->translate(text);
    return translation.isEmpty() ? text : translation;
}

void refill(QComboBox *combo, const QList<QPair<QString, QString>> &items)
{
    const QString current = combo->currentData().toString();
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const auto &item : items)
        combo->addItem(item.second, item.first);
    combo->setCurrentIndex(qMax(0, combo->findData(current)));
}

} // namespace

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
    return {m_ui->testTypeComboBox->currentData().toString(), m_ui->sessionCategoryComboBox->currentData().toString(),
            m_ui->sessionRoomClassComboBox->currentData().toString(), {}, {}, {}};
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
    const QString id = m_ui->testTypeComboBox->currentData().toString();
    for (const TestsManager::TestType &type : m_catalogue->testTypes()) {
        if (type.id != id)
            continue;
        QVariantList groups;
        for (unsigned number : type.groups)
            groups << number;
        emit testTypeChosen(groups);
    }
}

void TestContextWidget::fillItems()
{
    QList<QPair<QString, QString>> types;
    for (const TestsManager::TestType &type : m_catalogue->testTypes())
        types.append({type.id, translatedOrAsIs(type.title)});
    refill(m_ui->testTypeComboBox, types);

    const LimitsTable &limits = LimitsTable::current();
    QList<QPair<QString, QString>> categories;
    for (const LimitsTable::Category &category : limits.categories())
        categories.append({category.id, translatedOrAsIs(category.title)});
    refill(m_ui->sessionCategoryComboBox, categories);

    QList<QPair<QString, QString>> roomClasses;
    const QLocale c = QLocale::c();
    for (const LimitsTable::RoomClass &roomClass : limits.roomClasses()) {
        const QString text = roomClass.maxIlluminance.judged
                                 ? TR::Translator::instance()
                                       ->translate(QStringLiteral("roomClass_upTo"))
                                       .arg(roomClass.id, c.toString(roomClass.maxIlluminance.value))
                                 : roomClass.id;
        roomClasses.append({roomClass.id, text});
    }
    refill(m_ui->sessionRoomClassComboBox, roomClasses);
}
