#include "testingsession.h"

#include "comparisondialog.h"
#include "comparisontext.h"
#include "failuresummary.h"
#include "displayrecord.h"
#include "judgement.h"
#include "limitstable.h"
#include "modalprompt.h"
#include "readingsource.h"
#include "referencevalues.h"
#include "savedsessionsmodel.h"
#include "screenidentity.h"
#include "test.h"
#include "testcontent.h"
#include "testframe.h"
#include "testgroup.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>

#include <algorithm>

namespace {

const QString OperatorContentId = QStringLiteral("content00000000");
const QString MakerContentId = QStringLiteral("content02010000");
const QString ModelContentId = QStringLiteral("content02010001");
// The groups of the operator, the institution and the device: a new session
// of the same display starts with their answers.
const QStringList IdentifyingGroups{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")};
// The device test asks for maker, model, matrix and serial number in this order.
const int MatrixPosition = 2;
const int SerialNumberPosition = 3;

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

// The value an expression sees for a content: the chosen item's value or the text.
QString expressionValue(const TestContent *content)
{
    return content->type() == TestContent::kTestContentTypeMultiselect ? content->resultMultiselect()
                                                                       : content->resultText();
}

// The screen at that index, or the primary screen when it is not (or no longer) there.
int presentScreen(int index)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (index >= 0 && index < screens.size())
        return index;
    return qMax(0, screens.indexOf(QGuiApplication::primaryScreen()));
}

void presetEmptyAnswer(TestContent *content, const QString &value)
{
    if (content && content->resultText().isEmpty() && !value.isEmpty())
        content->setResultText(value);
}

} // namespace

TestingSession::TestingSession(QWidget *parent, QList<TestGroup *> *groups, SavedSessionsModel *store)
    : QWidget(parent), m_groups(groups), m_frame(new TestFrame(this)), m_store(store),
      m_screenIdentity(std::make_unique<ScreenIdentity>())
{
    m_frame->hide();
    connect(m_frame, &TestFrame::next, this, &TestingSession::nextTest);
    connect(m_frame, &TestFrame::back, this, &TestingSession::previousTest);
}

TestingSession::~TestingSession()
{
    m_groups = nullptr;
}

void TestingSession::setScreenIdentity(std::unique_ptr<ScreenIdentity> identity)
{
    m_screenIdentity = std::move(identity);
}

QList<Test *> TestingSession::steps() const
{
    QList<Test *> tests;
    if (!m_groups)
        return tests;
    for (const TestGroup *group : qAsConst(*m_groups)) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups()))
            tests.append(*subgroup->tests());
    }
    return tests;
}

QList<TestContent *> TestingSession::allContents() const
{
    QList<TestContent *> contents;
    for (const Test *test : steps())
        contents.append(*test->content());
    return contents;
}

Test *TestingSession::testAt(int index) const
{
    return steps().value(index, nullptr);
}

TestContent *TestingSession::contentById(const QString &id) const
{
    if (!m_groups)
        return nullptr;
    for (const TestGroup *group : qAsConst(*m_groups)) {
        if (TestContent *content = group->contentById(id))
            return content;
    }
    return nullptr;
}

int TestingSession::totalSteps()
{
    return shownStepsBefore(steps().size());
}

// Steps hidden by the answers so far are not counted, so the progress goes up by one from shown step to shown step.
int TestingSession::shownStepsBefore(int index) const
{
    const QList<Test *> all = steps();
    return int(std::count_if(all.cbegin(), all.cbegin() + qBound(0, index, all.size()),
                             [this](const Test *test) { return !isHidden(test); }));
}

void TestingSession::setGroups(QList<TestGroup *> *groups)
{
    m_groups = groups;
    m_currentTest = nullptr;
    if (m_groups)
        m_frame->setTotalSteps(uint(totalSteps()));
    emit groupsChanged(groups);
}

