// The store's part for displays: each display's row with its category and
// room class, its workstation, its first and last test and its reference values.
#include "sessiondatabase.h"

#include "limitstable.h"
#include "storedfields.h"
#include "storedrecord.h"

#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

using namespace StoredFields;

namespace {

const QString AcceptanceType = QStringLiteral("acceptance");

// Moments as UTC text, so that the texts order as the moments do.
QVariant momentText(const QVariant &date)
{
    const QDateTime moment = date.toDateTime();
    return moment.isValid() ? QVariant(moment.toUTC().toString(Qt::ISODateWithMs)) : QVariant();
}

QVariant dateOnly(const QVariant &date)
{
    const QDateTime moment = date.toDateTime();
    return moment.isValid() ? QVariant(moment.date().toString(Qt::ISODate)) : QVariant();
}

// An empty map is stored as NULL, as rows written before the column had it.
QVariant jsonOrNull(const QVariantMap &map)
{
    if (map.isEmpty())
        return QVariant(QVariant::String);
    return QString::fromUtf8(QJsonDocument::fromVariant(map).toJson(QJsonDocument::Compact));
}

DisplayRecord displayRecordOf(const QSqlQuery &query)
{
    DisplayRecord display;
    display.maker = query.value(0).toString();
    display.model = query.value(1).toString();
    display.serial = query.value(2).toString();
    display.roomClass = query.value(4).toString();
    // A display classified before the categories were split reads as its category of today.
    display.category = LimitsTable::currentCategoryId(query.value(3).toString(), display.roomClass);
    display.classifiedOn = QDate::fromString(query.value(5).toString(), Qt::ISODate);
    display.reference = QJsonDocument::fromJson(query.value(6).toByteArray()).toVariant().toMap();
    display.referenceDate = QDate::fromString(query.value(7).toString(), Qt::ISODate);
    display.referenceSession = query.value(8).toString();
    display.firstTested = QDateTime::fromString(query.value(9).toString(), Qt::ISODateWithMs).toLocalTime();
    display.lastTested = QDateTime::fromString(query.value(10).toString(), Qt::ISODateWithMs).toLocalTime();
    display.lastResult = query.value(11).toString();
    display.referenceMeter = QJsonDocument::fromJson(query.value(12).toByteArray()).toVariant().toMap();
    display.referenceChoice = QJsonDocument::fromJson(query.value(13).toByteArray()).toVariant().toMap();
    display.workstation = query.value(14).toString();
    return display;
}

const QString DisplayColumns = QStringLiteral("maker, model, serial, category, room_class, classified_on, reference, "
                                              "reference_date, reference_session, first_tested, last_tested, "
                                              "last_result, reference_meter, reference_choice, workstation");

} // namespace

// The display's row notes the session; a session whose display names itself
// nowhere belongs to no row.
bool SessionDatabase::noteDisplayTested(const QVariantMap &record, const QString &uuid)
{
    const QVariantMap display = displayOf(record);
    const QString key = DisplayRecord::key(display);
    if (key.isEmpty())
        return true;
    const QVariant date = record.value(QStringLiteral("date"));
    const bool passed = record.value(QStringLiteral("nfailedtestcontents")).toLongLong() == 0;
    QSqlQuery query(connection());
    // The SET expressions read the row as it was before the update.
    query.prepare(QStringLiteral(
        "INSERT INTO displays (key, maker, model, serial, category, room_class, classified_on, first_tested, "
        "last_tested, last_result) VALUES (:key, :maker, :model, :serial, :category, :roomClass, :classified, "
        ":moment, :moment, :result) ON CONFLICT (key) DO UPDATE SET "
        "category = CASE WHEN category = '' THEN excluded.category ELSE category END, "
        "room_class = CASE WHEN room_class = '' THEN excluded.room_class ELSE room_class END, "
        "classified_on = CASE WHEN category = '' AND room_class = '' THEN excluded.classified_on "
        "ELSE classified_on END, "
        "first_tested = CASE WHEN first_tested IS NULL OR excluded.first_tested < first_tested "
        "THEN excluded.first_tested ELSE first_tested END, "
        "last_result = CASE WHEN last_tested IS NULL OR excluded.last_tested >= last_tested "
        "THEN excluded.last_result ELSE last_result END, "
        "last_tested = CASE WHEN last_tested IS NULL OR excluded.last_tested >= last_tested "
        "THEN excluded.last_tested ELSE last_tested END"));
    query.bindValue(QStringLiteral(":key"), key);
    bindIdentity(query, display);
    query.bindValue(QStringLiteral(":category"), fieldOf(display, "category"));
    query.bindValue(QStringLiteral(":roomClass"), fieldOf(display, "roomClass"));
    query.bindValue(QStringLiteral(":classified"), dateOnly(date));
    query.bindValue(QStringLiteral(":moment"), momentText(date));
    query.bindValue(QStringLiteral(":result"), passed ? QStringLiteral("passed") : QStringLiteral("failed"));
    if (!query.exec())
        return failed(QStringLiteral("cannot note the display of the session"), query.lastError().text());
    const bool passedAcceptance = passed && record.value(QStringLiteral("testtype")).toString() == AcceptanceType;
    return !passedAcceptance || storeReference(key, record, uuid, true);
}

