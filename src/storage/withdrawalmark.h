#pragma once

#include <QVariant>
#include <QVariantMap>

// How every table shows a withdrawn session: struck through, with who
// withdrew it, when and why in the tooltip.
namespace WithdrawalMark {

// The value of a cell of a withdrawn session for Qt::FontRole or
// Qt::ToolTipRole, from its "withdrawal" map ("withdrawnBy", "withdrawnAt",
// "reason"); no value for any other role.
QVariant data(const QVariantMap &withdrawal, int role);

} // namespace WithdrawalMark
