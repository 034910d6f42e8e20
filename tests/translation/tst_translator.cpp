#include "defaultdictionary.h"
#include "translator.h"
#include "translatorprivate.h"

#include "testconfig.h"
#include "texttable.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using TR::Translator;
using TR::TranslatorPrivate;

namespace {

const QString LanguageFolder = QStringLiteral(LUMIVEX_TEST_DATA_DIR "/translation/languages");

// Stands in for a system whose locale is el_GR.
class GreekSystemTranslator : public TranslatorPrivate
{
public:
    QString systemLanguage() const override { return languageOfLocaleName(QStringLiteral("el_GR")); }
};

} // namespace

class TestTranslator : public QObject
{
    Q_OBJECT

private slots:
    void constructedWithEmbeddedModel();
    void logLines();

    void languageOfLocaleName_data();
    void languageOfLocaleName();
    void languageFilePath_data();
    void languageFilePath();
    void codeOfFileName_data();
    void codeOfFileName();
    void scanLanguagePath();

    void setLocaleSwitchesLanguage();
    void setLocaleAliasEl();
    void setLocaleKeepsLanguage_data();
    void setLocaleKeepsLanguage();
    void preferredLocale();

    void translateObject();
    void translateObjectRecursive();
    void translateObjectLeavesOthersAlone();

    void fillLanguageComboBox();
    void fillLanguageComboBoxWithoutFolder();
    void flagsEmbedded();

private:
    static std::unique_ptr<TranslatorPrivate> translatorIn(const QString &folder);
    static void writeFile(const QString &path, const QByteArray &contents);
};

std::unique_ptr<TranslatorPrivate> TestTranslator::translatorIn(const QString &folder)
{
    auto translator = std::make_unique<TranslatorPrivate>();
    translator->setLanguagePath(folder);
    translator->engine->setModel(TR::defaultDictionary());
    return translator;
}

void TestTranslator::writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), qint64(contents.size()));
}

// Runs first with the singleton: before any model is installed the texts of
// the embedded model are in force.
void TestTranslator::constructedWithEmbeddedModel()
{
    Translator *translator = Translator::instance();
    QCOMPARE(Translator::instance(), translator);
    QCOMPARE(translator->currentLocale(), QStringLiteral("en"));
    QCOMPARE(translator->translate(QStringLiteral("model_wait")),
             QStringLiteral("Image elaboration in progress.\nPlease wait..."));

    translator->setModel(TR::defaultDictionary());
    QCOMPARE(translator->translate(QStringLiteral("model_wait")), QStringLiteral("model_wait"));
    QCOMPARE(translator->translate(QStringLiteral("homePage_newTest")), QStringLiteral("Start a new test"));
}

// English needs no language file: switching back to it shows the units as written.
void TestTranslator::logLines()
{
    Translator *translator = Translator::instance();
    translator->setModel(TR::defaultDictionary());
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("[TRANSLATOR] Language path: ") + LanguageFolder));
    translator->setLanguagePath(LanguageFolder);
    QTest::ignoreMessage(QtDebugMsg, "[TRANSLATOR] Locale loaded: it");
    translator->setLocale(QStringLiteral("it"));
    QCOMPARE(translator->translate(QStringLiteral("_[Cancel]_")), QStringLiteral("Annulla"));
    QTest::ignoreMessage(QtDebugMsg, "[TRANSLATOR] Locale loaded: it");
    translator->setLocale(QStringLiteral("xx"));
    QTest::ignoreMessage(QtDebugMsg, "[TRANSLATOR] Locale loaded: en");
    translator->setLocale(QStringLiteral("en"));
    QCOMPARE(translator->currentLocale(), QStringLiteral("en"));
    QCOMPARE(translator->translate(QStringLiteral("_[Cancel]_")), QStringLiteral("Cancel"));
}

void TestTranslator::languageOfLocaleName_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("code");

    addTextRow("Greek", "el_GR", "el");
    addTextRow("script and country", "zh_Hant_TW", "zh_Hant");
    addTextRow("no country", "C", "");
}

void TestTranslator::languageOfLocaleName()
{
    QFETCH(QString, localeName);
    QFETCH(QString, code);
    QCOMPARE(TranslatorPrivate::languageOfLocaleName(localeName), code);
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
    addTextRow("alias", "/x", "el", "/x/l_gr.xml");
    addTextRow("backslash is part of a name", "/x\\", "de", "/x\\/l_de.xml");
}

void TestTranslator::languageFilePath()
{
    QFETCH(QString, path);
    QFETCH(QString, code);
    QFETCH(QString, expected);
    TranslatorPrivate translator;
    translator.languagePath = path;
    QCOMPARE(translator.languageFilePath(code), expected);
}

void TestTranslator::codeOfFileName_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("code");

    addTextRow("language file", "", "l_de.xml", "de");
    addTextRow("two dots", "", "l_pt.br.xml", "pt.br");
    addTextRow("with suffix", "_v2", "l_it_v2.xml", "it");
    addTextRow("shorter than prefix", "", "l.xml", "l");
}

