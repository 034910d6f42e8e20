#pragma once

#include "buttoncelldelegate.h"

// The task table: the delete, edit and start cells as buttons. They show their
// icons alone: the column headers name them, and a text beside the icon would
// not fit the button columns' width.
class SchedulerItemDelegate : public ButtonCellDelegate
{
    Q_OBJECT

public:
    using ButtonCellDelegate::ButtonCellDelegate;

protected:
    bool isButtonColumn(int column) const override;
};
