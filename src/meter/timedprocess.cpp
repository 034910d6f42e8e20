#include "timedprocess.h"

#include "groupedprocess.h"

#include <QTimer>

namespace {

// The programs print a few lines per call; more than this is not their answer.
const int LargestOutput = 64 * 1024;

} // namespace

TimedProcess::TimedProcess(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        Result result;
        result.outcome = Result::TimedOut;
        finish(result);
    });
}

TimedProcess::~TimedProcess()
{
    stopProcess();
}

void TimedProcess::start(const QString &program, const QStringList &arguments, int timeLimitMs, const QByteArray &input)
{
    if (isRunning())
        return;
    m_output.clear();
    m_input = input;
    m_process = new GroupedProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::readyRead, this, &TimedProcess::collectOutput);
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &TimedProcess::processFinished);
    connect(m_process, &QProcess::errorOccurred, this, &TimedProcess::processFailed);
    connect(m_process, &QProcess::started, this, [this] {
        m_process->write(m_input);
        m_process->closeWriteChannel();
    });
    m_timer->start(timeLimitMs);
    m_process->start(program, arguments);
}

void TimedProcess::collectOutput()
{
    const QByteArray more = m_process->readAll();
    if (m_output.size() < LargestOutput)
        m_output.append(more.left(LargestOutput - m_output.size()));
}

void TimedProcess::processFinished(int exitCode, QProcess::ExitStatus status)
{
    collectOutput();
    Result result;
    result.outcome = status == QProcess::NormalExit ? Result::Exited : Result::Crashed;
    result.exitCode = exitCode;
    finish(result);
}

void TimedProcess::processFailed(QProcess::ProcessError error)
{
    // A crash or a timeout ends in processFinished() or the timer; only a
    // program that never ran is answered here.
    if (error != QProcess::FailedToStart)
        return;
    Result result;
    result.outcome = Result::NotStarted;
    result.errorString = m_process->errorString();
    finish(result);
}

void TimedProcess::cancel()
{
    m_timer->stop();
    stopProcess();
}

void TimedProcess::finish(Result result)
{
    if (!isRunning())
        return;
    m_timer->stop();
    result.output = m_output;
    stopProcess();
    emit finished(result);
}

void TimedProcess::stopProcess()
{
    if (!m_process)
        return;
    GroupedProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    // A program that ended normally may still have left helpers running.
    process->endGroup();
    process->deleteLater();
}
