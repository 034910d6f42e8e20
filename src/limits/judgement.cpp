#include "judgement.h"

#include "answernumber.h"
#include "luminanceresponse.h"
#include "referencevalues.h"

#include <QVariantList>

#include <algorithm>

namespace {

// A value read from the answers, or why it cannot be.
struct Reading
{
    bool ok = false;
    double value = 0.0;
    QString problem;
    QString subject;
};

Reading read(const QMap<QString, QString> &answers, const QString &id)
{
    const QString answer = answers.value(id).trimmed();
    if (answer.isEmpty())
        return {false, 0.0, QStringLiteral("unanswered"), id};
    bool ok = false;
    const double value = AnswerNumber::read(answer, &ok);
    if (!ok)
        return {false, 0.0, QStringLiteral("notANumber"), id};
    return {true, value, {}, {}};
}

bool anyPresent(const QMap<QString, QString> &answers, const QStringList &ids)
{
    return std::any_of(ids.cbegin(), ids.cend(), [&answers](const QString &id) { return answers.contains(id); });
}

Judgement::Verdict notComputable(const QString &quantity, const Reading &reading)
{
    Judgement::Verdict verdict;
    verdict.quantity = quantity;
    verdict.problem = reading.problem;
    verdict.problemSubject = reading.subject;
    return verdict;
}

// Compares a computed value with its limit; a missing limit fails with the reason.
Judgement::Verdict compared(const QString &quantity, double measured, Judgement::Verdict::Comparison comparison,
                            const LimitsTable::Limit *limit, const QString &limitProblem, const QString &chosen)
{
    Judgement::Verdict verdict;
    verdict.quantity = quantity;
    verdict.computable = true;
    verdict.measured = measured;
    verdict.comparison = comparison;
    if (!limit) {
        verdict.problem = limitProblem;
        verdict.problemSubject = chosen;
        return verdict;
    }
    verdict.source = limit->source;
    if (!limit->judged) {
        verdict.comparison = Judgement::Verdict::NotJudged;
        verdict.passed = true;
        return verdict;
    }
    verdict.hasLimit = true;
    verdict.limit = limit->value;
    switch (comparison) {
    case Judgement::Verdict::AtLeast:
        verdict.passed = measured >= limit->value;
        break;
    case Judgement::Verdict::AtMost:
        verdict.passed = measured <= limit->value;
        break;
    case Judgement::Verdict::Within:
        verdict.passed = std::abs(measured) <= limit->value;
        break;
    case Judgement::Verdict::NotJudged:
        verdict.passed = true;
        break;
    }
    return verdict;
}

const char *const Comparisons[] = {"atLeast", "atMost", "within", "notJudged"};

QVariantMap sizeMap(const QSize &size)
{
    return {{QStringLiteral("width"), size.width()}, {QStringLiteral("height"), size.height()}};
}

QSize sizeOf(const QVariant &value)
{
    const QVariantMap map = value.toMap();
    if (!map.contains(QStringLiteral("width")) || !map.contains(QStringLiteral("height")))
        return {};
    return {map.value(QStringLiteral("width")).toInt(), map.value(QStringLiteral("height")).toInt()};
}

class Judge
{
public:
    Judge(const QMap<QString, QString> &answers, const Judgement::Context &context, const LimitsTable &table)
        : m_answers(answers), m_context(context), m_table(table), m_inputs(table.inputs()),
          m_category(table.category(context.category)), m_roomClass(table.roomClass(context.roomClass))
    {
    }

