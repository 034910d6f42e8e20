#include "sessionexport.h"

#include "comparisontext.h"
#include "judgement.h"
#include "luminanceresponse.h"
#include "luminanceresponsepage.h"
#include "linkedsession.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsubgroup.h"
#include "translator.h"
#include "verdicttext.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

const QStringList displayKeys{QStringLiteral("maker"), QStringLiteral("model"), QStringLiteral("serial"),
                              QStringLiteral("category"), QStringLiteral("roomClass")};

QString testType(const QVariantMap &session)
{
    const QString type = session.value(QStringLiteral("testtype")).toString();
    return type.isEmpty() ? QStringLiteral("unknown") : type;
}

// The tested display; a session stored before displays were recorded gives empty texts.
QJsonObject displayObject(const QVariantMap &session)
{
    const QVariantMap display = session.value(QStringLiteral("display")).toMap();
    QJsonObject object;
    for (const QString &key : displayKeys)
        object.insert(key, display.value(key).toString());
    return object;
}

// Who withdrew the session, when (UTC) and why; empty for a session that was
// not withdrawn, whose export stays as it always was.
QJsonObject withdrawalObject(const QVariantMap &session)
{
    const QVariantMap withdrawal = session.value(QStringLiteral("withdrawal")).toMap();
    if (withdrawal.isEmpty())
        return {};
    return {{QStringLiteral("withdrawnBy"), withdrawal.value(QStringLiteral("withdrawnBy")).toString()},
            {QStringLiteral("withdrawnAt"),
             withdrawal.value(QStringLiteral("withdrawnAt")).toDateTime().toUTC().toString(Qt::ISODate)},
            {QStringLiteral("reason"), withdrawal.value(QStringLiteral("reason")).toString()}};
}

QJsonArray verdictRows(const QVariantMap &session)
{
    QJsonArray rows;
    const Judgement judgement = Judgement::fromMap(session.value(QStringLiteral("judgement")).toMap());
    for (const Judgement::Verdict &verdict : judgement.verdicts)
        rows.append(QJsonObject::fromVariantMap(verdict.toMap()));
    return rows;
}

const QStringList columns{QStringLiteral("group"), QStringLiteral("subgroup"),    QStringLiteral("test"),
                          QStringLiteral("id"),    QStringLiteral("caption_key"), QStringLiteral("caption"),
                          QStringLiteral("type"),  QStringLiteral("answer"),      QStringLiteral("computed"),
                          QStringLiteral("valid"), QStringLiteral("note")};

QString typeName(TestContent::tTestContentType type)
{
    switch (type) {
    case TestContent::kTestContentTypeText:
        return QStringLiteral("text");
    case TestContent::kTestContentTypeTextarea:
        return QStringLiteral("textarea");
    case TestContent::kTestContentTypeMultiselect:
        return QStringLiteral("multiselect");
    case TestContent::kTestContentTypeBoolean:
        return QStringLiteral("boolean");
    case TestContent::kTestContentTypeInfo:
        return QStringLiteral("info");
    case TestContent::kTestContentTypeNone:
        break;
    }
    return QStringLiteral("none");
}

QString answer(const TestContent *content)
{
    switch (content->type()) {
    case TestContent::kTestContentTypeMultiselect:
        return content->resultMultiselect();
    case TestContent::kTestContentTypeBoolean:
        return content->resultBoolean() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return content->shownResultText();
    }
}

// The computed value; null when the content computes nothing or its result is no finite number.
QJsonValue computed(TestContent *content)
{
    if (content->join().isEmpty())
        return QJsonValue::Null;
    const double value = content->computeJoin();
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue::Null;
}

// One object per content, every content of every test in step order.
QJsonArray contentRows(const QList<TestGroup *> &groups)
{
    QJsonArray rows;
    for (const TestGroup *group : groups) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            int testNumber = 0;
            for (const Test *test : qAsConst(*subgroup->tests())) {
                ++testNumber;
                for (TestContent *content : qAsConst(*test->content())) {
                    const QJsonValue values[] = {qint64(group->number()),
                                                 subgroup->number(),
                                                 testNumber,
                                                 content->id(),
                                                 content->caption(),
                                                 TR::Translator::instance()->translate(content->caption()),
                                                 typeName(content->type()),
                                                 answer(content),
                                                 computed(content),
                                                 content->isValid(),
                                                 content->note()};
                    QJsonObject row;
                    for (int column = 0; column < columns.size(); ++column)
                        row.insert(columns.at(column), values[column]);
                    rows.append(row);
                }
            }
        }
    }
    return rows;
}

QJsonArray numbers(const QVector<double> &values)
{
    QJsonArray array;
    for (double value : values)
        array.append(value);
    return array;
}

