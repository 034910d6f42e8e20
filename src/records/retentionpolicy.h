#pragma once

#include <QDate>
#include <QList>
#include <QString>

// How long the law asks that the record of a test is kept, by kind of test,
// from the data file ":/records/retention.json" (each period with its source).
class RetentionPolicy
{
public:
    struct Period
    {
        QString testType; // empty: sessions that name no test type
        int years = 0;
        // Counted from the display's next acceptance test, not from the test
        // itself; until there is one the record is kept.
        bool afterNextAcceptance = false;
        QString source;
    };

    // The policy of the program's data file.
    static const RetentionPolicy &standard();
    // A policy that cannot be read holds no periods and keeps every record.
    explicit RetentionPolicy(const QByteArray &json);

    QString version() const;
    QString problem() const;
    // The period of that kind of test, or of sessions without a kind when the
    // kind has none of its own; nullptr when the file gave neither.
    const Period *periodFor(const QString &testType) const;
    // The last day the record of a test must be kept; an invalid date while it
    // must be kept with no end yet (no next acceptance test, no period).
    QDate keptUntil(const QString &testType, const QDate &tested, const QDate &nextAcceptance) const;
    bool mustKeep(const QString &testType, const QDate &tested, const QDate &nextAcceptance, const QDate &today) const;

private:
    QString m_version;
    QString m_problem;
    QList<Period> m_periods;
};
