#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class GroupedProcess;
class QTimer;

// Runs one external program of ArgyllCMS (spotread, dispwin) without waiting
// for it, with a time limit: such programs can hang probing serial ports or
// waiting for an instrument. Standard output and error are kept together, up
// to a size no answer of theirs reaches. finished() always follows start(),
// exactly once, unless cancel() came first.
class TimedProcess : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        enum Outcome
        {
            Exited,
            Crashed,
            NotStarted,
            TimedOut
        };
        Outcome outcome = NotStarted;
        int exitCode = -1;
        QByteArray output;
        // Why the program did not start.
        QString errorString;

        bool succeeded() const { return outcome == Exited && exitCode == 0; }
    };

    explicit TimedProcess(QObject *parent = nullptr);
    ~TimedProcess() override;

    bool isRunning() const { return m_process != nullptr; }

    // The input is written once the program runs, and its input then closed.
    void start(const QString &program, const QStringList &arguments, int timeLimitMs,
               const QByteArray &input = QByteArray());
    // Ends a running program without a result.
    void cancel();

Q_SIGNALS:
    void finished(const TimedProcess::Result &result);

private:
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void processFailed(QProcess::ProcessError error);
    void collectOutput();
    void finish(Result result);
    void stopProcess();

    GroupedProcess *m_process = nullptr;
    QTimer *m_timer;
    QByteArray m_output;
    QByteArray m_input;
};