// A number of the record as it is stored, also past the range of an int; null when it is no number.
QJsonValue storedNumber(const QVariant &value)
{
    bool isNumber = false;
    const qlonglong whole = value.toString().toLongLong(&isNumber);
    if (isNumber)
        return QJsonValue(qint64(whole));
    const double number = value.toString().toDouble(&isNumber);
    return isNumber && std::isfinite(number) ? QJsonValue(number) : QJsonValue(QJsonValue::Null);
}

QJsonObject responseObject(const LuminanceResponse &response, const std::optional<Judgement::Verdict> &verdict)
{
    if (!response.isValid()) {
        static const char *const problems[] = {"none",        "wrongCount",  "notANumber",       "notPositive",
                                               "outsideGsdf", "notIncreasing", "ambientNotANumber"};
        return {{QStringLiteral("problem"), QLatin1String(problems[response.problem])},
                {QStringLiteral("message"), LuminanceResponsePage::problemText(response)}};
    }
    QJsonArray levels;
    for (int reading = 0; reading < LuminanceResponse::readingCount; ++reading)
        levels.append(LuminanceResponse::drivingLevel(reading));
    QJsonObject object{{QStringLiteral("drivingLevels"), levels},
            {QStringLiteral("luminances"), numbers(response.luminances)},
            {QStringLiteral("targetIndices"), numbers(response.targetIndices)},
            {QStringLiteral("targetLuminances"), numbers(response.targetLuminances)},
            {QStringLiteral("measuredContrasts"), numbers(response.measuredContrasts)},
            {QStringLiteral("targetContrasts"), numbers(response.targetContrasts)},
            {QStringLiteral("deviations"), numbers(response.deviations)},
            {QStringLiteral("largestDeviation"), response.largestDeviation},
            {QStringLiteral("withinPrimaryLimit"), response.isWithin(LuminanceResponse::primaryLimit)},
            {QStringLiteral("withinSecondaryLimit"), response.isWithin(LuminanceResponse::secondaryLimit)}};
    // A judged session names the category's tolerance (null: not judged); older ones export as before.
    if (verdict) {
        object.insert(QStringLiteral("tolerance"), verdict->hasLimit ? QJsonValue(verdict->limit) : QJsonValue());
        object.insert(QStringLiteral("withinTolerance"), verdict->hasLimit ? QJsonValue(verdict->passed) : QJsonValue());
    }
    return object;
}

// A number the comparison could give, or null.
QJsonValue optionalNumber(bool has, double value)
{
    return has ? QJsonValue(value) : QJsonValue();
}

// Each compared quantity with its reference value, measured value, deviation in per cent and verdict.
QJsonArray comparisonRows(const QList<ComparisonText::Line> &lines)
{
    QJsonArray rows;
    for (const ComparisonText::Line &line : lines) {
        rows.append(QJsonObject{{QStringLiteral("quantity"), line.row.quantity},
                                {QStringLiteral("reference"), optionalNumber(line.row.hasReference, line.row.reference)},
                                {QStringLiteral("measured"), optionalNumber(line.row.hasMeasured, line.row.measured)},
                                {QStringLiteral("deviation"), optionalNumber(line.row.hasDeviation, line.row.deviation)},
                                {QStringLiteral("judged"), !line.verdict.isEmpty()},
                                {QStringLiteral("passed"), line.passed},
                                {QStringLiteral("text"), line.text()}});
    }
    return rows;
}

// The measured values of a stored record as numbers, anything else left out.
QJsonObject numberObject(const QVariantMap &values)
{
    QJsonObject object;
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        double number = 0.0;
        if (ReferenceValues::number(value.value(), &number))
            object.insert(value.key(), number);
    }
    return object;
}

QByteArray json(const QVariantMap &session, const QList<TestGroup *> &groups,
               const std::optional<LuminanceResponse> &response)
{
    QJsonObject document{
        {QStringLiteral("tester"), session.value(QStringLiteral("tester")).toString()},
        {QStringLiteral("date"), session.value(QStringLiteral("date")).toDateTime().toString(Qt::ISODate)},
        {QStringLiteral("monitor"),
         QJsonObject{{QStringLiteral("number"), storedNumber(session.value(QStringLiteral("monitorselected")))},
                     {QStringLiteral("description"), session.value(QStringLiteral("monitorinfo")).toString()}}},
        {QStringLiteral("failedCount"), storedNumber(session.value(QStringLiteral("nfailedtestcontents")))},
        {QStringLiteral("testType"), testType(session)},
        {QStringLiteral("display"), displayObject(session)},
        {QStringLiteral("verdicts"), verdictRows(session)},
        {QStringLiteral("contents"), contentRows(groups)}};
    if (response)
        document.insert(QStringLiteral("luminanceResponse"),
                        responseObject(*response, LinkedSession::gsdfVerdict(session)));
    if (session.contains(QStringLiteral("measured")))
        document.insert(QStringLiteral("measured"), numberObject(session.value(QStringLiteral("measured")).toMap()));
    const QVariantMap reference = session.value(QStringLiteral("reference")).toMap();
    if (!reference.isEmpty()) {
        document.insert(QStringLiteral("reference"),
                        QJsonObject{{QStringLiteral("values"), numberObject(ReferenceValues::values(reference))},
                                    {QStringLiteral("date"), reference.value(QStringLiteral("date")).toString()},
                                    {QStringLiteral("session"), reference.value(QStringLiteral("session")).toString()}});
        document.insert(QStringLiteral("comparison"), comparisonRows(ComparisonText::lines(session)));
    }
    const QJsonObject withdrawal = withdrawalObject(session);
    if (!withdrawal.isEmpty())
        document.insert(QStringLiteral("withdrawal"), withdrawal);
    return QJsonDocument(document).toJson();
}

