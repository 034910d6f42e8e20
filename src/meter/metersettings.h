#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// How the program reaches the luminance meter: the "METER" group of the
// settings file. An empty program means no meter, and every value is typed.
struct MeterSettings
{
    QString program;
    int instrument = 1;
    QString displayType;
    // The meter sits on the screen, so its readings hold no ambient light and the
    // ambient luminance is added when they are judged.
    bool contact = false;
    int settleMs = 1000;
    // How long one reading may take before its process is stopped.
    int timeLimitMs = 20000;
    // Which instrument it is, kept with every reading: a constancy test read with
    // another meter than its reference differs by the meters' own difference.
    QString model;
    QString serial;

    bool isConfigured() const { return !program.isEmpty(); }

    // Values out of range read as their defaults, so a damaged file never passes
    // an argument to the meter that its operator did not choose.
    // Names each stored value that cannot be read ("timeLimitMs=abc") in unreadable.
    static MeterSettings load(QSettings &settings, QStringList *unreadable = nullptr);
    static MeterSettings load(QStringList *unreadable = nullptr);
    // False when the file could not be written.
    bool save(QSettings &settings) const;
    bool save() const;

    static bool isValidDisplayType(const QString &letter);
    static bool isValidSettleMs(int milliseconds);
    static bool isValidInstrument(int number);
    static bool isValidTimeLimitMs(int milliseconds);
};