Test *TestingSession::setTestIndex(int index)
{
    Test *test = testAt(index);
    if (!test)
        return nullptr;
    qDebug() << "[TestingSession] STEP: " << index + 1 << " - Group: " << test->group()
             << " Subgroup: " << test->subgroup() << " NContents: " << test->content()->size();
    m_frame->setTest(test);
    m_currentTest = test;
    m_currentIndex = index;
    m_frame->setBackHidden(index == 0);
    m_frame->setTotalSteps(uint(totalSteps()));
    m_frame->setCurrentStep(uint(shownStepsBefore(index)));
    m_frame->setTitleText(test->displayTitle());
    return test;
}

void TestingSession::start(int monitorSelected)
{
    m_screen = presentScreen(monitorSelected);
    m_frame->forgetDialogPosition();
    prefillScreenIdentity();
    skipConfirmedSteps();
    showCurrentTest();
}

void TestingSession::showCurrentTest()
{
    const QScreen *screen = QGuiApplication::screens().value(presentScreen(m_screen));
    const QRect screenRect = screen ? screen->geometry() : QRect();
    m_frame->setScreenRect(screenRect);
    if (m_frame->isShownByViewer()) {
        m_frame->showQuestionsOnly();
        return;
    }
    m_frame->showFullScreen();
    m_frame->setGeometry(screenRect);
}

void TestingSession::setViewer(const QString &viewer)
{
    m_viewer = viewer.trimmed();
    m_frame->setShownByViewer(!viewer.isEmpty());
}

void TestingSession::prefillScreenIdentity()
{
    const ScreenIdentity::Identity identity = m_screenIdentity->identity(m_screen);
    // The diagonal decides which measuring positions are asked: it is that of the
    // screen under test, not of the primary screen the catalogue was loaded on.
    const QString diagonal = ScreenIdentity::diagonalInches(identity);
    for (TestContent *content : allContents())
        content->presetScreenDiagonal(diagonal);
    // A virtual screen names no maker, model or serial number; its size alone says
    // nothing about the device under test.
    if (identity.manufacturer.isEmpty() && identity.model.isEmpty() && identity.serialNumber.isEmpty())
        return;
    presetEmptyAnswer(contentById(MakerContentId), identity.manufacturer);
    presetEmptyAnswer(contentById(ModelContentId), identity.model);
    if (!identity.devicePixels.isEmpty()) {
        presetEmptyAnswer(
            deviceContent(MatrixPosition),
            QStringLiteral("%1 x %2").arg(identity.devicePixels.width()).arg(identity.devicePixels.height()));
    }
    presetEmptyAnswer(deviceContent(SerialNumberPosition), identity.serialNumber);
}

bool TestingSession::isLeftOut(unsigned group, unsigned subgroup) const
{
    return m_context.onlySubgroups.contains(group) && !m_context.onlySubgroups.value(group).contains(subgroup);
}

// Confirmed answers and the subgroups a test type leaves out are not stepped through.
bool TestingSession::isConfirmed(const Test *test) const
{
    return placeOf(test, [this](unsigned group, unsigned subgroup) {
        return m_context.confirmedGroups.contains(group) || isLeftOut(group, subgroup);
    });
}

bool TestingSession::isLeftOut(const Test *test) const
{
    return placeOf(test, [this](unsigned group, unsigned subgroup) { return isLeftOut(group, subgroup); });
}

bool TestingSession::placeOf(const Test *test, const std::function<bool(unsigned, unsigned)> &holds) const
{
    for (const TestGroup *group : m_groups ? *m_groups : QList<TestGroup *>()) {
        for (auto subgroup = group->subgroups()->cbegin(); subgroup != group->subgroups()->cend(); ++subgroup) {
            if (subgroup.value()->tests()->contains(const_cast<Test *>(test)))
                return holds(group->number(), subgroup.key());
        }
    }
    return false;
}

