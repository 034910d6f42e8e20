#include "testcontent.h"

#include "answernumber.h"
#include "expressionevaluator.h"
#include "propertyassign.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QtMath>

namespace {

const QString ItemValueKey = QStringLiteral("value");
const QString ItemTextKey = QStringLiteral("text");

const QMap<TestContent::tTestContentType, QString> &typeNames()
{
    static const QMap<TestContent::tTestContentType, QString> names = {
        {TestContent::kTestContentTypeText, QStringLiteral("text")},
        {TestContent::kTestContentTypeTextarea, QStringLiteral("textarea")},
        {TestContent::kTestContentTypeMultiselect, QStringLiteral("multiselect")},
        {TestContent::kTestContentTypeBoolean, QStringLiteral("boolean")},
        {TestContent::kTestContentTypeInfo, QStringLiteral("info")},
    };
    return names;
}

const QString NumberValidatorName = QStringLiteral("number");
const QString DateValidatorName = QStringLiteral("date");
const QString ReadingSourceKey = QStringLiteral("readingsource");

} // namespace

TestContent::TestContent(const QVariantMap &source, QObject *parent)
    : QObject(parent), m_items(new QList<Item *>), m_source(source)
{
    read();
}

TestContent::~TestContent()
{
    qDeleteAll(*m_items);
    delete m_items;
}

QString TestContent::typeName(tTestContentType type)
{
    return typeNames().value(type);
}

TestContent::tTestContentType TestContent::typeFromName(const QString &name)
{
    return typeNames().key(name, kTestContentTypeNone);
}

void TestContent::clear()
{
    m_screenSize = false;
    setId({});
    setCaption({});
    setReport({});
    setType(kTestContentTypeNone);
    setPattern({});
    setJoin({});
    setHideFromTest({});
    setJoinText({});
    setJoinDescription({});
    setDescription({});
    setReportDescription({});
    setNote({});
    setResultText({});
    setResultBoolean(false);
    setResultMultiselect({});
    setResultJoin({});
    setJoinOnlyReport(false);
    setValidatorType(kValidatorTypeNone);
    setReadOnly(false);
    setDefaultValue({});
    setRequired(true);
    setIgnoreValidation(false);
    setValidator({});
    setHideFromReport(false);
    qDeleteAll(*m_items);
    m_items->clear();
    m_validatorValues.clear();
    m_ownValues.clear();
    m_joinValues.clear();
}

void TestContent::read()
{
    clear();
    const QVariantMap &source = m_source;
    const auto has = [&source](const char *key) { return source.contains(QLatin1String(key)); };
    const auto text = [&source](const char *key) { return source.value(QLatin1String(key)).toString(); };
    const auto flag = [&source](const char *key) { return source.value(QLatin1String(key)).toBool(); };

    if (has("id"))
        setId(text("id"));
    if (has("caption"))
        setCaption(text("caption"));
    if (has("report"))
        setReport(text("report"));
    if (has("validatortype"))
        setValidatorType(text("validatortype") == NumberValidatorName ? kValidatorTypeNumber
                         : text("validatortype") == DateValidatorName ? kValidatorTypeDate
                                                                      : kValidatorTypeNone);
    if (has("type"))
        setType(typeFromName(text("type")));
    if (has("defaultvalue")) {
        setDefaultValue(text("defaultvalue"));
        applyDefaultValue();
    }
    if (has("content")) {
        const QVariantList items =
            source.value(QStringLiteral("content")).toMap().value(QStringLiteral("items")).toList();
        for (const QVariant &item : items) {
            const QVariantMap map = item.toMap();
            m_items->append(new Item{{ItemValueKey, map.value(ItemValueKey).toString()},
                                     {ItemTextKey, map.value(ItemTextKey).toString()}});
        }
    }
    if (has("resultmultiselect"))
        setResultMultiselect(text("resultmultiselect"));
    if (has("resultboolean"))
        setResultBoolean(flag("resultboolean"));
    if (has("resulttext"))
        setResultText(text("resulttext"));
    if (has("resultjoin"))
        setResultJoin(text("resultjoin"));
    if (has("note"))
        setNote(text("note"));
    m_readingSource = source.value(ReadingSourceKey).toMap();
    if (has("join"))
        setJoin(text("join"));
    if (has("hidefromtest"))
        setHideFromTest(text("hidefromtest"));
    if (has("jointext"))
        setJoinText(text("jointext"));
    if (has("description"))
        setDescription(text("description"));
    if (has("reportdescription"))
        setReportDescription(text("reportdescription"));
    if (has("joindescription"))
        setJoinDescription(text("joindescription"));
    if (has("joinonlyreport"))
        setJoinOnlyReport(flag("joinonlyreport"));
    if (has("readonly"))
        setReadOnly(flag("readonly"));
    if (has("required"))
        setRequired(flag("required"));
    if (has("ignorevalidation"))
        setIgnoreValidation(flag("ignorevalidation"));
    if (has("validator"))
        setValidator(text("validator"));
    if (has("hidefromreport"))
        setHideFromReport(flag("hidefromreport"));
    if (has("screensize"))
        setScreenSize();
}

