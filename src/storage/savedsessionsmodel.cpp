#include "savedsessionsmodel.h"

#include "buttoncelldelegate.h"
#include "configurationmanager.h"
#include "displayrecord.h"
#include "localformats.h"
#include "storedcount.h"
#include "testtypename.h"
#include "translator.h"

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
    : QAbstractListModel(parent), m_summaries(store->sessions()), m_store(store)
{
}

int SavedSessionsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_unsaved.size() + m_summaries.size();
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
    const QVariantMap record =
        ConfigurationManager::newSessionRecord(results, tester, ntest, failedContents, monitorSelected, monitorInfo,
                                               details);
    beginResetModel();
    const bool saved = m_store->addSessionRecord(record);
    if (saved)
        m_summaries = m_store->sessions();
    else
        m_unsaved.prepend(record);
    endResetModel();
    return saved;
}

bool SavedSessionsModel::removeSession(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    beginResetModel();
    bool removed = true;
    if (row < m_unsaved.size())
        m_unsaved.removeAt(row);
    else
        removed = m_store->removeSession(summaryAt(row));
    m_summaries = m_store->sessions();
    endResetModel();
    return removed;
}

QVariantMap SavedSessionsModel::summaryAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return row < m_unsaved.size() ? m_unsaved.at(row).toMap() : m_summaries.at(row - m_unsaved.size()).toMap();
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