// A run whose first steps hold confirmed answers starts at the first step still to be asked.
void TestingSession::skipConfirmedSteps()
{
    int index = m_currentIndex;
    while (const Test *candidate = m_currentTest ? testAt(index) : nullptr) {
        if (!isConfirmed(candidate))
            break;
        recordAnswers(candidate);
        mergeOwnValues(candidate);
        ++index;
    }
    if (index != m_currentIndex && testAt(index))
        setTestIndex(index);
}

bool TestingSession::isHidden(const Test *test) const
{
    if (isConfirmed(test))
        return true;
    // A test without contents has no condition to hide it.
    if (test->content()->isEmpty())
        return false;
    return test->content()->first()->isHiddenFromTest(m_sessionValues);
}

void TestingSession::recordAnswers(const Test *test)
{
    // The answers typed in this run take part in the joins and conditions of the
    // tests that follow; without this they would see the previous run's values.
    for (TestContent *content : qAsConst(*test->content())) {
        const QString answer = expressionValue(content);
        if (!content->id().isEmpty() && content->join().isEmpty() && !answer.isEmpty())
            content->addOwnValues({{content->id(), answer}});
    }
}

void TestingSession::mergeOwnValues(const Test *test)
{
    for (const TestContent *content : qAsConst(*test->content())) {
        const TestContent::ValueMap own = content->ownValues();
        for (auto it = own.cbegin(); it != own.cend(); ++it) {
            if (!it.key().isEmpty())
                m_sessionValues.insert(it.key(), it.value());
        }
    }
    for (TestContent *content : qAsConst(*test->content()))
        content->setJoinValues(m_sessionValues);
}

void TestingSession::computeJoins(const Test *test)
{
    for (TestContent *content : qAsConst(*test->content())) {
        const double joined = content->computeJoin();
        // A value that cannot be computed is left empty: the content is then not
        // valid (TestContent::isValid), and no "nan" reaches the record.
        if (joined != -1.0)
            content->setResultText(qIsFinite(joined) ? QString::number(joined, 'g', 6) : QString());
        mergeOwnValues(test);
    }
}

void TestingSession::nextTest()
{
    // Nothing is shown before a step is set, so there is nothing to move on from.
    if (!m_currentTest)
        return;
    m_frame->close();
    recordAnswers(m_currentTest);
    mergeOwnValues(m_currentTest);
    int index = m_currentIndex + 1;
    while (const Test *candidate = testAt(index)) {
        mergeOwnValues(candidate);
        computeJoins(candidate);
        if (!isHidden(candidate))
            break;
        ++index;
    }
    if (setTestIndex(index)) {
        showCurrentTest();
        return;
    }
    completeSession();
    m_frame->close();
    emit sessionCompleted();
}

void TestingSession::previousTest()
{
    if (!m_currentTest)
        return;
    m_frame->close();
    int index = m_currentIndex - 1;
    while (index >= 0 && isHidden(testAt(index)))
        --index;
    // With every earlier step hidden there is nowhere to go back to.
    setTestIndex(index >= 0 ? index : m_currentIndex);
    showCurrentTest();
}

QString TestingSession::resultText(const QString &contentId) const
{
    const TestContent *content = contentById(contentId);
    return content ? content->resultText() : QString();
}

void TestingSession::refreshValidatorValues()
{
    const QList<TestContent *> contents = allContents();
    QSet<QString> named;
    for (const TestContent *content : contents) {
        for (const QString &id : content->joinIds() + content->validatorIds())
            named.insert(id);
    }
    TestContent::ValueMap current;
    for (const QString &id : qAsConst(named)) {
        if (const TestContent *content = contentById(id))
            current.insert(id, expressionValue(content));
    }
    // Only the validators take the copies: kept among the contents' own values they
    // would outlive this session and overwrite the answers and joins of the next run.
    for (TestContent *content : contents)
        content->setValidatorValues(current);
}

