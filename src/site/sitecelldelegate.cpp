#include "sitecelldelegate.h"

#include "siteoverviewmodel.h"

bool SiteCellDelegate::isButtonColumn(int column) const
{
    return column == SiteOverviewModel::ReportColumn;
}
