#include "spotreadoutput.h"

#include "translator.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

// Medical displays reach a few thousand cd/m2; a hundred times the brightest is
// no reading of a screen but a fault of the instrument or its link.
const double LargestLuminance = 100000;
// Direct sunlight gives about 100 000 lx; a reading room never sees twice that.
const double LargestIlluminance = 200000;
// The meter's text is shown to the operator; a garbled answer is cut short.
const int LongestQuotedLine = 120;

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

QString quoted(const QString &line)
{
    QString shown = line.simplified();
    if (shown.size() > LongestQuotedLine)
        shown = shown.left(LongestQuotedLine) + QStringLiteral("...");
    return shown;
}

bool readNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = QLocale::c().toDouble(text, &ok);
    return ok;
}

} // namespace

double SpotreadOutput::largestPlausible(MeterQuantity quantity)
{
    return quantity == MeterQuantity::Luminance ? LargestLuminance : LargestIlluminance;
}

MeterReply SpotreadOutput::parse(const QByteArray &output, MeterQuantity quantity)
{
    static const QRegularExpression xyzLine(
        QStringLiteral("Result is XYZ:\\s*(\\S+)\\s+(\\S+)\\s+(\\S+),\\s*Yxy:\\s*(\\S+)\\s+(\\S+)\\s+(\\S+)"));
    static const QRegularExpression yLine(QStringLiteral("Result is Y:\\s*([^,\\s]+),\\s*L\\*:\\s*(\\S+)"));

    const QStringList lines = QString::fromLocal8Bit(output).split(QRegularExpression(QStringLiteral("[\r\n]")),
                                                                    Qt::SkipEmptyParts);
    QString firstText;
    for (const QString &line : lines) {
        const QString text = line.trimmed();
        if (text.isEmpty())
            continue;
        if (firstText.isEmpty())
            firstText = text;
        if (text.startsWith(QLatin1String("Spot read failed")) ||
            text.startsWith(QLatin1String("Spot read needs a calibration")))
            return MeterReply::failure(translated("meter_failed").arg(quoted(text)));
        double value = 0;
        const QRegularExpressionMatch xyz = xyzLine.match(text);
        if (xyz.hasMatch())
            return readNumber(xyz.captured(2), &value) ? judge(value, text, quantity)
                                                       : MeterReply::failure(translated("meter_garbage").arg(quoted(text)));
        const QRegularExpressionMatch y = yLine.match(text);
        if (y.hasMatch() && quantity == MeterQuantity::Illuminance)
            return readNumber(y.captured(1), &value) ? judge(value, text, quantity)
                                                     : MeterReply::failure(translated("meter_garbage").arg(quoted(text)));
    }
    if (firstText.isEmpty())
        return MeterReply::failure(translated("meter_noAnswer"));
    return MeterReply::failure(translated("meter_garbage").arg(quoted(firstText)));
}

MeterReply SpotreadOutput::judge(double value, const QString &line, MeterQuantity quantity)
{
    if (!std::isfinite(value) || value < 0 || value > largestPlausible(quantity))
        return MeterReply::failure(translated("meter_implausible").arg(quoted(line)));
    return MeterReply::success(value, line.simplified());
}
