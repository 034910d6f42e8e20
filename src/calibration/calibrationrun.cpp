#include "calibrationrun.h"

#include "calfile.h"
#include "calibrationpatch.h"
#include "dispwin.h"
#include "judgement.h"
#include "limitstable.h"
#include "localformats.h"
#include "luminanceresponse.h"
#include "meterreader.h"
#include "modalprompt.h"
#include "readingsource.h"
#include "translator.h"

#include <QTimer>
#include <QVariantList>

namespace {

const QString GsdfQuantity = QStringLiteral("gsdfDeviation");

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

QString problemText(const GsdfLookupTable &table)
{
    switch (table.problem) {
    case GsdfLookupTable::WrongCount:
        return translated("calibration_wrongCount").arg(table.problemReading);
    case GsdfLookupTable::NotANumber:
        return translated("calibration_notANumber").arg(table.problemReading + 1);
    case GsdfLookupTable::OutsideGsdf:
        return translated("calibration_outsideGsdf").arg(table.problemReading + 1);
    case GsdfLookupTable::NoRise:
        return translated("calibration_noRise");
    case GsdfLookupTable::AmbientNotANumber:
    case GsdfLookupTable::NoProblem:
        break;
    }
    return translated("calibration_ambientNotANumber");
}

QVariantList numbers(const QVector<double> &values)
{
    QVariantList list;
    for (const double value : values)
        list << ReadingSource::valueText(value);
    return list;
}

QVariantList numbers(const QVector<int> &values)
{
    QVariantList list;
    for (const int value : values)
        list << value;
    return list;
}

} // namespace

CalibrationRun::CalibrationRun(const MeterSettings &meter, const CalibrationSettings &calibration, const Target &target,
                               QWidget *promptParent, QObject *parent)
    : QObject(parent), m_meterSettings(meter), m_settings(calibration), m_target(target), m_promptParent(promptParent),
      m_patch(new CalibrationPatch(target.screenIndex)), m_meter(new MeterReader(meter, this)),
      m_dispwin(new Dispwin(calibration.program, meter.timeLimitMs, this)), m_settleTimer(new QTimer(this))
{
    m_settleTimer->setSingleShot(true);
    connect(m_settleTimer, &QTimer::timeout, this, &CalibrationRun::readSettled);
    connect(m_meter, &MeterReader::finished, this, &CalibrationRun::meterFinished);
    connect(m_dispwin, &Dispwin::finished, this, &CalibrationRun::dispwinFinished);
}

CalibrationRun::~CalibrationRun() = default;

void CalibrationRun::start()
{
    if (m_stage != NotStarted)
        return;
    setStage(Unloading);
    emit progress(translated("calibration_unloading"));
    runDispwin(Dispwin::Unload);
}

void CalibrationRun::setStage(Stage stage)
{
    m_stage = stage;
}

void CalibrationRun::runDispwin(int action)
{
    m_dispwin->run(Dispwin::Action(action), m_target.screenIndex + 1, m_target.calFilePath);
}

void CalibrationRun::dispwinFinished(bool ok, const QString &message)
{
    if (m_unloadPending) {
        m_unloadPending = false;
        runDispwin(Dispwin::Unload);
        return;
    }
    switch (m_stage) {
    case Unloading:
        if (ok)
            readAmbient();
        else
            fail(message);
        return;
    case Loading:
        if (!ok) {
            fail(message);
            return;
        }
        setStage(Verifying);
        readLevel(0);
        return;
    case Installing:
        if (ok) {
            end(true, translated("calibration_installed"));
            return;
        }
        // A file that could not be installed is not left loaded either.
        m_outcome = message;
        setStage(Discarding);
        runDispwin(Dispwin::Unload);
        return;
    case Discarding:
        end(false, ok ? m_outcome : message);
        return;
    default:
        return;
    }
}

void CalibrationRun::readAmbient()
{
    const int choice = ModalPrompt::question(m_promptParent, QMessageBox::Information, translated("calibration_title"),
                                             translated("meter_ambientPrompt"),
                                             {{translated("meter_displayOff"), QMessageBox::AcceptRole},
                                              {translated("meter_useBlack"), QMessageBox::AcceptRole},
                                              {translated("cancel"), QMessageBox::RejectRole}});
    if (choice != 0 && choice != 1) {
        m_outcome = translated("calibration_cancelled");
        setStage(Discarding);
        runDispwin(Dispwin::Unload);
        return;
    }
    setStage(ReadingAmbient);
    emit progress(translated("calibration_readingAmbient"));
    m_patch->showLevel(CalibrationPatch::black);
    m_settleTimer->start(m_meterSettings.settleMs);
}

QVector<int> CalibrationRun::currentLevels() const
{
    if (m_stage == ReadingResponse)
        return m_settings.drivingLevels();
    QVector<int> levels;
    for (int i = 0; i < LuminanceResponse::readingCount; ++i)
        levels << LuminanceResponse::drivingLevel(i);
    return levels;
}

void CalibrationRun::readLevel(int index)
{
    const QVector<int> levels = currentLevels();
    const char *key = m_stage == ReadingResponse ? "calibration_readingResponse" : "calibration_verifying";
    emit progress(translated(key).arg(index + 1).arg(levels.size()).arg(levels.at(index)));
    m_patch->showLevel(levels.at(index));
    m_settleTimer->start(m_meterSettings.settleMs);
}

void CalibrationRun::readSettled()
{
    m_meter->start(MeterQuantity::Luminance);
}