    QList<Judgement::Verdict> verdicts()
    {
        if (anyPresent(m_answers, m_inputs.luminanceReadings))
            judgeLuminances();
        judgeUniformity(QStringLiteral("uniformityLow"), m_inputs.uniformityLow);
        judgeUniformity(QStringLiteral("uniformityHigh"), m_inputs.uniformityHigh);
        if (m_answers.contains(m_inputs.illuminance)) {
            const Reading illuminance = read(m_answers, m_inputs.illuminance);
            add(illuminance.ok ? compared(QStringLiteral("illuminance"), illuminance.value, Judgement::Verdict::AtMost,
                                          m_roomClass ? &m_roomClass->maxIlluminance : nullptr,
                                          QStringLiteral("noRoomClass"), m_context.roomClass)
                               : notComputable(QStringLiteral("illuminance"), illuminance));
        }
        if (m_context.screenPixels.isValid())
            judgeMatrix();
        judgeConstancy();
        return m_verdicts;
    }

private:
    const LimitsTable::Limit *categoryLimit(LimitsTable::Limit LimitsTable::Category::*limit) const
    {
        return m_category ? &(m_category->*limit) : nullptr;
    }

    Judgement::Verdict withCategory(const QString &quantity, double measured, Judgement::Verdict::Comparison comparison,
                                    LimitsTable::Limit LimitsTable::Category::*limit) const
    {
        return compared(quantity, measured, comparison, categoryLimit(limit), QStringLiteral("noCategory"),
                        m_context.category);
    }

    void add(const Judgement::Verdict &verdict) { m_verdicts.append(verdict); }

    // The ambient luminance is added to every reading; a session without it adds nothing.
    Reading ambient() const
    {
        if (!m_answers.contains(m_inputs.ambientLuminance))
            return {true, 0.0, {}, {}};
        return read(m_answers, m_inputs.ambientLuminance);
    }

    void judgeLuminances()
    {
        QStringList readings;
        double largest = 0.0;
        double smallest = 0.0;
        Reading problem{true, 0.0, {}, {}};
        for (const QString &id : m_inputs.luminanceReadings) {
            const Reading reading = read(m_answers, id);
            if (!reading.ok && problem.ok)
                problem = reading;
            else if (reading.ok && reading.value <= 0 && problem.ok)
                problem = {false, 0.0, QStringLiteral("notPositive"), id};
            largest = readings.isEmpty() ? reading.value : std::max(largest, reading.value);
            smallest = readings.isEmpty() ? reading.value : std::min(smallest, reading.value);
            readings << m_answers.value(id);
        }
        const Reading lamb = ambient();
        if (problem.ok && !lamb.ok)
            problem = lamb;
        if (!problem.ok) {
            for (const char *quantity : {"maxLuminance", "luminanceRatio", "gsdfDeviation"})
                add(notComputable(QLatin1String(quantity), problem));
            return;
        }
        const double maxLuminance = largest + lamb.value;
        const double minLuminance = smallest + lamb.value;
        add(withCategory(QStringLiteral("maxLuminance"), maxLuminance, Judgement::Verdict::AtLeast,
                         &LimitsTable::Category::maxLuminance));
        add(withCategory(QStringLiteral("luminanceRatio"), maxLuminance / minLuminance, Judgement::Verdict::AtLeast,
                         &LimitsTable::Category::luminanceRatio));

        const LuminanceResponse response = LuminanceResponse::analyse(readings, lamb.value);
        if (!response.isValid()) {
            static const char *const problems[] = {"", "unanswered", "notANumber", "notPositive", "outsideGsdf",
                                                   "notIncreasing"};
            add(notComputable(QStringLiteral("gsdfDeviation"),
                              {false, 0.0, QLatin1String(problems[response.problem]),
                               m_inputs.luminanceReadings.value(response.problemReading)}));
            return;
        }
        add(withCategory(QStringLiteral("gsdfDeviation"), response.largestDeviation * 100, Judgement::Verdict::AtMost,
                         &LimitsTable::Category::gsdfTolerance));
    }

    // 200 (max - min) / (max + min), in per cent.
    void judgeUniformity(const QString &quantity, const QStringList &ids)
    {
        if (ids.size() != 2 || !anyPresent(m_answers, ids))
            return;
        const Reading largest = read(m_answers, ids.at(0));
        const Reading smallest = read(m_answers, ids.at(1));
        if (!largest.ok || !smallest.ok) {
            add(notComputable(quantity, largest.ok ? smallest : largest));
            return;
        }
        if (largest.value + smallest.value <= 0) {
            add(notComputable(quantity, {false, 0.0, QStringLiteral("notPositive"), ids.at(0)}));
            return;
        }
        const double uniformity = 200 * (largest.value - smallest.value) / (largest.value + smallest.value);
        add(withCategory(quantity, uniformity, Judgement::Verdict::AtMost, &LimitsTable::Category::uniformity));
    }

