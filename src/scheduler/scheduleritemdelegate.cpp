#include "scheduleritemdelegate.h"

#include "schedulermanager.h"

bool SchedulerItemDelegate::isButtonColumn(int column) const
{
    return column >= SchedulerManager::kColumnDelete && column <= SchedulerManager::kColumnStart;
}
