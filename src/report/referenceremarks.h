#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// What the comparison of a constancy test says besides its rows: that the
// reference values were read with another meter than this test (its deviations
// then hold the meters' own difference), and who made a session the reference
// by hand, when and why. The dialog at the end of the test and the report show it.
class ReferenceRemarks
{
public:
    struct Remark
    {
        QString text;
        bool warning = false;
    };

    // From a session record (or the details the session stores as one).
    static QList<Remark> of(const QVariantMap &record);
};
