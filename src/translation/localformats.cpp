#include "localformats.h"

#include "translator.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

// German and Italian write dates and times as their readers expect; every other
// language keeps the day-first dates the program has always shown.
QString dateFormat()
{
    if (QLocale().language() == QLocale::German)
        return QStringLiteral("dd.MM.yyyy");
    return QStringLiteral("dd/MM/yyyy");
}

QString dateTimeFormat()
{
    const QLocale::Language language = QLocale().language();
    if (language == QLocale::German || language == QLocale::Italian)
        return dateFormat() + QStringLiteral(" HH:mm");
    return QStringLiteral("dd/MM/yyyy - HH:mm");
}

bool isPlainNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]*[.,]?[0-9]*$"));
    static const QRegularExpression digit(QStringLiteral("[0-9]"));
    return number.match(text).hasMatch() && text.contains(digit);
}

} // namespace

QString LocalFormats::date(const QDate &date)
{
    return date.toString(dateFormat());
}

QString LocalFormats::dateTime(const QDateTime &dateTime)
{
    return dateTime.toString(dateTimeFormat());
}

QString LocalFormats::compactDateTime(const QDateTime &dateTime)
{
    const QLocale::Language language = QLocale().language();
    if (language == QLocale::German)
        return dateTime.toString(QStringLiteral("dd.MM.yy HH:mm"));
    if (language == QLocale::Italian)
        return dateTime.toString(QStringLiteral("dd/MM/yy HH:mm"));
    return dateTime.toString(QStringLiteral("dd/MM/yy - HH.mm"));
}

QString LocalFormats::reading(const QString &stored)
{
    if (!isPlainNumber(stored))
        return stored;
    QString shown = stored;
    shown.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return shown;
}

QString LocalFormats::storedReading(const QString &typed)
{
    if (!isPlainNumber(typed))
        return typed;
    QString stored = typed;
    stored.replace(QLatin1Char(','), QLatin1Char('.'));
    return stored;
}

QString LocalFormats::number(double value, int decimals)
{
    return QLocale().toString(value, 'f', decimals);
}

QString LocalFormats::count(qint64 value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

QString LocalFormats::seconds(double value, int decimals)
{
    return number(value, decimals) + QStringLiteral(" s");
}

QString LocalFormats::datePattern()
{
    return dateFormat();
}

QString LocalFormats::days(qint64 count)
{
    const TR::Translator *translator = TR::Translator::instance();
    if (count == 1)
        return translator->translate(QStringLiteral("screens_oneDay"));
    return translator->translate(QStringLiteral("screens_days")).arg(LocalFormats::count(count));
}
