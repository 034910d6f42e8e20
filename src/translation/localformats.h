#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Dates, times and numbers as the operator's language writes them (the default
// locale, set with the language). Stored values stay in the C locale: these
// functions are for what is shown and printed only.
class LocalFormats
{
public:
    static QString date(const QDate &date);
    static QString dateTime(const QDateTime &dateTime);
    // With a two-digit year, for the narrow box of the report's letterhead.
    static QString compactDateTime(const QDateTime &dateTime);
    // A reading as typed and stored ("0.52"), shown with the same decimals in
    // the language's notation ("0,52"); a text that is no plain number is
    // returned unchanged.
    static QString reading(const QString &stored);
    // A reading typed in the language's notation, or in the C locale's, as it is stored.
    static QString storedReading(const QString &typed);
    // A computed value with a fixed number of decimals.
    static QString number(double value, int decimals);
    // Something counted (pixels, sessions, levels): never with decimals.
    static QString count(qint64 value);
    // A span of time in seconds, with its unit ("20,0 s").
    static QString seconds(double value, int decimals = 1);

    // For the screens' date fields: the pattern date() writes, so a chosen date
    // reads as every other date of the language.
    static QString datePattern();
    // A whole number of days ("182 Tage"), as task intervals are shown.
    static QString days(qint64 count);
};
