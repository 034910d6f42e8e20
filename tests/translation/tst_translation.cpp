#include "defaultdictionary.h"
#include "dictionaryengine.h"
#include "dictionaryreader.h"
#include "languageenvironment.h"
#include "localformats.h"
#include "translator.h"
#include "translatorprivate.h"

#include "support/shippedlanguages.h"
#include "support/storefiles.h"
#include "testconfig.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using TR::DictionaryReader;
using TR::TranslatorPrivate;
using Units = QHash<QString, QString>;

namespace {

const QString TestLanguages = QStringLiteral(LUMIVEX_TEST_DATA_DIR "/translation/languages");
// The folder the program lists its languages from, filled by the build.
const QString ShippedLanguages = QStringLiteral(LUMIVEX_BIN_DIR "/LumivexLanguages");

template <typename... Texts> void addTextRow(const char *name, const Texts &...texts)
{
    (QTest::newRow(name) << ... << QString::fromUtf8(texts));
}

// Stands in for a system whose locale is el_GR.
class GreekSystemTranslator : public TranslatorPrivate
{
public:
    QString systemLanguage() const override { return languageOfLocaleName(QStringLiteral("el_GR")); }
};

// A translation must keep what the program fills in or lays out: the "%1"
// placeholders and the line breaks; markers would reach the screen.
bool keepsForm(const QString &unit, const QString &text)
{
    return !text.isEmpty() && text.count("%1") == unit.count("%1") && text.count('\n') == unit.count('\n') &&
           !text.contains("_[") && !text.contains("]_");
}

// The chooser's entries as "code name": English first, the others in the order of the folder scan, sorted here.
QStringList chooserItems(const QComboBox &chooser)
{
    QStringList items;
    for (int index = 0; index < chooser.count(); ++index)
        items << chooser.itemData(index).toString() + ' ' + chooser.itemText(index);
    std::sort(items.begin() + qMin(1, items.size()), items.end());
    return items;
}

} // namespace

// The translator with its dictionary engine, the reader of its files, the
// program's dictionary and the language files shipped with the program; Qt's
// own texts and the formats of dates and numbers at every change of language.
class TestTranslation : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    // A translator of the test language folder, with the program's dictionary.
    std::unique_ptr<TranslatorPrivate> m_translator;

    QString writeFile(const QString &name, const QByteArray &contents)
    {
        writeBytes(m_folder.filePath(name), contents);
        return m_folder.filePath(name);
    }

