#include "measureallrun.h"

#include "localformats.h"
#include "meterassist.h"
#include "meterfield.h"
#include "meterpanel.h"
#include "meterplace.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testinputdialog.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QTimer>

#include <cmath>

namespace {

// The panel shows this many of the latest values.
const int ShownValues = 3;

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

bool hasSeriesField(const Test *test)
{
    for (const TestContent *content : qAsConst(*test->content())) {
        if (MeterField::kindOf(test, content) == MeterField::PatternLuminance)
            return true;
    }
    return false;
}

// The tests of the group from the given one on, in the order the session shows them.
QList<const Test *> testsFrom(const Test *test)
{
    QList<const Test *> tests;
    const auto *group = test->parent() ? qobject_cast<const TestGroup *>(test->parent()->parent()) : nullptr;
    if (!group)
        return {test};
    for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
        for (const Test *candidate : qAsConst(*subgroup->tests())) {
            if (candidate == test || !tests.isEmpty())
                tests.append(candidate);
        }
    }
    return tests;
}

} // namespace

MeasureAllRun::MeasureAllRun(TestInputDialog *dialog, MeterAssist *assist)
    : QObject(assist), m_dialog(dialog), m_assist(assist), m_settleTimer(new QTimer(this))
{
    m_settleTimer->setSingleShot(true);
    connect(m_settleTimer, &QTimer::timeout, this, &MeasureAllRun::readSettled);
    connect(assist, &MeterAssist::readingFinished, this, &MeasureAllRun::readingFinished);
    connect(assist->panel(), &MeterPanel::placementConfirmed, this, &MeasureAllRun::placementConfirmed);
}

int MeasureAllRun::seriesLength(const Test *test)
{
    if (!test || test->content()->isEmpty())
        return 0;
    // What hides a step depends on earlier answers, which the shown step has been given.
    const TestContent::ValueMap values = test->content()->constFirst()->joinValues();
    int length = 0;
    for (const Test *candidate : testsFrom(test)) {
        const bool hidden = !candidate->content()->isEmpty() &&
                            candidate->content()->constFirst()->isHiddenFromTest(values);
        if (hidden)
            continue;
        if (!hasSeriesField(candidate))
            break;
        ++length;
    }
    return length;
}

void MeasureAllRun::start()
{
    if (m_running || !m_assist->showsSeriesField() || m_assist->isReading())
        return;
    m_running = true;
    m_total = seriesLength(m_dialog->test());
    m_stored = 0;
    m_retried = false;
    m_lastPlace = MeterPlace::Unknown;
    m_lastValues.clear();
    m_clock.start();
    m_assist->panel()->clearTexts();
    m_assist->panel()->showSeriesControls(true, true);
    scheduleReading();
}

void MeasureAllRun::testShown()
{
    // The operator went to another step by hand: the series ends there.
    if (m_running && !m_movingOn)
        finish(translated("meter_stopped"), false);
    m_assist->panel()->showSeriesControls(m_assist->showsSeriesField(), m_running);
}

void MeasureAllRun::scheduleReading()
{
    showProgress();
    if (m_assist->panel()->isPaused()) {
        m_assist->panel()->setMessage(translated("meter_paused"), false);
        return;
    }
    const int place = MeterAssist::placeOf(m_dialog->test());
    if (needsPlacement(place)) {
        m_awaitingPlacement = true;
        m_assist->askForPlacement(place);
        return;
    }
    m_settleTimer->start(m_assist->settings().settleMs);
}

// A series started on a TG18-LN level finds the meter on its patch already, as
// the single readings before had it.
bool MeasureAllRun::needsPlacement(int place) const
{
    if (place == m_lastPlace)
        return false;
    return !(place == MeterPlace::Tg18LnPatch && m_lastPlace == MeterPlace::Unknown);
}

void MeasureAllRun::placementConfirmed()
{
    if (!m_running || !m_awaitingPlacement)
        return;
    m_awaitingPlacement = false;
    m_lastPlace = MeterAssist::placeOf(m_dialog->test());
    m_assist->endPlacement();
    scheduleReading();
}

void MeasureAllRun::readSettled()
{
    if (!m_running || m_assist->panel()->isPaused())
        return;
    m_awaitingReading = m_assist->measureSeriesField();
    if (!m_awaitingReading)
        finish(translated("meter_stopped"), true);
}

void MeasureAllRun::readingFinished(bool stored, const QString &value, const QString &message)
{
    if (!m_awaitingReading)
        return;
    m_awaitingReading = false;
    if (!stored) {
        if (m_retried) {
            finish(translated("meter_runFailed").arg(message), true);
            return;
        }
        m_retried = true;
        scheduleReading();
        return;
    }
    m_retried = false;
    ++m_stored;
    m_lastValues.append(LocalFormats::reading(value));
    if (m_lastValues.size() > ShownValues)
        m_lastValues.removeFirst();
    m_assist->panel()->setValues(translated("meter_lastValues").arg(m_lastValues.join(QStringLiteral(", "))));
    m_storedHere = m_assist->panel()->isPaused();
    if (m_storedHere)
        showProgress();
    else
        moveOn();
}

void MeasureAllRun::moveOn()
{
    const Test *before = m_dialog->test();
    m_movingOn = true;
    m_dialog->nextClicked();
    m_movingOn = false;
    if (m_dialog->test() == before) {
        finish(translated("meter_notAccepted"), true);
        return;
    }
    if (m_stored >= m_total || !m_assist->showsSeriesField()) {
        finish(translated("meter_done").arg(m_stored), false);
        return;
    }
    scheduleReading();
}

void MeasureAllRun::setPaused(bool paused)
{
    if (!m_running)
        return;
    if (paused) {
        m_settleTimer->stop();
        m_assist->panel()->setMessage(translated("meter_paused"), false);
        return;
    }
    m_assist->panel()->setMessage(QString(), false);
    // A reading that came in during the pause is stored already: go on to the next step.
    if (m_storedHere) {
        m_storedHere = false;
        moveOn();
    } else if (!m_awaitingReading) {
        scheduleReading();
    }
}

void MeasureAllRun::repeat()
{
    if (!m_running)
        return;
    m_settleTimer->stop();
    if (m_awaitingReading) {
        m_awaitingReading = false;
        m_assist->cancelReading();
    }
    m_retried = false;
    // The step's stored reading is taken again, not counted twice.
    if (m_storedHere) {
        m_storedHere = false;
        --m_stored;
    }
    scheduleReading();
}

void MeasureAllRun::stop()
{
    finish(translated("meter_stopped"), false);
}

void MeasureAllRun::finish(const QString &message, bool problem)
{
    m_settleTimer->stop();
    if (m_awaitingPlacement) {
        m_awaitingPlacement = false;
        m_assist->endPlacement();
    }
    if (m_awaitingReading) {
        m_awaitingReading = false;
        m_assist->cancelReading();
    }
    m_running = false;
    m_storedHere = false;
    m_assist->panel()->showSeriesControls(m_assist->showsSeriesField(), false);
    m_assist->panel()->setProgress(QString());
    m_assist->panel()->setMessage(message, problem);
    emit finished(m_stored);
}

void MeasureAllRun::showProgress()
{
    const int current = qMin(m_stored + 1, m_total);
    QString text = translated("meter_progress").arg(current).arg(m_total);
    if (m_stored > 0) {
        const double perReading = double(m_clock.elapsed()) / m_stored;
        const qint64 secondsLeft = std::llround(perReading * (m_total - m_stored) / 1000);
        text += QStringLiteral(" - ") + translated("meter_timeLeft").arg(secondsLeft);
    }
    m_assist->panel()->setProgress(text);
}
