#include "displaysmodel.h"

#include "classchoices.h"
#include "localformats.h"
#include "translator.h"

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

} // namespace

QString DisplaysModel::resultText(const QString &result)
{
    if (result.isEmpty())
        return {};
    return translated(result == QLatin1String("passed") ? "displays_passed" : "displays_failed");
}

void DisplaysModel::setDisplays(const QList<DisplayRecord> &displays, const QMap<QString, QString> &overdue)
{
    beginResetModel();
    m_displays = displays;
    m_overdue = overdue;
    showFirstPage(m_displays.size());
    endResetModel();
}

int DisplaysModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DisplaysModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return {};
    return text(m_displays.at(index.row()), index.column());
}

QString DisplaysModel::text(const DisplayRecord &display, int column) const
{
    switch (column) {
    case DisplayColumn:
        return display.description();
    case CategoryColumn:
        return display.category.isEmpty() ? translated("displays_notChosen")
                                          : ClassChoices::categoryTitle(display.category);
    case RoomClassColumn:
        return display.roomClass.isEmpty() ? translated("displays_notChosen")
                                           : ClassChoices::roomClassTitle(display.roomClass);
    case ClassifiedColumn:
        return LocalFormats::date(display.classifiedOn);
    case ReferenceColumn:
        return display.hasReference() ? LocalFormats::date(display.referenceDate) : translated("displays_noReference");
    case LastTestColumn:
        return LocalFormats::dateTime(display.lastTested);
    case ResultColumn:
        return resultText(display.lastResult);
    case WorkstationColumn:
        return display.workstation.isEmpty() ? translated("plan_thisStation") : display.workstation;
    case OverdueColumn:
        return m_overdue.value(display.key());
    default:
        return {};
    }
}

QVariant DisplaysModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const Keys[ColumnCount] = {
        "display_identity",      "applicationCategory",    "roomClass",
        "displays_classifiedOn", "displays_referenceDate", "displays_lastTest",
        "displays_result",       "plan_workstation",       "plan_overdue"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return PagedTableModel::headerData(section, orientation, role);
    return translated(Keys[section]);
}
