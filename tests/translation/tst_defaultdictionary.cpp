#include "defaultdictionary.h"
#include "dictionaryengine.h"
#include "dictionaryreader.h"
#include "texttable.h"

#include <QRegularExpression>
#include <QtTest>

class TestDefaultDictionary : public QObject
{
    Q_OBJECT

private slots:
    void familySize_data();
    void familySize();
    void everyTemplateIsMarked();
    void englishText_data();
    void englishText();
    void embeddedModelSharesNoKey();

private:
    const QMap<QString, QString> m_dictionary = TR::defaultDictionary();
};

void TestDefaultDictionary::familySize_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("size");

    QTest::newRow("all entries") << "" << 514;
    QTest::newRow("group titles") << R"(^title_group_\d\d$)" << 8;
    QTest::newRow("group report texts") << R"(^report_group_\d\d$)" << 9;
    QTest::newRow("subgroup titles") << R"(^title_subgroup_\d\d_\d\d$)" << 19;
    QTest::newRow("subgroup report texts") << R"(^report_subgroup_\d\d_\d\d$)" << 19;
    QTest::newRow("test titles") << R"(^title_test_\d\d_\d\d_\d\d(_\d\d)?$)" << 68;
    QTest::newRow("contents") << R"(^content_test_\d\d_\d\d_\d\d_\d\d$)" << 103;
    QTest::newRow("content report texts") << R"(^report_test_\d\d_\d\d_\d\d_\d\d$)" << 103;
    QTest::newRow("descriptions") << R"(^description_content_test_\d\d_\d\d_\d\d_\d\d$)" << 36;
    QTest::newRow("report descriptions") << R"(^reportdescription_content_\d\d_\d\d_\d\d_\d\d$)" << 48;
    QTest::newRow("interface texts")
        << R"(^(?!(title|report)_(group|subgroup)_|title_test_|content_test_|report_test_|description_content_test_|reportdescription_content_))"
        << 101;
}

void TestDefaultDictionary::familySize()
{
    QFETCH(QString, pattern);
    QFETCH(int, size);
    const QRegularExpression expression(pattern);
    QVERIFY(expression.isValid());
    const QStringList keys = m_dictionary.keys();
    QCOMPARE(keys.filter(expression).size(), size);
}

// A unit holds printable ASCII only; a stray or missing bracket would show
// the markers on screen.
void TestDefaultDictionary::everyTemplateIsMarked()
{
    const QRegularExpression marked(QStringLiteral(R"(^(_\[[ -Z\\^-~]*\]_)(\n_\[[ -Z\\^-~]*\]_)* ?$)"));
    for (auto entry = m_dictionary.cbegin(); entry != m_dictionary.cend(); ++entry)
        QVERIFY2(marked.match(entry.value()).hasMatch(), qPrintable(entry.key()));
}

void TestDefaultDictionary::englishText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    addTextRow("date", "date", "Date");
    addTextRow("next task message ends with one blank", "nextTaskMessage", "Next test must be executed on: ");
    addTextRow("stop question has two lines", "testInputDialog_close",
               "Are you sure you want to stop the test session?\nThe results of the tests performed will be lost.");
    addTextRow("empty luminance title", "title_test_06_02_01", "");
    addTextRow("key absent from the table", "model_ok", "model_ok");
}

void TestDefaultDictionary::englishText()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TR::DictionaryEngine english;
    english.setModel(m_dictionary);
    QCOMPARE(english.translate(key), expected);
}

// The dictionary replaces the embedded model as a whole at start-up, so a key
// of that model must not be mistaken for one the program uses.
void TestDefaultDictionary::embeddedModelSharesNoKey()
{
    const QMap<QString, QString> embedded = TR::DictionaryReader::readModelFile(QStringLiteral(":/Model.xml"));
    QVERIFY(!embedded.isEmpty());
    for (auto entry = embedded.cbegin(); entry != embedded.cend(); ++entry)
        QVERIFY2(!m_dictionary.contains(entry.key()), qPrintable(entry.key()));
}

QTEST_GUILESS_MAIN(TestDefaultDictionary)
#include "tst_defaultdictionary.moc"
