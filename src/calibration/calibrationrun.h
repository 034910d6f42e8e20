#pragma once

#include "calibrationsettings.h"
#include "gsdflookuptable.h"
#include "metersettings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

#include <memory>

class CalibrationPatch;
class Dispwin;
class MeterReader;
class QTimer;
class QWidget;
struct MeterReply;

// One GSDF calibration of one display, in the order the operator sees it:
// the display's calibration unloaded (dispwin -c), the ambient luminance read
// with the screen dark, the response read at every driving level of the
// settings, the look-up table computed and written as a .cal file, loaded
// (dispwin FILE), and the 18 TG18-LN levels read again and judged as in a
// periodic test. Only a passed check lets keep() install the file; discard()
// unloads it. Each reading is tried once more before the run fails.
class CalibrationRun : public QObject
{
    Q_OBJECT

public:
    enum Stage
    {
        NotStarted,
        Unloading,
        ReadingAmbient,
        ReadingResponse,
        Loading,
        Verifying,
        Judged, // waits for keep() or discard()
        Installing,
        Discarding,
        Finished
    };

    struct Target
    {
        int screenIndex = 0;
        QString category;
        QString roomClass;
        // Where the .cal file is written.
        QString calFilePath;
    };

    CalibrationRun(const MeterSettings &meter, const CalibrationSettings &calibration, const Target &target,
                   QWidget *promptParent, QObject *parent = nullptr);
    ~CalibrationRun() override;

    Stage stage() const { return m_stage; }
    bool passed() const { return m_passed; }
    bool kept() const { return m_kept; }
    const GsdfLookupTable &table() const { return m_table; }
    QByteArray calFileText() const { return m_calFileText; }
    // What the record keeps of the calibration: readings, table, verification and verdict.
    QVariantMap record() const;
    CalibrationPatch *patch() const { return m_patch.get(); }

public Q_SLOTS:
    void start();
    void keep();
    void discard();
    // Ends a running calibration: the display's calibration is unloaded.
    void cancel();

Q_SIGNALS:
    void progress(const QString &text);
    // The verification is judged (or the run failed on the way); the
    // operator chooses next.
    void judged(bool passed, const QString &message);
    // After keep(), discard() or cancel(): whether the file is installed.
    void finished(bool kept, const QString &message);

private:
    void setStage(Stage stage);
    void runDispwin(int action);
    void dispwinFinished(bool ok, const QString &message);
    void readAmbient();
    void readLevel(int level);
    void readSettled();
    void meterFinished(const MeterReply &reply);
    void stored(double value);
    void computeTable();
    void judge();
    void fail(const QString &message);
    void end(bool kept, const QString &message);
    QVector<int> currentLevels() const;

    MeterSettings m_meterSettings;
    CalibrationSettings m_settings;
    Target m_target;
    QWidget *m_promptParent;
    std::unique_ptr<CalibrationPatch> m_patch;
    MeterReader *m_meter;
    Dispwin *m_dispwin;
    QTimer *m_settleTimer;
    Stage m_stage = NotStarted;
    bool m_retried = false;
    bool m_unloadPending = false;
    double m_ambient = 0.0;
    QVector<double> m_response;
    QVector<double> m_verification;
    GsdfLookupTable m_table;
    QByteArray m_calFileText;
    QVariantMap m_judgement;
    QVariantMap m_verdict;
    bool m_passed = false;
    bool m_kept = false;
    // The verdict's text, and what became of the calibration after it.
    QString m_message;
    QString m_outcome;
};
