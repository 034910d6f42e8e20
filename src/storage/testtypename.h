#pragma once

#include <QString>

// How the program names a test type ("acceptance", "dailyConstancy",
// "periodicConstancy") to the operator: its translated title, or the id as it
// is for a type this version does not know.
class TestTypeName
{
public:
    static QString of(const QString &id);
};
