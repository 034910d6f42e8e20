#include "storedcount.h"

#include <limits>

std::optional<int> StoredCount::read(const QVariant &value)
{
    // Through the text, as the settings file keeps it: a fraction or a number
    // past the range is no count, where a conversion to int would cut it.
    bool isNumber = false;
    const qlonglong count = value.toString().toLongLong(&isNumber);
    if (!isNumber || count < 0 || count > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(count);
}
