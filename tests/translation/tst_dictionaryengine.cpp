#include "dictionaryengine.h"

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
    void unitsChangeRebuildsTable();
    void modelChangeReplacesWholeModel();
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

void TestDictionaryEngine::resolve_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no markers") << "Cancel"
                                << "Cancel";
    QTest::newRow("one unit") << "_[Cancel]_"
                              << "Annulla";
    QTest::newRow("unit without translation") << "_[Exit]_"
                                              << "Exit";
    QTest::newRow("unit with empty translation") << "_[Untranslated]_"
                                                 << "Untranslated";
    QTest::newRow("empty unit") << "_[]_"
                                << "";
    QTest::newRow("text outside units kept") << "_[Image elaboration in progress]_.\n_[Please wait...]_"
                                             << "Image elaboration in progress.\nAttendere...";
    QTest::newRow("trailing blank kept") << "_[Cancel]_ "
                                         << "Annulla ";
    QTest::newRow("blanks inside unit are part of it") << "_[ padded ]_"
                                                       << "imbottito";
    QTest::newRow("open marker only") << "_[Cancel"
                                      << "_[Cancel";
    QTest::newRow("close marker only") << "Cancel]_"
                                       << "Cancel]_";
    QTest::newRow("close before open") << "]_Cancel_["
                                       << "]_Cancel_[";
    QTest::newRow("unclosed after complete unit") << "_[Cancel]_ and _[more"
                                                  << "Annulla and _[more";
    QTest::newRow("stray close after complete unit") << "_[Cancel]_ x]_"
                                                     << "Annulla x]_";
    QTest::newRow("nested: inner unit translated") << "_[a _[Cancel]_ b]_"
                                                   << "_[a Annulla b]_";
    QTest::newRow("double open") << "_[_[Cancel]_"
                                 << "_[Annulla";
    QTest::newRow("placeholder kept") << "_[%1 errors]_"
                                      << "%1 errors";
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

    QTest::newRow("empty key") << ""
                               << "";
    QTest::newRow("known key") << "cancel"
                               << "Annulla";
    QTest::newRow("known key resolving to nothing") << "empty"
                                                    << "";
    QTest::newRow("known key with empty template") << "blankTemplate"
                                                   << "";
    QTest::newRow("known key without markers") << "plain"
                                               << "no markers";
    QTest::newRow("unknown key") << "title_test_99"
                                 << "title_test_99";
    QTest::newRow("unknown marked key") << "_[Cancel]_"
                                        << "Annulla";
    QTest::newRow("unknown key resolving to nothing") << "_[]_"
                                                      << "_[]_";
}

void TestDictionaryEngine::translate()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(italianEngine().translate(key), expected);
}

void TestDictionaryEngine::unitsChangeRebuildsTable()
{
    DictionaryEngine engine = italianEngine();
    QCOMPARE(engine.translate(QStringLiteral("cancel")), QStringLiteral("Annulla"));
    engine.setUnits({});
    QCOMPARE(engine.translate(QStringLiteral("cancel")), QStringLiteral("Cancel"));
    engine.setUnits({{QStringLiteral("Cancel"), QStringLiteral("Abbrechen")}});
    QCOMPARE(engine.translate(QStringLiteral("cancel")), QStringLiteral("Abbrechen"));
}

void TestDictionaryEngine::modelChangeReplacesWholeModel()
{
    DictionaryEngine engine = italianEngine();
    engine.setModel({{QStringLiteral("other"), QStringLiteral("_[Cancel]_")}});
    QCOMPARE(engine.translate(QStringLiteral("other")), QStringLiteral("Annulla"));
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
