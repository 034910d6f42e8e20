#include "referenceremarks.h"

#include "localformats.h"
#include "readingsource.h"
#include "translator.h"

#include <QDateTime>

namespace {

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

QString choiceText(const QVariantMap &choice)
{
    const QDateTime on = QDateTime::fromString(choice.value(QStringLiteral("on")).toString(), Qt::ISODate);
    const QString by = choice.value(QStringLiteral("by")).toString();
    const QString reason = choice.value(QStringLiteral("reason")).toString();
    const QString when = on.isValid() ? LocalFormats::dateTime(on) : translated(QStringLiteral("comparison_noDate"));
    if (reason.isEmpty())
        return translated(QStringLiteral("measure_referenceChosen")).arg(by, when);
    return translated(QStringLiteral("measure_referenceChosenBecause")).arg(by, when, reason);
}

} // namespace

QList<ReferenceRemarks::Remark> ReferenceRemarks::of(const QVariantMap &record)
{
    QList<Remark> remarks;
    const QVariantMap reference = record.value(QStringLiteral("reference")).toMap();
    if (reference.isEmpty())
        return remarks;
    // Only two named meters can be told apart; a typed reference or test says nothing either way.
    const QString referenceMeter = ReadingSource::meterIdentity(reference.value(QStringLiteral("meter")).toMap());
    const QString thisMeter = ReadingSource::meterIdentity(record.value(QStringLiteral("meter")).toMap());
    if (!referenceMeter.isEmpty() && !thisMeter.isEmpty() && referenceMeter != thisMeter)
        remarks.append({translated(QStringLiteral("measure_otherMeter")).arg(referenceMeter, thisMeter), true});
    const QVariantMap choice = reference.value(QStringLiteral("choice")).toMap();
    if (!choice.isEmpty())
        remarks.append({choiceText(choice), false});
    return remarks;
}
