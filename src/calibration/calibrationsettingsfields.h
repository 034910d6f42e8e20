#pragma once

#include <QObject>

class ConfigurationManager;
class MeterSettingsPage;
class QLineEdit;
class QSpinBox;

// The "CALIBRATION" group of the settings file on the meter's page: the
// calibration program (dispwin) and how many driving levels it measures,
// reloaded and saved with the meter's own fields.
class CalibrationSettingsFields : public QObject
{
    Q_OBJECT

public:
    explicit CalibrationSettingsFields(MeterSettingsPage *page, ConfigurationManager *store = nullptr);

    void reload();
    bool save();

private:
    ConfigurationManager *m_store;
    QLineEdit *m_program;
    QSpinBox *m_levels;
};
