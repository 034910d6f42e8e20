#include "savedsessionsmodel.h"

#include "buttoncelldelegate.h"
#include "configurationmanager.h"
#include "displayrecord.h"
#include "localformats.h"
#include "pagedtablemodel.h"
#include "storedcount.h"
#include "testtypename.h"
#include "translator.h"
#include "withdrawalmark.h"

#include <QColor>
#include <QDateTime>
#include <QImage>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

} // namespace

SavedSessionsModel::SavedSessionsModel(QObject *parent) : SavedSessionsModel(ConfigurationManager::instance(), parent)
{
}

SavedSessionsModel::SavedSessionsModel(ConfigurationManager *store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{
    reload();
    connect(store, &ConfigurationManager::unsavedStored, this, &SavedSessionsModel::reload);
}

void SavedSessionsModel::reload()
{
    beginResetModel();
    m_unsaved = m_store->unsavedSessions();
    m_storedCount = m_store->sessionCount(m_showWithdrawn);
    m_rows = m_store->sessionRows(m_showWithdrawn, nullptr, PagedTableModel::FirstPage);
    m_cachedRow = -1;
    endResetModel();
}

bool SavedSessionsModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_rows.size() < m_storedCount;
}

void SavedSessionsModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    // The store reads the page from the last row read, the tables' pages long.
    const QVector<SessionListRow> page = m_store->sessionRows(
        m_showWithdrawn, m_rows.isEmpty() ? nullptr : &m_rows.constLast(), PagedTableModel::pageAfter(m_rows.size()));
    if (page.isEmpty()) {
        // The store read fewer than it counted (a damaged page): the list ends here.
        m_storedCount = m_rows.size();
        return;
    }
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + page.size() - 1);
    m_cachedRow = -1;
    m_rows.append(page);
    endInsertRows();
}

void SavedSessionsModel::setShowWithdrawn(bool show)
{
    if (show == m_showWithdrawn)
        return;
    m_showWithdrawn = show;
    reload();
}

bool SavedSessionsModel::showsWithdrawn() const
{
    return m_showWithdrawn;
}

bool SavedSessionsModel::isWithdrawn(int row) const
{
    return summaryAt(row).contains(QStringLiteral("withdrawal"));
}

int SavedSessionsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_unsaved.size() + m_rows.size();
}

int SavedSessionsModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

Qt::ItemFlags SavedSessionsModel::flags(const QModelIndex &) const
{
    return Qt::ItemIsEnabled;
}

QVariant SavedSessionsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};

    const QVariantMap record = summaryAt(index.row());
    const bool saved = isSaved(index.row());
    const QVariantMap withdrawal = record.value(QStringLiteral("withdrawal")).toMap();
    if (!withdrawal.isEmpty() && (role == Qt::FontRole || role == Qt::ToolTipRole))
        return WithdrawalMark::data(withdrawal, role);
    if (!withdrawal.isEmpty() && index.column() == DeleteColumn)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (!saved && index.column() == TesterColumn)
            return displayData(record, index.column()).toString() + QStringLiteral(" - ") + translated("notSaved");
        return displayData(record, index.column());
    case Qt::ForegroundRole:
        return saved ? QVariant() : QVariant(QColor(Qt::red));
    case Qt::DecorationRole:
        return decorationData(record, index.column());
    case Qt::ToolTipRole:
        if (index.column() == TestTypeColumn && record.value(QStringLiteral("testtype")).toString().isEmpty())
            return translated("testType_unknown");
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == DateColumn || index.column() == TestCountColumn)
            return int(Qt::AlignCenter);
        return {};
    default:
        return {};
    }
}

QVariant SavedSessionsModel::displayData(const QVariantMap &record, int column) const
{
    switch (column) {
    case TesterColumn:
        return record.value(QStringLiteral("tester")).toString();
    case DateColumn:
        return LocalFormats::dateTime(record.value(QStringLiteral("date")).toDateTime());
    case TestCountColumn: {
        const std::optional<int> count = StoredCount::read(record.value(QStringLiteral("ntest")));
        return count ? QVariant(*count) : QVariant(translated("damagedCount"));
    }
    case TestTypeColumn: {
        const QString testType = record.value(QStringLiteral("testtype")).toString();
        return testType.isEmpty() ? translated("testType_unknownShort") : TestTypeName::of(testType);
    }
    case DisplayColumn: {
        const QVariantMap display = record.value(QStringLiteral("display")).toMap();
        if (!DisplayRecord::key(display).isEmpty())
            return DisplayRecord::fromIdentity(display).description();
        return translated("monitor") + QLatin1Char(' ') +
               QString::number(record.value(QStringLiteral("monitorselected")).toInt()) + QLatin1Char(' ') +
               record.value(QStringLiteral("monitorinfo")).toString();
    }
    case ReportColumn:
        return translated("report");
    case DeleteColumn:
        return translated("delete");
    default:
        return {};
    }
}

