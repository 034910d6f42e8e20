#pragma once

#include "buttoncelldelegate.h"

// The saved-sessions table: the status icon, and the "report" and "delete"
// cells as buttons.
class SavedSessionsItemDelegate : public ButtonCellDelegate
{
    Q_OBJECT

public:
    using ButtonCellDelegate::ButtonCellDelegate;

protected:
    bool isButtonColumn(int column) const override;
    bool isImageColumn(int column) const override;
};