void TestingSession::completeSession()
{
    const QString tester = resultText(OperatorContentId);
    const QString monitorInfo =
        QStringLiteral(" (%1 - %2)").arg(resultText(MakerContentId), resultText(ModelContentId));
    refreshValidatorValues();

    QVariantMap groups;
    uint failed = 0;
    for (const TestGroup *group : qAsConst(*m_groups)) {
        QVariantMap stored = group->toVariantMap();
        QVariantMap subgroups = stored.value(QStringLiteral("subgroups")).toMap();
        for (auto subgroup = group->subgroups()->cbegin(); subgroup != group->subgroups()->cend(); ++subgroup) {
            if (isLeftOut(group->number(), subgroup.key()))
                subgroups.remove(QString::number(subgroup.key()));
            else
                failed += subgroup.value()->failedContentsCount();
        }
        // A group the test type leaves out whole is no part of the record.
        if (subgroups.isEmpty() && !group->subgroups()->isEmpty())
            continue;
        stored.insert(QStringLiteral("subgroups"), subgroups);
        groups.insert(QString::number(group->number()), stored);
    }
    const QVariantMap details = sessionDetails(&failed);
    m_completedDetails = details;
    qDebug() << "[TestingSession] Failed tests: " << failed;
    showComparison(details);
    if (failed > 0) {
        const Judgement judgement = Judgement::fromMap(details.value(QStringLiteral("judgement")).toMap());
        ModalPrompt::question(this, QMessageBox::Warning, translated("attention"),
                              FailureSummary::text(FailureSummary::lines(*m_groups, judgement)),
                              {{translated("ok"), QMessageBox::AcceptRole}});
    }
    if (m_store)
        m_store->addSession(groups, tester, uint(m_groups->size()), failed, m_screen, monitorInfo, details);
    emit sessionSucceeded(failed == 0);
}

TestContent *TestingSession::deviceContent(int position) const
{
    const TestContent *maker = contentById(MakerContentId);
    const auto *deviceTest = maker ? qobject_cast<const Test *>(maker->parent()) : nullptr;
    return deviceTest ? deviceTest->content()->value(position) : nullptr;
}

