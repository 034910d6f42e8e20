#pragma once

#include "metersettings.h"
#include "meterreply.h"

#include <QObject>
#include <QProcess>
#include <QStringList>

class MeterProcess;
class QTimer;

// Takes one reading with ArgyllCMS's spotread: one process per reading, run
// without waiting for it, stopped when it outlives its time limit (spotread can
// hang probing serial ports). finished() always follows start(), exactly once.
class MeterReader : public QObject
{
    Q_OBJECT

public:
    explicit MeterReader(const MeterSettings &settings, QObject *parent = nullptr);
    ~MeterReader() override;

    static QStringList arguments(const MeterSettings &settings, MeterQuantity quantity);

    bool isBusy() const;

public Q_SLOTS:
    void start(MeterQuantity quantity);
    // Ends a running reading without a reply.
    void cancel();

Q_SIGNALS:
    void started();
    void finished(const MeterReply &reply);

private:
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void processFailed(QProcess::ProcessError error);
    void timedOut();
    void collectOutput();
    void finish(const MeterReply &reply);
    void stopProcess();

    MeterSettings m_settings;
    MeterQuantity m_quantity = MeterQuantity::Luminance;
    MeterProcess *m_process = nullptr;
    QTimer *m_timer;
    QByteArray m_output;
};