    // Either way round: a portrait screen of 1200 x 1600 has the matrix of 1600 x 1200.
    void judgeMatrix()
    {
        const QSize screen = m_context.screenPixels;
        const QString quantity = QStringLiteral("pixelMatrix");
        if (screen.isEmpty()) {
            add(notComputable(quantity, {false, 0.0, QStringLiteral("noScreen"), {}}));
            return;
        }
        Judgement::Verdict verdict = compared(quantity, 0.0, Judgement::Verdict::AtLeast, nullptr,
                                              QStringLiteral("noCategory"), m_context.category);
        verdict.measuredMatrix = screen;
        if (m_category) {
            const LimitsTable::Matrix &limit = m_category->pixelMatrix;
            verdict.problem.clear();
            verdict.problemSubject.clear();
            verdict.source = limit.source;
            verdict.hasLimit = limit.judged;
            verdict.comparison = limit.judged ? Judgement::Verdict::AtLeast : Judgement::Verdict::NotJudged;
            verdict.limitMatrix = limit.judged ? QSize(limit.width, limit.height) : QSize();
            verdict.passed =
                !limit.judged || (std::max(screen.width(), screen.height()) >= std::max(limit.width, limit.height) &&
                                  std::min(screen.width(), screen.height()) >= std::min(limit.width, limit.height));
        }
        add(verdict);
    }

    // Each quantity the table gives a tolerance and the reference a value; a
    // quantity the session measures but cannot compute fails with the reason.
    void judgeConstancy()
    {
        const QVariantMap measured = ReferenceValues::measured(m_answers, m_verdicts, m_table);
        for (const QString &quantity : m_table.constancyQuantities()) {
            if (!m_context.reference.contains(quantity))
                continue;
            const QString name = QStringLiteral("constancy/") + quantity;
            double reference = 0.0;
            double deviation = 0.0;
            const bool hasReference = ReferenceValues::number(m_context.reference.value(quantity), &reference);
            if (measured.contains(quantity) &&
                ReferenceValues::deviation(reference, measured.value(quantity).toDouble(), &deviation)) {
                const LimitsTable::Limit tolerance = m_table.constancyTolerance(quantity);
                add(compared(name, deviation, Judgement::Verdict::Within, &tolerance, QString(), QString()));
            } else if (measured.contains(quantity)) {
                add(notComputable(name, {false, 0.0, hasReference ? QStringLiteral("notPositive") : QStringLiteral("notANumber"),
                                         quantity}));
            } else if (const Reading missing = missingReading(quantity); !missing.ok) {
                add(notComputable(name, missing));
            }
        }
    }

    // Why a quantity the session measures has no value; ok when the session does not measure it.
    Reading missingReading(const QString &quantity) const
    {
        const QString verdictQuantity =
            quantity == QLatin1String("minLuminance") ? QStringLiteral("maxLuminance") : quantity;
        const auto verdict = std::find_if(m_verdicts.cbegin(), m_verdicts.cend(),
                                          [&](const Judgement::Verdict &v) { return v.quantity == verdictQuantity; });
        if (verdict != m_verdicts.cend())
            return {false, 0.0, verdict->problem, verdict->problemSubject};
        QString id;
        if (quantity == QLatin1String("ambientLuminance"))
            id = m_inputs.ambientLuminance;
        else if (quantity.startsWith(QLatin1String("ln")))
            id = m_inputs.luminanceReadings.value(quantity.midRef(2).toInt() - 1);
        if (id.isEmpty() || !m_answers.contains(id))
            return {true, 0.0, {}, {}};
        return read(m_answers, id);
    }

