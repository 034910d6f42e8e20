#pragma once

#include "displayrecord.h"
#include "workstationdeviation.h"

#include <QList>

class SessionDatabase;

// The other displays of a display's workstation, as the store knows them: the
// displays of this station unless the operator grouped them otherwise, each
// with the L'max of its newest session that measured one.
class WorkstationPeers
{
public:
    static QList<WorkstationDeviation::Member> of(const SessionDatabase &database, const DisplayRecord &display);
};
