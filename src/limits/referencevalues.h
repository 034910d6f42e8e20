#pragma once

#include "judgement.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The measured values that a display's reference keeps, as every session's
// record stores them under "measured", and a constancy test's comparison with
// the reference: each quantity's reference value, measured value and deviation.
class ReferenceValues
{
public:
    // The quantities in the order a comparison lists them: L'max, L'min, r',
    // L_amb, both uniformities, the illuminance and the TG18-LN readings
    // "ln01" (darkest) to "ln18".
    static QStringList quantities();
    static QString readingQuantity(int reading);

    // Whatever of these values the session has, each a finite number; a value
    // that cannot be computed is left out. The verdicts are the session's own,
    // which compute L'max, r', the uniformities and the illuminance.
    static QVariantMap measured(const QMap<QString, QString> &answers, const QList<Judgement::Verdict> &verdicts,
                                const LimitsTable &table);

    // A stored value as a number: false when it is missing, no number or not finite.
    static bool number(const QVariant &value, double *result);
    // 100 (measured - reference) / reference; false when the reference is not a positive number.
    static bool deviation(double reference, double measured, double *percent);

    struct Row
    {
        QString quantity;
        bool hasReference = false;
        double reference = 0.0;
        bool hasMeasured = false;
        double measured = 0.0;
        bool hasDeviation = false;
        double deviation = 0.0; // per cent
    };
    // One row for each quantity both maps hold, in the order of quantities(): a
    // quantity this session did not measure is not compared.
    static QList<Row> compare(const QVariantMap &reference, const QVariantMap &measured);

    // A record's "reference": the values it was compared with, their date (ISO) and the session that measured them.
    static QVariantMap record(const QVariantMap &values, const QString &date, const QString &session);
    static QVariantMap values(const QVariantMap &record);
};
