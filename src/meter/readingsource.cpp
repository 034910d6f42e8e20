#include "readingsource.h"

#include "meterplace.h"
#include "meterreply.h"
#include "metersettings.h"
#include "translator.h"

namespace {

const QString KindKey = QStringLiteral("source");
const QString MeterKind = QStringLiteral("meter");
const QString InstrumentKey = QStringLiteral("instrument");
const QString TimeKey = QStringLiteral("time");
const QString ValueKey = QStringLiteral("value");
const QString ReplyKey = QStringLiteral("reply");
const QString ContactKey = QStringLiteral("contact");
// Counted from 1 as the operator is told, so the stored record reads like the prompt.
const QString FieldKey = QStringLiteral("field");
const QString ModelKey = QStringLiteral("model");
const QString SerialKey = QStringLiteral("serial");
// Below this a reading keeps three decimals, above it two: 0.052 and 412.35 cd/m2.
const double ThreeDecimalsBelow = 10;

} // namespace

QVariantMap ReadingSource::fromMeter(const QString &value, const MeterReply &reply, const MeterSettings &settings,
                                     const QDateTime &time, int place)
{
    QVariantMap source{
        {KindKey, MeterKind},       {InstrumentKey, settings.instrument}, {TimeKey, time.toString(Qt::ISODate)},
        {ValueKey, value},          {ReplyKey, reply.resultLine},         {ContactKey, settings.contact},
        {ModelKey, settings.model}, {SerialKey, settings.serial}};
    if (MeterPlace::isField(place))
        source.insert(FieldKey, place + 1);
    return source;
}

int ReadingSource::field(const QVariantMap &source)
{
    bool ok = false;
    const int number = source.value(FieldKey).toInt(&ok);
    return ok && MeterPlace::isField(number - 1) ? number - 1 : MeterPlace::Unknown;
}

bool ReadingSource::isMeterReading(const QVariantMap &source, const QString &answer)
{
    return source.value(KindKey).toString() == MeterKind && !answer.trimmed().isEmpty() &&
           source.value(ValueKey).toString() == answer.trimmed();
}

QString ReadingSource::describe(const QVariantMap &source)
{
    const QDateTime time = QDateTime::fromString(source.value(TimeKey).toString(), Qt::ISODate);
    QString text = TR::Translator::instance()
                       ->translate(QStringLiteral("meter_sourceDescription"))
                       .arg(source.value(InstrumentKey).toInt())
                       .arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    const int place = field(source);
    if (MeterPlace::isField(place))
        text += QStringLiteral(", ") + MeterPlace::fieldName(place);
    const QString identity = meterIdentity(source);
    if (!identity.isEmpty())
        text += QStringLiteral(", ") + identity;
    return text;
}

QVariantMap ReadingSource::meterOf(const QVariantMap &source, const QString &answer)
{
    if (!isMeterReading(source, answer) || meterIdentity(source).isEmpty())
        return {};
    return {{ModelKey, source.value(ModelKey).toString()}, {SerialKey, source.value(SerialKey).toString()}};
}

QString ReadingSource::meterIdentity(const QVariantMap &source)
{
    const QString model = source.value(ModelKey).toString();
    const QString serial = source.value(SerialKey).toString();
    if (model.isEmpty() && serial.isEmpty())
        return QString();
    return TR::Translator::instance()->translate(QStringLiteral("measure_meterIdentity")).arg(model, serial);
}

QString ReadingSource::valueText(double value)
{
    return QString::number(value, 'f', value < ThreeDecimalsBelow ? 3 : 2);
}
