#include "meterreader.h"

#include "localformats.h"
#include "spotreadoutput.h"
#include "translator.h"

#include <QTimer>

namespace {

// Some instruments wait for a key before they read; any key but q or Esc reads.
const QByteArray ReadKey = QByteArrayLiteral(" \n");

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

} // namespace

MeterReader::MeterReader(const MeterSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_process(new TimedProcess(this))
{
    connect(m_process, &TimedProcess::finished, this, &MeterReader::processFinished);
}

MeterReader::~MeterReader() = default;

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
    return m_process->isRunning();
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
    emit started();
    m_process->start(m_settings.program, arguments(m_settings, quantity), m_settings.timeLimitMs, ReadKey);
}

void MeterReader::processFinished(const TimedProcess::Result &result)
{
    switch (result.outcome) {
    case TimedProcess::Result::NotStarted:
        emit finished(MeterReply::failure(translated("meter_notStarted").arg(m_settings.program, result.errorString)));
        return;
    case TimedProcess::Result::TimedOut:
        emit finished(MeterReply::failure(
            translated("meter_timeOut").arg(LocalFormats::number(m_settings.timeLimitMs / 1000.0, 1))));
        return;
    case TimedProcess::Result::Exited:
    case TimedProcess::Result::Crashed:
        break;
    }
    const MeterReply parsed = SpotreadOutput::parse(result.output, m_quantity);
    if (result.succeeded()) {
        emit finished(parsed);
        return;
    }
    // A failing meter explains itself in its output; otherwise the exit code says what little is known.
    const bool explained = !parsed.ok && !result.output.trimmed().isEmpty();
    emit finished(MeterReply::failure(explained ? parsed.message : translated("meter_exitCode").arg(result.exitCode)));
}

void MeterReader::cancel()
{
    m_process->cancel();
}
