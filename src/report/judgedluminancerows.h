#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

class TestContent;

// The luminance rows of the report as a judged session was judged: L'max,
// L'min and r' with the ambient luminance added. The catalogue computes these
// rows from the readings alone, so a judged report would print a ratio beside
// a verdict on another one; a session stored before the judgement prints the
// rows as the catalogue computed them.
class JudgedLuminanceRows
{
public:
    // The judged value of the content's row, from the record's measured
    // values; nothing for another content or a session that has none.
    static std::optional<QString> text(const TestContent *content, const QVariantMap &measured);
};
