#pragma once

#include <QColor>
#include <QFont>
#include <QString>

// The report's fixed colours and font family, shared by every part of the report.
namespace ReportStyle {

inline const QColor textDark(QStringLiteral("#4D4D4D"));
inline const QColor textMuted(QStringLiteral("#828282"));
inline const QColor ruleLight(QStringLiteral("#D1D1D1"));
inline const QColor letterheadBar(QStringLiteral("#939597"));
inline const QColor passedColour(QStringLiteral("#8cc640"));
inline const QColor failedCountColour(QStringLiteral("#f15b26"));
inline const QString fontFamily = QStringLiteral("Arial");

inline QFont font(int pointSize, QFont::Weight weight = QFont::Normal)
{
    QFont result(fontFamily);
    result.setPointSize(pointSize);
    result.setWeight(weight);
    return result;
}

} // namespace ReportStyle
