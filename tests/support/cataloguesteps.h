#pragma once

#include "test.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"

// Every step of a catalogue, in the order a session shows them.
inline QList<Test *> catalogueSteps(const TestsManager &catalogue)
{
    QList<Test *> tests;
    for (const TestGroup *group : qAsConst(*catalogue.groups())) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups()))
            tests.append(*subgroup->tests());
    }
    return tests;
}
