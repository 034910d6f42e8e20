#include "defaultdictionary.h"
#include "dictionaryengine.h"
#include "dictionaryreader.h"
#include "translator.h"

#include "testconfig.h"

#include <QComboBox>
#include <QDir>
#include <QtTest>

using TR::DictionaryReader;

namespace {

// The folder the program lists its languages from, filled by the build.
const QString LanguageFolder = QStringLiteral(LUMIVEX_BIN_DIR "/LumivexLanguages");

// Every language the program ships, with the name its chooser shows.
const QHash<QString, QString> LanguageNames = {{QStringLiteral("de"), QStringLiteral("Deutsch")},
                                               {QStringLiteral("it"), QStringLiteral("Italiano")}};

QStringList shippedFiles()
{
    return QDir(LanguageFolder).entryList({QStringLiteral("l_*.xml")}, QDir::Files, QDir::Name);
}

QString codeOf(const QString &fileName)
{
    return fileName.mid(2, fileName.size() - 6);
}

// A translation must keep what the program fills in or lays out: the "%1"
// placeholders and the line breaks; markers would reach the screen.
bool keepsForm(const QString &unit, const QString &text)
{
    return text.count(QLatin1String("%1")) == unit.count(QLatin1String("%1")) &&
           text.count(QLatin1Char('\n')) == unit.count(QLatin1Char('\n')) && !text.contains(QLatin1String("_[")) &&
           !text.contains(QLatin1String("]_"));
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private slots:
    void languageFile_data();
    void languageFile();
    void chooserListsEveryLanguage();
};

void TestLanguageFiles::languageFile_data()
{
    QTest::addColumn<QString>("fileName");
    for (const QString &fileName : shippedFiles())
        QTest::newRow(qPrintable(fileName)) << fileName;
}

void TestLanguageFiles::languageFile()
{
    QFETCH(QString, fileName);
    const QString path = LanguageFolder + QLatin1Char('/') + fileName;
    QVERIFY2(LanguageNames.contains(codeOf(fileName)), "a language the program does not know it ships");
    QCOMPARE(DictionaryReader::readLanguageName(path), LanguageNames.value(codeOf(fileName)));
    const std::optional<QHash<QString, QString>> translations = DictionaryReader::readLanguageFile(path);
    QVERIFY2(translations, "the file is not well-formed XML");
    const QStringList units = TR::DictionaryEngine::unitsOf(TR::defaultDictionary());
    QStringList missing;
    QStringList misshapen;
    for (const QString &unit : units) {
        const QString text = translations->value(unit);
        if (text.isEmpty())
            missing << unit;
        else if (!keepsForm(unit, text))
            misshapen << unit;
    }
    QStringList stale = translations->keys();
    stale.erase(std::remove_if(stale.begin(), stale.end(), [&](const QString &id) { return units.contains(id); }),
                stale.end());
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("units without translation: ") + missing.join(" | ")));
    QVERIFY2(misshapen.isEmpty(),
             qPrintable(QStringLiteral("placeholders, line breaks or markers differ in: ") + misshapen.join(" | ")));
    QVERIFY2(stale.isEmpty(), qPrintable(QStringLiteral("entries that are no unit: ") + stale.join(" | ")));
}

void TestLanguageFiles::chooserListsEveryLanguage()
{
    TR::Translator::instance()->setLanguagePath(LanguageFolder);
    QComboBox chooser;
    TR::Translator::instance()->fillLanguageComboBox(&chooser);
    QStringList expected = {QStringLiteral("English en")};
    for (auto language = LanguageNames.cbegin(); language != LanguageNames.cend(); ++language)
        expected << language.value() + QLatin1Char(' ') + language.key();
    QStringList listed;
    for (int index = 0; index < chooser.count(); ++index) {
        const QString code = chooser.itemData(index).toString();
        listed << chooser.itemText(index) + QLatin1Char(' ') + code;
        const QImage flag = QIcon(QStringLiteral(":/flags/") + code).pixmap(16).toImage();
        QVERIFY2(!flag.isNull(), qPrintable(QStringLiteral("no flag for ") + code));
        QCOMPARE(chooser.itemIcon(index).pixmap(16).toImage(), flag);
    }
    QCOMPARE(listed.first(), expected.first());
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listed, expected);
}

QTEST_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
