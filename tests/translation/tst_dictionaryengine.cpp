#include "dictionaryengine.h"
#include "texttable.h"

#include <QtTest>

using TR::DictionaryEngine;

class TestDictionaryEngine : public QObject
{
    Q_OBJECT

private slots:
    void translate_data();
    void translate();
    void changesRebuildTable();

private:
    static DictionaryEngine italianEngine();
};

DictionaryEngine TestDictionaryEngine::italianEngine()
{
    DictionaryEngine engine;
    engine.setUnits({{QStringLiteral("Cancel"), QStringLiteral("Annulla")},
                     {QStringLiteral("Please wait..."), QStringLiteral("Attendere...")},
                     {QStringLiteral(" padded "), QStringLiteral("imbottito")},
                     {QStringLiteral("Untranslated"), QString()}});
    engine.setModel(
        {{QStringLiteral("cancel"), QStringLiteral("_[Cancel]_")}, {QStringLiteral("empty"), QStringLiteral("_[]_")}});
    return engine;
}

// A key the model lacks is resolved as a template itself. Unbalanced markers
// are ordinary text: a closing marker pairs with the nearest opening marker
// before it, and nothing outside a pair is lost.
void TestDictionaryEngine::translate_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    addTextRow("empty key", "", "");
    addTextRow("known key", "cancel", "Annulla");
    addTextRow("known key resolving to nothing", "empty", "");
    addTextRow("unknown key", "title_test_99", "title_test_99");
    addTextRow("unknown key resolving to nothing", "_[]_", "_[]_");
    addTextRow("marked unit", "_[Cancel]_", "Annulla");
    addTextRow("unit without translation", "_[Exit]_", "Exit");
    addTextRow("unit with empty translation", "_[Untranslated]_", "Untranslated");
    addTextRow("text outside units kept", "_[Image elaboration in progress]_.\n_[Please wait...]_",
               "Image elaboration in progress.\nAttendere...");
    addTextRow("blanks inside unit are part of it", "_[ padded ]_", "imbottito");
    addTextRow("open marker only", "_[Cancel", "_[Cancel");
    addTextRow("close before open", "]_Cancel_[", "]_Cancel_[");
    addTextRow("unclosed after complete unit", "_[Cancel]_ and _[more", "Annulla and _[more");
    addTextRow("stray close after complete unit", "_[Cancel]_ x]_", "Annulla x]_");
    addTextRow("nested: inner unit translated", "_[a _[Cancel]_ b]_", "_[a Annulla b]_");
    addTextRow("double open", "_[_[Cancel]_", "_[Annulla");
    // Only the innermost pair is complete; it holds the empty unit.
    QTest::newRow("long unbalanced text")
        << QStringLiteral("_[").repeated(100000) + QStringLiteral("]_x").repeated(100000)
        << QStringLiteral("_[").repeated(99999) + QStringLiteral("x") + QStringLiteral("]_x").repeated(99999);
}

void TestDictionaryEngine::translate()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(italianEngine().translate(key), expected);
}

void TestDictionaryEngine::changesRebuildTable()
{
    DictionaryEngine engine = italianEngine();
    engine.setUnits({});
    QCOMPARE(engine.translate(QStringLiteral("cancel")), QStringLiteral("Cancel"));
    engine.setUnits({{QStringLiteral("Cancel"), QStringLiteral("Abbrechen")}});
    QCOMPARE(engine.translate(QStringLiteral("cancel")), QStringLiteral("Abbrechen"));

    engine.setModel({{QStringLiteral("other"), QStringLiteral("_[Cancel]_")}});
    QCOMPARE(engine.translate(QStringLiteral("other")), QStringLiteral("Abbrechen"));
    QCOMPARE(engine.translate(QStringLiteral("cancel")), QStringLiteral("cancel"));
}

QTEST_GUILESS_MAIN(TestDictionaryEngine)
#include "tst_dictionaryengine.moc"
