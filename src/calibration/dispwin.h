#pragma once

#include "timedprocess.h"

#include <QObject>
#include <QString>
#include <QStringList>

// ArgyllCMS's dispwin, one call at a time and each with the meter's time
// limit: unloads the display's calibration (a linear look-up table), loads a
// calibration file into the graphics card, or installs it for the next
// login. finished() follows every call, with the reason when it failed.
class Dispwin : public QObject
{
    Q_OBJECT

public:
    enum Action
    {
        Unload,
        Load,
        Install
    };

    Dispwin(const QString &program, int timeLimitMs, QObject *parent = nullptr);

    // dispwin numbers the displays from 1.
    static QStringList arguments(Action action, int display, const QString &calFile = QString());
    bool isBusy() const { return m_process->isRunning(); }
    void run(Action action, int display, const QString &calFile = QString());

Q_SIGNALS:
    void finished(bool ok, const QString &message);

private:
    void processFinished(const TimedProcess::Result &result);

    QString m_program;
    int m_timeLimitMs;
    TimedProcess *m_process;
};
