#pragma once

#include "displayrecord.h"

#include <QVariantMap>

class ConfigurationManager;
class QWidget;

// Where the program offers a GSDF calibration: the displays page, for the
// chosen display, and the end of a session whose GSDF check failed. Only
// when the settings name the calibration program (dispwin).
class CalibrationLauncher
{
public:
    CalibrationLauncher(ConfigurationManager *store, QWidget *parent);

    bool isOffered() const;
    // Calibrates the display on the given screen, or, without one, on the
    // screen that names itself as the display, the operator choosing when
    // none or several do. False when nothing was started.
    bool calibrate(const DisplayRecord &display, int screenIndex = -1) const;
    // After a session stored with these details on that screen: when its GSDF
    // verdict failed, asks whether to calibrate now.
    bool offerAfter(const QVariantMap &sessionDetails, int screenIndex) const;

private:
    int chooseScreen(const DisplayRecord &display) const;
    QString testerOf(const DisplayRecord &display) const;

    ConfigurationManager *m_store;
    QWidget *m_parent;
};
