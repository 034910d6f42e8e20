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
    void init();
    void singleton();
    void languageFilePath_data();
    void languageFilePath();
    void codeOfFileName();
    void scanLanguagePath();
    void setLocaleSwitchesLanguage();
    void setLocaleKeepsLanguage_data();
    void setLocaleKeepsLanguage();
    void preferredLocale();
    void translateObject();
    void fillLanguageComboBox();
    void flagsEmbedded();

private:
    static void writeFile(const QString &path, const QByteArray &contents);
    QString text(const char *key) const;

    // A translator of the test language folder, with the program's dictionary.
    std::unique_ptr<TranslatorPrivate> m_translator;
};

QString TestTranslator::text(const char *key) const
{
    return m_translator->engine->translate(QString::fromUtf8(key));
}

void TestTranslator::init()
{
    m_translator = std::make_unique<TranslatorPrivate>();
    m_translator->setLanguagePath(LanguageFolder);
    m_translator->engine->setModel(TR::defaultDictionary());
}

void TestTranslator::writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), qint64(contents.size()));
}

// Before any model is installed the texts of the embedded model are in force.
// English needs no language file: switching back to it shows the units as written.
void TestTranslator::singleton()
{
    Translator *translator = Translator::instance();
    QCOMPARE(Translator::instance(), translator);
    QCOMPARE(translator->currentLocale(), QStringLiteral("en"));
    QCOMPARE(translator->translate(QStringLiteral("model_wait")),
             QStringLiteral("Image elaboration in progress.\nPlease wait..."));

    translator->setModel(TR::defaultDictionary());
    QCOMPARE(translator->translate(QStringLiteral("homePage_newTest")), QStringLiteral("Start a new test"));

    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("[TRANSLATOR] Language path: ") + LanguageFolder));
    translator->setLanguagePath(LanguageFolder);
    QTest::ignoreMessage(QtDebugMsg, "[TRANSLATOR] Locale loaded: it");
    translator->setLocale(QStringLiteral("it"));
    QCOMPARE(translator->translate(QStringLiteral("_[Cancel]_")), QStringLiteral("Annulla"));
    QTest::ignoreMessage(QtDebugMsg, "[TRANSLATOR] Locale loaded: it");
    translator->setLocale(QStringLiteral("xx"));
    QTest::ignoreMessage(QtDebugMsg, "[TRANSLATOR] Locale loaded: en");
    translator->setLocale(QStringLiteral("en"));
    QCOMPARE(translator->translate(QStringLiteral("_[Cancel]_")), QStringLiteral("Cancel"));
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

void TestTranslator::codeOfFileName()
{
    TranslatorPrivate translator;
    QCOMPARE(translator.codeOfFileName(QStringLiteral("l_pt.br.xml")), QStringLiteral("pt.br"));
    QCOMPARE(translator.codeOfFileName(QStringLiteral("l.xml")), QStringLiteral("l"));
    translator.fileSuffix = QStringLiteral("_v2");
    QCOMPARE(translator.codeOfFileName(QStringLiteral("l_it_v2.xml")), QStringLiteral("it"));
}

// The test folder also holds an XML file without the prefix and a text file.
// A new scan replaces the list; a missing folder leaves English alone.
void TestTranslator::scanLanguagePath()
{
    QStringList files = m_translator->languageFiles;
    files.sort();
    QCOMPARE(files, QStringList({"l_de.xml", "l_gr.xml", "l_it.xml"}));

    // "l_it.XML" could not be loaded by its code, so it is not offered.
    QTemporaryDir capitals;
    QVERIFY(QFile::copy(LanguageFolder + QStringLiteral("/l_it.xml"), capitals.filePath(QStringLiteral("l_it.XML"))));
    m_translator->setLanguagePath(capitals.path());
    QVERIFY(m_translator->languageFiles.isEmpty());

    m_translator->setLanguagePath(LanguageFolder + QStringLiteral("/absent"));
    QVERIFY(m_translator->languageFiles.isEmpty());
    QComboBox comboBox;
    m_translator->fillLanguageComboBox(&comboBox);
    QCOMPARE(comboBox.count(), 1);
    QCOMPARE(comboBox.currentText(), QStringLiteral("English"));
    m_translator->fillLanguageComboBox(nullptr);
}

// Each language replaces the units of the one before; "el" is read from l_gr.xml.
void TestTranslator::setLocaleSwitchesLanguage()
{
    m_translator->setLocale(QStringLiteral("it"));
    QCOMPARE(m_translator->currentLanguage, QStringLiteral("it"));
    QCOMPARE(text("date"), QStringLiteral("Data"));
    QCOMPARE(text("testInputDialog_close"),
             QStringLiteral("Interrompere la sessione di test?\nThe results of the tests performed will be lost."));
    QCOMPARE(text("nextTaskMessage"), QStringLiteral("Il prossimo test va eseguito il: "));

    m_translator->setLocale(QStringLiteral("de"));
    QCOMPARE(text("_[Cancel]_"), QStringLiteral("Abbrechen"));
    QCOMPARE(text("nextTaskMessage"), QStringLiteral("Next test must be executed on: "));

    m_translator->setLocale(QStringLiteral("el"));
    QCOMPARE(m_translator->currentLanguage, QStringLiteral("el"));
    QCOMPARE(text("cancel"), QString::fromUtf8("Ακύρωση"));
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

    m_translator->setLanguagePath(folder.path());
    m_translator->setLocale(QStringLiteral("it"));
    QVERIFY(!m_translator->isAvailable(code));
    m_translator->setLocale(code);
    QCOMPARE(m_translator->currentLanguage, QStringLiteral("it"));
    QCOMPARE(text("cancel"), QStringLiteral("Annulla"));
}

