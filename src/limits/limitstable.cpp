#include "limitstable.h"

#include "sitelimitsfile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace {

QString readProblem(const QString &what)
{
    return QStringLiteral("limits: ") + what;
}

// A limit is an object with a number (or null: not judged) and a source text.
bool readLimit(const QJsonValue &entry, const QString &name, LimitsTable::Limit *limit, QString *problem)
{
    const QJsonObject object = entry.toObject();
    const QJsonValue value = object.value(QStringLiteral("value"));
    const QString source = object.value(QStringLiteral("source")).toString().trimmed();
    if (!entry.isObject() || source.isEmpty() || !(value.isNull() || value.isDouble()) ||
        (value.isDouble() && !std::isfinite(value.toDouble()))) {
        *problem = readProblem(QStringLiteral("\"%1\" needs a number (or null) as \"value\" and a \"source\" text")
                                   .arg(name));
        return false;
    }
    limit->judged = value.isDouble();
    limit->value = value.toDouble();
    limit->source = source;
    return true;
}

// Reads the listed limits of an entry that are present; an entry new to the table must have all of them.
bool readLimits(const QJsonObject &object, const QString &id, const QList<QPair<QString, LimitsTable::Limit *>> &limits,
                bool isNew, QString *problem)
{
    for (const auto &limit : limits) {
        if (!object.contains(limit.first)) {
            if (!isNew)
                continue;
            *problem = readProblem(QStringLiteral("\"%1\" lacks \"%2\"").arg(id, limit.first));
            return false;
        }
        if (!readLimit(object.value(limit.first), id + QLatin1Char('/') + limit.first, limit.second, problem))
            return false;
    }
    return true;
}

// A matrix is an object {"width", "height"} of whole positive numbers (or null: not judged) and a source text.
bool readMatrix(const QJsonObject &entry, const QString &id, bool isNew, LimitsTable::Matrix *matrix, QString *problem)
{
    const QString name = QStringLiteral("pixelMatrix");
    if (!entry.contains(name)) {
        if (isNew)
            *problem = readProblem(QStringLiteral("\"%1\" lacks \"%2\"").arg(id, name));
        return !isNew;
    }
    const QJsonObject object = entry.value(name).toObject();
    const QJsonValue value = object.value(QStringLiteral("value"));
    const QString source = object.value(QStringLiteral("source")).toString().trimmed();
    const int width = value.toObject().value(QStringLiteral("width")).toInt(0);
    const int height = value.toObject().value(QStringLiteral("height")).toInt(0);
    if (source.isEmpty() || !(value.isNull() || (width > 0 && height > 0))) {
        *problem = readProblem(QStringLiteral("\"%1/%2\" needs {\"width\", \"height\"} (or null) as \"value\" "
                                              "and a \"source\" text")
                                   .arg(id, name));
        return false;
    }
    *matrix = {!value.isNull(), width, height, source};
    return true;
}

// The categories a room class takes: a list of ids and a source text.
bool readPairs(const QJsonObject &entry, const QString &id, bool isNew, LimitsTable::RoomClass *roomClass,
               QString *problem)
{
    const QString name = QStringLiteral("categories");
    if (!entry.contains(name)) {
        if (isNew)
            *problem = readProblem(QStringLiteral("\"%1\" lacks \"%2\"").arg(id, name));
        return !isNew;
    }
    const QJsonObject object = entry.value(name).toObject();
    const QString source = object.value(QStringLiteral("source")).toString().trimmed();
    if (source.isEmpty() || !object.value(QStringLiteral("value")).isArray()) {
        *problem = readProblem(
            QStringLiteral("\"%1/%2\" needs a list of ids as \"value\" and a \"source\" text").arg(id, name));
        return false;
    }
    roomClass->categories = object.value(QStringLiteral("value")).toVariant().toStringList();
    roomClass->categoriesSource = source;
    return true;
}

template <typename Entry>
Entry *entryWithId(QList<Entry> &entries, const QString &id)
{
    for (Entry &entry : entries) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

QString entryId(const QJsonValue &entry, QString *problem)
{
    const QString id = entry.toObject().value(QStringLiteral("id")).toString().trimmed();
    if (id.isEmpty())
        *problem = readProblem(QStringLiteral("every category and room class needs an \"id\""));
    return id;
}

LimitsTable &currentTable()
{
    static LimitsTable table = LimitsTable::load();
    return table;
}

} // namespace

