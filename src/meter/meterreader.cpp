#include "meterreader.h"

#include "meterprocess.h"
#include "spotreadoutput.h"
#include "translator.h"

#include <QTimer>

namespace {

// spotread prints a few lines per reading; more than this is not its answer.
const int LargestOutput = 64 * 1024;
// Some instruments wait for a key before they read; any key but q or Esc reads.
const QByteArray ReadKey = QByteArrayLiteral(" \n");

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

} // namespace

MeterReader::MeterReader(const MeterSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &MeterReader::timedOut);
}

MeterReader::~MeterReader()
{
    stopProcess();
}

QStringList MeterReader::arguments(const MeterSettings &settings, MeterQuantity quantity)
{
    QStringList arguments;
    arguments << (quantity == MeterQuantity::Illuminance ? QStringLiteral("-a") : QStringLiteral("-e"));
    arguments << QStringLiteral("-x") << QStringLiteral("-O") << QStringLiteral("-N");
    arguments << QStringLiteral("-c") << QString::number(settings.instrument);
    if (!settings.displayType.isEmpty() && quantity == MeterQuantity::Luminance)
        arguments << QStringLiteral("-y") << settings.displayType;
    return arguments;
}

bool MeterReader::isBusy() const
{
    return m_process != nullptr;
}

void MeterReader::start(MeterQuantity quantity)
{
    if (isBusy())
        return;
    if (!m_settings.isConfigured()) {
        QTimer::singleShot(0, this, [this] { emit finished(MeterReply::failure(translated("meter_notSetUp"))); });
        return;
    }
    m_quantity = quantity;
    m_output.clear();
    m_process = new MeterProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::readyRead, this, &MeterReader::collectOutput);
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &MeterReader::processFinished);
    connect(m_process, &QProcess::errorOccurred, this, &MeterReader::processFailed);
    connect(m_process, &QProcess::started, this, [this] {
        m_process->write(ReadKey);
        m_process->closeWriteChannel();
    });
    m_timer->start(m_settings.timeLimitMs);
    emit started();
    m_process->start(m_settings.program, arguments(m_settings, quantity));
}

void MeterReader::collectOutput()
{
    const QByteArray more = m_process->readAll();
    if (m_output.size() < LargestOutput)
        m_output.append(more.left(LargestOutput - m_output.size()));
}

void MeterReader::processFinished(int exitCode, QProcess::ExitStatus status)
{
    collectOutput();
    const MeterReply parsed = SpotreadOutput::parse(m_output, m_quantity);
    if (status == QProcess::NormalExit && exitCode == 0) {
        finish(parsed);
        return;
    }
    // A failing meter explains itself in its output; otherwise the exit code says what little is known.
    const bool explained = !parsed.ok && !m_output.trimmed().isEmpty();
    finish(MeterReply::failure(explained ? parsed.message : translated("meter_exitCode").arg(exitCode)));
}

void MeterReader::processFailed(QProcess::ProcessError error)
{
    // A crash or a timeout ends in finished() or timedOut(); only a program that
    // never ran is answered here.
    if (error != QProcess::FailedToStart)
        return;
    finish(MeterReply::failure(translated("meter_notStarted").arg(m_settings.program, m_process->errorString())));
}

void MeterReader::timedOut()
{
    finish(MeterReply::failure(translated("meter_timeOut").arg(m_settings.timeLimitMs / 1000.0, 0, 'f', 1)));
}

void MeterReader::cancel()
{
    m_timer->stop();
    stopProcess();
}

void MeterReader::finish(const MeterReply &reply)
{
    if (!isBusy())
        return;
    m_timer->stop();
    stopProcess();
    emit finished(reply);
}

void MeterReader::stopProcess()
{
    if (!m_process)
        return;
    MeterProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    // A reading that ended normally may still have left helpers running.
    process->endGroup();
    process->deleteLater();
}
