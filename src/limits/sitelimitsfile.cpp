#include "sitelimitsfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <sys/stat.h>

namespace {

const QString Lenient = QStringLiteral("lenient");
const QString Reason = QStringLiteral("reason");
const QString Source = QStringLiteral("source");
const QString Id = QStringLiteral("id");
// A site adds tolerances to this object by the names of further quantities.
const QString OpenObject = QStringLiteral("constancy");
// The contents a verdict reads belong to the catalogue, not to a site.
const QString ProgramOnly = QStringLiteral("inputs");
// No quantity the table holds (cd/m², lx, ratios, per cent, counts, months)
// comes near a million: a larger number is a slip or a forgery, not a limit.
const double AbsurdValue = 1e6;

// Which way a limit becomes stricter: a least value rises, a largest value
// falls. A limit whose way is not known here is stricter only when unchanged.
enum class Direction
{
    AtLeast,
    AtMost,
    Either
};

Direction directionOf(const QString &container, const QString &limit)
{
    // A constancy tolerance is the largest deviation from the reference allowed.
    if (container == OpenObject)
        return Direction::AtMost;
    static const QHash<QString, Direction> directions{{QStringLiteral("maxLuminance"), Direction::AtLeast},
                                                      {QStringLiteral("luminanceRatio"), Direction::AtLeast},
                                                      {QStringLiteral("gsdfTolerance"), Direction::AtMost},
                                                      {QStringLiteral("uniformity"), Direction::AtMost},
                                                      {QStringLiteral("maxIlluminance"), Direction::AtMost},
                                                      // the largest difference between the displays of a workstation
                                                      {QStringLiteral("workstationDeviation"), Direction::AtMost},
                                                      // the fewest pixels, width and height alike
                                                      {QStringLiteral("pixelMatrix"), Direction::AtLeast},
                                                      // the longest time between two periodic tests
                                                      {QStringLiteral("periodicMonths"), Direction::AtMost}};
    return directions.value(limit, Direction::Either);
}

bool isLimit(const QJsonValue &value)
{
    return value.isObject() && value.toObject().contains(Source);
}

// One object that shows every key the entries of a built-in list may have.
QJsonValue entryTemplate(const QJsonArray &entries)
{
    if (entries.isEmpty() || !entries.first().isObject())
        return entries.isEmpty() ? QJsonValue() : entries.first();
    QJsonObject merged;
    for (const QJsonValue &entry : entries) {
        const QJsonObject object = entry.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (!merged.contains(it.key()) || merged.value(it.key()).isNull())
                merged.insert(it.key(), it.value());
        }
    }
    return merged;
}

QJsonObject entryWithId(const QJsonArray &entries, const QString &id)
{
    for (const QJsonValue &entry : entries) {
        if (entry.toObject().value(Id).toString() == id)
            return entry.toObject();
    }
    return {};
}

class Checker
{
public:
    explicit Checker(const QJsonObject &builtIn) : m_builtIn(builtIn) {}

    bool check(const QJsonObject &site)
    {
        QJsonObject allowed = m_builtIn;
        allowed.remove(ProgramOnly);
        return checkObject(site, allowed, QString(), false) && checkLeniency(site);
    }

    QString problem() const { return m_problem; }

private:
    bool fail(const QString &problem)
    {
        m_problem = problem;
        return false;
    }

    static QString pathOf(const QString &parent, const QString &key)
    {
        return parent.isEmpty() ? key : parent + QLatin1Char('/') + key;
    }

    bool checkObject(const QJsonObject &site, const QJsonObject &shape, const QString &path, bool mayBeLenient)
    {
        for (auto it = site.constBegin(); it != site.constEnd(); ++it) {
            const QString where = pathOf(path, it.key());
            if (mayBeLenient && it.key() == Lenient) {
                if (!it.value().isBool())
                    return fail(QStringLiteral("\"%1\" must be true or false").arg(where));
                continue;
            }
            if (mayBeLenient && it.key() == Reason) {
                if (!it.value().isString())
                    return fail(QStringLiteral("\"%1\" must be a text").arg(where));
                continue;
            }
            QJsonValue expected = shape.value(it.key());
            if (expected.isUndefined() && path == OpenObject && !shape.isEmpty())
                expected = *shape.constBegin();
            if (expected.isUndefined())
                return fail(QStringLiteral("\"%1\" is not a key of the limits table").arg(where));
            if (!checkValue(it.value(), expected, where, isLimit(shape)))
                return false;
        }
        return true;
    }

