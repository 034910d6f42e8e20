#pragma once

#include "judgement.h"
#include "luminanceresponse.h"
#include "reportfingerprint.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

class LinkedSession;
class Test;
class TestContent;

// What a report prints, built once from a stored session record: every text
// translated, every value formatted in the language's notation, every verdict
// and icon decided. The painter only lays it out; the program's print, its
// preview and lumivex-report all print this one model.
class ReportModel
{
public:
    enum class Value
    {
        Text,
        Passed,
        Failed,
        Nothing,
        LineToWriteOn
    };
    enum class Tone
    {
        Muted,
        Failed
    };

    // One row: a label right-aligned in its column, its value, and below the
    // value the description and the operator's note. The spaces are the
    // points left above and below it.
    struct Row
    {
        QString label;
        QString text; // the value when it is a text; "-" is printed for an empty one
        Value value = Value::Text;
        Tone tone = Tone::Muted;
        bool mutedLabel = false;
        QString note;        // the operator's, printed last
        QString description; // the catalogue's, printed first
        int spaceAbove = 4;
        int spaceBelow = 4;
    };

    // A subgroup with its heading ("1.2", the title, the icon of its verdicts), or one printed without a heading.
    struct Section
    {
        bool headed = true;
        QString number;
        QString heading;
        bool failed = false;
        QList<Row> rows;
    };

    // A test group; group 0 is printed without its number and title.
    struct Group
    {
        bool numbered = true;
        QString number;
        QString title;
        QList<Section> sections;
    };

    // A block of the closing pages: a heading and its rows.
    struct Block
    {
        QString heading;
        QList<Row> rows;
    };

    enum class Summary
    {
        Passed,
        Failed,
        CountDamaged
    };

    explicit ReportModel(const QVariantMap &session);

    // The letterhead.
    QString brand;
    QString issuer;
    QString title;
    QString date;
    Summary summary = Summary::Passed;
    QString summaryText;     // "passed", "damaged", or the first part of the failed count
    QString failedCountText; // "… 2 errors", in the failed colour
    Row monitor;

    QList<Row> opening; // what failed, the test type and display, the viewer
    QList<Group> groups;
    std::optional<Block> limits; // the limits table's verdicts
    std::optional<Block> comparison;
    QList<Row> remarks;
    std::optional<LuminanceResponse> luminanceResponse;
    std::optional<Judgement::Verdict> gsdfVerdict;
    std::optional<QVariantMap> calibration;
    QList<Row> meter;
    QString signatureHeading;
    QList<Row> signatureRows;
    QString dateCaption;
    QString signatureCaption;
    // The limits table's version and site file, on every page of a judged session.
    QString footerNote;
    ReportFingerprint fingerprint;

private:
    void buildLetterhead(const QVariantMap &session);
    void buildOpening(const QVariantMap &session, const LinkedSession &linked, const Judgement &judgement);
    void buildGroups(const LinkedSession &linked, const Judgement &judgement, const QVariantMap &judgedValues);
    QList<Row> contentRows(const Test *test, TestContent *content, const LinkedSession &linked,
                           const QVariantMap &judgedValues) const;
    void buildClosing(const QVariantMap &session, const LinkedSession &linked, const Judgement &judgement);
    QString notComputableText(const TestContent *content, const LinkedSession &linked) const;
    QList<Row> contextRows(const QString &testType, const QVariantMap &display) const;
};
