#include "reportmodel.h"

#include "calibrationreportpage.h"
#include "comparisontext.h"
#include "expressionevaluator.h"
#include "failuresummary.h"
#include "judgedluminancerows.h"
#include "limitsourcetext.h"
#include "limitstable.h"
#include "linkedsession.h"
#include "localformats.h"
#include "printedcontents.h"
#include "readingmarks.h"
#include "referenceremarks.h"
#include "sectionverdicts.h"
#include "storedcount.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsubgroup.h"
#include "translator.h"
#include "verdicttext.h"
#include "viewertext.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// Decimals of a value the session computed from the readings.
constexpr int ComputedDecimals = 2;

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

QString firstTranslated(const QStringList &keys)
{
    for (const QString &key : keys) {
        const QString text = translated(key);
        if (!text.isEmpty())
            return text;
    }
    return QString();
}

ReportModel::Row row(const QString &label, const QString &text, int spaceAbove = 4, int spaceBelow = 4)
{
    ReportModel::Row row;
    row.label = label;
    row.text = text;
    row.spaceAbove = spaceAbove;
    row.spaceBelow = spaceBelow;
    return row;
}

// The shown text of the chosen item of a multiselect content; empty when no item matches.
QString multiselectText(const TestContent *content)
{
    for (const TestContent::Item *item : qAsConst(*content->items())) {
        if (item->value(QStringLiteral("value")) == content->resultMultiselect())
            return translated(item->value(QStringLiteral("text")));
    }
    return QString();
}

// A value the session computed only by adding whole answers counts something (faulty pixels of a kind): it is
// printed as a count, never with decimals.
bool isCount(const TestContent *content, const LinkedSession &linked)
{
    static const QRegularExpression sumOfAnswers(
        QStringLiteral("^\\(function\\s*\\(\\)\\s*\\{\\s*return\\s*\\(\\s*#\\w+#(\\s*\\+\\s*#\\w+#)*\\s*\\);?\\s*\\}\\)$"));
    if (!sumOfAnswers.match(content->join().trimmed()).hasMatch())
        return false;
    const QStringList read = content->joinIds();
    return std::all_of(read.begin(), read.end(), [&linked](const QString &id) {
        const TestContent *answer = linked.contentWithId(id);
        static const QRegularExpression whole(QStringLiteral("^\\s*\\+?\\d+\\s*$"));
        return answer && whole.match(answer->resultText()).hasMatch();
    });
}

// A value the session computed (a content with a join): a count without decimals, any other with a fixed number.
QString computedText(const TestContent *content, double value, const LinkedSession &linked)
{
    if (isCount(content, linked))
        return LocalFormats::count(qRound64(value));
    return LocalFormats::number(value, ComputedDecimals);
}

// A reading as typed, in the language's notation; a computed value as computedText() writes it.
QString shownResult(const TestContent *content, const LinkedSession &linked)
{
    bool isNumber = false;
    const double computed = content->resultText().toDouble(&isNumber);
    if (!content->join().isEmpty() && isNumber && std::isfinite(computed))
        return computedText(content, computed, linked);
    return LocalFormats::reading(content->shownResultText());
}

ReportModel::Value mark(bool passed)
{
    return passed ? ReportModel::Value::Passed : ReportModel::Value::Failed;
}

} // namespace

ReportModel::ReportModel(const QVariantMap &session) : fingerprint(session)
{
    const QVariantMap judgementRecord = session.value(QStringLiteral("judgement")).toMap();
    const Judgement judgement = Judgement::fromMap(judgementRecord);
    // Sessions judged by the limits table name its version on every page.
    footerNote = judgementRecord.isEmpty()
                     ? QString()
                     : translated(QStringLiteral("limits_version")).arg(LimitSourceText::version(judgement.version));
    buildLetterhead(session);
    // Scripts of a hand-edited record may never end; the whole report shares one time budget.
    const ExpressionEvaluator::Budget budget;
    const LinkedSession linked(session);
    buildOpening(session, linked, judgement);
    buildGroups(linked, judgement,
                judgementRecord.isEmpty() ? QVariantMap() : session.value(QStringLiteral("measured")).toMap());
    buildClosing(session, linked, judgement);
}

void ReportModel::buildLetterhead(const QVariantMap &session)
{
    brand = translated(QStringLiteral("report_header_0")).toUpper();
    issuer = translated(QStringLiteral("report_header_2")).toUpper();
    const QString testType = session.value(QStringLiteral("testtype")).toString();
    title = translated(QStringLiteral("report_header_") + (testType.isEmpty() ? QStringLiteral("unknown") : testType));
    date = LocalFormats::compactDateTime(session.value(QStringLiteral("date")).toDateTime());
    // An empty failure count is a damaged one: the summary says so instead of a verdict.
    const std::optional<int> failedCount = StoredCount::read(session.value(QStringLiteral("nfailedtestcontents")));
    if (!failedCount) {
        summary = Summary::CountDamaged;
        summaryText = translated(QStringLiteral("reportdamagedcount"));
    } else if (*failedCount == 0) {
        summary = Summary::Passed;
        summaryText = translated(QStringLiteral("reportpassedtest"));
    } else {
        summary = Summary::Failed;
        summaryText = translated(QStringLiteral("reportfailedtest0"));
        failedCountText = translated(QStringLiteral("reportfailedtest1"))
                              .replace(QLatin1String("%1"), LocalFormats::count(*failedCount));
    }
    monitor = row(translated(QStringLiteral("reportmonitortested")),
                  translated(QStringLiteral("monitor")) + QLatin1Char(' ') +
                      QString::number(session.value(QStringLiteral("monitorselected")).toInt()) + QLatin1Char(' ') +
                      session.value(QStringLiteral("monitorinfo")).toString(),
                  0, 0);
}