void TestTranslator::codeOfFileName()
{
    QFETCH(QString, suffix);
    QFETCH(QString, fileName);
    QFETCH(QString, code);
    TranslatorPrivate translator;
    translator.fileSuffix = suffix;
    QCOMPARE(translator.codeOfFileName(fileName), code);
}

// The test folder also holds an XML file without the prefix and a text file.
void TestTranslator::scanLanguagePath()
{
    const auto translator = translatorIn(LanguageFolder);
    QStringList files = translator->languageFiles;
    files.sort();
    QCOMPARE(files, QStringList({"l_de.xml", "l_gr.xml", "l_it.xml"}));

    QTemporaryDir folder;
    writeFile(folder.filePath(QStringLiteral("l_fi.xml")), "<Language Name=\"Suomi\"/>");
    translator->setLanguagePath(folder.path());
    QCOMPARE(translator->languageFiles, QStringList{QStringLiteral("l_fi.xml")});

    translator->setLanguagePath(folder.filePath(QStringLiteral("absent")));
    QVERIFY(translator->languageFiles.isEmpty());
}

void TestTranslator::setLocaleSwitchesLanguage()
{
    const auto translator = translatorIn(LanguageFolder);
    translator->setLocale(QStringLiteral("it"));
    QCOMPARE(translator->currentLanguage, QStringLiteral("it"));
    QCOMPARE(translator->engine->translate(QStringLiteral("date")), QStringLiteral("Data"));
    QCOMPARE(translator->engine->translate(QStringLiteral("testInputDialog_close")),
             QStringLiteral("Interrompere la sessione di test?\nThe results of the tests performed will be lost."));
    QCOMPARE(translator->engine->translate(QStringLiteral("nextTaskMessage")),
             QStringLiteral("Il prossimo test va eseguito il: "));

    translator->setLocale(QStringLiteral("de"));
    QCOMPARE(translator->engine->translate(QStringLiteral("_[Cancel]_")), QStringLiteral("Abbrechen"));
    QCOMPARE(translator->engine->translate(QStringLiteral("nextTaskMessage")),
             QStringLiteral("Next test must be executed on: "));
}

void TestTranslator::setLocaleAliasEl()
{
    const auto translator = translatorIn(LanguageFolder);
    translator->setLocale(QStringLiteral("el"));
    QCOMPARE(translator->currentLanguage, QStringLiteral("el"));
    QCOMPARE(translator->engine->translate(QStringLiteral("cancel")), QString::fromUtf8("Ακύρωση"));

    QComboBox comboBox;
    translator->fillLanguageComboBox(&comboBox);
    QCOMPARE(comboBox.currentData().toString(), QStringLiteral("gr"));
    QCOMPARE(comboBox.currentText(), QString::fromUtf8("Ελληνικά"));
}

void TestTranslator::setLocaleKeepsLanguage_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("contents");

    QTest::newRow("no file") << "xx" << QByteArray();
    QTest::newRow("empty code") << "" << QByteArray();
    QTest::newRow("not XML") << "zz" << QByteArray("Cancel = Zrusit");
    QTest::newRow("empty file") << "zz" << QByteArray("");
    QTest::newRow("truncated") << "zz" << QByteArray(R"(<Language Name="x"><Definition><Unit ID="Cancel" Te)");
    QTest::newRow("folder named like a file") << "dir" << QByteArray();
}

// A language that cannot be used leaves the one in force, with its texts.
void TestTranslator::setLocaleKeepsLanguage()
{
    QFETCH(QString, code);
    QFETCH(QByteArray, contents);
    QTemporaryDir folder;
    QVERIFY(QFile::copy(LanguageFolder + QStringLiteral("/l_it.xml"), folder.filePath(QStringLiteral("l_it.xml"))));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("l_dir.xml")));
    if (!contents.isNull())
        writeFile(folder.filePath(QStringLiteral("l_%1.xml").arg(code)), contents);

    const auto translator = translatorIn(folder.path());
    translator->setLocale(QStringLiteral("it"));
    QVERIFY(!translator->isAvailable(code));
    translator->setLocale(code);
    QCOMPARE(translator->currentLanguage, QStringLiteral("it"));
    QCOMPARE(translator->engine->translate(QStringLiteral("cancel")), QStringLiteral("Annulla"));
}

// The tests run in the C locale, whose name has no country part.
void TestTranslator::preferredLocale()
{
    QCOMPARE(translatorIn(LanguageFolder)->preferredLocale(), QStringLiteral("en"));

    GreekSystemTranslator translator;
    QCOMPARE(translator.preferredLocale(), QStringLiteral("en"));
    translator.setLanguagePath(LanguageFolder);
    QCOMPARE(translator.preferredLocale(), QStringLiteral("el"));
}

