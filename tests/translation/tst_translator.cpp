#include "defaultdictionary.h"
#include "dictionaryreader.h"
#include "translator.h"
#include "translatorprivate.h"

#include "testconfig.h"
#include "texttable.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using TR::TranslatorPrivate;
using Units = QHash<QString, QString>;

namespace {

const QString LanguageFolder = QStringLiteral(LUMIVEX_TEST_DATA_DIR "/translation/languages");

// Stands in for a system whose locale is el_GR.
class GreekSystemTranslator : public TranslatorPrivate
{
public:
    QString systemLanguage() const override { return languageOfLocaleName(QStringLiteral("el_GR")); }
};

} // namespace

// The translator with its dictionary engine and the reader of its files.
class TestTranslator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void translate_data();
    void translate();
    void readFiles();
    void singleton();
    void languageFilePath_data();
    void languageFilePath();
    void setLocale_data();
    void setLocale();
    void preferredLocale();
    void translateObject();
    void fillLanguageComboBox();

private:
    QString writeFile(const QString &name, const QByteArray &contents);

    QTemporaryDir m_folder;
    // A translator of the test language folder, with the program's dictionary.
    std::unique_ptr<TranslatorPrivate> m_translator;
};

void TestTranslator::init()
{
    m_translator = std::make_unique<TranslatorPrivate>();
    m_translator->setLanguagePath(LanguageFolder);
    m_translator->engine->setModel(TR::defaultDictionary());
}

QString TestTranslator::writeFile(const QString &name, const QByteArray &contents)
{
    QFile file(m_folder.filePath(name));
    const bool written = file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    return written ? file.fileName() : QString();
}

// A key the model lacks is resolved as a template itself. Unbalanced markers
// are ordinary text: a closing marker pairs with the nearest opening marker
// before it, and nothing outside a pair is lost.
void TestTranslator::translate_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    addTextRow("empty key", "", "");
    addTextRow("unknown key", "title_test_99", "title_test_99");
    addTextRow("unit without translation", "_[Exit]_", "Exit");
    addTextRow("unit with empty translation", "_[Untranslated]_", "Untranslated");
    addTextRow("text outside units kept", "_[A]_.\n_[Cancel]_ ", "A.\nAnnulla ");
    addTextRow("open marker only", "_[Cancel", "_[Cancel");
    addTextRow("unclosed after complete unit", "_[Cancel]_ and _[more", "Annulla and _[more");
    addTextRow("stray close after complete unit", "x _[Cancel]_ x]_", "x Annulla x]_");
    addTextRow("nested: inner unit translated", "_[a _[Cancel]_ b]_", "_[a Annulla b]_");
    // Only the innermost pair is complete; it holds the empty unit.
    QTest::newRow("long unbalanced text") << QString("_[").repeated(100000) + QString("]_x").repeated(100000)
                                          << QString("_[").repeated(99999) + "x" + QString("]_x").repeated(99999);
}

void TestTranslator::translate()
{
    QFETCH(QString, key);
    m_translator->engine->setUnits({{"Cancel", "Annulla"}, {"Untranslated", ""}});
    QTEST(m_translator->engine->translate(key), "expected");
}