// The test type, the display (its own identity where it tells one, else the
// operator's answers) and the verdicts of the measured quantities, whose
// failures count with the contents'.
QVariantMap TestingSession::sessionDetails(uint *failed) const
{
    const ScreenIdentity::Identity identity = m_screenIdentity->identity(m_screen);
    const auto either = [](const QString &own, const QString &answered) { return own.isEmpty() ? answered : own; };
    const TestContent *serial = deviceContent(SerialNumberPosition);
    const QString serialAnswer = serial ? serial->resultText() : QString();
    QVariantMap display{{QStringLiteral("maker"), either(identity.manufacturer, resultText(MakerContentId))},
                              {QStringLiteral("model"), either(identity.model, resultText(ModelContentId))},
                              {QStringLiteral("serial"), either(identity.serialNumber, serialAnswer)},
                              {QStringLiteral("category"), m_context.category},
                              {QStringLiteral("roomClass"), m_context.roomClass}};
    if (!m_context.classifiedOn.isEmpty())
        display.insert(QStringLiteral("classifiedOn"), m_context.classifiedOn);
    TestContent::ValueMap answers;
    for (const TestContent *content : allContents()) {
        // What the test type leaves out is not measured, so not judged.
        if (!content->id().isEmpty() && !isLeftOut(qobject_cast<const Test *>(content->parent())))
            answers.insert(content->id(), expressionValue(content));
    }
    // An acceptance test measures the values a reference is made of; only a constancy test compares.
    const QVariantMap reference =
        m_context.testType == QLatin1String("acceptance") ? QVariantMap() : m_context.reference;
    Judgement judgement = Judgement::judge(answers,
                                           {m_context.category, m_context.roomClass, reference,
                                            // A screen lost during the run has no matrix, which fails.
                                            identity.devicePixels.isValid() ? identity.devicePixels : QSize(0, 0)},
                                           LimitsTable::current());
    const QDate today = QDate::currentDate();
    if (const auto deviation = WorkstationDeviation::judge(
            m_context.workstation +
                QList<WorkstationDeviation::Member>{WorkstationDeviation::tested(
                    DisplayRecord::fromIdentity(display).description(), m_context.category, judgement, today)},
            today, LimitsTable::current()))
        judgement.verdicts << *deviation;
    *failed += uint(judgement.failedCount());
    QVariantMap details{
        {QStringLiteral("display"), display},
        {QStringLiteral("judgement"), judgement.toMap()},
        {QStringLiteral("measured"), ReferenceValues::measured(answers, judgement.verdicts, LimitsTable::current())}};
    // Kept with the record, so that its report stays as it was when the display's reference changes.
    if (!reference.isEmpty()) {
        QVariantMap referenceRecord =
            ReferenceValues::record(reference, m_context.referenceDate, m_context.referenceSession);
        if (!m_context.referenceMeter.isEmpty())
            referenceRecord.insert(QStringLiteral("meter"), m_context.referenceMeter);
        if (!m_context.referenceChoice.isEmpty())
            referenceRecord.insert(QStringLiteral("choice"), m_context.referenceChoice);
        details.insert(QStringLiteral("reference"), referenceRecord);
    }
    // The meter that read this session's values, for the comparison of later tests with them.
    for (const TestContent *content : allContents()) {
        const QVariantMap meter = ReadingSource::meterOf(content->readingSource(), content->resultText());
        if (!meter.isEmpty()) {
            details.insert(QStringLiteral("meter"), meter);
            break;
        }
    }
    if (!m_context.testType.isEmpty())
        details.insert(QStringLiteral("testtype"), m_context.testType);
    if (!m_viewer.isEmpty())
        details.insert(QStringLiteral("viewer"), m_viewer);
    return details;
}

// The last step of a constancy test: each measured quantity beside its reference value.
void TestingSession::showComparison(const QVariantMap &details)
{
    const QList<ComparisonText::Line> lines = ComparisonText::lines(details);
    if (lines.isEmpty())
        return;
    ComparisonDialog dialog(ComparisonText::heading(details.value(QStringLiteral("reference")).toMap()), lines, this);
    dialog.showRemarks(ReferenceRemarks::of(details));
    ModalPrompt::exec(&dialog);
}

void TestingSession::prefill(const QVariantMap &groups)
{
    // Whatever the previous run left, of this display or another, is gone.
    m_sessionValues.clear();
    const QList<TestContent *> contents = allContents();
    for (TestContent *content : contents)
        content->resetResults();
    QVariantMap identifying;
    for (const QString &number : IdentifyingGroups) {
        if (groups.contains(number))
            identifying.insert(number, groups.value(number));
    }
    applyStoredResults(identifying);
    // A verdict is the operator's judgement of this run, never the last one's.
    for (TestContent *content : contents) {
        if (content->type() == TestContent::kTestContentTypeBoolean ||
            content->type() == TestContent::kTestContentTypeMultiselect)
            content->resetResults();
    }
    // Answers confirmed as unchanged are taken whole, the operator's name and the checks of the installation too.
    for (TestGroup *group : m_groups ? *m_groups : QList<TestGroup *>()) {
        const QString key = QString::number(group->number());
        if (m_context.confirmedGroups.contains(group->number()) && groups.contains(key))
            group->setResults(groups.value(key).toMap());
    }
}

void TestingSession::applyStoredResults(const QVariantMap &groups)
{
    if (!m_groups)
        return;
    for (TestGroup *group : qAsConst(*m_groups)) {
        const QString key = QString::number(group->number());
        if (groups.contains(key))
            group->setResults(groups.value(key).toMap());
    }
    if (TestContent *operatorName = contentById(OperatorContentId))
        operatorName->clearResults();
}
