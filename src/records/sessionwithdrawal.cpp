#include "sessionwithdrawal.h"

#include "configurationmanager.h"
#include "displayrecord.h"
#include "localformats.h"
#include "modalprompt.h"
#include "retentionpolicy.h"
#include "savedsessionsmodel.h"
#include "sessiondatabase.h"
#include "testtypename.h"
#include "translator.h"
#include "withdrawdialog.h"

#include <QLocale>

namespace {

const QString AcceptanceType = QStringLiteral("acceptance");

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

} // namespace

SessionWithdrawal::SessionWithdrawal(ConfigurationManager *store, SavedSessionsModel *model,
                                     const RetentionPolicy &policy)
    : m_store(store), m_model(model), m_policy(policy)
{
}

bool SessionWithdrawal::run(QWidget *parent, int row, const QDate &today)
{
    if (!m_model->isSaved(row) || m_model->isWithdrawn(row))
        return false;
    const QVariantMap summary = m_model->summaryAt(row);
    const QString session = summary.value(QStringLiteral("tester")).toString() + QStringLiteral(" - ") +
                            LocalFormats::dateTime(summary.value(QStringLiteral("date")).toDateTime());
    WithdrawDialog dialog(session, parent);
    if (ModalPrompt::exec(&dialog) != QDialog::Accepted)
        return false;
    if (!confirmWithinRetention(parent, row, today))
        return false;
    return m_model->withdrawSession(row, dialog.by(), dialog.reason());
}

// The second question names the kind of test, until when its record is kept
// and the source of that period.
bool SessionWithdrawal::confirmWithinRetention(QWidget *parent, int row, const QDate &today) const
{
    const QVariantMap summary = m_model->summaryAt(row);
    const QString testType = summary.value(QStringLiteral("testtype")).toString();
    const QDateTime tested = summary.value(QStringLiteral("date")).toDateTime();
    const QString displayKey = DisplayRecord::key(summary.value(QStringLiteral("display")).toMap());
    const QDate nextAcceptance = m_store->database()->nextSessionDate(displayKey, AcceptanceType, tested).date();
    if (!m_policy.mustKeep(testType, tested.date(), nextAcceptance, today))
        return true;
    const RetentionPolicy::Period *period = m_policy.periodFor(testType);
    QString why;
    if (!period) {
        why = translated("records_retentionUnknown") + QLatin1Char('\n') + m_policy.problem();
    } else {
        const QDate until = m_policy.keptUntil(testType, tested.date(), nextAcceptance);
        why = (until.isValid() ? translated("records_keptUntil").arg(LocalFormats::date(until))
                               : translated("records_keptWhileInUse").arg(LocalFormats::count(period->years))) +
              QLatin1Char('\n') + period->source;
    }
    const QString kind = testType.isEmpty() ? translated("testType_unknownShort") : TestTypeName::of(testType);
    const QList<ModalPrompt::Button> buttons = {{translated("no"), QMessageBox::RejectRole},
                                                {translated("yes"), QMessageBox::AcceptRole}};
    return ModalPrompt::question(parent, QMessageBox::Warning, translated("attention"),
                                 translated("records_withinRetention").arg(kind, why), buttons, 0) == 1;
}
