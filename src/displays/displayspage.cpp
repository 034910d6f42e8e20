#include "displayspage.h"
#include "ui_displayspage.h"

#include "calibrationlauncher.h"
#include "classchoices.h"
#include "configurationmanager.h"
#include "displaydialog.h"
#include "displaysmodel.h"
#include "localformats.h"
#include "modalprompt.h"
#include "sessiondatabase.h"
#include "tablesizing.h"
#include "translator.h"

#include <QDateTime>
#include <QHeaderView>

#include <optional>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

// Who made the choice: the account the program runs under, the one name every system gives.
QString operatorName()
{
    return qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
}

} // namespace

DisplaysPage::DisplaysPage(ConfigurationManager *store, QWidget *parent)
    : QWidget(parent), m_ui(new Ui::DisplaysPage), m_store(store), m_model(new DisplaysModel(this))
{
    m_ui->setupUi(this);
    m_ui->displaysTableView->setModel(m_model);
    m_ui->displaysTableView->horizontalHeader()->setStretchLastSection(true);
    TableSizing::fix(m_ui->displaysTableView, -1);
    connect(m_ui->classifyPushButton, &QPushButton::clicked, this, &DisplaysPage::classifyChosen);
    connect(m_ui->referencePushButton, &QPushButton::clicked, this, &DisplaysPage::chooseReference);
    connect(m_ui->calibratePushButton, &QPushButton::clicked, this, &DisplaysPage::calibrateChosen);
    connect(m_ui->displaysTableView, &QAbstractItemView::doubleClicked, this, &DisplaysPage::classifyChosen);
    connect(m_ui->displaysTableView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DisplaysPage::updateButtons);
    retranslate();
}

DisplaysPage::~DisplaysPage() = default;

void DisplaysPage::retranslate()
{
    TR::Translator::instance()->translateObject(this, true);
    reload();
}

void DisplaysPage::reload()
{
    const int chosen = m_ui->displaysTableView->currentIndex().row();
    m_model->setDisplays(m_store->database()->displays(), m_overdue);
    if (chosen >= 0 && chosen < m_model->rowCount())
        m_ui->displaysTableView->selectRow(chosen);
    updateButtons();
}

void DisplaysPage::setOverdue(const QMap<QString, QString> &overdue)
{
    if (overdue == m_overdue)
        return;
    m_overdue = overdue;
    reload();
}

void DisplaysPage::updateButtons()
{
    const bool chosen = chosenDisplay() != nullptr;
    m_ui->classifyPushButton->setEnabled(chosen);
    m_ui->referencePushButton->setEnabled(chosen);
    m_ui->calibratePushButton->setVisible(CalibrationLauncher(m_store, this).isOffered());
    m_ui->calibratePushButton->setEnabled(chosen);
}

const DisplayRecord *DisplaysPage::chosenDisplay() const
{
    const int row = m_ui->displaysTableView->currentIndex().row();
    return row >= 0 && row < m_model->rowCount() ? &m_model->displays().at(row) : nullptr;
}

void DisplaysPage::classifyChosen()
{
    // A copy: the store's writes may reload the page's list.
    const std::optional<DisplayRecord> display =
        chosenDisplay() ? std::optional<DisplayRecord>(*chosenDisplay()) : std::nullopt;
    if (!display)
        return;
    DisplayDialog dialog(display->description(), display->category, display->roomClass, this);
    QStringList workstations;
    for (const DisplayRecord &known : m_model->displays())
        workstations << known.workstation;
    workstations.removeDuplicates();
    dialog.offerWorkstations(display->workstation, workstations);
    if (ModalPrompt::exec(&dialog) != QDialog::Accepted)
        return;
    m_store->classifyDisplay(display->identity(), dialog.category(), dialog.roomClass());
    if (dialog.workstation() != display->workstation)
        m_store->setWorkstation(display->key(), dialog.workstation());
    reload();
}

void DisplaysPage::chooseReference()
{
    const DisplayRecord *display = chosenDisplay();
    if (!display)
        return;
    const QString key = display->key();
    QStringList items;
    QList<qint64> ids;
    QList<bool> passedSessions;
    for (const qint64 id : m_store->database()->sessionIds(key)) {
        const QVariantMap record = m_store->database()->sessionRecord(id);
        if (record.value(QStringLiteral("testtype")).toString() != QLatin1String("acceptance") ||
            record.value(QStringLiteral("measured")).toMap().isEmpty())
            continue;
        const bool passed = record.value(QStringLiteral("nfailedtestcontents")).toLongLong() == 0;
        items << QStringLiteral("%1 - %2 - %3")
                     .arg(LocalFormats::dateTime(record.value(QStringLiteral("date")).toDateTime()),
                          record.value(QStringLiteral("tester")).toString(),
                          DisplaysModel::resultText(passed ? QStringLiteral("passed") : QStringLiteral("failed")));
        ids << id;
        passedSessions << passed;
    }
    if (items.isEmpty()) {
        ModalPrompt::question(this, QMessageBox::Information, display->description(),
                              translated("displays_noAcceptance"), {{translated("ok"), QMessageBox::AcceptRole}});
        return;
    }
    const QString chosen = ModalPrompt::chooseItem(this, display->description(), translated("displays_chooseReference"),
                                                   items, translated("ok"), translated("cancel"));
    if (chosen.isNull())
        return;
    const int at = items.indexOf(chosen);
    QVariantMap choice{{QStringLiteral("by"), operatorName()},
                       {QStringLiteral("on"), QDateTime::currentDateTime().toString(Qt::ISODate)}};
    // A failed acceptance test becomes the reference only for a stated reason, which every later report prints.
    if (!passedSessions.at(at)) {
        const QString reason = ModalPrompt::text(this, display->description(), translated("measure_referenceReason"),
                                                 translated("ok"), translated("cancel"));
        if (reason.isNull())
            return;
        if (reason.isEmpty()) {
            ModalPrompt::question(this, QMessageBox::Warning, display->description(),
                                  translated("measure_reasonRequired"), {{translated("ok"), QMessageBox::AcceptRole}});
            return;
        }
        choice.insert(QStringLiteral("reason"), reason);
    }
    m_store->makeReference(key, ids.value(at), choice);
    reload();
}

void DisplaysPage::calibrateChosen()
{
    const DisplayRecord *display = chosenDisplay();
    if (display && CalibrationLauncher(m_store, this).calibrate(*display))
        reload();
}
