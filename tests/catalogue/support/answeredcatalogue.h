#pragma once

#include <QList>
#include <QString>
#include <QVector>

class Test;
class TestGroup;
class TestContent;

// Answers a whole catalogue the way an operator would during a session and
// judges it the way a finished session does, for tests and benchmarks of every
// subsystem that needs a realistic, fully answered catalogue.
class AnsweredCatalogue
{
public:
    // One monitor's readings, positions in the order TL, TC, TR, ML, MC, MR, BL, BC, BR.
    struct Measurements
    {
        QString screenDiagonal;
        QVector<double> lightFields;
        QVector<double> darkFields;
        QVector<double> tg18lnLevels;
        double ambientLuminance = 0;
        QString ambientClass; // "200" or "300"
        // Pixel errors of type A, B, C, D as counted on the UN10 and UN80 fields.
        QVector<int> pixelErrorsUN80;
        QVector<int> pixelErrorsUN10;
    };

    // A bright, high-contrast 27-inch monitor that passes every rule.
    static Measurements brightMonitor();
    // A dim, low-contrast 21-inch monitor that fails the luminance and ratio rules.
    static Measurements dimMonitor();

    // Gives every content of the groups an answer: booleans yes, texts a
    // plausible reply, numeric contents the readings. Computed contents are left
    // to the joins. Each reading also becomes the content's own value, as when a
    // session starts from stored answers.
    static void fill(const QList<TestGroup *> &groups, const Measurements &measurements);

    // Computes every join in step order and brings every validator up to date,
    // as the testing session does when it completes; returns the number of
    // failed contents.
    static unsigned judge(const QList<TestGroup *> &groups);

    // Every test and every content of the groups, in step order.
    static QList<Test *> tests(const QList<TestGroup *> &groups);
    static QList<TestContent *> contents(const QList<TestGroup *> &groups);
};
