#pragma once

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace StoreTestUtils {

const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
const QString SessionList = QStringLiteral("TEST_SESSIONS/list");

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QVariantMap sessionRecord(const QString &tester, const QDateTime &date, int failed = 0)
{
    return {{QStringLiteral("tester"), tester},
            {QStringLiteral("date"), date},
            {QStringLiteral("test_session"),
             QVariantMap{{QStringLiteral("1"), QVariantMap{{QStringLiteral("by"), tester}}}}},
            {QStringLiteral("ntest"), 4u},
            {QStringLiteral("nfailedtestcontents"), uint(failed)},
            {QStringLiteral("monitorselected"), 1},
            {QStringLiteral("monitorinfo"), QStringLiteral("Test monitor 1920x1080")}};
}

inline QVariantMap taskRecord(const QString &id, const QString &description)
{
    return {{QStringLiteral("id"), id},
            {QStringLiteral("description"), description},
            {QStringLiteral("date"), QDateTime(QDate(2024, 3, 5), QTime(9, 0))},
            {QStringLiteral("frequency"), quint64(7) * 86400000},
            {QStringLiteral("scheduledtestslist"), QVariantList{1u, 3u}}};
}

// Prepares a settings file as an earlier run or a hand edit left it. The
// store under test must not exist yet, or it would not read the file again.
inline void writeSettings(const QString &path, const QVariantMap &values)
{
    QSettings settings(path, QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

} // namespace StoreTestUtils