void TestTranslator::translateObject()
{
    const auto translator = translatorIn(LanguageFolder);
    translator->setLocale(QStringLiteral("de"));

    QLabel label(QStringLiteral("whatever it showed"));
    label.setProperty("defaultText", QStringLiteral("homePage_newTest"));
    translator->translateObject(&label, false);
    QCOMPARE(label.text(), QStringLiteral("Einen neuen Test starten"));
    translator->setLocale(QStringLiteral("en"));
    translator->translateObject(&label, false);
    QCOMPARE(label.text(), QStringLiteral("Start a new test"));

    QPushButton button(QStringLiteral("cancel"));
    translator->translateObject(&button, false);
    QCOMPARE(button.text(), QStringLiteral("Cancel"));

    QGroupBox groupBox(QStringLiteral("date"));
    translator->translateObject(&groupBox, false);
    QCOMPARE(groupBox.title(), QStringLiteral("Date"));
}

void TestTranslator::translateObjectRecursive()
{
    const auto translator = translatorIn(LanguageFolder);
    translator->setLocale(QStringLiteral("de"));

    QWidget window;
    window.setProperty("defaultText", QStringLiteral("addTask_title"));
    auto *page = new QWidget(&window);
    auto *label = new QLabel(page);
    label->setProperty("defaultText", QStringLiteral("date"));
    auto *action = new QAction(QStringLiteral("exit"), page);
    auto *unmarkedLabel = new QLabel(QStringLiteral("Minimize"), page);

    translator->translateObject(&window, false);
    QCOMPARE(window.windowTitle(), QStringLiteral("Task Scheduler"));
    QVERIFY(label->text().isEmpty());

    translator->translateObject(&window, true);
    QCOMPARE(label->text(), QStringLiteral("Datum"));
    QCOMPARE(action->text(), QStringLiteral("Beenden"));
    QCOMPARE(unmarkedLabel->text(), QStringLiteral("Minimize"));
}

void TestTranslator::translateObjectLeavesOthersAlone()
{
    const auto translator = translatorIn(LanguageFolder);
    translator->translateObject(nullptr, true);

    QObject plain;
    plain.setProperty("defaultText", QStringLiteral("date"));
    translator->translateObject(&plain, false);
    QVERIFY(!plain.property("text").isValid());

    QLabel emptyKey(QStringLiteral("shown"));
    emptyKey.setProperty("defaultText", QString());
    translator->translateObject(&emptyKey, false);
    QCOMPARE(emptyKey.text(), QStringLiteral("shown"));
}

// The chooser lists English first, then each language file in folder order,
// named from its Language element; a file that is no language file gets no name.
void TestTranslator::fillLanguageComboBox()
{
    QTemporaryDir folder;
    for (const QString &name :
         {QStringLiteral("l_it.xml"), QStringLiteral("l_de.xml"), QStringLiteral("catalogue-notes.xml")})
        QVERIFY(QFile::copy(LanguageFolder + QLatin1Char('/') + name, folder.filePath(name)));
    writeFile(folder.filePath(QStringLiteral("l_pl.xml")), "not a language file");
    const auto translator = translatorIn(folder.path());
    translator->setLocale(QStringLiteral("it"));

    QComboBox comboBox;
    comboBox.addItem(QStringLiteral("stale"));
    translator->fillLanguageComboBox(&comboBox);

    QCOMPARE(comboBox.count(), 4);
    QCOMPARE(comboBox.itemText(0), QStringLiteral("English"));
    QCOMPARE(comboBox.itemData(0).toString(), QStringLiteral("en"));
    QMap<QString, QString> nameOfCode;
    for (int index = 1; index < comboBox.count(); ++index) {
        nameOfCode.insert(comboBox.itemData(index).toString(), comboBox.itemText(index));
        QVERIFY(!comboBox.itemIcon(index).isNull());
        QCOMPARE(comboBox.itemData(index).toString(),
                 translator->codeOfFileName(translator->languageFiles.at(index - 1)));
    }
    QCOMPARE(nameOfCode, (QMap<QString, QString>{{"de", "Deutsch"}, {"it", "Italiano"}, {"pl", ""}}));
    QCOMPARE(comboBox.currentData().toString(), QStringLiteral("it"));
}

void TestTranslator::fillLanguageComboBoxWithoutFolder()
{
    const auto translator = translatorIn(LanguageFolder + QStringLiteral("/absent"));
    QComboBox comboBox;
    translator->fillLanguageComboBox(&comboBox);
    QCOMPARE(comboBox.count(), 1);
    QCOMPARE(comboBox.currentText(), QStringLiteral("English"));
    QVERIFY(!comboBox.itemIcon(0).isNull());
    translator->fillLanguageComboBox(nullptr);
}

void TestTranslator::flagsEmbedded()
{
    for (const char *code : {"cs", "de", "en", "es", "fi", "fr", "gr", "hu", "it", "jp", "pl", "pt", "ru", "tr", "zh"})
        QVERIFY2(QImage(TR::FlagIconPath.arg(QLatin1String(code))).size() == QSize(16, 11), code);
}

QTEST_MAIN(TestTranslator)
#include "tst_translator.moc"
