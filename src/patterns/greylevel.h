#pragma once

#include <QColor>

namespace NSTESTPatter {

// The patterns speak of grey levels; this is the opaque colour of one.
inline QColor greyLevel(int level)
{
    return QColor(level, level, level);
}

} // namespace NSTESTPatter