void TestContent::applyDefaultValue()
{
    if (!m_defaultValue.isEmpty() && (m_type == kTestContentTypeText || m_type == kTestContentTypeTextarea))
        presetAnswer(m_defaultValue);
}

void TestContent::presetAnswer(const QString &value)
{
    setResultText(value);
    // A preset answer takes part in the expressions from the start, so the
    // questions that depend on it are asked or skipped accordingly.
    if (!value.isEmpty())
        m_ownValues.insert(m_id, value);
}

QVariantList TestContent::itemsToVariantList() const
{
    QVariantList items;
    for (const Item *item : qAsConst(*m_items)) {
        items.append(QVariantMap{{ItemValueKey, item->value(ItemValueKey)}, {ItemTextKey, item->value(ItemTextKey)}});
    }
    return items;
}

QVariantMap TestContent::toVariantMap() const
{
    const QVariantList items = itemsToVariantList();
    QVariantMap stored = {
        {QStringLiteral("id"), m_id},
        {QStringLiteral("caption"), m_caption},
        {QStringLiteral("type"), typeName(m_type)},
        {QStringLiteral("report"), m_report},
        {QStringLiteral("reportdescription"), m_reportDescription},
        {QStringLiteral("pattern"), m_pattern},
        {QStringLiteral("join"), m_join},
        {QStringLiteral("jointext"), m_joinText},
        {QStringLiteral("joindescription"), m_joinDescription},
        {QStringLiteral("description"), m_description},
        {QStringLiteral("validatortype"), m_validatorType == kValidatorTypeNumber ? NumberValidatorName
                                          : m_validatorType == kValidatorTypeDate ? DateValidatorName
                                                                                  : QString()},
        {QStringLiteral("hidefromreport"), m_hideFromReport},
        {QStringLiteral("content"), QVariantMap{{QStringLiteral("items"), items}}},
        {QStringLiteral("items"), items},
        {QStringLiteral("note"), m_note},
        {QStringLiteral("resultboolean"), m_resultBoolean},
        {QStringLiteral("resultmultiselect"), m_resultMultiselect},
        {QStringLiteral("resulttext"), m_resultText},
        {QStringLiteral("resultjoin"), m_resultJoin},
        {QStringLiteral("joinonlyreport"), m_joinOnlyReport},
        {QStringLiteral("readonly"), m_readOnly},
        {QStringLiteral("defaultvalue"), m_defaultValue},
        {QStringLiteral("required"), m_required},
        {QStringLiteral("ignorevalidation"), m_ignoreValidation},
        {QStringLiteral("validator"), m_validator},
    };
    // Typed answers are stored as they always were.
    if (!m_readingSource.isEmpty())
        stored.insert(ReadingSourceKey, m_readingSource);
    return stored;
}

void TestContent::setResults(const QVariantMap &stored)
{
    // Only answers to the same kind of question are taken over, and never
    // over a computed value or an answer already given.
    const QString typeKey = QStringLiteral("type");
    if (!stored.contains(typeKey) || stored.value(typeKey).toString() != typeName(m_type))
        return;
    if (!m_join.isEmpty() || !m_resultText.isEmpty())
        return;
    const auto has = [&stored](const char *key) { return stored.contains(QLatin1String(key)); };
    const auto text = [&stored](const char *key) { return stored.value(QLatin1String(key)).toString(); };
    const QString storedId = text("id");
    if (has("resultmultiselect")) {
        setResultMultiselect(text("resultmultiselect"));
        takeStoredValue(storedId, m_resultMultiselect);
    }
    if (has("resultboolean"))
        setResultBoolean(stored.value(QStringLiteral("resultboolean")).toBool());
    if (has("resulttext")) {
        setResultText(text("resulttext"));
        takeStoredValue(storedId, m_resultText);
    }
    if (has("note"))
        setNote(text("note"));
    if (has("resultjoin"))
        setResultJoin(text("resultjoin"));
}

