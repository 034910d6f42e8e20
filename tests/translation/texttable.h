#pragma once

#include <QtTest>

// Adds a row to a test table whose columns all hold texts, one argument per
// column.
template <typename... Texts> void addTextRow(const char *name, const Texts &...texts)
{
    (QTest::newRow(name) << ... << QString::fromUtf8(texts));
}
