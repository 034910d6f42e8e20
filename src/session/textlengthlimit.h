#pragma once

#include <QString>

class QWidget;

// Keeps a note or a typed answer to at most `maximumLength` characters, typed
// or pasted, and says so at the field when it had to cut. A megabyte of text
// would take the report that prints it minutes to lay out.
class TextLengthLimit
{
public:
    static constexpr int maximumLength = 10000;

    // Limits a line edit or a plain text edit for as long as it lives.
    static void apply(QWidget *input);
    // What the field shows when text was cut.
    static QString message();

private:
    static void tell(QWidget *input);
};