bool SessionDatabase::storeReference(const QString &displayKey, const QVariantMap &record, const QString &uuid,
                                     bool onlyIfNewer, const QVariantMap &choice)
{
    const QVariantMap measured = record.value(QStringLiteral("measured")).toMap();
    const QVariant date = dateOnly(record.value(QStringLiteral("date")));
    // An acceptance test that measured nothing leaves the reference as it was.
    if (measured.isEmpty() || date.isNull())
        return true;
    QSqlQuery query(connection());
    query.prepare(QStringLiteral("UPDATE displays SET reference = :reference, reference_date = :date, "
                                 "reference_session = :uuid WHERE key = :key AND "
                                 "(NOT :onlyIfNewer OR reference_date IS NULL OR reference_date <= :date)"));
    query.bindValue(QStringLiteral(":reference"),
                    QString::fromUtf8(QJsonDocument::fromVariant(measured).toJson(QJsonDocument::Compact)));
    query.bindValue(QStringLiteral(":date"), date);
    query.bindValue(QStringLiteral(":uuid"), uuid);
    query.bindValue(QStringLiteral(":key"), displayKey);
    query.bindValue(QStringLiteral(":onlyIfNewer"), onlyIfNewer);
    if (!query.exec())
        return failed(QStringLiteral("cannot store the reference values"), query.lastError().text());
    query.finish();
    // The sessions of an older database are noted while it is migrated, before
    // the columns of the reference's meter and choice exist; they stay NULL.
    QSqlQuery columns(connection());
    if (!columns.exec(QStringLiteral("SELECT reference_meter, reference_choice FROM displays LIMIT 0")))
        return true;
    columns.finish();
    query.prepare(QStringLiteral("UPDATE displays SET reference_meter = :meter, reference_choice = :choice "
                                 "WHERE key = :key AND reference_session = :uuid"));
    query.bindValue(QStringLiteral(":meter"), jsonOrNull(record.value(QStringLiteral("meter")).toMap()));
    query.bindValue(QStringLiteral(":choice"), jsonOrNull(choice));
    query.bindValue(QStringLiteral(":key"), displayKey);
    query.bindValue(QStringLiteral(":uuid"), uuid);
    if (!query.exec())
        return failed(QStringLiteral("cannot store the reference's meter and choice"), query.lastError().text());
    return true;
}

// Sessions stored before the displays table name their display in their
// records where they were stored with one: each such display gets its row.
bool SessionDatabase::noteStoredDisplays()
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT sessions.id, sessions.uuid, session_records.record FROM sessions "
                                 "JOIN session_records ON session_records.session_id = sessions.id "
                                 "WHERE length(session_records.record) <= :limit "
                                 "ORDER BY sessions.date_msecs, sessions.id"));
    query.bindValue(QStringLiteral(":limit"), StoredRecord::MaximumBytes);
    if (!query.exec())
        return failed(QStringLiteral("cannot read the stored sessions' displays"), query.lastError().text());
    QSqlQuery update(connection());
    update.prepare(QStringLiteral("UPDATE sessions SET display_key = :key WHERE id = :id"));
    while (query.next()) {
        bool ok = false;
        const QByteArray json = StoredRecord::uncompress(query.value(2).toByteArray(), &ok);
        const QVariantMap record = ok ? StoredRecord::decodeSession(json, &ok) : QVariantMap();
        const QString key = DisplayRecord::key(displayOf(record));
        // A damaged record is still listed and read as far as it goes; it belongs to no display.
        if (!ok || key.isEmpty())
            continue;
        update.bindValue(QStringLiteral(":key"), key);
        update.bindValue(QStringLiteral(":id"), query.value(0));
        if (!update.exec())
            return failed(QStringLiteral("cannot note the stored sessions' displays"), update.lastError().text());
        if (!noteDisplayTested(record, query.value(1).toString()))
            return false;
    }
    return true;
}

