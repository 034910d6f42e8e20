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
        QString quantity; // the quantity's name
        QString text;     // "reference 250.0 cd/m2, measured 180.0 cd/m2, deviation -28.0 %"
        bool judged = false;
        bool passed = true; // a row without verdict passes
    };

    // The comparison a record keeps: its "reference" against its "measured",
    // judged by its "judgement"; empty for a record without reference.
    static QList<Line> lines(const QVariantMap &record);
    static QList<Line> lines(const QVariantMap &reference, const QVariantMap &measured, const Judgement &judgement);
    // "Reference values of 2026-03-14 (session …)"
    static QString heading(const QVariantMap &reference);
};