void TestContent::takeStoredValue(const QString &storedId, const QString &value)
{
    if (!storedId.isEmpty() && !value.isEmpty())
        m_ownValues.insert(storedId, value);
}

void TestContent::clearResults()
{
    setResultBoolean(false);
    setResultText({});
    setResultMultiselect({});
    setResultJoin({});
    m_readingSource.clear();
    m_validatorValues.clear();
    m_ownValues.clear();
}

void TestContent::resetResults()
{
    clearResults();
    setNote({});
    applyDefaultValue();
    if (m_screenSize)
        setScreenSize();
}

QStringList TestContent::extractIds(const QString &expression)
{
    static const QRegularExpression placeholder(QStringLiteral("#.*#"), QRegularExpression::InvertedGreedinessOption);
    QStringList ids;
    auto matches = placeholder.globalMatch(expression);
    while (matches.hasNext())
        ids.append(matches.next().captured().remove(QLatin1Char('#')));
    return ids;
}

QVariant TestContent::evaluateExpression(const QString &expression, const ValueMap &values)
{
    return ExpressionEvaluator::evaluate(expression, values).value;
}

QString TestContent::diagonalInches(const QSize &pixels, qreal dotsPerInchX, qreal dotsPerInchY)
{
    const int dpiX = qRound(dotsPerInchX);
    const int dpiY = qRound(dotsPerInchY);
    if (dpiX <= 0 || dpiY <= 0 || pixels.isEmpty())
        return {};
    const int width = pixels.width() / dpiX;
    const int height = pixels.height() / dpiY;
    return QString::number(qRound(qSqrt(qreal(width * width + height * height))));
}

bool TestContent::isHiddenFromTest(const ValueMap &values) const
{
    return evaluateExpression(m_hideFromTest, values).toBool();
}

double TestContent::computeJoin()
{
    if (m_join.isEmpty())
        return -1.0;
    const ExpressionEvaluator::Result result = ExpressionEvaluator::evaluate(m_join, m_joinValues);
    const double value = joinedValue(result);
    // A value that could not be computed travels on as "nan", so every rule
    // and join that reads it fails instead of taking it as unanswered.
    if (!m_id.isEmpty())
        m_ownValues.insert(m_id, qIsNaN(value) ? QStringLiteral("nan") : result.value.toString());
    return value;
}

double TestContent::joinedValue(const ExpressionEvaluator::Result &result)
{
    if (result.outcome == ExpressionEvaluator::Unanswered)
        return 0;
    bool isNumber = false;
    const double value = result.value.toDouble(&isNumber);
    return result.outcome == ExpressionEvaluator::Evaluated && isNumber ? value : qQNaN();
}

bool TestContent::isValid() const
{
    if (m_ignoreValidation)
        return true;
    if (m_type == kTestContentTypeBoolean)
        return m_resultBoolean;
    if (!m_join.isEmpty() && !qIsFinite(joinedValue(ExpressionEvaluator::evaluate(m_join, m_joinValues))))
        return false;
    const ExpressionEvaluator::Result verdict = ExpressionEvaluator::evaluate(m_validator, m_validatorValues);
    if (verdict.failed())
        return false;
    if (!verdict.value.isValid() || !verdict.value.canConvert<bool>())
        return true;
    return verdict.value.toBool();
}

QString TestContent::unreadableJoinInput(bool *missing) const
{
    for (const QString &id : m_joinIds) {
        const QString value = m_joinValues.value(id).trimmed();
        bool isNumber = false;
        AnswerNumber::read(value, &isNumber);
        if (!isNumber) {
            *missing = value.isEmpty();
            return id;
        }
    }
    return {};
}

QString TestContent::shownResultText() const
{
    bool isNumber = false;
    const double value = m_resultText.toDouble(&isNumber);
    return isNumber && !qIsFinite(value) ? QString() : m_resultText;
}

void TestContent::addOwnValues(const ValueMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        m_ownValues.insert(it.key(), it.value());
}

void TestContent::setJoinValues(const ValueMap &values)
{
    m_joinValues = values;
}

