#include "workstationpeers.h"

#include "referencevalues.h"
#include "sessiondatabase.h"

QList<WorkstationDeviation::Member> WorkstationPeers::of(const SessionDatabase &database, const DisplayRecord &display)
{
    QList<WorkstationDeviation::Member> peers;
    const QString key = display.key();
    for (const DisplayRecord &other : database.displays()) {
        if (other.key() == key || other.workstation != display.workstation)
            continue;
        WorkstationDeviation::Member member{other.description(), other.category, false, 0.0, {}};
        for (const qint64 id : database.sessionIds(other.key())) {
            const QVariantMap record = database.sessionRecord(id);
            const QVariant maxLuminance =
                record.value(QStringLiteral("measured")).toMap().value(QStringLiteral("maxLuminance"));
            if (ReferenceValues::number(maxLuminance, &member.maxLuminance)) {
                member.hasMaxLuminance = true;
                member.measuredOn = record.value(QStringLiteral("date")).toDateTime().toLocalTime().date();
                break;
            }
        }
        peers << member;
    }
    return peers;
}
