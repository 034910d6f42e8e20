#pragma once

#include "expressionevaluator.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

// One question of a test: what the operator is asked, the answer given, and
// the expressions that hide it, compute its value from other answers and judge it.
class TestContent : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString id READ id WRITE setId NOTIFY idChanged)
    Q_PROPERTY(QString caption READ caption WRITE setCaption NOTIFY captionChanged)
    Q_PROPERTY(QString report READ report WRITE setReport NOTIFY reportChanged)
    Q_PROPERTY(tTestContentType type READ type WRITE setType NOTIFY typeChanged)
    Q_PROPERTY(QString pattern READ pattern WRITE setPattern NOTIFY patternChanged)
    Q_PROPERTY(QString join READ join WRITE setJoin NOTIFY joinChanged)
    Q_PROPERTY(QStringList joinIds READ joinIds WRITE setJoinIds NOTIFY joinIdsChanged)
    Q_PROPERTY(QStringList validatorIds READ validatorIds WRITE setValidatorIds NOTIFY validatorIdsChanged)
    Q_PROPERTY(QString joinText READ joinText WRITE setJoinText NOTIFY joinTextChanged)
    Q_PROPERTY(QString joinDescription READ joinDescription WRITE setJoinDescription NOTIFY joinDescriptionChanged)
    Q_PROPERTY(QString description READ description WRITE setDescription NOTIFY descriptionChanged)
    Q_PROPERTY(
        QString reportDescription READ reportDescription WRITE setReportDescription NOTIFY reportDescriptionChanged)
    Q_PROPERTY(QString note READ note WRITE setNote NOTIFY noteChanged)
    Q_PROPERTY(QString resultText READ resultText WRITE setResultText NOTIFY resultTextChanged)
    Q_PROPERTY(bool resultBoolean READ resultBoolean WRITE setResultBoolean NOTIFY resultBooleanChanged)
    Q_PROPERTY(
        QString resultMultiselect READ resultMultiselect WRITE setResultMultiselect NOTIFY resultMultiselectChanged)
    Q_PROPERTY(QString resultJoin READ resultJoin WRITE setResultJoin NOTIFY resultJoinChanged)
    Q_PROPERTY(bool joinOnlyReport READ joinOnlyReport WRITE setJoinOnlyReport NOTIFY joinOnlyReportChanged)
    Q_PROPERTY(tValidatorType validatorType READ validatorType WRITE setValidatorType NOTIFY validatorTypeChanged)
    Q_PROPERTY(bool readOnly READ readOnly WRITE setReadOnly NOTIFY readOnlyChanged)
    Q_PROPERTY(QString defaultValue READ defaultValue WRITE setDefaultValue NOTIFY defaultValueChanged)
    Q_PROPERTY(bool required READ required WRITE setRequired NOTIFY requiredChanged)
    Q_PROPERTY(bool ignoreValidation READ ignoreValidation WRITE setIgnoreValidation NOTIFY ignoreValidationChanged)
    Q_PROPERTY(QString validator READ validator WRITE setValidator NOTIFY validatorChanged)

public:
    enum tTestContentType
    {
        kTestContentTypeNone = -1,
        kTestContentTypeText = 0,
        kTestContentTypeTextarea = 1,
        kTestContentTypeMultiselect = 2,
        kTestContentTypeBoolean = 3,
        kTestContentTypeInfo = 4,
    };
    Q_ENUM(tTestContentType)

    enum tValidatorType
    {
        kValidatorTypeNone = -1,
        kValidatorTypeNumber = 1,
        // A date, kept as yyyy-MM-dd in the result text and shown in the language's format.
        kValidatorTypeDate = 2,
    };
    Q_ENUM(tValidatorType)

    // A choice of a multiselect content: "value" is stored as the answer, "text" is shown.
    using Item = QMap<QString, QString>;
    using ValueMap = QMap<QString, QString>;

    explicit TestContent(const QVariantMap &source, QObject *parent = nullptr);
    ~TestContent() override;

    QString id() const { return m_id; }
    QString caption() const { return m_caption; }
    QString report() const { return m_report; }
    tTestContentType type() const { return m_type; }
    QString pattern() const { return m_pattern; }
    QString join() const { return m_join; }
    QStringList joinIds() const { return m_joinIds; }
    QStringList validatorIds() const { return m_validatorIds; }
    QString joinText() const { return m_joinText; }
    QString joinDescription() const { return m_joinDescription; }
    QString description() const { return m_description; }
    QString reportDescription() const { return m_reportDescription; }
    QString note() const { return m_note; }
    QString resultText() const { return m_resultText; }
    bool resultBoolean() const { return m_resultBoolean; }
    QString resultMultiselect() const { return m_resultMultiselect; }
    QString resultJoin() const { return m_resultJoin; }
    bool joinOnlyReport() const { return m_joinOnlyReport; }
    tValidatorType validatorType() const { return m_validatorType; }
    bool readOnly() const { return m_readOnly; }
    QString defaultValue() const { return m_defaultValue; }
    bool required() const { return m_required; }
    bool ignoreValidation() const { return m_ignoreValidation; }
    QString validator() const { return m_validator; }
    QString hideFromTest() const { return m_hideFromTest; }
    bool hideFromReport() const { return m_hideFromReport; }
    // Whether the answer is the diagonal of the screen under test.
    bool isScreenSize() const { return m_screenSize; }
    QVariantMap sourceMap() const { return m_source; }
    // Where the answer came from when it was not typed (a meter reading); empty for typed answers.
    QVariantMap readingSource() const { return m_readingSource; }
    void setReadingSource(const QVariantMap &source) { m_readingSource = source; }

    // The choices of a multiselect content, owned by the content.
    QList<Item *> *items() const { return m_items; }

    // The serialised form kept in a stored session and read by the report.
    QVariantMap toVariantMap() const;
    // Takes the answers of a stored content of the same type (prefill of a new session).
    void setResults(const QVariantMap &stored);
    void clearResults();
    // The answers as the catalogue gives them: none, or the default value and
    // the primary screen's diagonal.
    void resetResults();

    static QString typeName(tTestContentType type);
    static tTestContentType typeFromName(const QString &name);

    // Ids named as "#id#" placeholders in an expression, in order, repeats included.
    static QStringList extractIds(const QString &expression);
    // The result of an expression with its placeholders replaced by values;
    // invalid when nothing (or nothing usable) could be evaluated.
    static QVariant evaluateExpression(const QString &expression, const ValueMap &values);
    // Diagonal in whole inches of a screen, as the answer text; empty when the
    // screen reports no physical resolution.
    static QString diagonalInches(const QSize &pixels, qreal dotsPerInchX, qreal dotsPerInchY);

    bool isHiddenFromTest(const ValueMap &values) const;
    // The joined value; -1.0 when the content has no join, NaN when it could
    // not be computed (an answer that is not a number, a failing script).
    double computeJoin();
    // A computed content whose value cannot be computed (an answer it reads is
    // no number, a division by zero) is not valid, whatever its validator says.
    bool isValid() const;
    // The first answer that keeps the join from being computed: its id, and
    // whether it is missing (true) or no number (false); empty when none does.
    QString unreadableJoinInput(bool *missing) const;
    // The text answer as shown and exported: a "nan" or "inf" that an older
    // version stored for a value it could not compute shows as no answer.
    QString shownResultText() const;

    ValueMap ownValues() const { return m_ownValues; }
    void addOwnValues(const ValueMap &values);
    ValueMap joinValues() const { return m_joinValues; }
    void setJoinValues(const ValueMap &values);
    ValueMap validatorValues() const { return m_validatorValues; }
    void setValidatorValues(const ValueMap &values);