QList<DisplayRecord> SessionDatabase::displays() const
{
    QList<DisplayRecord> displays;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM displays ORDER BY maker, model, serial").arg(DisplayColumns))) {
        failed(QStringLiteral("cannot read the displays"), query.lastError().text());
        return displays;
    }
    while (query.next())
        displays.append(displayRecordOf(query));
    return displays;
}

std::optional<DisplayRecord> SessionDatabase::display(const QString &key) const
{
    QSqlQuery query(connection());
    query.prepare(QStringLiteral("SELECT %1 FROM displays WHERE key = :key").arg(DisplayColumns));
    query.bindValue(QStringLiteral(":key"), key);
    if (!query.exec()) {
        failed(QStringLiteral("cannot read the display"), query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return displayRecordOf(query);
}

bool SessionDatabase::classifyDisplay(const QVariantMap &identity, const QString &category, const QString &roomClass,
                                      const QDate &date)
{
    const QString key = DisplayRecord::key(identity);
    if (key.isEmpty())
        return failed(QStringLiteral("cannot classify the display"), QStringLiteral("it has no identity"));
    return transact([&] {
        QSqlQuery query(connection());
        query.prepare(QStringLiteral(
            "INSERT INTO displays (key, maker, model, serial, category, room_class, classified_on) "
            "VALUES (:key, :maker, :model, :serial, :category, :roomClass, :date) ON CONFLICT (key) DO UPDATE SET "
            "category = excluded.category, room_class = excluded.room_class, classified_on = excluded.classified_on "
            "WHERE category <> excluded.category OR room_class <> excluded.room_class"));
        query.bindValue(QStringLiteral(":key"), key);
        bindIdentity(query, identity);
        query.bindValue(QStringLiteral(":category"), boundText(category));
        query.bindValue(QStringLiteral(":roomClass"), boundText(roomClass));
        query.bindValue(QStringLiteral(":date"), date.toString(Qt::ISODate));
        if (!query.exec())
            return failed(QStringLiteral("cannot classify the display"), query.lastError().text());
        return true;
    });
}

bool SessionDatabase::setWorkstation(const QString &displayKey, const QString &workstation)
{
    return transact([&] {
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("UPDATE displays SET workstation = :workstation WHERE key = :key"));
        query.bindValue(QStringLiteral(":key"), displayKey);
        query.bindValue(QStringLiteral(":workstation"), boundText(workstation.trimmed()));
        if (!query.exec() || query.numRowsAffected() != 1)
            return failed(QStringLiteral("cannot group the display"), query.lastError().text());
        return true;
    });
}

bool SessionDatabase::makeReference(const QString &displayKey, qint64 sessionId, const QVariantMap &choice)
{
    const QVariantMap record = sessionRecord(sessionId);
    if (record.isEmpty())
        return false;
    if (DisplayRecord::key(displayOf(record)) != displayKey)
        return failed(QStringLiteral("cannot make session %1 the reference").arg(sessionId),
                      QStringLiteral("it tested another display"));
    if (record.value(QStringLiteral("testtype")).toString() != AcceptanceType)
        return failed(QStringLiteral("cannot make session %1 the reference").arg(sessionId),
                      QStringLiteral("it is not an acceptance test"));
    if (record.value(QStringLiteral("measured")).toMap().isEmpty())
        return failed(QStringLiteral("cannot make session %1 the reference").arg(sessionId),
                      QStringLiteral("it measured nothing"));
    return transact([&] {
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("SELECT uuid FROM sessions WHERE id = :id"));
        query.bindValue(QStringLiteral(":id"), sessionId);
        if (!query.exec() || !query.next())
            return failed(QStringLiteral("cannot make session %1 the reference").arg(sessionId),
                          QStringLiteral("no such session"));
        const QString uuid = query.value(0).toString();
        query.finish();
        return storeReference(displayKey, record, uuid, false, choice);
    });
}
