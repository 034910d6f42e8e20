#pragma once

#include "limitstable.h"

#include <QList>
#include <QMap>
#include <QSize>
#include <QString>
#include <QVariantMap>

// The verdicts of a session's measured quantities against the limits of the
// display's application category and room class: L'max = Lmax + L_amb,
// r' = L'max / L'min, the luminance uniformity at both driving levels, the
// largest deviation of the luminance response from the GSDF (on L + L_amb),
// the ambient illuminance, and in a constancy test each deviation from the
// display's reference value. A quantity whose answers are part of the session
// but cannot be read is not computable: it fails, and says why.
class Judgement
{
public:
    struct Verdict
    {
        enum Comparison
        {
            AtLeast,
            AtMost,
            Within,   // |measured| at most the limit: a deviation in per cent
            NotJudged // the category judges no such quantity
        };

        QString quantity;
        bool computable = false;
        double measured = 0.0;
        Comparison comparison = AtLeast;
        bool hasLimit = false;
        double limit = 0.0;
        QString source;
        // Why the value is not computable or has no limit: "unanswered", "notANumber",
        // "notPositive", "outsideGsdf", "notIncreasing", "noCategory", "noRoomClass";
        // the subject is the content id or the chosen id it concerns.
        QString problem;
        QString problemSubject;
        bool passed = false;
        // The pixel matrix holds its sizes here; `measured` and `limit` stay 0.
        QSize measuredMatrix;
        QSize limitMatrix;

        QVariantMap toMap() const;
        static Verdict fromMap(const QVariantMap &map);
    };

    struct Context
    {
        QString category;
        QString roomClass;
        QVariantMap reference; // quantity -> reference value, for constancy tests
        // The size in device pixels of the screen under test; invalid where the
        // judgement has no screen (its matrix is not judged then), empty where
        // the screen was lost (the matrix fails).
        QSize screenPixels = QSize();
    };

    // The answers are the session's contents by id (only those of the session),
    // with the texts as typed or computed.
    static Judgement judge(const QMap<QString, QString> &answers, const Context &context, const LimitsTable &table);

    int failedCount() const;
    // The measured values by quantity, as a reference keeps them.
    QVariantMap measuredValues() const;

    QVariantMap toMap() const;
    static Judgement fromMap(const QVariantMap &map);

    QString version;
    QList<Verdict> verdicts;
};