void TestContent::setValidatorValues(const ValueMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (m_validatorIds.contains(it.key()))
            m_validatorValues.insert(it.key(), it.value());
    }
}

void TestContent::setScreenSize()
{
    m_screenSize = true;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    presetAnswer(diagonalInches(screen->size(), screen->physicalDotsPerInchX(), screen->physicalDotsPerInchY()));
}

void TestContent::presetScreenDiagonal(const QString &diagonal)
{
    if (m_screenSize && !diagonal.isEmpty())
        presetAnswer(diagonal);
}

void TestContent::setId(const QString &id)
{
    assignProperty(this, m_id, id, &TestContent::idChanged);
}

void TestContent::setCaption(const QString &caption)
{
    assignProperty(this, m_caption, caption, &TestContent::captionChanged);
}

void TestContent::setReport(const QString &report)
{
    assignProperty(this, m_report, report, &TestContent::reportChanged);
}

void TestContent::setType(tTestContentType type)
{
    assignProperty(this, m_type, type, &TestContent::typeChanged);
}

void TestContent::setPattern(const QString &pattern)
{
    assignProperty(this, m_pattern, pattern, &TestContent::patternChanged);
}

void TestContent::setJoin(const QString &join)
{
    assignProperty(this, m_join, join, &TestContent::joinChanged);
    setJoinIds(extractIds(m_join));
}

void TestContent::setJoinIds(const QStringList &ids)
{
    assignProperty(this, m_joinIds, ids, &TestContent::joinIdsChanged);
}

void TestContent::setValidatorIds(const QStringList &ids)
{
    assignProperty(this, m_validatorIds, ids, &TestContent::validatorIdsChanged);
}

void TestContent::setJoinText(const QString &text)
{
    assignProperty(this, m_joinText, text, &TestContent::joinTextChanged);
}

void TestContent::setJoinDescription(const QString &description)
{
    assignProperty(this, m_joinDescription, description, &TestContent::joinDescriptionChanged);
}

void TestContent::setDescription(const QString &description)
{
    assignProperty(this, m_description, description, &TestContent::descriptionChanged);
}

void TestContent::setReportDescription(const QString &description)
{
    assignProperty(this, m_reportDescription, description, &TestContent::reportDescriptionChanged);
}

void TestContent::setNote(const QString &note)
{
    assignProperty(this, m_note, note, &TestContent::noteChanged);
}

void TestContent::setResultText(const QString &text)
{
    assignProperty(this, m_resultText, text, &TestContent::resultTextChanged);
}

void TestContent::setResultBoolean(bool result)
{
    assignProperty(this, m_resultBoolean, result, &TestContent::resultBooleanChanged);
}

void TestContent::setResultMultiselect(const QString &value)
{
    assignProperty(this, m_resultMultiselect, value, &TestContent::resultMultiselectChanged);
}

void TestContent::setResultJoin(const QString &value)
{
    assignProperty(this, m_resultJoin, value, &TestContent::resultJoinChanged);
}

void TestContent::setJoinOnlyReport(bool joinOnlyReport)
{
    assignProperty(this, m_joinOnlyReport, joinOnlyReport, &TestContent::joinOnlyReportChanged);
}

void TestContent::setValidatorType(tValidatorType type)
{
    assignProperty(this, m_validatorType, type, &TestContent::validatorTypeChanged);
}

void TestContent::setReadOnly(bool readOnly)
{
    assignProperty(this, m_readOnly, readOnly, &TestContent::readOnlyChanged);
}

void TestContent::setDefaultValue(const QString &value)
{
    assignProperty(this, m_defaultValue, value, &TestContent::defaultValueChanged);
}

void TestContent::setRequired(bool required)
{
    assignProperty(this, m_required, required, &TestContent::requiredChanged);
}

void TestContent::setIgnoreValidation(bool ignore)
{
    assignProperty(this, m_ignoreValidation, ignore, &TestContent::ignoreValidationChanged);
}

void TestContent::setValidator(const QString &validator)
{
    assignProperty(this, m_validator, validator, &TestContent::validatorChanged);
    setValidatorIds(extractIds(m_validator));
}

void TestContent::setHideFromTest(const QString &expression)
{
    m_hideFromTest = expression;
}

void TestContent::setHideFromReport(bool hide)
{
    m_hideFromReport = hide;
}
