#include "addtaskdialog.h"
#include "ui_addtaskdialog.h"

#include "configurationmanager.h"
#include "displayrecord.h"
#include "localformats.h"
#include "schedulerclock.h"
#include "screenfit.h"
#include "sessiondatabase.h"
#include "taskscheduler.h"
#include "tasktarget.h"
#include "testgroup.h"
#include "testitemsmodel.h"
#include "testsmanager.h"
#include "translator.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSet>

namespace {

QSet<QString> storedTaskIds(const ConfigurationManager &store)
{
    QSet<QString> ids;
    const QVariantList records = store.tasks();
    for (const QVariant &record : records) {
        ids.insert(record.toMap().value(QStringLiteral("id")).toString());
    }
    return ids;
}

} // namespace

AddTaskDialog::AddTaskDialog(QWidget *parent, ConfigurationManager *store, const SchedulerClock *clock,
                             QRandomGenerator *random)
    : QDialog(parent), m_ui(std::make_unique<Ui::AddTaskDialog>()),
      m_store(store ? store : ConfigurationManager::instance()), m_clock(clock ? clock : SchedulerClock::system()),
      m_random(random ? random : QRandomGenerator::global()), m_catalogue(new TestsManager(this)),
      m_groupModel(new TestItemsModel(this, m_catalogue->groups()))
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->testsTableView->setModel(m_groupModel);
    connect(m_ui->okPushButton, &QPushButton::clicked, this, &AddTaskDialog::okClicked);
    connect(m_ui->cancelPushButton, &QPushButton::clicked, this, &AddTaskDialog::reject);
    TR::Translator::instance()->translateObject(this, true);
    m_ui->scheduledDateEdit->setDisplayFormat(LocalFormats::datePattern());
    m_ui->scheduledDateEdit->setDate(m_clock->now().date());
    fillDisplays();
    fillTestTypes();
    fillIntervalUnits();
    applyTestType();
    connect(m_ui->testTypeComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &AddTaskDialog::applyTestType);
    // On a small or high-density screen the list of tests scrolls instead of
    // pushing the buttons off the screen.
    ScreenFit::fit(this, size());
}

AddTaskDialog::~AddTaskDialog() = default;

void AddTaskDialog::setTask(const QString &id, int days, const QString &description, const QDateTime &date,
                            const QDateTime &lastPerformed, const QVariantList &groups, const QVariantMap &display,
                            const QString &testType)
{
    m_ui->descriptionLineEdit->setText(description);
    m_ui->frequencySpinBox->setValue(days);
    m_ui->scheduledDateEdit->setDateTime(date);
    selectDisplay(display);
    selectTestType(testType);
    m_editing = true;
    m_taskId = id;
    m_taskLastPerformed = lastPerformed;
    // After the type, whose choice ticks the type's groups: the task keeps its own.
    tickGroups(groups);
}

// "Any display" first, then every display the store knows.
void AddTaskDialog::fillDisplays()
{
    m_ui->displayComboBox->addItem(TaskTarget::displayText({}), QVariantMap());
    const QList<DisplayRecord> displays = m_store->database()->displays();
    for (const DisplayRecord &display : displays)
        m_ui->displayComboBox->addItem(display.description(), display.identity());
}

// The catalogue's types, then "any test type".
void AddTaskDialog::fillTestTypes()
{
    for (const TestsManager::TestType &type : m_catalogue->testTypes())
        m_ui->testTypeComboBox->addItem(TaskTarget::testTypeText(type.id), type.id);
    m_ui->testTypeComboBox->addItem(TaskTarget::testTypeText(QString()), QString());
}

// Days first, as every task stored before units recurs in days; the count's own label then says nothing more.
void AddTaskDialog::fillIntervalUnits()
{
    m_ui->daysLabel->hide();
    for (const TaskInterval::Unit unit : {TaskInterval::Days, TaskInterval::WorkingDays, TaskInterval::Weeks,
                                          TaskInterval::Months, TaskInterval::Years})
        m_ui->intervalUnitComboBox->addItem(TaskTarget::intervalUnitText(unit), int(unit));
}

