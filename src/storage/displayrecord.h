#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantMap>

// One display as the store knows it: its identity (maker, model and serial
// number, from its EDID or the operator's answers), the application category
// and room class whose limits judge it, its reference values and what its
// tests found so far.
struct DisplayRecord
{
    // The text that names one display in the store and in every record that
    // refers to it ("display" maps with "maker", "model" and "serial"): the
    // three trimmed as JSON, so that no text can stand for two displays. Empty
    // when the map names none of the three.
    static QString key(const QVariantMap &display);

    QString maker;
    QString model;
    QString serial;
    QString category;
    QString roomClass;
    // When category or room class were last chosen.
    QDate classifiedOn;
    // The reference values by quantity, the date of the session they were
    // measured in, and that session's uuid.
    QVariantMap reference;
    QDate referenceDate;
    QString referenceSession;
    // The meter the reference values were read with ({"model", "serial"}), and who
    // made the session the reference by hand, when and why ({"by", "on", "reason"}).
    QVariantMap referenceMeter;
    QVariantMap referenceChoice;
    QDateTime firstTested;
    QDateTime lastTested;
    // "passed" or "failed", for the latest test; empty before the first.
    QString lastResult;
    // The workstation the display belongs to; empty for this station's own.
    QString workstation;

    // A display known by the identity of a record's "display" map alone, trimmed.
    static DisplayRecord fromIdentity(const QVariantMap &display);
    // {"maker", "model", "serial"}, as a record's "display" map names it.
    QVariantMap identity() const;
    QString key() const { return key(identity()); }
    bool isClassified() const { return !category.isEmpty() && !roomClass.isEmpty(); }
    bool hasReference() const { return !reference.isEmpty(); }
    // "MAKER MODEL (SN 123)".
    QString description() const;
};
