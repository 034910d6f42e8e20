#include "dictionaryreader.h"

#include <QTemporaryDir>
#include <QtTest>

using TR::DictionaryReader;
using Units = QHash<QString, QString>;
using Model = QMap<QString, QString>;

class TestDictionaryReader : public QObject
{
    Q_OBJECT

private slots:
    void readModel_data();
    void readModel();
    void readLanguage_data();
    void readLanguage();
    void readLanguageOfSeveralMegabytes();

private:
    QString writeFile(const QByteArray &contents);

    QTemporaryDir m_folder;
    int m_fileCount = 0;
};

// A null array stands for a file that does not exist.
QString TestDictionaryReader::writeFile(const QByteArray &contents)
{
    const QString path = m_folder.filePath(QStringLiteral("file%1.xml").arg(++m_fileCount));
    QFile file(path);
    if (!contents.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

static QByteArray model(const char *entries)
{
    return QByteArray("<Model>") + entries + "</Model>";
}

void TestDictionaryReader::readModel_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<Model>("expected");

    QTest::newRow("backslash n becomes a line break")
        << model(R"(<Entry Key="wait" Value="_[A]_.\n_[B]_\n"/>)") << Model{{"wait", "_[A]_.\n_[B]_\n"}};
    QTest::newRow("backslash before another letter stays")
        << model(R"(<Entry Key="path" Value="C:\temp"/>)") << Model{{"path", "C:\\temp"}};
    QTest::newRow("empty and missing keys skipped")
        << model(R"(<Entry Key="" Value="lost"/><Entry Value="lost"/><Entry Key="a" Value="kept"/>)")
        << Model{{"a", "kept"}};
    QTest::newRow("later duplicate wins")
        << model(R"(<Entry Key="a" Value="first"/><Other Key="a" Value="second"/>)") << Model{{"a", "second"}};
    QTest::newRow("other root") << QByteArray(R"(<Language><Entry Key="a" Value="b"/></Language>)") << Model();
    QTest::newRow("not XML") << QByteArray("Key=a Value=b") << Model();
    QTest::newRow("truncated") << QByteArray(R"(<Model><Entry Key="a" Value="b"/><Entry Ke)") << Model();
    QTest::newRow("empty") << QByteArray("") << Model();
    QTest::newRow("missing file") << QByteArray() << Model();
}

void TestDictionaryReader::readModel()
{
    QFETCH(QByteArray, xml);
    QFETCH(Model, expected);
    QCOMPARE(DictionaryReader::readModel(xml), expected);
    QCOMPARE(DictionaryReader::readModelFile(writeFile(xml)), expected);
}

static QByteArray language(const char *name, const QByteArray &units)
{
    return QByteArray("<Language Name=\"") + name + "\"><Definition>" + units + "</Definition></Language>";
}

// Each row also gives the name the language chooser shows for the file.
void TestDictionaryReader::readLanguage_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<Units>("expected");
    QTest::addColumn<QString>("name");

    const Units cancel{{"Cancel", "Annulla"}};
    QTest::newRow("units, upper-case name")
        << language("ITALIANO", R"(<Unit ID="Cancel" Text="Annulla"/><X ID="Date" Text="Data"/>)") << true
        << Units{{"Cancel", "Annulla"}, {"Date", "Data"}} << "Italiano";
    QTest::newRow("non-ASCII text, lower-case name")
        << language("deutsch", "<U ID=\"Cancel\" Text=\"\xce\x91\xce\xba\"/>") << true
        << Units{{"Cancel", QString::fromUtf8("\xce\x91\xce\xba")}} << "Deutsch";
    QTest::newRow("empty and missing IDs skipped, mixed-case name")
        << language("pOrTuGuEs BrAsIl", R"(<U ID="" Text="x"/><U Text="y"/><U ID="Cancel" Text="Annulla"/>)") << true
        << cancel << "Portugues brasil";
    QTest::newRow("later duplicate ID wins")
        << language("", R"(<U ID="Cancel" Text="first"/><U ID="Cancel" Text="Annulla"/>)") << true << cancel << "";
    QTest::newRow("without Language")
        << QByteArray(R"(<Lingua Name="x"><Definition><U ID="a" Text="b"/></Definition></Lingua>)") << true << Units()
        << "";
    QTest::newRow("Language not at the root")
        << "<Files>" + language("x", R"(<U ID="a" Text="b"/>)") + "</Files>" << true << Units() << "X";
    QTest::newRow("without Definition") << QByteArray(R"(<Language Name="x"><U ID="a" Text="b"/></Language>)") << true
                                        << Units() << "X";
    QTest::newRow("not XML") << QByteArray("Cancel=Annulla\n") << false << Units() << "";
    QTest::newRow("truncated after the name")
        << QByteArray(R"(<Language Name="x"><Definition><U ID="Cancel" Text="Annu)") << false << Units() << "X";
    QTest::newRow("malformed before Language")
        << QByteArray(R"(<Files><<Language Name="x"/></Files>)") << false << Units() << "";
    QTest::newRow("empty") << QByteArray("") << false << Units() << "";
    QTest::newRow("missing file") << QByteArray() << false << Units() << "";
}

void TestDictionaryReader::readLanguage()
{
    QFETCH(QByteArray, xml);
    QFETCH(bool, parsed);
    QFETCH(Units, expected);
    QFETCH(QString, name);
    const QString path = writeFile(xml);
    for (const std::optional<Units> &units :
         {DictionaryReader::readLanguage(xml), DictionaryReader::readLanguageFile(path)}) {
        QCOMPARE(units.has_value(), parsed);
        QCOMPARE(units.value_or(Units()), expected);
    }
    QCOMPARE(DictionaryReader::readLanguageName(path), name);
}

void TestDictionaryReader::readLanguageOfSeveralMegabytes()
{
    QByteArray definition;
    const int unitCount = 60000;
    for (int index = 0; index < unitCount; ++index)
        definition +=
            QStringLiteral(
                "<Unit ID=\"Unit number %1 of a long list\" Text=\"Einheit Nummer %1 einer langen Liste\"/>\n")
                .arg(index)
                .toUtf8();
    const QByteArray xml = language("Big", definition);
    QVERIFY(xml.size() > 5 * 1024 * 1024);

    const std::optional<Units> units = DictionaryReader::readLanguageFile(writeFile(xml));
    QVERIFY(units.has_value());
    QCOMPARE(units->size(), unitCount);
    QCOMPARE(units->value(QStringLiteral("Unit number 59999 of a long list")),
             QStringLiteral("Einheit Nummer 59999 einer langen Liste"));
}

QTEST_GUILESS_MAIN(TestDictionaryReader)
#include "tst_dictionaryreader.moc"