// Bad files give an empty model, and no units or no language at all. A
// language file of over 5 MB (about 90 bytes a unit) is read whole; its name
// is shown capitalised in the chooser.
void TestTranslator::readFiles()
{
    const QMap<QString, QString> model{{"a", "_[A]_.\n_[B]_\n"}, {"b", "C:\\temp"}};
    QCOMPARE(TR::DictionaryReader::readModelFile(
                 writeFile("model", R"(<Model><E Key="a" Value="_[A]_.\n_[B]_\n"/><E Key="" Value="x"/><E Value="x"/>)"
                                    R"(<E Key="b" Value="first"/><F Key="b" Value="C:\temp"/></Model>)")),
             model);
    for (const char *bad : {R"(<Language><E Key="a" Value="b"/></Language>)", "Key=a", R"(<Model><E Key="a" V)", ""})
        QVERIFY2(TR::DictionaryReader::readModelFile(writeFile("bad", bad)).isEmpty(), bad);
    QByteArray units = R"(<U ID="" Text="x"/><U Text="y"/><U ID="a" Text="1"/><X ID="a" Text="Α"/>)";
    Units expected{{"a", "Α"}};
    for (int index = 0; index < 60000; ++index) {
        const QString id = QString("Unit number %1 of a long list").arg(index);
        expected.insert(id, QString("Einheit Nummer %1").arg(index));
        units += QString("<U ID=\"%1\" Text=\"%2\"/>\n").arg(id, expected.value(id)).toUtf8();
    }
    const QString path =
        writeFile("l_big.xml", "<Language Name=\"pOrTuGuEs BrAsIl\"><Definition>" + units + "</Definition></Language>");
    QCOMPARE(TR::DictionaryReader::readLanguageFile(path).value_or(Units()), expected);
    QCOMPARE(TR::DictionaryReader::readLanguageName(path), QStringLiteral("Portugues brasil"));
    for (const char *xml :
         {"<L><Definition><U ID=\"a\" Text=\"b\"/></Definition></L>", "<Language><U ID=\"a\" Text=\"b\"/></Language>"})
        QCOMPARE(TR::DictionaryReader::readLanguageFile(writeFile("l_empty.xml", xml)), std::make_optional(Units()));
    for (const char *xml : {"Cancel=Annulla", "", "<Language Name=\"x\"><Definition><U ID=\"a\" Te"})
        QVERIFY2(!TR::DictionaryReader::readLanguageFile(writeFile("l_bad.xml", xml)), xml);
    QCOMPARE(TR::DictionaryReader::readLanguageName(m_folder.filePath("l_bad.xml")), QStringLiteral("X"));
    QVERIFY(!TR::DictionaryReader::readLanguageFile(m_folder.filePath("missing")));
}

// Before any model is installed the texts of the embedded model are in force.
void TestTranslator::singleton()
{
    TR::Translator *translator = TR::Translator::instance();
    QCOMPARE(translator->translate("model_wait"), QStringLiteral("Image elaboration in progress.\nPlease wait..."));
    QTest::ignoreMessage(QtDebugMsg, qPrintable("[TRANSLATOR] Language path: " + LanguageFolder));
    translator->setLanguagePath(LanguageFolder);
    QTest::ignoreMessage(QtDebugMsg, "[TRANSLATOR] Locale loaded: it");
    translator->setLocale("it");
    translator->setModel(TR::defaultDictionary());
    QCOMPARE(translator->translate("cancel"), QStringLiteral("Annulla"));
    for (const char *flag : {"cs", "de", "en", "es", "fi", "fr", "gr", "hu", "it", "jp", "pl", "pt", "ru", "tr", "zh"})
        QVERIFY2(QImage(TR::FlagIconPath.arg(flag)).size() == QSize(16, 11), flag);
}

// On Linux a backslash is an ordinary character of a file name, so the
// folder and the file name are joined with "/".
void TestTranslator::languageFilePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    addTextRow("folder without separator", "C:/x", "de", "C:/x/l_de.xml");
    addTextRow("folder with separator", "C:/x/", "de", "C:/x/l_de.xml");
    addTextRow("empty folder", "", "de", "l_de.xml");
    addTextRow("backslash is part of a name", "/x\\", "de", "/x\\/l_de.xml");
}

void TestTranslator::languageFilePath()
{
    QFETCH(QString, path);
    QFETCH(QString, code);
    m_translator->languagePath = path;
    QTEST(m_translator->languageFilePath(code), "expected");
}

