#pragma once

#include <QDateTime>
#include <QVariantMap>

// Stored session records for the report's tests and benchmark.
namespace AnsweredSession {

// The shipped catalogue answered and judged as a finished session of a bright
// monitor (every rule passes) or a dim one (luminance rules fail).
QVariantMap fullRecord(const QDateTime &date, bool dimMonitor = false);

// A record around the given "test_session" map.
QVariantMap record(const QVariant &testSession, const QDateTime &date, int failedContents = 0);

} // namespace AnsweredSession
