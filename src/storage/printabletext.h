#pragma once

#include <QString>

// Stored text as the tools print it: one line that shows what is stored and
// cannot steer the terminal or pass for other lines. Line breaks, tabs,
// escape sequences and other control, format and separator characters
// (also those that turn the direction of text) become visible escapes;
// a backslash is doubled, so an escape in the output always means one.
namespace PrintableText {

QString escaped(const QString &text);

} // namespace PrintableText