// A language that cannot be used leaves the one in force; "el" is read from
// l_gr.xml; English needs no file.
void TestTranslator::setLocale_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("cancel");
    addTextRow("Italian", "it", "it", "Annulla");
    addTextRow("Greek through its alias", "el", "el", "Ακύρωση");
    addTextRow("English", "en", "en", "Cancel");
    addTextRow("no file", "xx", "de", "Abbrechen");
    addTextRow("empty code", "", "de", "Abbrechen");
    addTextRow("truncated", "cut", "de", "Abbrechen");
    addTextRow("folder named like a file", "dir", "de", "Abbrechen");
}

void TestTranslator::setLocale()
{
    for (const QString &name : QDir(LanguageFolder).entryList(QDir::Files))
        QFile::copy(LanguageFolder + '/' + name, m_folder.filePath(name));
    QDir(m_folder.path()).mkdir("l_dir.xml");
    writeFile("l_cut.xml", R"(<Language Name="x"><Definition><Unit ID="Cancel" Te)");
    m_translator->setLanguagePath(m_folder.path());
    m_translator->setLocale("de");
    QFETCH(QString, code);
    m_translator->setLocale(code);
    QTEST(m_translator->currentLanguage, "language");
    QTEST(m_translator->engine->translate("cancel"), "cancel");
}

void TestTranslator::preferredLocale()
{
    QCOMPARE(TranslatorPrivate::languageOfLocaleName("zh_Hant_TW"), QStringLiteral("zh_Hant"));
    GreekSystemTranslator translator;
    QCOMPARE(translator.preferredLocale(), QStringLiteral("en"));
    translator.setLanguagePath(LanguageFolder);
    QCOMPARE(translator.preferredLocale(), QStringLiteral("el"));
}

// Forms keep a widget's key in "defaultText", so it survives a change of
// language; a widget without it is keyed by the text it shows.
void TestTranslator::translateObject()
{
    m_translator->setLocale("de");
    m_translator->translateObject(nullptr, true);
    QWidget window;
    window.setProperty("defaultText", "addTask_title");
    auto *label = new QLabel("whatever it showed", new QWidget(&window));
    label->setProperty("defaultText", "homePage_newTest");
    auto *action = new QAction("exit", &window);
    auto *emptyKey = new QLabel("shown", &window);
    emptyKey->setProperty("defaultText", QString());
    m_translator->translateObject(&window, false);
    QCOMPARE(window.windowTitle() + '|' + label->text(), QStringLiteral("Task Scheduler|whatever it showed"));
    m_translator->translateObject(&window, true);
    QCOMPARE(label->text() + '|' + action->text() + '|' + emptyKey->text(),
             QStringLiteral("Einen neuen Test starten|Beenden|shown"));
}

// The chooser lists English first, then each language file of the folder
// (not other XML or text files), named from its Language element. The current
// language is found also through its alias.
void TestTranslator::fillLanguageComboBox()
{
    m_translator->setLocale("el");
    QComboBox comboBox;
    comboBox.addItem("stale");
    m_translator->fillLanguageComboBox(&comboBox);
    QStringList items;
    for (int index = 0; index < comboBox.count(); ++index)
        items << comboBox.itemData(index).toString() + ' ' + comboBox.itemText(index);
    QCOMPARE(items.first(), QStringLiteral("en English"));
    items.sort();
    QCOMPARE(items, QStringList({"de Deutsch", "en English", "gr Ελληνικά", "it Italiano"}));
    QCOMPARE(comboBox.currentData().toString(), QStringLiteral("gr"));
    // "l_it.XML" could not be loaded by its code, so it is not offered.
    QTemporaryDir capitals;
    QVERIFY(QFile::copy(LanguageFolder + "/l_it.xml", capitals.filePath("l_it.XML")));
    m_translator->setLanguagePath(capitals.path());
    m_translator->fillLanguageComboBox(&comboBox);
    QCOMPARE(comboBox.count(), 1);
    m_translator->setLanguagePath(LanguageFolder + "/absent");
    m_translator->fillLanguageComboBox(&comboBox);
    m_translator->fillLanguageComboBox(nullptr);
    QCOMPARE(comboBox.count(), 1);
}

QTEST_MAIN(TestTranslator)
#include "tst_translator.moc"
