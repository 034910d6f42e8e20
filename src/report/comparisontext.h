#pragma once

#include "judgement.h"
#include "referencevalues.h"

#include <QList>
#include <QString>
#include <QVariantMap>

// How the report, the export and the input dialog's summary word a constancy
// test's comparison with the display's reference values: each quantity's
// reference value, measured value and deviation, with the verdict of the
// deviation where the limits table gives a tolerance. Texts are in the
// translator's language.
class ComparisonText
{
public:
    struct Line
    {
        ReferenceValues::Row row;
        QString quantity;  // the quantity's name
        QString reference; // "250.0 cd/m2"
        QString measured;
        QString deviation; // "-28.0 %", or why it cannot be computed
        QString verdict;   // "within +/-30.0 %: passed"; empty when the deviation is not judged
        bool passed = true; // a deviation without verdict passes when it can be computed
        // "reference 250.0 cd/m2, measured 180.0 cd/m2, deviation -28.0 %; within +/-30.0 %: passed"
        QString text() const;
    };

    // The comparison a record keeps: its "reference" against its "measured",
    // judged by its "judgement"; empty for a record without reference.
    static QList<Line> lines(const QVariantMap &record);
    static QList<Line> lines(const QVariantMap &reference, const QVariantMap &measured, const Judgement &judgement);
    // "Comparison with the reference values of 14/03/2026 (session …)"
    static QString heading(const QVariantMap &reference);
};