void ReportModel::buildOpening(const QVariantMap &session, const LinkedSession &linked, const Judgement &judgement)
{
    // The report opens with what failed, as the operator saw it at the end of the test.
    for (const FailureSummary::Line &line : FailureSummary::lines(linked.groups(), judgement)) {
        Row failed = row(line.what, line.detail);
        failed.tone = Tone::Failed;
        opening << failed;
    }
    opening << contextRows(session.value(QStringLiteral("testtype")).toString(),
                           session.value(QStringLiteral("display")).toMap());
    const QString viewer = ViewerText::value(session);
    if (!viewer.isEmpty())
        opening << row(ViewerText::label(), viewer, 0, 4);
}

// The test type, and the display with the category and room class that chose its limits.
QList<ReportModel::Row> ReportModel::contextRows(const QString &testType, const QVariantMap &display) const
{
    QList<Row> rows;
    const auto add = [&rows](const char *label, const QString &value) {
        rows << row(translated(QLatin1String(label)), value, 4, 0);
    };
    add("testType",
        translated(QStringLiteral("testType_") + (testType.isEmpty() ? QStringLiteral("unknown") : testType)));
    if (!display.isEmpty()) {
        const QString serial = display.value(QStringLiteral("serial")).toString();
        add("display_identity", QStringList{display.value(QStringLiteral("maker")).toString(),
                                            display.value(QStringLiteral("model")).toString(),
                                            serial.isEmpty() ? QString() : QStringLiteral("(SN %1)").arg(serial)}
                                    .join(QLatin1Char(' '))
                                    .simplified());
        const QString categoryId =
            LimitsTable::currentCategoryId(display.value(QStringLiteral("category")).toString(),
                                           display.value(QStringLiteral("roomClass")).toString());
        const LimitsTable::Category *category = LimitsTable::current().category(categoryId);
        const QString categoryTitle = category ? translated(category->title) : QString();
        add("applicationCategory", categoryTitle.isEmpty() ? (category ? category->title : categoryId) : categoryTitle);
        add("roomClass", display.value(QStringLiteral("roomClass")).toString());
        const QDate classifiedOn =
            QDate::fromString(display.value(QStringLiteral("classifiedOn")).toString(), Qt::ISODate);
        if (classifiedOn.isValid())
            add("display_classifiedOn", LocalFormats::date(classifiedOn));
    }
    rows.last().spaceBelow = 4;
    return rows;
}

void ReportModel::buildGroups(const LinkedSession &linked, const Judgement &judgement, const QVariantMap &judgedValues)
{
    const PrintedContents printed(linked.allContents(), !LinkedSession::luminanceReadings(linked.groups()).isEmpty());
    const SectionVerdicts verdicts(judgement, LimitsTable::current().inputs());
    for (const TestGroup *testGroup : linked.groups()) {
        Group group;
        group.numbered = testGroup->number() != 0;
        group.number = QString::number(testGroup->number());
        group.title = firstTranslated({testGroup->report(), testGroup->title()});
        int counter = 0;
        const QList<TestSubgroup *> subgroups = testGroup->subgroups()->values();
        for (int i = 0; i < subgroups.size(); ++i) {
            const TestSubgroup *subgroup = subgroups.at(i);
            Section section;
            // A group without a number prints no headings; a subgroup that hides its title belongs to the section
            // above it and leaves an empty line.
            section.headed = group.numbered && !subgroup->hideTitle();
            if (!subgroup->hideTitle()) {
                ++counter;
                section.number = QStringLiteral("%1.%2").arg(subgroup->groupNumber()).arg(counter);
                section.heading =
                    firstTranslated({subgroup->report(), subgroup->title(), testGroup->report(), testGroup->title()})
                        .toUpper();
                section.failed = group.numbered && verdicts.failed(subgroups, i);
            }
            for (const Test *test : qAsConst(*subgroup->tests())) {
                for (TestContent *content : qAsConst(*test->content())) {
                    if (printed.printed(test, content))
                        section.rows << contentRows(test, content, linked, judgedValues);
                }
            }
            group.sections << section;
        }
        groups << group;
    }
}

