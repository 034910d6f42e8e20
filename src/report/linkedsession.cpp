#include "linkedsession.h"

#include "answernumber.h"
#include "limitstable.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

LinkedSession::LinkedSession(const QVariantMap &session, QObject *parent) : QObject(parent), m_session(session)
{
    rebuildGroups();
    linkAnswers();
}

void LinkedSession::rebuildGroups()
{
    const QVariantMap stored = m_session.value(QStringLiteral("test_session")).toMap();
    QList<QPair<unsigned, QString>> numbered;
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        bool isNumber = false;
        const unsigned number = it.key().toUInt(&isNumber);
        // A key that is no group number cannot be placed in the report.
        if (isNumber)
            numbered.append(qMakePair(number, it.key()));
    }
    std::stable_sort(
        numbered.begin(), numbered.end(),
        [](const QPair<unsigned, QString> &a, const QPair<unsigned, QString> &b) { return a.first < b.first; });
    for (const auto &entry : qAsConst(numbered))
        m_groups.append(new TestGroup(stored.value(entry.second).toMap(), entry.first, this));
}

void LinkedSession::linkAnswers()
{
    const QList<TestContent *> contents = allContents();
    QSet<QString> namedIds;
    for (const TestContent *content : contents) {
        const QStringList joinIds = content->joinIds();
        const QStringList validatorIds = content->validatorIds();
        namedIds.unite(QSet<QString>(joinIds.begin(), joinIds.end()));
        namedIds.unite(QSet<QString>(validatorIds.begin(), validatorIds.end()));
    }

    TestContent::ValueMap answers;
    for (const QString &id : qAsConst(namedIds)) {
        for (const TestGroup *group : qAsConst(m_groups)) {
            const TestContent *content = group->contentById(id);
            if (!content)
                continue;
            answers.insert(id, content->type() == TestContent::kTestContentTypeMultiselect
                                   ? content->resultMultiselect()
                                   : content->resultText());
        }
    }

    for (TestContent *content : contents) {
        content->setValidatorValues(answers);
        content->addOwnValues(answers);
        content->setJoinValues(answers);
    }
}

QList<TestContent *> LinkedSession::allContents() const
{
    QList<TestContent *> contents;
    for (const TestGroup *group : qAsConst(m_groups)) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            for (const Test *test : qAsConst(*subgroup->tests()))
                contents.append(*test->content());
        }
    }
    return contents;
}

const TestContent *LinkedSession::contentWithId(const QString &contentId) const
{
    for (const TestGroup *group : m_groups) {
        if (const TestContent *content = group->contentById(contentId))
            return content;
    }
    return nullptr;
}

QString LinkedSession::captionOf(const QString &contentId) const
{
    const TestContent *content = contentWithId(contentId);
    if (!content)
        return contentId;
    const QString caption = TR::Translator::instance()->translate(content->caption());
    return caption.isEmpty() ? TR::Translator::instance()->translate(content->report()) : caption;
}

// Joins read joins only a few levels deep.
QString LinkedSession::unreadableAnswer(const QString &contentId, QString *problem) const
{
    constexpr int deepestJoin = 8;
    QString id = contentId;
    for (int depth = 0; depth < deepestJoin; ++depth) {
        const TestContent *content = contentWithId(id);
        bool missing = false;
        const QString input =
            content && !content->join().isEmpty() ? content->unreadableJoinInput(&missing) : QString();
        if (input.isEmpty())
            break;
        id = input;
        *problem = missing ? QStringLiteral("unanswered") : QStringLiteral("notANumber");
    }
    return id;
}

QStringList LinkedSession::luminanceReadings(const QList<TestGroup *> &groups)
{
    QStringList readings;
    for (int reading = 1; reading <= LuminanceResponse::readingCount; ++reading)
        readings << QString();
    for (const TestGroup *group : groups) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            for (const Test *test : qAsConst(*subgroup->tests())) {
                static const QRegularExpression levelPattern(QStringLiteral("^kTestPatternTG18LN(\\d\\d)$"));
                const QRegularExpressionMatch match = levelPattern.match(test->patternString());
                const int reading = match.captured(1).toInt() - 1;
                if (match.hasMatch() && reading >= 0 && reading < readings.size() && !test->content()->isEmpty())
                    readings[reading] = test->content()->constFirst()->resultText().trimmed();
            }
        }
    }
    return readings.contains(QString()) ? QStringList() : readings;
}

// A session judged by the limits table analyses its readings with the ambient luminance added, as it was judged.
std::optional<LuminanceResponse> LinkedSession::luminanceResponse() const
{
    const QStringList readings = luminanceReadings(m_groups);
    if (readings.isEmpty())
        return std::nullopt;
    if (!m_session.contains(QStringLiteral("judgement")))
        return LuminanceResponse::analyse(readings);
    // L + L_amb cannot be drawn without L_amb: adding 0 instead would show a response nobody measured.
    const std::optional<double> ambient = ambientLuminance();
    if (!ambient) {
        LuminanceResponse unreadable;
        unreadable.problem = LuminanceResponse::AmbientNotANumber;
        return unreadable;
    }
    return LuminanceResponse::analyse(readings, *ambient);
}

std::optional<Judgement::Verdict> LinkedSession::gsdfVerdict(const QVariantMap &session)
{
    if (!session.contains(QStringLiteral("judgement")))
        return std::nullopt;
    const Judgement judgement = Judgement::fromMap(session.value(QStringLiteral("judgement")).toMap());
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (verdict.quantity == QLatin1String("gsdfDeviation"))
            return verdict;
    }
    return Judgement::Verdict();
}

// A session that does not measure the ambient luminance adds none, as it was judged.
std::optional<double> LinkedSession::ambientLuminance() const
{
    const TestContent *content = contentWithId(LimitsTable::current().inputs().ambientLuminance);
    if (!content)
        return 0.0;
    bool isNumber = false;
    const double value = AnswerNumber::read(content->resultText(), &isNumber);
    return isNumber ? std::optional<double>(value) : std::nullopt;
}