private slots:
    void init()
    {
        m_translator = std::make_unique<TranslatorPrivate>();
        m_translator->setLanguagePath(TestLanguages);
        m_translator->engine->setModel(TR::defaultDictionary());
    }

    // A key the model lacks is resolved as a template itself. Unbalanced markers
    // are ordinary text: a closing marker pairs with the nearest opening marker
    // before it, and nothing outside a pair is lost.
    void translate_data()
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

    void translate()
    {
        QFETCH(QString, key);
        m_translator->engine->setUnits({{"Cancel", "Annulla"}, {"Untranslated", ""}});
        QTEST(m_translator->engine->translate(key), "expected");
    }

    // A unit holds printable ASCII and the superscript of "cd/m²" only; a stray or missing bracket would show the
    // markers on screen. The dictionary replaces the embedded model as a whole at
    // start-up, so a key of that model must not be mistaken for one the program uses.
    void dictionaryTemplates()
    {
        const QMap<QString, QString> dictionary = TR::defaultDictionary();
        const QRegularExpression marked(QStringLiteral(R"(^(_\[[ -Z\\^-~²]*\]_)(\n_\[[ -Z\\^-~²]*\]_)* ?$)"));
        for (auto entry = dictionary.cbegin(); entry != dictionary.cend(); ++entry)
            QVERIFY2(marked.match(entry.value()).hasMatch(), qPrintable(entry.key()));
        const QMap<QString, QString> embedded = DictionaryReader::readModelFile(":/Model.xml");
        QVERIFY(!embedded.isEmpty());
        for (const QString &key : embedded.keys())
            QVERIFY2(!dictionary.contains(key), qPrintable(key));
    }

    // Bad files give an empty model, and no units or no language at all. A
    // language file of over 5 MB (about 90 bytes a unit) is read whole; its name
    // is shown capitalised in the chooser.
    void readFiles()
    {
        QCOMPARE(DictionaryReader::readModelFile(writeFile(
                     "model", R"(<Model><E Key="a" Value="_[A]_.\n_[B]_\n"/><E Key="" Value="x"/><E Value="x"/>)"
                              R"(<E Key="b" Value="first"/><F Key="b" Value="C:\temp"/></Model>)")),
                 (QMap<QString, QString>{{"a", "_[A]_.\n_[B]_\n"}, {"b", "C:\\temp"}}));
        for (const char *bad :
             {R"(<Language><E Key="a" Value="b"/></Language>)", "Key=a", R"(<Model><E Key="a" V)", ""})
            QVERIFY2(DictionaryReader::readModelFile(writeFile("bad", bad)).isEmpty(), bad);
        QByteArray units = R"(<U ID="" Text="x"/><U Text="y"/><U ID="a" Text="1"/><X ID="a" Text="Α"/>)";
        Units expected{{"a", "Α"}};
        for (int index = 0; index < 60000; ++index) {
            const QString id = QString("Unit number %1 of a long list").arg(index);
            expected.insert(id, QString("Einheit Nummer %1").arg(index));
            units += QString("<U ID=\"%1\" Text=\"%2\"/>\n").arg(id, expected.value(id)).toUtf8();
        }
        const QString path = writeFile("l_big.xml", "<Language Name=\"pOrTuGuEs BrAsIl\"><Definition>" + units +
                                                        "</Definition></Language>");
        QCOMPARE(DictionaryReader::readLanguageFile(path).value_or(Units()), expected);
        QCOMPARE(DictionaryReader::readLanguageName(path), QStringLiteral("Portugues brasil"));
        for (const char *xml : {"<L><Definition><U ID=\"a\" Text=\"b\"/></Definition></L>",
                                "<Language><U ID=\"a\" Text=\"b\"/></Language>"})
            QCOMPARE(DictionaryReader::readLanguageFile(writeFile("l_empty.xml", xml)), std::make_optional(Units()));
        for (const char *xml : {"Cancel=Annulla", "", "<Language Name=\"x\"><Definition><U ID=\"a\" Te"})
            QVERIFY2(!DictionaryReader::readLanguageFile(writeFile("l_bad.xml", xml)), xml);
        QCOMPARE(DictionaryReader::readLanguageName(m_folder.filePath("l_bad.xml")), QStringLiteral("X"));
        QVERIFY(!DictionaryReader::readLanguageFile(m_folder.filePath("missing")));
    }

    // Before any model is installed the texts of the embedded model are in force.
    void singleton()
    {
        TR::Translator *translator = TR::Translator::instance();
        QCOMPARE(translator->translate("model_wait"), QStringLiteral("Image elaboration in progress.\nPlease wait..."));
        translator->setLanguagePath(TestLanguages);
        translator->setLocale("it");
        translator->setModel(TR::defaultDictionary());
        QCOMPARE(translator->translate("cancel"), QStringLiteral("Annulla"));
    }

    // On Linux a backslash is an ordinary character of a file name, so the
    // folder and the file name are joined with "/".
    void languageFilePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        addTextRow("folder without separator", "C:/x", "C:/x/l_de.xml");
        addTextRow("folder with separator", "C:/x/", "C:/x/l_de.xml");
        addTextRow("empty folder", "", "l_de.xml");
        addTextRow("backslash is part of a name", "/x\\", "/x\\/l_de.xml");
    }

    void languageFilePath()
    {
        QFETCH(QString, path);
        m_translator->languagePath = path;
        QTEST(m_translator->languageFilePath("de"), "expected");
    }

    // A language that cannot be used leaves the one in force; "el" is read from
    // l_gr.xml; English needs no file.
    void setLocale_data()
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

    void setLocale()
    {
        for (const QString &name : QDir(TestLanguages).entryList(QDir::Files))
            QFile::copy(TestLanguages + '/' + name, m_folder.filePath(name));
        QDir(m_folder.path()).mkdir("l_dir.xml");
        writeFile("l_cut.xml", R"(<Language Name="x"><Definition><Unit ID="Cancel" Te)");
        m_translator->setLanguagePath(m_folder.path());
        m_translator->setLocale("de");
        QFETCH(QString, code);
        m_translator->setLocale(code);
        QTEST(m_translator->currentLanguage, "language");
        QTEST(m_translator->engine->translate("cancel"), "cancel");
    }

    void preferredLocale()
    {
        QCOMPARE(TranslatorPrivate::languageOfLocaleName("zh_Hant_TW"), QStringLiteral("zh_Hant"));
        GreekSystemTranslator translator;
        QCOMPARE(translator.preferredLocale(), QStringLiteral("en"));
        translator.setLanguagePath(TestLanguages);
        QCOMPARE(translator.preferredLocale(), QStringLiteral("el"));
    }

    // Forms keep a widget's key in "defaultText", so it survives a change of
    // language; a widget without it is keyed by the text it shows.
    void translateObject()
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
    void fillLanguageComboBox()
    {
        m_translator->setLocale("el");
        QComboBox comboBox;
        comboBox.addItem("stale");
        m_translator->fillLanguageComboBox(&comboBox);
        QCOMPARE(chooserItems(comboBox), QStringList({"en English", "de Deutsch", "gr Ελληνικά", "it Italiano"}));
        QCOMPARE(comboBox.currentData().toString(), QStringLiteral("gr"));
        // "l_it.XML" could not be loaded by its code, so it is not offered.
        QTemporaryDir capitals;
        QVERIFY(QFile::copy(TestLanguages + "/l_it.xml", capitals.filePath("l_it.XML")));
        m_translator->setLanguagePath(capitals.path());
        m_translator->fillLanguageComboBox(&comboBox);
        QCOMPARE(comboBox.count(), 1);
        m_translator->setLanguagePath(TestLanguages + "/absent");
        m_translator->fillLanguageComboBox(&comboBox);
        m_translator->fillLanguageComboBox(nullptr);
        QCOMPARE(comboBox.count(), 1);
    }

    // Installed languages are found after the folder beside the program, whose
    // file of the same name wins; each language is offered once.
    void installedLanguageFolder()
    {
        QTemporaryDir own;
        QTemporaryDir installed;
        for (const char *name : {"l_de.xml", "l_it.xml"})
            QVERIFY(QFile::copy(TestLanguages + '/' + name, installed.filePath(name)));
        writeBytes(own.filePath("l_de.xml"),
                   R"(<Language Name="Eigen"><Definition><U ID="Cancel" Text="Halt"/></Definition></Language>)");
        m_translator->setLanguagePaths({own.path(), installed.path(), TestLanguages + "/absent"});
        QComboBox chooser;
        m_translator->fillLanguageComboBox(&chooser);
        QCOMPARE(chooserItems(chooser), QStringList({"en English", "de Eigen", "it Italiano"}));
        m_translator->setLocale("de");
        QCOMPARE(m_translator->engine->translate("cancel"), QStringLiteral("Halt"));
        m_translator->setLocale("it");
        QCOMPARE(m_translator->engine->translate("cancel"), QStringLiteral("Annulla"));
        QCOMPARE(
            TR::Translator::programLanguagePaths(),
            QStringList({QCoreApplication::applicationDirPath() + "/LumivexLanguages",
                         QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/lumivex/languages")}));
    }

    // The program ships German and Italian. Each shipped file translates every unit of the program's dictionary,
    // keeping its form, and nothing else.
    void shippedLanguageFiles()
    {
        const QStringList units = TR::DictionaryEngine::unitsOf(TR::defaultDictionary());
        for (const auto &[code, name] : {std::pair{"de", "Deutsch"}, std::pair{"it", "Italiano"}}) {
            const QString path = ShippedLanguages + "/l_" + code + ".xml";
            QCOMPARE(DictionaryReader::readLanguageName(path), QString(name));
            const std::optional<Units> translations = DictionaryReader::readLanguageFile(path);
            QVERIFY2(translations, code);
            QStringList faults;
            for (const QString &unit : units) {
                if (!keepsForm(unit, translations->value(unit)))
                    faults << unit;
            }
            for (const QString &id : translations->keys()) {
                if (!units.contains(id))
                    faults << id;
            }
            QVERIFY2(faults.isEmpty(),
                     qPrintable(code + QString(": missing, misshapen or no unit: ") + faults.join(" | ")));
        }
    }

    // German, Italian, then English again: each change replaces the one before.
    void qtTextsAndFormats_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("december");
        // One notation per kind of value: date, date and time, reading and computed value, count, seconds, days.
        QTest::addColumn<QStringList>("notations");
        const auto row = [](const char *language, const char *cancel, const char *december,
                            const QStringList &notations) {
            QTest::newRow(language) << language << cancel << december << notations;
        };
        row("de", "Abbrechen", "Dezember",
            {"07.12.2026", "07.12.2026 00:52", "0,52", "1234", "20,0 s", "182 Tage", "1 Tag"});
        row("it", "Annulla", "dicembre",
            {"07/12/2026", "07/12/2026 00:52", "0,52", "1234", "20,0 s", "182 giorni", "1 giorno"});
        row("en", "Cancel", "December",
            {"07/12/2026", "07/12/2026 - 00:52", "0.52", "1234", "20.0 s", "182 days", "1 day"});
    }

    void qtTextsAndFormats()
    {
        QFETCH(QString, language);
        useShippedLanguages();
        TR::Translator::instance()->setLocale(language);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QTEST(buttons.button(QDialogButtonBox::Cancel)->text(), "cancel");
        QCalendarWidget calendar;
        QTEST(calendar.locale().standaloneMonthName(12), "december");
        const QDate date(2026, 12, 7);
        const QStringList notations{
            LocalFormats::date(date),      LocalFormats::dateTime(QDateTime(date, QTime(0, 52))),
            LocalFormats::number(0.52, 2), LocalFormats::count(1234),
            LocalFormats::seconds(20),     LocalFormats::days(182),
            LocalFormats::days(1)};
        QTEST(notations, "notations");
        QCOMPARE(LocalFormats::reading(QStringLiteral("0.52")), notations.at(2));
        // The task's start date is chosen in a field that writes it as every other date.
        QCOMPARE(date.toString(LocalFormats::datePattern()), notations.at(0));
        QCOMPARE(LocalFormats::storedReading(LocalFormats::reading(QStringLiteral("-1.500"))),
                 QStringLiteral("-1.500"));
    }

    // A language Qt has no translation for keeps Qt's English texts.
    void missingQtTranslation()
    {
        QVERIFY(!LanguageEnvironment::apply(QStringLiteral("xx")));
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
        QVERIFY(LanguageEnvironment::apply(QStringLiteral("en")));
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