// The tests run in the C locale, whose name has no country part.
void TestTranslator::preferredLocale()
{
    QCOMPARE(TranslatorPrivate::languageOfLocaleName(QStringLiteral("zh_Hant_TW")), QStringLiteral("zh_Hant"));
    QCOMPARE(TranslatorPrivate::languageOfLocaleName(QStringLiteral("C")), QString());
    QCOMPARE(m_translator->preferredLocale(), QStringLiteral("en"));

    GreekSystemTranslator translator;
    QCOMPARE(translator.preferredLocale(), QStringLiteral("en"));
    translator.setLanguagePath(LanguageFolder);
    QCOMPARE(translator.preferredLocale(), QStringLiteral("el"));
}

// Forms keep a widget's key in "defaultText", so it survives a change of
// language; a widget without it is keyed by the text it shows.
void TestTranslator::translateObject()
{
    m_translator->setLocale(QStringLiteral("de"));
    m_translator->translateObject(nullptr, true);

    QWidget window;
    window.setProperty("defaultText", QStringLiteral("addTask_title"));
    auto *page = new QWidget(&window);
    auto *label = new QLabel(QStringLiteral("whatever it showed"), page);
    label->setProperty("defaultText", QStringLiteral("homePage_newTest"));
    auto *button = new QPushButton(QStringLiteral("cancel"), page);
    auto *groupBox = new QGroupBox(QStringLiteral("date"), page);
    auto *action = new QAction(QStringLiteral("exit"), page);
    auto *emptyKey = new QLabel(QStringLiteral("shown"), page);
    emptyKey->setProperty("defaultText", QString());
    auto *withoutTarget = new QObject(page);
    withoutTarget->setProperty("defaultText", QStringLiteral("date"));

    m_translator->translateObject(&window, false);
    QCOMPARE(window.windowTitle(), QStringLiteral("Task Scheduler"));
    QCOMPARE(label->text(), QStringLiteral("whatever it showed"));

    m_translator->translateObject(&window, true);
    QCOMPARE(label->text(), QStringLiteral("Einen neuen Test starten"));
    QCOMPARE(button->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(groupBox->title(), QStringLiteral("Datum"));
    QCOMPARE(action->text(), QStringLiteral("Beenden"));
    QCOMPARE(emptyKey->text(), QStringLiteral("shown"));
    QVERIFY(!withoutTarget->property("text").isValid());

    m_translator->setLocale(QStringLiteral("en"));
    m_translator->translateObject(&window, true);
    QCOMPARE(label->text(), QStringLiteral("Start a new test"));
}

// The chooser lists English first, then each language file in folder order,
// named from its Language element. The current language is found also
// through its alias.
void TestTranslator::fillLanguageComboBox()
{
    m_translator->setLocale(QStringLiteral("it"));
    QComboBox comboBox;
    comboBox.addItem(QStringLiteral("stale"));
    m_translator->fillLanguageComboBox(&comboBox);

    QCOMPARE(comboBox.count(), 4);
    QCOMPARE(comboBox.itemText(0), QStringLiteral("English"));
    QCOMPARE(comboBox.itemData(0).toString(), QStringLiteral("en"));
    QMap<QString, QString> nameOfCode;
    for (int index = 1; index < comboBox.count(); ++index) {
        QCOMPARE(comboBox.itemData(index).toString(),
                 m_translator->codeOfFileName(m_translator->languageFiles.at(index - 1)));
        nameOfCode.insert(comboBox.itemData(index).toString(), comboBox.itemText(index));
    }
    QCOMPARE(nameOfCode, (QMap<QString, QString>{{"de", "Deutsch"}, {"gr", "Ελληνικά"}, {"it", "Italiano"}}));
    QCOMPARE(comboBox.currentData().toString(), QStringLiteral("it"));

    m_translator->setLocale(QStringLiteral("el"));
    m_translator->fillLanguageComboBox(&comboBox);
    QCOMPARE(comboBox.currentData().toString(), QStringLiteral("gr"));
}

void TestTranslator::flagsEmbedded()
{
    for (const char *code : {"cs", "de", "en", "es", "fi", "fr", "gr", "hu", "it", "jp", "pl", "pt", "ru", "tr", "zh"})
        QVERIFY2(QImage(TR::FlagIconPath.arg(QLatin1String(code))).size() == QSize(16, 11), code);
}

QTEST_MAIN(TestTranslator)
#include "tst_translator.moc"
