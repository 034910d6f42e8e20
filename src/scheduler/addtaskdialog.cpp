#include "addtaskdialog.h"
#include "ui_addtaskdialog.h"

#include "configurationmanager.h"
#include "schedulerclock.h"
#include "taskscheduler.h"
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
    m_ui->scheduledDateEdit->setDate(m_clock->now().date());
}

AddTaskDialog::~AddTaskDialog() = default;

void AddTaskDialog::setTask(const QString &id, int days, const QString &description, const QDateTime &date,
                            const QDateTime &lastPerformed, const QVariantList &groups)
{
    m_ui->descriptionLineEdit->setText(description);
    m_ui->frequencySpinBox->setValue(days);
    m_ui->scheduledDateEdit->setDateTime(date);
    m_editing = true;
    m_taskId = id;
    m_taskLastPerformed = lastPerformed;
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
    QVariantMap task{
        {QStringLiteral("id"), m_editing ? m_taskId : newTaskId()},
        {QStringLiteral("date"), m_ui->scheduledDateEdit->dateTime()},
        {QStringLiteral("description"), description},
        {QStringLiteral("frequency"),
         quint64(m_ui->frequencySpinBox->value()) * quint64(TaskScheduler::kMillisecondsPerDay)},
        {QStringLiteral("scheduledtestslist"), checkedGroupNumbers()},
    };
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
