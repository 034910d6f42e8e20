#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

class MeterAssist;
class QTimer;
class Test;
class TestInputDialog;

// "Measure all": from the shown step on, for every step of the series of
// luminance readings (uniformity fields and TG18-LN levels), lets the pattern
// settle, reads the meter into the field and moves on as the next button does.
// Before a reading at another place than the last one it waits until the
// operator says the meter is there; the TG18-LN levels share one place.
// A failed reading is tried once more and then left to the operator with the
// meter's message; pause, repeat and stop act at any point.
class MeasureAllRun : public QObject
{
    Q_OBJECT

public:
    MeasureAllRun(TestInputDialog *dialog, MeterAssist *assist);

    bool isRunning() const { return m_running; }
    int total() const { return m_total; }
    int stored() const { return m_stored; }
    // Steps of the series from the given test on, without those hidden now.
    static int seriesLength(const Test *test);

Q_SIGNALS:
    void finished(int stored);

public Q_SLOTS:
    void start();
    void setPaused(bool paused);
    void repeat();
    void stop();
    void testShown();
    void placementConfirmed();

private:
    void scheduleReading();
    bool needsPlacement(int place) const;
    void readSettled();
    void readingFinished(bool stored, const QString &value, const QString &message);
    void moveOn();
    void finish(const QString &message, bool problem);
    void showProgress();

    TestInputDialog *m_dialog;
    MeterAssist *m_assist;
    QTimer *m_settleTimer;
    QElapsedTimer m_clock;
    QStringList m_lastValues;
    bool m_running = false;
    bool m_awaitingReading = false;
    bool m_retried = false;
    // The shown step's reading is stored, but a pause kept the series from moving on.
    bool m_storedHere = false;
    bool m_movingOn = false;
    bool m_awaitingPlacement = false;
    // Where the meter was placed for the last reading of this series.
    int m_lastPlace = -1;
    int m_total = 0;
    int m_stored = 0;
};
