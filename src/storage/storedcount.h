#pragma once

#include <QVariant>

#include <optional>

// A count kept in a stored session record (failed contents, tests). A record
// edited by hand or damaged may hold anything there: only a whole number from 0
// to the largest int is a count. Anything else is damaged data, which is shown
// as such and never read as 0, so a damaged record never shows as passed.
class StoredCount
{
public:
    static std::optional<int> read(const QVariant &value);
};
