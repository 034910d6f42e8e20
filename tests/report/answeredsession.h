#pragma once

#include <QDateTime>
#include <QStringList>
#include <QVariantMap>

// Stored session records for the report's tests and benchmark.
namespace AnsweredSession {

// The shipped catalogue answered and judged as a finished session of a bright
// monitor (every rule passes) or a dim one (luminance rules fail).
QVariantMap fullRecord(const QDateTime &date, bool dimMonitor = false);

// A record around the given "test_session" map.
QVariantMap record(const QVariant &testSession, const QDateTime &date, int failedContents = 0);

// A record of one group "1" whose one subgroup holds the given tests.
QVariantMap oneGroupRecord(const QVariant &tests, const QDateTime &date, int failedContents = 0);

// A named fixture of tests/data/report/sessions.json.
QVariant fixture(const QString &name);

// The 18 TG18-LN tests answered with the readings, darkest pattern first.
QVariantList levelTests(const QStringList &readings);

} // namespace AnsweredSession
