#include "savedsessionsitemdelegate.h"

#include "savedsessionsmodel.h"

bool SavedSessionsItemDelegate::isButtonColumn(int column) const
{
    return column == SavedSessionsModel::ReportColumn || column == SavedSessionsModel::DeleteColumn;
}

bool SavedSessionsItemDelegate::isImageColumn(int column) const
{
    return column == SavedSessionsModel::StatusColumn || isButtonColumn(column);
}
