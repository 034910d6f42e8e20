#include "defaultdictionary.h"

namespace TR {

QMap<QString, QString> defaultDictionary()
{
    QMap<QString, QString> dictionary;
    dictionary.insert(QStringLiteral("ok"), QStringLiteral("_[OK]_"));
    return dictionary;
}

} // namespace TR