    const QMap<QString, QString> &m_answers;
    const Judgement::Context &m_context;
    const LimitsTable &m_table;
    const LimitsTable::Inputs &m_inputs;
    const LimitsTable::Category *m_category;
    const LimitsTable::RoomClass *m_roomClass;
    QList<Judgement::Verdict> m_verdicts;
};

} // namespace

QVariantMap Judgement::Verdict::toMap() const
{
    QVariantMap map{{QStringLiteral("quantity"), quantity},
                    {QStringLiteral("comparison"), QLatin1String(Comparisons[comparison])},
                    {QStringLiteral("passed"), passed}};
    // A value that was not computed is absent, never written as "nan".
    if (computable)
        map.insert(QStringLiteral("measured"), measured);
    if (hasLimit)
        map.insert(QStringLiteral("limit"), limit);
    if (!source.isEmpty())
        map.insert(QStringLiteral("source"), source);
    if (!problem.isEmpty()) {
        map.insert(QStringLiteral("problem"), problem);
        map.insert(QStringLiteral("problemSubject"), problemSubject);
    }
    if (measuredMatrix.isValid())
        map.insert(QStringLiteral("measuredMatrix"), sizeMap(measuredMatrix));
    if (limitMatrix.isValid())
        map.insert(QStringLiteral("limitMatrix"), sizeMap(limitMatrix));
    return map;
}

Judgement::Verdict Judgement::Verdict::fromMap(const QVariantMap &map)
{
    Verdict verdict;
    verdict.quantity = map.value(QStringLiteral("quantity")).toString();
    verdict.computable = map.contains(QStringLiteral("measured"));
    verdict.measured = map.value(QStringLiteral("measured")).toDouble();
    const QString comparison = map.value(QStringLiteral("comparison")).toString();
    for (int i = 0; i < int(std::size(Comparisons)); ++i) {
        if (comparison == QLatin1String(Comparisons[i]))
            verdict.comparison = Comparison(i);
    }
    verdict.hasLimit = map.contains(QStringLiteral("limit"));
    verdict.limit = map.value(QStringLiteral("limit")).toDouble();
    verdict.source = map.value(QStringLiteral("source")).toString();
    verdict.problem = map.value(QStringLiteral("problem")).toString();
    verdict.problemSubject = map.value(QStringLiteral("problemSubject")).toString();
    verdict.passed = map.value(QStringLiteral("passed")).toBool();
    verdict.measuredMatrix = sizeOf(map.value(QStringLiteral("measuredMatrix")));
    verdict.limitMatrix = sizeOf(map.value(QStringLiteral("limitMatrix")));
    return verdict;
}

Judgement Judgement::judge(const QMap<QString, QString> &answers, const Context &context, const LimitsTable &table)
{
    Judgement judgement;
    judgement.version = table.version();
    judgement.verdicts = Judge(answers, context, table).verdicts();
    return judgement;
}

int Judgement::failedCount() const
{
    return int(std::count_if(verdicts.cbegin(), verdicts.cend(), [](const Verdict &v) { return !v.passed; }));
}

QVariantMap Judgement::measuredValues() const
{
    QVariantMap values;
    for (const Verdict &verdict : verdicts) {
        if (verdict.computable && !verdict.quantity.startsWith(QLatin1String("constancy/")))
            values.insert(verdict.quantity, verdict.measured);
    }
    return values;
}

QVariantMap Judgement::toMap() const
{
    QVariantList list;
    for (const Verdict &verdict : verdicts)
        list << verdict.toMap();
    return {{QStringLiteral("version"), version}, {QStringLiteral("verdicts"), list}};
}

Judgement Judgement::fromMap(const QVariantMap &map)
{
    Judgement judgement;
    judgement.version = map.value(QStringLiteral("version")).toString();
    for (const QVariant &verdict : map.value(QStringLiteral("verdicts")).toList())
        judgement.verdicts << Verdict::fromMap(verdict.toMap());
    return judgement;
}