// A spreadsheet reads a cell that starts with one of these as a formula (or,
// after a tab or carriage return, may still do so).
bool startsLikeFormula(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && formulaStarts.contains(text.at(0));
}

// A typed text that a spreadsheet would run as a formula gets a leading
// apostrophe, so it shows as the text it is. A text that is a plain number
// ("-0.5") is no formula and stays as typed.
QString neutralised(const QString &text)
{
    if (!startsLikeFormula(text))
        return text;
    bool isNumber = false;
    QLocale::c().toDouble(text, &isNumber);
    const bool signedNumber = isNumber && text == text.trimmed();
    return signedNumber ? text : QLatin1Char('\'') + text;
}

QString csvField(const QJsonValue &value)
{
    QString text;
    if (value.isBool())
        text = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    else if (value.isDouble())
        text = QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    else
        text = neutralised(value.toString());
    static const QRegularExpression needsQuotes(QStringLiteral("[\",\\r\\n]"));
    if (!text.contains(needsQuotes))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// Every row also names the test type and the display, so each stands on its own.
QByteArray csv(const QVariantMap &session, const QList<TestGroup *> &groups)
{
    QStringList header = columns;
    header << QStringLiteral("testType");
    for (const QString &key : displayKeys)
        header << QStringLiteral("display_") + key;
    QStringList lines{header.join(QLatin1Char(','))};
    const QJsonObject display = displayObject(session);
    const QList<ComparisonText::Line> comparison = ComparisonText::lines(session);
    if (!comparison.isEmpty())
        lines[0] += QStringLiteral(",reference,deviation");
    // A withdrawn session's rows end with who withdrew it, when and why.
    const QJsonObject withdrawal = withdrawalObject(session);
    QStringList withdrawalFields;
    if (!withdrawal.isEmpty()) {
        lines[0] += QStringLiteral(",withdrawnBy,withdrawnAt,withdrawalReason");
        for (const QString &key :
             {QStringLiteral("withdrawnBy"), QStringLiteral("withdrawnAt"), QStringLiteral("reason")})
            withdrawalFields << csvField(withdrawal.value(key));
    }
    const auto addLine = [&](const QJsonObject &row, const QStringList &extra) {
        QStringList fields;
        for (const QString &column : columns)
            fields << csvField(row.value(column));
        fields << csvField(testType(session));
        for (const QString &key : displayKeys)
            fields << csvField(display.value(key));
        lines << (fields + extra + withdrawalFields).join(QLatin1Char(','));
    };
    for (const QJsonValue &row : contentRows(groups))
        addLine(row.toObject(), comparison.isEmpty() ? QStringList() : QStringList{QString(), QString()});
    // A constancy test's comparison follows the contents, one row of type "comparison" per quantity.
    for (const QJsonValue &value : comparisonRows(comparison)) {
        const QJsonObject row = value.toObject();
        addLine({{QStringLiteral("group"), QStringLiteral("comparison")},
                 {QStringLiteral("id"), row.value(QStringLiteral("quantity"))},
                 {QStringLiteral("caption"), VerdictText::quantityName(row.value(QStringLiteral("quantity")).toString())},
                 {QStringLiteral("type"), QStringLiteral("comparison")},
                 {QStringLiteral("answer"), row.value(QStringLiteral("measured"))},
                 {QStringLiteral("valid"), row.value(QStringLiteral("passed"))},
                 {QStringLiteral("note"), row.value(QStringLiteral("text"))}},
                {csvField(row.value(QStringLiteral("reference"))), csvField(row.value(QStringLiteral("deviation")))});
    }
    return (lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8();
}

} // namespace

bool SessionExport::formatOf(const QString &fileName, Format *format)
{
    if (fileName.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        *format = Json;
    else if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        *format = Csv;
    else
        return false;
    return true;
}

QByteArray SessionExport::write(const QVariantMap &session, Format format)
{
    const LinkedSession linked(session);
    return format == Json ? json(session, linked.groups(), linked.luminanceResponse())
                          : csv(session, linked.groups());
}
