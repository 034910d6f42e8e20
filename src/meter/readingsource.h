#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>

struct MeterReply;
struct MeterSettings;

// Where an answer came from, stored with the answer: a meter reading keeps the
// instrument, the time and the meter's own result line. The record names the
// value it was taken for, so an answer typed over a reading is no longer
// counted as the meter's.
class ReadingSource
{
public:
    // The place is where the meter sat (see MeterPlace); a uniformity field is named in the record.
    static QVariantMap fromMeter(const QString &value, const MeterReply &reply, const MeterSettings &settings,
                                 const QDateTime &time, int place);
    static bool isMeterReading(const QVariantMap &source, const QString &answer);
    // "meter, instrument 1, 2026-12-07 10:41:07, field 3 (top right)", for the report.
    static QString describe(const QVariantMap &source);
    // The uniformity field the reading was taken on, from 0; MeterPlace::Unknown for others.
    static int field(const QVariantMap &source);
    // "LS-100, serial number 4711"; empty when the meter's settings did not name it.
    static QString meterIdentity(const QVariantMap &source);
    // {"model", "serial"} of the meter that gave the answer; empty for a typed
    // answer or a meter its settings did not name.
    static QVariantMap meterOf(const QVariantMap &source, const QString &answer);
    // The value as it is stored: C locale, enough digits for the darkest TG18-LN level.
    static QString valueText(double value);
};
