#pragma once

#include <QMap>
#include <QString>

namespace TR {

// The program's model: every key used by the code and by the test catalogue,
// mapped to its English template. Builds a fresh map on each call.
QMap<QString, QString> defaultDictionary();

} // namespace TR
