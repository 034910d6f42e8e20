#include "metersettings.h"

#include "configurationmanager.h"
#include "storedsetting.h"

#include <QRegularExpression>
#include <QSettings>

namespace {

const QString Group = QStringLiteral("METER");
const QString ProgramKey = QStringLiteral("program");
const QString InstrumentKey = QStringLiteral("instrument");
const QString DisplayTypeKey = QStringLiteral("displayType");
const QString ContactKey = QStringLiteral("contact");
const QString SettleKey = QStringLiteral("settleMs");
const QString TimeLimitKey = QStringLiteral("timeLimitMs");
const QString ModelKey = QStringLiteral("model");
const QString SerialKey = QStringLiteral("serial");

// ArgyllCMS numbers the connected instruments from 1; nobody connects dozens.
const int HighestInstrument = 99;
// A display that needs more than a minute to settle is not ready to be measured.
const int LongestSettleMs = 60000;
// Below a tenth of a second no instrument answers; beyond ten minutes the operator has long given up.
const int ShortestTimeLimitMs = 100;
const int LongestTimeLimitMs = 600000;

} // namespace

bool MeterSettings::isValidDisplayType(const QString &letter)
{
    static const QRegularExpression oneLetter(QStringLiteral("^[A-Za-z0-9]?$"));
    return oneLetter.match(letter).hasMatch();
}

bool MeterSettings::isValidSettleMs(int milliseconds)
{
    return milliseconds >= 0 && milliseconds <= LongestSettleMs;
}

bool MeterSettings::isValidTimeLimitMs(int milliseconds)
{
    return milliseconds >= ShortestTimeLimitMs && milliseconds <= LongestTimeLimitMs;
}

bool MeterSettings::isValidInstrument(int number)
{
    return number >= 1 && number <= HighestInstrument;
}

MeterSettings MeterSettings::load(QSettings &settings, QStringList *unreadable)
{
    MeterSettings meter;
    settings.beginGroup(Group);
    meter.program = settings.value(ProgramKey).toString().trimmed();
    meter.instrument = StoredSetting::integer(settings, InstrumentKey, meter.instrument,
                                              &MeterSettings::isValidInstrument, unreadable);
    const QString displayType = settings.value(DisplayTypeKey).toString().trimmed();
    StoredSetting::noteUnreadable(settings, DisplayTypeKey, isValidDisplayType(displayType), unreadable);
    meter.displayType = isValidDisplayType(displayType) ? displayType : QString();
    static const QStringList truthValues{QStringLiteral("true"), QStringLiteral("false"), QStringLiteral("1"),
                                         QStringLiteral("0")};
    StoredSetting::noteUnreadable(
        settings, ContactKey, truthValues.contains(settings.value(ContactKey, false).toString().trimmed().toLower()),
        unreadable);
    meter.contact = settings.value(ContactKey, false).toBool();
    meter.settleMs =
        StoredSetting::integer(settings, SettleKey, meter.settleMs, &MeterSettings::isValidSettleMs, unreadable);
    meter.timeLimitMs = StoredSetting::integer(settings, TimeLimitKey, meter.timeLimitMs,
                                               &MeterSettings::isValidTimeLimitMs, unreadable);
    meter.model = settings.value(ModelKey).toString().trimmed();
    meter.serial = settings.value(SerialKey).toString().trimmed();
    settings.endGroup();
    return meter;
}

MeterSettings MeterSettings::load(QStringList *unreadable)
{
    QSettings settings(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
    return load(settings, unreadable);
}

bool MeterSettings::save(QSettings &settings) const
{
    settings.beginGroup(Group);
    settings.setValue(ProgramKey, program.trimmed());
    settings.setValue(InstrumentKey, instrument);
    settings.setValue(DisplayTypeKey, displayType);
    settings.setValue(ContactKey, contact);
    settings.setValue(SettleKey, settleMs);
    settings.setValue(TimeLimitKey, timeLimitMs);
    settings.setValue(ModelKey, model.trimmed());
    settings.setValue(SerialKey, serial.trimmed());
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool MeterSettings::save() const
{
    QSettings settings(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
    return save(settings);
}