void CalibrationRun::meterFinished(const MeterReply &reply)
{
    if (reply.ok) {
        m_retried = false;
        stored(reply.value);
        return;
    }
    if (m_retried) {
        fail(translated("calibration_readingFailed").arg(reply.message));
        return;
    }
    m_retried = true;
    m_settleTimer->start(m_meterSettings.settleMs);
}

void CalibrationRun::stored(double value)
{
    switch (m_stage) {
    case ReadingAmbient:
        m_ambient = value;
        setStage(ReadingResponse);
        readLevel(0);
        return;
    case ReadingResponse:
        m_response << value;
        if (m_response.size() < currentLevels().size())
            readLevel(m_response.size());
        else
            computeTable();
        return;
    case Verifying:
        m_verification << value;
        if (m_verification.size() < currentLevels().size())
            readLevel(m_verification.size());
        else
            judge();
        return;
    default:
        return;
    }
}

void CalibrationRun::computeTable()
{
    m_table = GsdfLookupTable::compute(m_settings.drivingLevels(), m_response, m_ambient);
    if (!m_table.isValid()) {
        fail(problemText(m_table));
        return;
    }
    m_calFileText = CalFile::text(m_table.outputs, translated("calibration_title"), QDateTime::currentDateTime());
    QString error;
    if (!CalFile::write(m_target.calFilePath, m_calFileText, &error)) {
        fail(translated("calibration_notWritten").arg(m_target.calFilePath, error));
        return;
    }
    setStage(Loading);
    emit progress(translated("calibration_loading"));
    runDispwin(Dispwin::Load);
}

void CalibrationRun::judge()
{
    const LimitsTable &limits = LimitsTable::current();
    QMap<QString, QString> answers;
    for (int i = 0; i < m_verification.size(); ++i)
        answers.insert(limits.inputs().luminanceReadings.value(i), ReadingSource::valueText(m_verification.at(i)));
    answers.insert(limits.inputs().ambientLuminance, ReadingSource::valueText(m_ambient));
    const Judgement judgement = Judgement::judge(answers, {m_target.category, m_target.roomClass, {}}, limits);
    m_judgement = judgement.toMap();
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (verdict.quantity == GsdfQuantity)
            m_verdict = verdict.toMap();
    }
    const Judgement::Verdict verdict = Judgement::Verdict::fromMap(m_verdict);
    m_passed = !m_verdict.isEmpty() && verdict.computable && verdict.hasLimit && verdict.passed;
    if (verdict.computable && verdict.hasLimit) {
        m_message = translated(m_passed ? "calibration_verified" : "calibration_notVerified")
                        .arg(LocalFormats::number(verdict.measured, 1), LocalFormats::number(verdict.limit, 1));
    } else {
        m_message = translated("calibration_notJudged")
                        .arg(verdict.problem.isEmpty() ? translated("calibration_noVerdict") : verdict.problem);
    }
    m_patch->hide();
    setStage(Judged);
    emit judged(m_passed, m_message);
}

void CalibrationRun::fail(const QString &message)
{
    m_settleTimer->stop();
    m_meter->cancel();
    m_passed = false;
    m_message = message;
    m_patch->hide();
    setStage(Judged);
    emit judged(false, message);
}

void CalibrationRun::keep()
{
    // Only a verified calibration is installed.
    if (m_stage != Judged || !m_passed)
        return;
    setStage(Installing);
    emit progress(translated("calibration_installing"));
    runDispwin(Dispwin::Install);
}

void CalibrationRun::discard()
{
    if (m_stage != Judged)
        return;
    m_outcome = translated("calibration_discarded");
    setStage(Discarding);
    emit progress(translated("calibration_unloading"));
    runDispwin(Dispwin::Unload);
}

void CalibrationRun::cancel()
{
    if (m_stage == Finished || m_stage == Discarding || m_stage == Installing || m_stage == NotStarted)
        return;
    m_settleTimer->stop();
    m_meter->cancel();
    m_patch->hide();
    m_outcome = translated("calibration_cancelled");
    m_passed = false;
    // A dispwin call that runs is left to end, and the display unloaded after it.
    m_unloadPending = m_dispwin->isBusy();
    setStage(Discarding);
    if (!m_unloadPending)
        runDispwin(Dispwin::Unload);
}

void CalibrationRun::end(bool kept, const QString &message)
{
    m_kept = kept;
    m_outcome = message;
    setStage(Finished);
    emit finished(kept, message);
}

QVariantMap CalibrationRun::record() const
{
    QVariantMap record{{QStringLiteral("levels"), numbers(m_settings.drivingLevels())},
                       {QStringLiteral("ambientLuminance"), ReadingSource::valueText(m_ambient)},
                       {QStringLiteral("response"), numbers(m_response)},
                       {QStringLiteral("verification"), numbers(m_verification)},
                       {QStringLiteral("judgement"), m_judgement},
                       {QStringLiteral("verdict"), m_verdict},
                       {QStringLiteral("passed"), m_passed},
                       {QStringLiteral("kept"), m_kept},
                       {QStringLiteral("message"), m_message},
                       {QStringLiteral("outcome"), m_outcome},
                       {QStringLiteral("instrument"), m_meterSettings.instrument}};
    if (m_table.isValid()) {
        record.insert(QStringLiteral("table"), numbers(m_table.outputs));
        record.insert(QStringLiteral("distinctOutputs"), m_table.distinctOutputs());
        record.insert(QStringLiteral("unusedLevels"), numbers(m_table.unusedTopLevels()));
        record.insert(QStringLiteral("calFile"), QString::fromUtf8(m_calFileText));
    }
    return record;
}
