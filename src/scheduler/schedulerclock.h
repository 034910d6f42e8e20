#pragma once

#include <QDateTime>

// Where the scheduler learns the current local date-time. The queue and the
// "last performed" stamps ask this object instead of the system, so tests can
// put the scheduler on any date (a month end, a daylight-saving change) without
// waiting for it.
class SchedulerClock
{
public:
    virtual ~SchedulerClock();

    virtual QDateTime now() const;

    // The clock of the running system, shared by everyone who is given no other.
    static const SchedulerClock *system();
};
