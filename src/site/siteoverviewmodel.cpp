#include "siteoverviewmodel.h"

#include "buttoncelldelegate.h"
#include "localformats.h"
#include "overduetasks.h"
#include "printabletext.h"
#include "testtypename.h"
#include "translator.h"
#include "withdrawalmark.h"

#include <QSet>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

QString shortDate(const QDateTime &moment)
{
    return moment.isValid() ? LocalFormats::dateTime(moment) : QString();
}

// One line, as every row is as high as the first: "Description: 3 days overdue; ...".
QString overdueText(const SiteDisplayRow &row)
{
    QList<OverdueTasks::Entry> shown = row.overdue;
    // Descriptions come from every station too, so none may break the row either.
    for (OverdueTasks::Entry &entry : shown)
        entry.description = PrintableText::escaped(entry.description);
    return OverdueTasks::lines(shown).replace(QLatin1Char('\n'), QStringLiteral("; "));
}

int mostDaysOverdue(const SiteDisplayRow &row)
{
    int days = 0;
    for (const OverdueTasks::Entry &entry : row.overdue)
        days = qMax(days, entry.days);
    return days;
}

} // namespace

void SiteOverviewModel::setRows(const QVector<SiteDisplayRow> &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

int SiteOverviewModel::stationCount() const
{
    QSet<QString> stations;
    for (const SiteDisplayRow &row : m_rows)
        stations.insert(row.lastSession.station);
    return stations.size();
}

int SiteOverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int SiteOverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

Qt::ItemFlags SiteOverviewModel::flags(const QModelIndex &) const
{
    return Qt::ItemIsEnabled;
}

QVariant SiteOverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const SiteDisplayRow &row = m_rows.at(index.row());
    const QVariantMap withdrawal = row.lastSession.withdrawal();
    if (!withdrawal.isEmpty() && (role == Qt::FontRole || role == Qt::ToolTipRole))
        return WithdrawalMark::data(withdrawal, role);
    switch (role) {
    case Qt::DisplayRole:
        return displayData(row, index.column());
    case SortRole:
        return sortData(row, index.column());
    case Qt::DecorationRole:
        if (index.column() == ReportColumn)
            return ButtonCellDelegate::cellImage(QStringLiteral("reporticon"));
        if (index.column() == ResultColumn)
            return ButtonCellDelegate::cellImage(row.lastSession.failedCount == 0 ? QStringLiteral("checkicon")
                                                                                  : QStringLiteral("xicon"));
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant SiteOverviewModel::displayData(const SiteDisplayRow &row, int column) const
{
    const SiteSessionSummary &session = row.lastSession;
    switch (column) {
    // Names come from every station of the site: shown as the tools print them, so
    // that none can break a row or turn its text around.
    case StationColumn:
        return PrintableText::escaped(session.station);
    case SentByColumn:
        return PrintableText::escaped(session.sentBy);
    case MakerColumn:
        return PrintableText::escaped(session.displayMaker);
    case ModelColumn:
        return PrintableText::escaped(session.displayModel);
    case SerialColumn:
        return PrintableText::escaped(session.displaySerial);
    case LastTestColumn:
        return shortDate(session.storedAt);
    case TestTypeColumn:
        return session.testType.isEmpty() ? translated("testType_unknownShort") : TestTypeName::of(session.testType);
    case ResultColumn:
        return translated(session.failedCount == 0 ? "site_passed" : "site_failed");
    case FailedCountColumn:
        return session.failedCount;
    case NextDueColumn:
        return shortDate(row.nextDue);
    case OverdueColumn:
        return overdueText(row);
    default:
        return QVariant();
    }
}

QVariant SiteOverviewModel::sortData(const SiteDisplayRow &row, int column) const
{
    switch (column) {
    case LastTestColumn:
        return row.lastSession.storedAt;
    case NextDueColumn:
        return row.nextDue;
    case OverdueColumn:
        return mostDaysOverdue(row);
    case ResultColumn:
    case FailedCountColumn:
        return row.lastSession.failedCount;
    default:
        return displayData(row, column);
    }
}

QVariant SiteOverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const Keys[ColumnCount] = {"site_station",     "trust_sentBy",  "site_maker",    "site_model",
                                                  "site_serial",      "site_lastTest", "site_testType", "site_result",
                                                  "site_failedCount", "site_nextDue",  "plan_overdue",  "report"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QVariant();
    return section == ReportColumn ? QString() : translated(Keys[section]);
}