LimitsTable::Plausibility::Verdict LimitsTable::Plausibility::check(double value) const
{
    if (positive && value <= 0)
        return NotPositive;
    if (value < 0)
        return Negative;
    if (whole && value != std::floor(value))
        return NotWhole;
    return value < minimum || value > maximum ? OutOfRange : Plausible;
}

QString LimitsTable::builtInPath()
{
    return QStringLiteral(":/limits.json");
}

QString LimitsTable::siteFileName()
{
    return QStringLiteral("limits.json");
}

LimitsTable LimitsTable::load(const QString &sitePath)
{
    LimitsTable table;
    QFile builtIn(builtInPath());
    QString problem;
    const QJsonObject builtInDocument =
        builtIn.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(builtIn.readAll()).object() : QJsonObject();
    if (!table.apply(builtInDocument, &problem))
        qWarning().noquote() << "[LimitsTable] The built-in table is broken:" << problem;

    if (!QFileInfo::exists(sitePath))
        return table;
    const SiteLimitsFile site = SiteLimitsFile::read(sitePath, builtInDocument);
    if (!site.isAccepted())
        problem = site.problem();
    else if (table.apply(site.document(), &problem))
        table.m_siteApplied = true;
    if (table.m_siteApplied)
        table.m_version += QStringLiteral(" (SHA-256 %1)").arg(site.sha256());
    else
        table.m_siteProblem = QStringLiteral("%1: %2").arg(sitePath, problem);
    return table;
}

const LimitsTable &LimitsTable::current()
{
    return currentTable();
}

void LimitsTable::setCurrent(const LimitsTable &table)
{
    currentTable() = table;
}

const LimitsTable::Category *LimitsTable::category(const QString &id) const
{
    return entryWithId(const_cast<QList<Category> &>(m_categories), id);
}

const LimitsTable::RoomClass *LimitsTable::roomClass(const QString &id) const
{
    return entryWithId(const_cast<QList<RoomClass> &>(m_roomClasses), id);
}

LimitsTable::Limit LimitsTable::constancyTolerance(const QString &quantity) const
{
    for (const auto &tolerance : m_constancy) {
        if (tolerance.first == quantity)
            return tolerance.second;
    }
    return {};
}

bool LimitsTable::belongTogether(const QString &roomClass, const QString &category) const
{
    const RoomClass *room = this->roomClass(roomClass);
    return room && room->categories.contains(category);
}

QString LimitsTable::currentCategoryId(const QString &stored, const QString &roomClass)
{
    if (stored == QLatin1String("fluoroscopyCtMr"))
        return QStringLiteral("fluoroscopy");
    if (stored == QLatin1String("dental"))
        return roomClass == QLatin1String("RK6") ? QStringLiteral("dentalRk6") : QStringLiteral("dentalRk5");
    return stored;
}

QStringList LimitsTable::constancyQuantities() const
{
    QStringList quantities;
    for (const auto &tolerance : m_constancy)
        quantities << tolerance.first;
    return quantities;
}

const LimitsTable::Plausibility *LimitsTable::plausibility(const QString &contentId) const
{
    for (const Plausibility &range : m_plausibility) {
        if (range.contents.contains(contentId))
            return &range;
    }
    return nullptr;
}

