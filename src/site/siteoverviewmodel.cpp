#include "siteoverviewmodel.h"

#include "buttoncelldelegate.h"
#include "localformats.h"
#include "overduetasks.h"
#include "printabletext.h"
#include "testtypename.h"
#include "translator.h"
#include "withdrawalmark.h"

#include <QSet>

#include <algorithm>
#include <numeric>

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

bool sortsBefore(const QVariant &left, const QVariant &right)
{
    switch (left.userType()) {
    case QMetaType::QDateTime:
        return left.toDateTime() < right.toDateTime();
    case QMetaType::QString:
        return QString::localeAwareCompare(left.toString(), right.toString()) < 0;
    default:
        return left.toLongLong() < right.toLongLong();
    }
}

} // namespace

void SiteOverviewModel::setRows(const QVector<SiteDisplayRow> &rows)
{
    beginResetModel();
    m_rows = rows;
    sortRows();
    endResetModel();
}

void SiteOverviewModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    beginResetModel();
    m_sortColumn = column;
    m_sortOrder = order;
    sortRows();
    endResetModel();
}

// Sorted here rather than in the view, which sorts only the rows it was given:
// the first page is the first of the whole site's rows. Each row's key is
// made once, not again at each of its comparisons.
void SiteOverviewModel::sortRows()
{
    QVector<QVariant> keys;
    keys.reserve(m_rows.size());
    for (const SiteDisplayRow &row : qAsConst(m_rows))
        keys << sortData(row, m_sortColumn);
    QVector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int left, int right) {
        return m_sortOrder == Qt::AscendingOrder ? sortsBefore(keys.at(left), keys.at(right))
                                                 : sortsBefore(keys.at(right), keys.at(left));
    });
    QVector<SiteDisplayRow> sorted;
    sorted.reserve(m_rows.size());
    for (const int row : qAsConst(order))
        sorted << m_rows.at(row);
    m_rows = sorted;
    showFirstPage(m_rows.size());
}

int SiteOverviewModel::stationCount() const
{
    QSet<QString> stations;
    for (const SiteDisplayRow &row : m_rows)
        stations.insert(row.lastSession.station);
    return stations.size();
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
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const SiteDisplayRow &row = m_rows.at(index.row());
    const QVariantMap withdrawal = row.lastSession.withdrawal();
    if (!withdrawal.isEmpty() && (role == Qt::FontRole || role == Qt::ToolTipRole))
        return WithdrawalMark::data(withdrawal, role);
    switch (role) {
    case Qt::DisplayRole:
        return displayData(row, index.column());
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