    bool checkValue(const QJsonValue &site, const QJsonValue &expected, const QString &where, bool inLimit)
    {
        if (expected.isObject()) {
            if (!site.isObject())
                return fail(QStringLiteral("\"%1\" must be an object").arg(where));
            return checkObject(site.toObject(), expected.toObject(), where, isLimit(expected));
        }
        if (expected.isArray()) {
            if (!site.isArray())
                return fail(QStringLiteral("\"%1\" must be a list").arg(where));
            const QJsonValue shape = entryTemplate(expected.toArray());
            const QJsonArray entries = site.toArray();
            for (int i = 0; i < entries.size(); ++i) {
                const QString entry = QStringLiteral("%1[%2]").arg(where).arg(i);
                if (shape.isObject() && !entries.at(i).isObject())
                    return fail(QStringLiteral("\"%1\" must be an object").arg(entry));
                if (shape.isObject() ? !checkObject(entries.at(i).toObject(), shape.toObject(), entry, true)
                                     : !checkValue(entries.at(i), shape, entry, false))
                    return false;
            }
            return true;
        }
        if (expected.isDouble() || (expected.isNull() && inLimit))
            return checkNumber(site, expected, where, inLimit);
        if (expected.isString() && !site.isString())
            return fail(QStringLiteral("\"%1\" must be a text").arg(where));
        if (expected.isBool() && !site.isBool())
            return fail(QStringLiteral("\"%1\" must be true or false").arg(where));
        return true;
    }

    // Within a limit null says "not judged"; elsewhere a number is needed.
    bool checkNumber(const QJsonValue &site, const QJsonValue &expected, const QString &where, bool inLimit)
    {
        if (site.isNull() && inLimit)
            return true;
        if (!site.isDouble() || !std::isfinite(site.toDouble()))
            return fail(QStringLiteral("\"%1\" must be a number").arg(where));
        const double value = site.toDouble();
        if (value < 0 && !(expected.toDouble() < 0))
            return fail(QStringLiteral("\"%1\" must not be negative (%2)").arg(where).arg(value));
        if (std::fabs(value) > AbsurdValue)
            return fail(QStringLiteral("\"%1\" is beyond any plausible limit (%2)").arg(where).arg(value));
        return true;
    }

    bool checkLeniency(const QJsonObject &site)
    {
        for (auto it = site.constBegin(); it != site.constEnd(); ++it) {
            const QJsonValue builtIn = m_builtIn.value(it.key());
            if (it.value().isArray() && entryTemplate(builtIn.toArray()).toObject().contains(Id)) {
                if (!checkEntries(it.value().toArray(), builtIn.toArray(), it.key()))
                    return false;
            } else if (isLimit(it.value())) {
                if (!checkLimit(it.value().toObject(), builtIn.toObject(), QString(), it.key()))
                    return false;
            } else if (it.value().isObject() && !checkLimits(it.value().toObject(), builtIn.toObject(), it.key())) {
                return false;
            }
        }
        return true;
    }

    // A new entry (a category, a room class) may judge more leniently than any
    // built-in one: it is taken only when the site says so, with its reason.
    bool checkEntries(const QJsonArray &entries, const QJsonArray &builtIn, const QString &list)
    {
        for (const QJsonValue &value : entries) {
            const QJsonObject entry = value.toObject();
            const QString id = entry.value(Id).toString();
            const QJsonObject known = entryWithId(builtIn, id);
            if (known.isEmpty() && !isDeclaredLenient(entry))
                return fail(QStringLiteral("\"%1\" \"%2\" is new to the limits table: it needs \"lenient\": true "
                                           "and a \"reason\"")
                                .arg(list, id));
            if (!known.isEmpty() && !checkLimits(entry, known, pathOf(list, id)))
                return false;
        }
        return true;
    }

