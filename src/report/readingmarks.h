#pragma once

#include <QList>
#include <QString>

class TestContent;
class TestGroup;

// How the report tells meter readings from typed values: a mark after each
// value the meter gave, and one line naming the meter and counting its readings.
class ReadingMarks
{
public:
    // " (meter)" for a value the meter gave and nobody typed over; empty otherwise.
    static QString markFor(const TestContent *content);
    // "instrument 1, 2026-12-07 10:41:07: 36 of 38 readings, the others typed"; empty
    // when the meter gave none, so reports of typed sessions read as before.
    static QString summary(const QList<TestGroup *> &groups);
};
