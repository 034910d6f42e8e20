#pragma once

// How long a test waits for what happens on its own: a queued signal, a window
// shown, a process that starts or ends. A two-core machine kept busy by other
// builds can stall a process for seconds, so the limit is far above any normal
// wait; a passing test waits only as long as its condition takes. Qt's own
// defaults (5 s for QTRY_*, QSignalSpy::wait and qWaitForWindow*) are too short.
constexpr int Patience = 60000;
