#pragma once

#include "calibrationsettings.h"
#include "displayrecord.h"
#include "metersettings.h"

#include <QDialog>
#include <QVariantMap>

#include <memory>

class CalibrationRun;
class ConfigurationManager;

namespace Ui {
class CalibrationDialog;
}

// Calibrates one display to the GSDF (CalibrationRun) while the operator
// watches: the steps, the levels the table keeps, the verification's verdict,
// and "Keep" only when it passed. When the run ends, kept or discarded, the
// calibration is stored as a session of its own kind, "calibration"; a kept
// one also stores its file with the display. Closing the dialog discards.
class CalibrationDialog : public QDialog
{
    Q_OBJECT

public:
    struct Choices
    {
        MeterSettings meter;
        CalibrationSettings calibration;
        int screenIndex = 0;
        QString monitorInfo;
        QString tester;
    };

    CalibrationDialog(ConfigurationManager *store, const DisplayRecord &display, const Choices &choices,
                      QWidget *parent = nullptr);
    ~CalibrationDialog() override;

    CalibrationRun *run() const { return m_run; }
    // The id of the stored calibration session; 0 before it is stored or when storing failed.
    qint64 storedSession() const { return m_storedSession; }
    // The calibration session as it was stored; empty before.
    QVariantMap sessionRecord() const { return m_record; }

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showJudged(bool passed, const QString &message);
    void showFinished(bool kept, const QString &message);
    QVariantMap buildRecord() const;

    std::unique_ptr<Ui::CalibrationDialog> m_ui;
    ConfigurationManager *m_store;
    DisplayRecord m_display;
    Choices m_choices;
    CalibrationRun *m_run;
    bool m_judged = false;
    bool m_closeWhenDone = false;
    qint64 m_storedSession = 0;
    QVariantMap m_record;
};