    bool checkLimits(const QJsonObject &object, const QJsonObject &builtIn, const QString &path)
    {
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (isLimit(it.value()) &&
                !checkLimit(it.value().toObject(), builtIn.value(it.key()).toObject(), path, it.key()))
                return false;
        }
        return true;
    }

    bool checkLimit(const QJsonObject &limit, const QJsonObject &builtIn, const QString &path, const QString &name)
    {
        if (!isMoreLenient(limit, builtIn, directionOf(path, name)) || isDeclaredLenient(limit))
            return true;
        return fail(QStringLiteral("\"%1\" is less strict than the built-in limit: it needs \"lenient\": true and "
                                   "a \"reason\"")
                        .arg(pathOf(path, name)));
    }

    // Each number of a limit is compared with the built-in one, also the numbers
    // of a value made of several (a matrix's width and height); a built-in limit
    // that does not judge (null) cannot be loosened, a site's null loosens any.
    static bool isMoreLenient(const QJsonObject &limit, const QJsonObject &builtIn, Direction direction)
    {
        for (auto it = limit.constBegin(); it != limit.constEnd(); ++it) {
            const QJsonValue known = builtIn.value(it.key());
            if (!known.isDouble() && !known.isObject())
                continue;
            if (it.value().isNull())
                return true;
            if (known.isObject() ? isMoreLenient(it.value().toObject(), known.toObject(), direction)
                                 : isLooser(it.value().toDouble(), known.toDouble(), direction))
                return true;
        }
        return false;
    }

    static bool isLooser(double value, double known, Direction direction)
    {
        return (direction == Direction::AtLeast && value < known) ||
               (direction == Direction::AtMost && value > known) || (direction == Direction::Either && value != known);
    }

    static bool isDeclaredLenient(const QJsonObject &entry)
    {
        return entry.value(Lenient).toBool() && !entry.value(Reason).toString().trimmed().isEmpty();
    }

    QJsonObject m_builtIn;
    QString m_problem;
};

// Every source the site wrote says it is the site's; a lenient entry's reason
// goes with the limits under it.
QJsonValue markedAsSite(const QJsonValue &value, const QString &inheritedReason = QString())
{
    if (value.isArray()) {
        QJsonArray marked;
        for (const QJsonValue &entry : value.toArray())
            marked.append(markedAsSite(entry, inheritedReason));
        return marked;
    }
    if (!value.isObject())
        return value;
    QJsonObject object = value.toObject();
    const QString reason = object.value(Lenient).toBool() ? object.value(Reason).toString().trimmed() : inheritedReason;
    for (auto it = object.begin(); it != object.end(); ++it)
        it.value() = markedAsSite(it.value(), reason);
    if (object.value(Source).isString()) {
        const QString source = object.value(Source).toString();
        object.insert(Source, reason.isEmpty() ? QStringLiteral("%1 (site)").arg(source)
                                               : QStringLiteral("%1 (site, more lenient: %2)").arg(source, reason));
    }
    return object;
}

// The file and its folder may be changed only by the file's owner.
QString permissionProblem(const QString &path)
{
    struct stat file = {};
    struct stat folder = {};
    const QByteArray folderPath = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::stat(QFile::encodeName(path).constData(), &file) != 0 || ::stat(folderPath.constData(), &folder) != 0)
        return QStringLiteral("it cannot be examined");
    if (file.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("others than its owner may write it");
    if (folder.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("others than its owner may write its folder");
    if (folder.st_uid != file.st_uid && folder.st_uid != 0)
        return QStringLiteral("its folder belongs to another user");
    return QString();
}

} // namespace

SiteLimitsFile SiteLimitsFile::read(const QString &path, const QJsonObject &builtIn)
{
    SiteLimitsFile site;
    const QString permissions = permissionProblem(path);
    if (!permissions.isEmpty()) {
        site.m_problem = QStringLiteral("limits: refused because %1").arg(permissions);
        return site;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        site.m_problem = QStringLiteral("limits: ") + file.errorString();
        return site;
    }
    // Read no further than the limit, however large the file is or grows.
    const QByteArray content = file.read(MaxBytes + 1);
    if (content.size() > MaxBytes) {
        site.m_problem = QStringLiteral("limits: the file is larger than %1 bytes").arg(MaxBytes);
        return site;
    }
    site.m_sha256 = QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(content, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        site.m_problem = QStringLiteral("limits: ") + parseError.errorString();
        return site;
    }
    if (!document.isObject()) {
        site.m_problem = QStringLiteral("limits: the file must hold one JSON object");
        return site;
    }
    Checker checker(builtIn);
    if (!checker.check(document.object()))
        site.m_problem = QStringLiteral("limits: ") + checker.problem();
    else
        site.m_document = markedAsSite(document.object()).toObject();
    return site;
}
