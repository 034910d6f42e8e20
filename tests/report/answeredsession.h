#pragma once

#include "answeredcatalogue.h"
#include "judgement.h"

#include <QDateTime>
#include <QStringList>
#include <QVariantMap>

// Stored session records for the report's tests and benchmark.
namespace AnsweredSession {

// The date of the records unless one is given: 14/03/2026 09:30.
inline const QDateTime sessionDate(QDate(2026, 3, 14), QTime(9, 30));

// A record around the given "test_session" map.
QVariantMap record(const QVariant &testSession, int failedContents = 0, const QDateTime &date = sessionDate);

// The shipped catalogue answered and judged as a finished session of a bright
// monitor (every rule passes) or a dim one (luminance rules fail).
QVariantMap fullRecord(const QDateTime &date, bool dimMonitor = false);

// The shipped catalogue answered for the monitor and judged with the limits as a
// finished session of that test type, category and room class.
QVariantMap judgedRecord(const AnsweredCatalogue::Measurements &monitor, const QString &testType,
                         const Judgement::Context &context, const LimitsTable &limits,
                         const QVariantMap &typedOver = {});

// A record of one group "1" whose one subgroup holds the given tests.
QVariantMap oneGroupRecord(const QVariant &tests, int failedContents = 0, const QDateTime &date = sessionDate);

// A named fixture of tests/data/report/sessions.json.
QVariant fixture(const QString &name);

// The 18 TG18-LN tests answered with the readings, darkest pattern first.
QVariantList levelTests(const QStringList &readings);

} // namespace AnsweredSession
