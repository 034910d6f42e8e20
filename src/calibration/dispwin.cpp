#include "dispwin.h"

#include "localformats.h"
#include "translator.h"

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

// dispwin ends its complaint with the reason, on the last line it prints.
QString lastLine(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return QString::fromLocal8Bit(lines.constLast().trimmed());
}

} // namespace

Dispwin::Dispwin(const QString &program, int timeLimitMs, QObject *parent)
    : QObject(parent), m_program(program), m_timeLimitMs(timeLimitMs), m_process(new TimedProcess(this))
{
    connect(m_process, &TimedProcess::finished, this, &Dispwin::processFinished);
}

QStringList Dispwin::arguments(Action action, int display, const QString &calFile)
{
    QStringList arguments{QStringLiteral("-d"), QString::number(display)};
    switch (action) {
    case Unload:
        return arguments << QStringLiteral("-c");
    case Load:
        return arguments << calFile;
    case Install:
        return arguments << QStringLiteral("-I") << calFile;
    }
    return arguments;
}

void Dispwin::run(Action action, int display, const QString &calFile)
{
    m_process->start(m_program, arguments(action, display, calFile), m_timeLimitMs);
}

void Dispwin::processFinished(const TimedProcess::Result &result)
{
    switch (result.outcome) {
    case TimedProcess::Result::NotStarted:
        emit finished(false, translated("calibration_notStarted").arg(m_program, result.errorString));
        return;
    case TimedProcess::Result::TimedOut:
        emit finished(false, translated("calibration_timeOut").arg(LocalFormats::number(m_timeLimitMs / 1000.0, 1)));
        return;
    case TimedProcess::Result::Exited:
    case TimedProcess::Result::Crashed:
        break;
    }
    if (result.succeeded()) {
        emit finished(true, QString());
        return;
    }
    const QString reason = lastLine(result.output);
    emit finished(false, reason.isEmpty() ? translated("calibration_exitCode").arg(result.exitCode) : reason);
}