// A content's row, and below it the value the session computed from it.
QList<ReportModel::Row> ReportModel::contentRows(const Test *test, TestContent *content, const LinkedSession &linked,
                                                 const QVariantMap &judgedValues) const
{
    Row answer = row(firstTranslated({content->report(), content->caption()}), QString());
    // A note is printed with its answer whatever the answer or verdict was; a date asked with a verdict before it.
    answer.note = content->note();
    answer.description = translated(content->reportDescription());
    const std::optional<QString> judged = JudgedLuminanceRows::text(content, judgedValues);
    if (test->validatable()) {
        answer.value = mark(content->isValid());
        const QDate date = QDate::fromString(content->resultText(), Qt::ISODate);
        if (content->validatorType() == TestContent::kValidatorTypeDate && date.isValid())
            answer.note = QStringList{LocalFormats::date(date), answer.note}.join(QLatin1Char('\n')).trimmed();
    } else {
        switch (content->type()) {
        case TestContent::kTestContentTypeText:
        case TestContent::kTestContentTypeTextarea:
            answer.text = judged.value_or(shownResult(content, linked) + ReadingMarks::markFor(content));
            break;
        case TestContent::kTestContentTypeMultiselect:
            answer.text = multiselectText(content);
            break;
        case TestContent::kTestContentTypeBoolean:
            answer.value = mark(content->resultBoolean());
            break;
        case TestContent::kTestContentTypeInfo:
        case TestContent::kTestContentTypeNone:
            answer.value = Value::Nothing;
            break;
        }
    }
    if (content->join().isEmpty())
        return {answer};

    answer.spaceBelow = 0;
    const double joined = content->computeJoin();
    Row computed = row(translated(content->joinText()),
                       judged.value_or(std::isfinite(joined) ? computedText(content, joined, linked)
                                                             : notComputableText(content, linked)),
                       -5, 4);
    computed.mutedLabel = true;
    computed.description = translated(content->joinDescription());
    return {answer, computed};
}

// Why a computed value is not there: the answer it reads that is missing or no number.
QString ReportModel::notComputableText(const TestContent *content, const LinkedSession &linked) const
{
    QString problem;
    const QString id = linked.unreadableAnswer(content->id(), &problem);
    if (id == content->id())
        return translated(QStringLiteral("inputError"));
    return translated(QStringLiteral("verdict_notComputable_") + problem).arg(linked.captionOf(id));
}

void ReportModel::buildClosing(const QVariantMap &session, const LinkedSession &linked, const Judgement &judgement)
{
    if (!session.value(QStringLiteral("judgement")).toMap().isEmpty()) {
        // Each measured quantity with its value, limit, verdict and the limit's source.
        Block block{translated(QStringLiteral("limits_title")), {}};
        for (Judgement::Verdict verdict : judgement.verdicts) {
            QString subject = verdict.problemSubject;
            if (subject.startsWith(QLatin1String("content")))
                subject = linked.captionOf(linked.unreadableAnswer(verdict.problemSubject, &verdict.problem));
            Row quantity = row(VerdictText::quantity(verdict), VerdictText::outcome(verdict, subject));
            quantity.description =
                verdict.source.isEmpty()
                    ? QString()
                    : translated(QStringLiteral("limits_source")).arg(LimitSourceText::shown(verdict.source));
            quantity.tone = verdict.passed ? Tone::Muted : Tone::Failed;
            block.rows << quantity;
        }
        limits = block;
    }
    const QList<ComparisonText::Line> lines = ComparisonText::lines(session);
    if (!lines.isEmpty()) {
        // A constancy test's measured quantities beside the reference values it was compared with.
        Block block{ComparisonText::heading(session.value(QStringLiteral("reference")).toMap()), {}};
        for (const ComparisonText::Line &line : lines) {
            Row compared = row(line.quantity, line.text());
            compared.tone = line.passed ? Tone::Muted : Tone::Failed;
            block.rows << compared;
        }
        comparison = block;
    }
    for (const ReferenceRemarks::Remark &remark : ReferenceRemarks::of(session)) {
        Row note = row(translated(QStringLiteral("note")), remark.text);
        note.tone = remark.warning ? Tone::Failed : Tone::Muted;
        remarks << note;
    }
    luminanceResponse = linked.luminanceResponse();
    gsdfVerdict = LinkedSession::gsdfVerdict(session);
    if (session.value(QStringLiteral("testtype")).toString() == CalibrationReportPage::testType)
        calibration = session.value(QStringLiteral("calibration")).toMap();
    const QString meterReadings = ReadingMarks::summary(linked.groups());
    if (!meterReadings.isEmpty())
        meter << row(translated(QStringLiteral("meter_title")), meterReadings, 4, 0);

    signatureHeading = translated(QStringLiteral("report_group_17"));
    for (const char *label : {"company", "nameCapital"}) {
        Row line = row(translated(QLatin1String(label)), QString(), 0, 0);
        line.value = Value::LineToWriteOn;
        signatureRows << line;
    }
    dateCaption = translated(QStringLiteral("date"));
    signatureCaption = translated(QStringLiteral("signature"));
}