public Q_SLOTS:
    void setId(const QString &id);
    void setCaption(const QString &caption);
    void setReport(const QString &report);
    void setType(TestContent::tTestContentType type);
    void setPattern(const QString &pattern);
    void setJoin(const QString &join);
    void setJoinIds(const QStringList &ids);
    void setValidatorIds(const QStringList &ids);
    void setJoinText(const QString &text);
    void setJoinDescription(const QString &description);
    void setDescription(const QString &description);
    void setReportDescription(const QString &description);
    void setNote(const QString &note);
    void setResultText(const QString &text);
    void setResultBoolean(bool result);
    void setResultMultiselect(const QString &value);
    void setResultJoin(const QString &value);
    void setJoinOnlyReport(bool joinOnlyReport);
    void setValidatorType(TestContent::tValidatorType type);
    void setReadOnly(bool readOnly);
    void setDefaultValue(const QString &value);
    void setRequired(bool required);
    void setIgnoreValidation(bool ignore);
    void setValidator(const QString &validator);
    // Presets the answer with the diagonal of the primary screen, until the
    // session presets that of the screen under test.
    void setScreenSize();
    void presetScreenDiagonal(const QString &diagonal);
    void setHideFromTest(const QString &expression);
    void setHideFromReport(bool hide);

Q_SIGNALS:
    void idChanged(const QString &id);
    void captionChanged(const QString &caption);
    void reportChanged(const QString &report);
    void typeChanged(TestContent::tTestContentType type);
    void patternChanged(const QString &pattern);
    void joinChanged(const QString &join);
    void joinIdsChanged(const QStringList &ids);
    void validatorIdsChanged(const QStringList &ids);
    void joinTextChanged(const QString &text);
    void joinDescriptionChanged(const QString &description);
    void descriptionChanged(const QString &description);
    void reportDescriptionChanged(const QString &description);
    void noteChanged(const QString &note);
    void resultTextChanged(const QString &text);
    void resultBooleanChanged(bool result);
    void resultMultiselectChanged(const QString &value);
    void resultJoinChanged(const QString &value);
    void joinOnlyReportChanged(bool joinOnlyReport);
    void validatorTypeChanged(TestContent::tValidatorType type);
    void readOnlyChanged(bool readOnly);
    void defaultValueChanged(const QString &value);
    void requiredChanged(bool required);
    void ignoreValidationChanged(bool ignore);
    void validatorChanged(const QString &validator);

private:
    static double joinedValue(const ExpressionEvaluator::Result &result);
    void clear();
    void read();
    void applyDefaultValue();
    void presetAnswer(const QString &value);
    void takeStoredValue(const QString &storedId, const QString &value);
    QVariantList itemsToVariantList() const;

    QString m_caption;
    QString m_pattern;
    QString m_join;
    QString m_hideFromTest;
    QString m_description;
    QString m_report;
    QString m_note;
    QString m_joinText;
    QString m_id;
    QString m_reportDescription;
    QString m_joinDescription;
    QString m_defaultValue;
    QString m_validator;
    tTestContentType m_type = kTestContentTypeNone;
    QList<Item *> *m_items;
    QString m_resultText;
    QString m_resultMultiselect;
    QString m_resultJoin;
    QStringList m_joinIds;
    QStringList m_validatorIds;
    bool m_resultBoolean = false;
    bool m_joinOnlyReport = false;
    bool m_readOnly = false;
    bool m_required = true;
    bool m_ignoreValidation = false;
    bool m_hideFromReport = false;
    bool m_screenSize = false;
    tValidatorType m_validatorType = kValidatorTypeNone;
    QVariantMap m_source;
    QVariantMap m_readingSource;
    ValueMap m_validatorValues;
    ValueMap m_ownValues;
    ValueMap m_joinValues;
};
