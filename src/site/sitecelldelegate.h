#pragma once

#include "buttoncelldelegate.h"

// The site table's delegate: its one button cell opens the row's report.
class SiteCellDelegate : public ButtonCellDelegate
{
    Q_OBJECT

public:
    using ButtonCellDelegate::ButtonCellDelegate;

protected:
    bool isButtonColumn(int column) const override;
};