QVariant SavedSessionsModel::decorationData(const QVariantMap &record, int column) const
{
    switch (column) {
    case StatusColumn: {
        const bool passed = StoredCount::read(record.value(QStringLiteral("nfailedtestcontents"))) == 0;
        return ButtonCellDelegate::cellImage(passed ? QStringLiteral("checkicon") : QStringLiteral("xicon"));
    }
    case ReportColumn:
        return ButtonCellDelegate::cellImage(QStringLiteral("reporticon"));
    case DeleteColumn:
        return ButtonCellDelegate::cellImage(QStringLiteral("deleteicon"));
    default:
        return {};
    }
}

QVariant SavedSessionsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const keys[] = {"tester", "date", "testType", "ntest", "display_identity", "status"};
    if (section >= TesterColumn && section <= StatusColumn)
        return translated(keys[section]);
    if (section == ReportColumn || section == DeleteColumn)
        return QString();
    return {};
}

bool SavedSessionsModel::addSession(const QVariantMap &results, const QString &tester, uint ntest, uint failedContents,
                                    int monitorSelected, const QString &monitorInfo, const QVariantMap &details)
{
    const QVariantMap record = ConfigurationManager::newSessionRecord(results, tester, ntest, failedContents,
                                                                      monitorSelected, monitorInfo, details);
    const int unsavedBefore = m_unsaved.size();
    const bool saved = m_store->addSessionRecord(record);
    const QVariantList unsaved = m_store->unsavedSessions();
    // Kept sessions that this save stored too move into the list: read it again.
    if (unsaved.size() != unsavedBefore + (saved ? 0 : 1)) {
        reload();
        return saved;
    }
    // The new session is the newest: it goes on top of the stored ones.
    const QVector<SessionListRow> newest =
        saved ? m_store->sessionRows(m_showWithdrawn, nullptr, 1) : QVector<SessionListRow>();
    const int row = saved ? m_unsaved.size() : 0;
    beginInsertRows(QModelIndex(), row, row);
    m_cachedRow = -1;
    if (saved) {
        m_rows.prepend(newest.value(0));
        ++m_storedCount;
    } else {
        m_unsaved = unsaved;
    }
    endInsertRows();
    return saved;
}

bool SavedSessionsModel::withdrawSession(int row, const QString &by, const QString &reason)
{
    if (!isSaved(row) || row >= rowCount() || isWithdrawn(row))
        return false;
    if (!m_store->withdrawSession(summaryAt(row), by, reason))
        return false;
    const int position = row - m_unsaved.size();
    if (m_showWithdrawn) {
        // The row read again is the one that follows the row before it.
        const SessionListRow *before = position > 0 ? &m_rows.at(position - 1) : nullptr;
        m_rows.replace(position, m_store->sessionRows(true, before, 1).value(0));
        m_cachedRow = -1;
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
        return true;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_cachedRow = -1;
    m_rows.removeAt(position);
    --m_storedCount;
    endRemoveRows();
    return true;
}

QVariantMap SavedSessionsModel::summaryAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    if (row < m_unsaved.size())
        return m_unsaved.at(row).toMap();
    // A view asks for every column and role of a row in turn: its map is made once.
    if (row != m_cachedRow) {
        m_cachedSummary = m_rows.at(row - m_unsaved.size()).summary();
        m_cachedRow = row;
    }
    return m_cachedSummary;
}

QVariantMap SavedSessionsModel::recordAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return row < m_unsaved.size() ? m_unsaved.at(row).toMap() : m_store->sessionRecord(summaryAt(row));
}

bool SavedSessionsModel::isSaved(int row) const
{
    return row >= m_unsaved.size();
}