void AddTaskDialog::setInterval(const TaskInterval &interval)
{
    m_ui->frequencySpinBox->setValue(interval.count());
    m_ui->intervalUnitComboBox->setCurrentIndex(m_ui->intervalUnitComboBox->findData(int(interval.unit())));
}

// A display the store no longer knows is kept as the task names it.
void AddTaskDialog::selectDisplay(const QVariantMap &display)
{
    const QString key = DisplayRecord::key(display);
    QComboBox *combo = m_ui->displayComboBox;
    for (int index = 0; index < combo->count(); ++index) {
        if (DisplayRecord::key(combo->itemData(index).toMap()) == key) {
            combo->setCurrentIndex(index);
            return;
        }
    }
    combo->addItem(TaskTarget::displayText(display), display);
    combo->setCurrentIndex(combo->count() - 1);
}

void AddTaskDialog::selectTestType(const QString &testType)
{
    QComboBox *combo = m_ui->testTypeComboBox;
    if (combo->findData(testType) < 0)
        combo->addItem(TaskTarget::testTypeText(testType), testType);
    combo->setCurrentIndex(combo->findData(testType));
}

void AddTaskDialog::applyTestType()
{
    // "Any test type", or one the catalogue does not know, leaves the groups as they are.
    const QVariantList typeGroups = m_catalogue->testTypeGroups(m_ui->testTypeComboBox->currentData().toString());
    if (!typeGroups.isEmpty())
        tickGroups(typeGroups);
}

// Required groups keep their tick: they always run.
void AddTaskDialog::tickGroups(const QVariantList &groups)
{
    for (int row = 0; row < m_groupModel->rowCount(); ++row) {
        const TestGroup *group = m_catalogue->groups()->at(row);
        if (!group->required()) {
            const bool scheduled = groups.contains(group->number());
            m_groupModel->setData(m_groupModel->index(row), scheduled ? Qt::Checked : Qt::Unchecked,
                                  Qt::CheckStateRole);
        }
    }
}

void AddTaskDialog::okClicked()
{
    const QString description = m_ui->descriptionLineEdit->text();
    // A description of blanks would show as an empty row in the task list.
    if (description.trimmed().isEmpty()) {
        m_ui->descriptionLineEdit->setStyleSheet(QStringLiteral("border:1px solid red;"));
        return;
    }
    QVariantMap task = TaskInterval(m_ui->frequencySpinBox->value(),
                                    TaskInterval::Unit(m_ui->intervalUnitComboBox->currentData().toInt()))
                           .toRecord();
    task.insert({
        {QStringLiteral("id"), m_editing ? m_taskId : newTaskId()},
        {QStringLiteral("date"), m_ui->scheduledDateEdit->dateTime()},
        {QStringLiteral("description"), description},
        {QStringLiteral("scheduledtestslist"), checkedGroupNumbers()},
        {QStringLiteral("display"), m_ui->displayComboBox->currentData().toMap()},
        {QStringLiteral("testtype"), m_ui->testTypeComboBox->currentData().toString()},
    });
    if (m_editing) {
        task.insert(QStringLiteral("lastperformed"), m_taskLastPerformed);
        m_store->updateTask(task);
    } else {
        emit addTask(task);
    }
    accept();
}

// Runs are recorded by id, so a new task must never take the id of a stored one:
// the time and a random number make a clash unlikely, and a clash is drawn again.
QString AddTaskDialog::newTaskId() const
{
    const QSet<QString> taken = storedTaskIds(*m_store);
    const QString stamp = m_clock->now().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    QString id;
    do {
        const QByteArray seed = (stamp + QString::number(m_random->generate())).toLatin1();
        id = QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex());
    } while (taken.contains(id));
    return id;
}

QVariantList AddTaskDialog::checkedGroupNumbers() const
{
    QVariantList numbers;
    const QList<TestGroup *> groups = *m_catalogue->selectedGroups();
    for (const TestGroup *group : groups) {
        numbers.append(group->number());
    }
    return numbers;
}
