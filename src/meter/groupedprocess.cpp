#include "groupedprocess.h"

#include <signal.h>
#include <unistd.h>

namespace {

// How long the program itself may take to be reaped after its group is killed.
const int ReapMs = 1000;

} // namespace

GroupedProcess::GroupedProcess(QObject *parent) : QProcess(parent)
{
    // The group keeps the program's id after the program has ended: its children still belong to it.
    connect(this, &QProcess::started, this, [this] { m_group = processId(); });
}

GroupedProcess::~GroupedProcess()
{
    endGroup();
}

void GroupedProcess::endGroup()
{
    if (m_group > 0)
        ::kill(-pid_t(m_group), SIGKILL);
    m_group = 0;
    if (state() != QProcess::NotRunning)
        waitForFinished(ReapMs);
}

// Runs in the child between fork and exec: only async-signal-safe calls here.
void GroupedProcess::setupChildProcess()
{
    ::setpgid(0, 0);
}
