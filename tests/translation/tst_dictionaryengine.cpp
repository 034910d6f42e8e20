#include "dictionaryengine.h"
#include "texttable.h"

#include <QtTest>

using TR::DictionaryEngine;

class TestDictionaryEngine : public QObject
{
    Q_OBJECT

private slots:
    void resolve_data();
    void resolve();
    void translate_data();
    void translate();
    void changesRebuildTable();
    void longUnbalancedTextStaysIntact();

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
    engine.setModel({{QStringLiteral("cancel"), QStringLiteral("_[Cancel]_")},
                     {QStringLiteral("empty"), QStringLiteral("_[]_")},
                     {QStringLiteral("plain"), QStringLiteral("no markers")},
                     {QStringLiteral("blankTemplate"), QString()}});
    return engine;
}

// Unbalanced markers are ordinary text: a closing marker pairs with the
// nearest opening marker before it, and nothing outside a pair is lost.
void TestDictionaryEngine::resolve_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    addTextRow("no markers", "Cancel", "Cancel");
    addTextRow("one unit", "_[Cancel]_", "Annulla");
    addTextRow("unit without translation", "_[Exit]_", "Exit");
    addTextRow("unit with empty translation", "_[Untranslated]_", "Untranslated");
    addTextRow("empty unit", "_[]_", "");
    addTextRow("text outside units kept", "_[Image elaboration in progress]_.\n_[Please wait...]_",
               "Image elaboration in progress.\nAttendere...");
    addTextRow("trailing blank kept", "_[Cancel]_ ", "Annulla ");
    addTextRow("blanks inside unit are part of it", "_[ padded ]_", "imbottito");
    addTextRow("open marker only", "_[Cancel", "_[Cancel");
    addTextRow("close marker only", "Cancel]_", "Cancel]_");
    addTextRow("close before open", "]_Cancel_[", "]_Cancel_[");
    addTextRow("unclosed after complete unit", "_[Cancel]_ and _[more", "Annulla and _[more");
    addTextRow("stray close after complete unit", "_[Cancel]_ x]_", "Annulla x]_");
    addTextRow("nested: inner unit translated", "_[a _[Cancel]_ b]_", "_[a Annulla b]_");
    addTextRow("double open", "_[_[Cancel]_", "_[Annulla");
}

void TestDictionaryEngine::resolve()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(italianEngine().resolve(text), expected);
}

void TestDictionaryEngine::translate_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    addTextRow("empty key", "", "");
    addTextRow("known key", "cancel", "Annulla");
    addTextRow("known key resolving to nothing", "empty", "");
    addTextRow("known key with empty template", "blankTemplate", "");
    addTextRow("known key without markers", "plain", "no markers");
    addTextRow("unknown key", "title_test_99", "title_test_99");
    addTextRow("unknown marked key", "_[Cancel]_", "Annulla");
    addTextRow("unknown key resolving to nothing", "_[]_", "_[]_");
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

void TestDictionaryEngine::longUnbalancedTextStaysIntact()
{
    const QString text = QStringLiteral("_[").repeated(100000) + QStringLiteral("]_x").repeated(100000);
    // Only the innermost pair is complete; it holds the empty unit.
    const QString expected =
        QStringLiteral("_[").repeated(99999) + QStringLiteral("x") + QStringLiteral("]_x").repeated(99999);
    QCOMPARE(italianEngine().resolve(text), expected);
}

QTEST_GUILESS_MAIN(TestDictionaryEngine)
#include "tst_dictionaryengine.moc"
