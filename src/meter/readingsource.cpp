#include "readingsource.h"

#include "metersettings.h"
#include "meterreply.h"
#include "translator.h"

namespace {

const QString KindKey = QStringLiteral("source");
const QString MeterKind = QStringLiteral("meter");
const QString InstrumentKey = QStringLiteral("instrument");
const QString TimeKey = QStringLiteral("time");
const QString ValueKey = QStringLiteral("value");
const QString ReplyKey = QStringLiteral("reply");
const QString ContactKey = QStringLiteral("contact");
// Below this a reading keeps three decimals, above it two: 0.052 and 412.35 cd/m2.
const double ThreeDecimalsBelow = 10;

} // namespace

QVariantMap ReadingSource::fromMeter(const QString &value, const MeterReply &reply, const MeterSettings &settings,
                                     const QDateTime &time)
{
    return {{KindKey, MeterKind},
            {InstrumentKey, settings.instrument},
            {TimeKey, time.toString(Qt::ISODate)},
            {ValueKey, value},
            {ReplyKey, reply.resultLine},
            {ContactKey, settings.contact}};
}

bool ReadingSource::isMeterReading(const QVariantMap &source, const QString &answer)
{
    return source.value(KindKey).toString() == MeterKind && !answer.trimmed().isEmpty() &&
           source.value(ValueKey).toString() == answer.trimmed();
}

QString ReadingSource::describe(const QVariantMap &source)
{
    const QDateTime time = QDateTime::fromString(source.value(TimeKey).toString(), Qt::ISODate);
    return TR::Translator::instance()
        ->translate(QStringLiteral("meter_sourceDescription"))
        .arg(source.value(InstrumentKey).toInt())
        .arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

QString ReadingSource::valueText(double value)
{
    return QString::number(value, 'f', value < ThreeDecimalsBelow ? 3 : 2);
}
