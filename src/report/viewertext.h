#pragma once

#include <QString>
#include <QVariantMap>

// The report's line on who showed the patterns of a session run through the
// viewing software. Sessions shown by Lumivex, and those stored before the
// choice existed, have no such line.
class ViewerText
{
public:
    static QString label();
    // The viewer's name as recorded; empty when the session has none.
    static QString value(const QVariantMap &session);
};