bool LimitsTable::apply(const QJsonObject &document, QString *problem)
{
    LimitsTable changed = *this;
    const QJsonValue version = document.value(QStringLiteral("version"));
    if (!version.isString() || version.toString().trimmed().isEmpty()) {
        *problem = readProblem(QStringLiteral("the table needs a \"version\" text"));
        return false;
    }
    changed.m_version = m_version.isEmpty()
                            ? version.toString()
                            : QStringLiteral("%1; limits.json %2").arg(m_version, version.toString());

    const QJsonObject inputs = document.value(QStringLiteral("inputs")).toObject();
    const auto ids = [&inputs](const char *key, QStringList *list) {
        if (inputs.contains(QLatin1String(key)))
            *list = inputs.value(QLatin1String(key)).toVariant().toStringList();
    };
    const auto id = [&inputs](const char *key, QString *text) {
        if (inputs.contains(QLatin1String(key)))
            *text = inputs.value(QLatin1String(key)).toString();
    };
    ids("luminanceReadings", &changed.m_inputs.luminanceReadings);
    id("ambientLuminance", &changed.m_inputs.ambientLuminance);
    id("illuminance", &changed.m_inputs.illuminance);
    ids("uniformityLow", &changed.m_inputs.uniformityLow);
    ids("uniformityHigh", &changed.m_inputs.uniformityHigh);

    for (const QJsonValue &entry : document.value(QStringLiteral("categories")).toArray()) {
        const QString id = entryId(entry, problem);
        if (id.isEmpty())
            return false;
        Category *category = entryWithId(changed.m_categories, id);
        const bool isNew = !category;
        Category added;
        added.id = id;
        added.title = entry.toObject().value(QStringLiteral("title")).toString(id);
        Category *target = isNew ? &added : category;
        if (!readLimits(entry.toObject(), id,
                        {{QStringLiteral("maxLuminance"), &target->maxLuminance},
                         {QStringLiteral("luminanceRatio"), &target->luminanceRatio},
                         {QStringLiteral("gsdfTolerance"), &target->gsdfTolerance},
                         {QStringLiteral("uniformity"), &target->uniformity},
                         {QStringLiteral("workstationDeviation"), &target->workstationDeviation},
                         {QStringLiteral("periodicMonths"), &target->periodicMonths}},
                        isNew, problem) ||
            !readMatrix(entry.toObject(), id, isNew, &target->pixelMatrix, problem))
            return false;
        if (isNew)
            changed.m_categories.append(added);
    }

    for (const QJsonValue &entry : document.value(QStringLiteral("roomClasses")).toArray()) {
        const QString id = entryId(entry, problem);
        if (id.isEmpty())
            return false;
        RoomClass *roomClass = entryWithId(changed.m_roomClasses, id);
        RoomClass added{id, {}, {}, {}};
        RoomClass *target = roomClass ? roomClass : &added;
        if (!readLimits(entry.toObject(), id, {{QStringLiteral("maxIlluminance"), &target->maxIlluminance}}, !roomClass,
                        problem) ||
            !readPairs(entry.toObject(), id, !roomClass, target, problem))
            return false;
        if (!roomClass)
            changed.m_roomClasses.append(added);
    }

    const QJsonObject constancy = document.value(QStringLiteral("constancy")).toObject();
    for (auto it = constancy.constBegin(); it != constancy.constEnd(); ++it) {
        Limit tolerance;
        if (!readLimit(it.value(), QStringLiteral("constancy/") + it.key(), &tolerance, problem))
            return false;
        auto existing = std::find_if(changed.m_constancy.begin(), changed.m_constancy.end(),
                                     [&it](const QPair<QString, Limit> &entry) { return entry.first == it.key(); });
        if (existing != changed.m_constancy.end())
            existing->second = tolerance;
        else
            changed.m_constancy.append({it.key(), tolerance});
    }

    const QJsonObject intervals = document.value(QStringLiteral("intervals")).toObject();
    if (!readLimits(intervals, QStringLiteral("intervals"),
                    {{QStringLiteral("dailyWorkingDays"), &changed.m_dailyWorkingDays},
                     {QStringLiteral("workstationReadingMonths"), &changed.m_workstationReadingMonths}},
                    m_version.isEmpty(), problem))
        return false;

    for (const QJsonValue &entry : document.value(QStringLiteral("plausibility")).toArray()) {
        const QJsonObject object = entry.toObject();
        Plausibility range;
        range.quantity = object.value(QStringLiteral("quantity")).toString();
        for (const QJsonValue &content : object.value(QStringLiteral("contents")).toArray())
            range.contents << content.toString();
        const QJsonValue minimum = object.value(QStringLiteral("minimum"));
        const QJsonValue maximum = object.value(QStringLiteral("maximum"));
        range.minimum = minimum.toDouble();
        range.maximum = maximum.toDouble();
        range.positive = object.value(QStringLiteral("positive")).toBool();
        range.whole = object.value(QStringLiteral("whole")).toBool();
        range.source = object.value(QStringLiteral("source")).toString();
        if (range.quantity.isEmpty() || range.contents.isEmpty() || !minimum.isDouble() || !maximum.isDouble() ||
            range.minimum > range.maximum) {
            *problem = readProblem(QStringLiteral("a plausible range needs a \"quantity\", its \"contents\" and a "
                                                  "\"minimum\" not above its \"maximum\""));
            return false;
        }
        // A site's range replaces the built-in one of the same quantity.
        changed.m_plausibility.erase(std::remove_if(changed.m_plausibility.begin(), changed.m_plausibility.end(),
                                                    [&range](const Plausibility &other) {
                                                        return other.quantity == range.quantity;
                                                    }),
                                     changed.m_plausibility.end());
        changed.m_plausibility.append(range);
    }
    *this = changed;
    return true;
}
