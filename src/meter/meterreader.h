#pragma once

#include "metersettings.h"
#include "meterreply.h"
#include "timedprocess.h"

#include <QObject>
#include <QStringList>

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
    void processFinished(const TimedProcess::Result &result);

    MeterSettings m_settings;
    MeterQuantity m_quantity = MeterQuantity::Luminance;
    TimedProcess *m_process;
};
