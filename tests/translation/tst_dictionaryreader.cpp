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

    void readLanguageName_data();
    void readLanguageName();

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

void TestDictionaryReader::readModel_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<Model>("expected");

    QTest::newRow("entries")
        << QByteArray(R"(<Model><Entry Key="ok" Value="_[OK]_"/><Entry Key="no" Value="_[No]_"/></Model>)")
        << Model{{"ok", "_[OK]_"}, {"no", "_[No]_"}};
    QTest::newRow("backslash n becomes a line break")
        << QByteArray(R"(<Model><Entry Key="wait" Value="_[A]_.\n_[B]_\n"/></Model>)")
        << Model{{"wait", "_[A]_.\n_[B]_\n"}};
    QTest::newRow("backslash before another letter stays")
        << QByteArray(R"(<Model><Entry Key="path" Value="C:\temp"/></Model>)") << Model{{"path", "C:\\temp"}};
    QTest::newRow("empty and missing keys skipped")
        << QByteArray(
               R"(<Model><Entry Key="" Value="lost"/><Entry Value="lost"/><Entry Key="a" Value="kept"/></Model>)")
        << Model{{"a", "kept"}};
    QTest::newRow("later duplicate wins")
        << QByteArray(R"(<Model><Entry Key="a" Value="first"/><Other Key="a" Value="second"/></Model>)")
        << Model{{"a", "second"}};
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

void TestDictionaryReader::readLanguage_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<Units>("expected");

    const Units cancel{{"Cancel", "Annulla"}};
    QTest::newRow("units") << QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
        <Language Name="Italiano"><Definition><Unit ID="Cancel" Text="Annulla"/><X ID="Date" Text="Data"/></Definition></Language>)")
                           << true << Units{{"Cancel", "Annulla"}, {"Date", "Data"}};
    QTest::newRow("non-ASCII text")
        << QByteArray("<Language><Definition><U ID=\"Cancel\" Text=\"\xce\x91\xce\xba\"/></Definition></Language>")
        << true << Units{{"Cancel", QString::fromUtf8("\xce\x91\xce\xba")}};
    QTest::newRow("empty and missing IDs skipped")
        << QByteArray(
               R"(<Language><Definition><U ID="" Text="x"/><U Text="y"/><U ID="Cancel" Text="Annulla"/></Definition></Language>)")
        << true << cancel;
    QTest::newRow("later duplicate ID wins")
        << QByteArray(
               R"(<Language><Definition><U ID="Cancel" Text="first"/><U ID="Cancel" Text="Annulla"/></Definition></Language>)")
        << true << cancel;
    QTest::newRow("without Language")
        << QByteArray(R"(<Lingua><Definition><U ID="Cancel" Text="Annulla"/></Definition></Lingua>)") << true
        << Units();
    QTest::newRow("without Definition") << QByteArray(
                                               R"(<Language Name="x"><U ID="Cancel" Text="Annulla"/></Language>)")
                                        << true << Units();
    QTest::newRow("not XML") << QByteArray("Cancel=Annulla\n") << false << Units();
    QTest::newRow("truncated") << QByteArray(R"(<Language><Definition><U ID="Cancel" Text="Annu)") << false << Units();
    QTest::newRow("empty") << QByteArray("") << false << Units();
    QTest::newRow("missing file") << QByteArray() << false << Units();
}

void TestDictionaryReader::readLanguage()
{
    QFETCH(QByteArray, xml);
    QFETCH(bool, parsed);
    QFETCH(Units, expected);
    for (const std::optional<Units> &units :
         {DictionaryReader::readLanguage(xml), DictionaryReader::readLanguageFile(writeFile(xml))}) {
        QCOMPARE(units.has_value(), parsed);
        QCOMPARE(units.value_or(Units()), expected);
    }
}

void TestDictionaryReader::readLanguageOfSeveralMegabytes()
{
    QByteArray xml("<Language Name=\"Big\"><Definition>");
    const int unitCount = 60000;
    for (int index = 0; index < unitCount; ++index)
        xml += QStringLiteral(
                   "<Unit ID=\"Unit number %1 of a long list\" Text=\"Einheit Nummer %1 einer langen Liste\"/>\n")
                   .arg(index)
                   .toUtf8();
    xml += "</Definition></Language>";
    QVERIFY(xml.size() > 5 * 1024 * 1024);

    const std::optional<Units> units = DictionaryReader::readLanguageFile(writeFile(xml));
    QVERIFY(units.has_value());
    QCOMPARE(units->size(), unitCount);
    QCOMPARE(units->value(QStringLiteral("Unit number 59999 of a long list")),
             QStringLiteral("Einheit Nummer 59999 einer langen Liste"));
}

void TestDictionaryReader::readLanguageName_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("expected");

    QTest::newRow("upper case") << QByteArray(R"(<Language Name="DEUTSCH"><Definition/></Language>)") << "Deutsch";
    QTest::newRow("lower case") << QByteArray(R"(<Language Name="deutsch"/>)") << "Deutsch";
    QTest::newRow("mixed case") << QByteArray(R"(<Language Name="pOrTuGuEs BrAsIl"/>)") << "Portugues brasil";
    QTest::newRow("non-ASCII")
        << QByteArray("<Language Name=\"\xce\x95\xce\x9b\xce\x9b\xce\x97\xce\x9d\xce\x99\xce\x9a\xce\x91\"/>")
        << QString::fromUtf8("\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xb1");
    QTest::newRow("nested Language element")
        << QByteArray(R"(<Files><Language Name="ITALIANO"/></Files>)") << "Italiano";
    QTest::newRow("no Name attribute") << QByteArray("<Language/>") << "";
    QTest::newRow("no Language element") << QByteArray(R"(<Lingua Name="Italiano"/>)") << "";
    QTest::newRow("malformed before Language") << QByteArray(R"(<Files><<Language Name="Italiano"/></Files>)") << "";
    QTest::newRow("malformed after Language")
        << QByteArray(R"(<Language Name="Italiano"><Definition><U ID=)") << "Italiano";
    QTest::newRow("missing file") << QByteArray() << "";
}

void TestDictionaryReader::readLanguageName()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, expected);
    QCOMPARE(DictionaryReader::readLanguageName(writeFile(xml)), expected);
}

QTEST_GUILESS_MAIN(TestDictionaryReader)
#include "tst_dictionaryreader.moc"
