#include "siteoverviewmodel.h"

#include "buttoncelldelegate.h"
#include "translator.h"

#include <QLocale>
#include <QSet>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

QString shortDate(const QDateTime &moment)
{
    return moment.isValid() ? QLocale().toString(moment, QLocale::ShortFormat) : QString();
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
    switch (role) {
    case Qt::DisplayRole:
        return displayData(row, index.column());
    case SortRole:
        return sortData(row, index.column());
    case Qt::DecorationRole:
        if (index.column() == ReportColumn)
            return ButtonCellDelegate::cellImage(QStringLiteral("reporticon"));
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant SiteOverviewModel::displayData(const SiteDisplayRow &row, int column) const
{
    const SiteSessionSummary &session = row.lastSession;
    switch (column) {
    case StationColumn:
        return session.station;
    case MakerColumn:
        return session.displayMaker;
    case ModelColumn:
        return session.displayModel;
    case SerialColumn:
        return session.displaySerial;
    case LastTestColumn:
        return shortDate(session.storedAt);
    case TestTypeColumn:
        return session.testType;
    case ResultColumn:
        return translated(session.failedCount == 0 ? "site_passed" : "site_failed");
    case FailedCountColumn:
        return session.failedCount;
    case NextDueColumn:
        return shortDate(row.nextDue);
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
    case ResultColumn:
    case FailedCountColumn:
        return row.lastSession.failedCount;
    default:
        return displayData(row, column);
    }
}

QVariant SiteOverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const Keys[ColumnCount] = {"site_station", "site_maker",  "site_model",
                                                  "site_serial",  "site_lastTest", "site_testType",
                                                  "site_result",  "site_failedCount", "site_nextDue",
                                                  "report"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QVariant();
    return section == ReportColumn ? QString() : translated(Keys[section]);
}
