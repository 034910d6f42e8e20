#pragma once

#include "judgement.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// The deviation between the displays of one workstation: when each display
// has an L'max from a test recent enough, 200 (a - b) / (a + b) of the largest
// and the smallest, judged at the strictest limit of their categories. The
// newest test of the workstation's displays carries it in its verdicts.
class WorkstationDeviation
{
public:
    struct Member
    {
        QString display; // as the operator reads it
        QString category;
        bool hasMaxLuminance = false;
        double maxLuminance = 0.0;
        QDate measuredOn;
    };

    // Nothing for a workstation of one display.
    static std::optional<Judgement::Verdict> judge(const QList<Member> &members, const QDate &today,
                                                   const LimitsTable &table);
    // The display under test as its own session measured it today.
    static Member tested(const QString &display, const QString &category, const Judgement &judgement,
                         const QDate &today);
};
