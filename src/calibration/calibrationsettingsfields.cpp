#include "calibrationsettingsfields.h"

#include "calibrationsettings.h"
#include "configurationmanager.h"
#include "metersettingspage.h"

#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>

CalibrationSettingsFields::CalibrationSettingsFields(MeterSettingsPage *page, ConfigurationManager *store)
    : QObject(page), m_store(store ? store : ConfigurationManager::instance()), m_program(new QLineEdit(page)),
      m_levels(new QSpinBox(page))
{
    m_program->setObjectName(QStringLiteral("calibrationProgramLineEdit"));
    m_levels->setObjectName(QStringLiteral("calibrationLevelsSpinBox"));
    m_levels->setRange(CalibrationSettings::fewestLevels, CalibrationSettings::mostLevels);
    page->addGroup(
        {{QStringLiteral("screens_calibrationProgram"), m_program},
         {QStringLiteral("screens_calibrationLevels"), m_levels}},
        [this] { return save(); }, [this] { reload(); });
    reload();
}

void CalibrationSettingsFields::reload()
{
    QSettings settings(m_store->fileName(), QSettings::IniFormat);
    const CalibrationSettings calibration = CalibrationSettings::load(settings);
    m_program->setText(calibration.program);
    m_levels->setValue(calibration.levels);
}

bool CalibrationSettingsFields::save()
{
    QSettings settings(m_store->fileName(), QSettings::IniFormat);
    CalibrationSettings calibration;
    calibration.program = m_program->text().trimmed();
    calibration.levels = m_levels->value();
    return calibration.save(settings);
}
