#include "referencevalues.h"

#include "answernumber.h"

#include <algorithm>
#include <cmath>

namespace {

const QStringList JudgedQuantities{QStringLiteral("maxLuminance"), QStringLiteral("luminanceRatio"),
                                   QStringLiteral("uniformityLow"), QStringLiteral("uniformityHigh"),
                                   QStringLiteral("illuminance")};

bool answerNumber(const QMap<QString, QString> &answers, const QString &id, double *value)
{
    bool ok = false;
    *value = AnswerNumber::read(answers.value(id).trimmed(), &ok);
    return ok && std::isfinite(*value);
}

} // namespace

QString ReferenceValues::readingQuantity(int reading)
{
    return QStringLiteral("ln%1").arg(reading + 1, 2, 10, QLatin1Char('0'));
}

QStringList ReferenceValues::quantities()
{
    QStringList names{QStringLiteral("maxLuminance"),     QStringLiteral("minLuminance"),
                      QStringLiteral("luminanceRatio"),   QStringLiteral("ambientLuminance"),
                      QStringLiteral("uniformityLow"),    QStringLiteral("uniformityHigh"),
                      QStringLiteral("illuminance")};
    for (int reading = 0; reading < 18; ++reading)
        names << readingQuantity(reading);
    return names;
}

QVariantMap ReferenceValues::measured(const QMap<QString, QString> &answers,
                                      const QList<Judgement::Verdict> &verdicts, const LimitsTable &table)
{
    QVariantMap values;
    for (const Judgement::Verdict &verdict : verdicts) {
        if (verdict.computable && std::isfinite(verdict.measured) && JudgedQuantities.contains(verdict.quantity))
            values.insert(verdict.quantity, verdict.measured);
    }
    const LimitsTable::Inputs &inputs = table.inputs();
    double ambient = 0.0;
    if (answerNumber(answers, inputs.ambientLuminance, &ambient))
        values.insert(QStringLiteral("ambientLuminance"), ambient);
    QList<double> readings;
    for (int reading = 0; reading < inputs.luminanceReadings.size(); ++reading) {
        double value = 0.0;
        if (answerNumber(answers, inputs.luminanceReadings.at(reading), &value)) {
            values.insert(readingQuantity(reading), value);
            readings << value;
        }
    }
    // L'min exactly when L'max could be computed: from every reading and the ambient luminance.
    if (values.contains(QStringLiteral("maxLuminance")) && !readings.isEmpty())
        values.insert(QStringLiteral("minLuminance"), *std::min_element(readings.cbegin(), readings.cend()) +
                                                          values.value(QStringLiteral("ambientLuminance")).toDouble());
    return values;
}

bool ReferenceValues::number(const QVariant &value, double *result)
{
    bool ok = false;
    *result = AnswerNumber::read(value.toString(), &ok);
    return ok && std::isfinite(*result);
}

bool ReferenceValues::deviation(double reference, double measured, double *percent)
{
    if (!(reference > 0) || !std::isfinite(reference) || !std::isfinite(measured))
        return false;
    *percent = 100 * (measured - reference) / reference;
    return std::isfinite(*percent);
}

QList<ReferenceValues::Row> ReferenceValues::compare(const QVariantMap &reference, const QVariantMap &measured)
{
    QList<Row> rows;
    for (const QString &quantity : quantities()) {
        if (!reference.contains(quantity) || !measured.contains(quantity))
            continue;
        Row row;
        row.quantity = quantity;
        row.hasReference = number(reference.value(quantity), &row.reference);
        row.hasMeasured = number(measured.value(quantity), &row.measured);
        row.hasDeviation =
            row.hasReference && row.hasMeasured && deviation(row.reference, row.measured, &row.deviation);
        rows << row;
    }
    return rows;
}

QVariantMap ReferenceValues::record(const QVariantMap &values, const QString &date, const QString &session)
{
    return {{QStringLiteral("values"), values}, {QStringLiteral("date"), date}, {QStringLiteral("session"), session}};
}

QVariantMap ReferenceValues::values(const QVariantMap &record)
{
    return record.value(QStringLiteral("values")).toMap();
}
