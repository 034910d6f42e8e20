#include "answeredsession.h"
#include "defaultdictionary.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "translator.h"

#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using PdfProbe::Word;

namespace {

const QDateTime sessionDate(QDate(2026, 3, 14), QTime(9, 30));
const QColor passedGreen(QStringLiteral("#8cc640"));
const QColor failedOrange(QStringLiteral("#f15b26"));

// Page geometry of an A4 report at 72 dots per inch.
constexpr int contentLeft = 20;
constexpr int contentBottom = 801;
constexpr int valueLeft = 178;
constexpr int labelTextRight = 157; // the label block spans 21 to 160; its text ends at its margin of 4
constexpr int captionTop = contentBottom - 60;

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

QVariantMap content(const QString &label, const QVariantMap &fields = {})
{
    QVariantMap map{{QStringLiteral("report"), label}, {QStringLiteral("type"), QStringLiteral("text")}};
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

QVariantMap test(const QVariantList &contents, bool validatable = false)
{
    return {{QStringLiteral("validatable"), validatable}, {QStringLiteral("content"), contents}};
}

QVariantMap subgroup(const QString &title, const QVariantList &tests, bool hideTitle = false)
{
    return {
        {QStringLiteral("report"), title}, {QStringLiteral("hidetitle"), hideTitle}, {QStringLiteral("tests"), tests}};
}

QVariantMap group(const QString &title, const QVariantList &subgroups)
{
    QVariantMap numbered;
    for (int i = 0; i < subgroups.size(); ++i)
        numbered.insert(QString::number(i + 1), subgroups.at(i));
    return {{QStringLiteral("report"), title}, {QStringLiteral("subgroups"), numbered}};
}

// A session of one group "1" with one subgroup holding the given tests.
QVariantMap oneGroupSession(const QVariantList &tests, int failedContents = 0)
{
    const QVariantMap groups{
        {QStringLiteral("1"), group(QStringLiteral("Checks"), {subgroup(QStringLiteral("Part"), tests)})}};
    return AnsweredSession::record(groups, sessionDate, failedContents);
}

// The words in reading order: page by page, line by line from the top, each
// line from the left. Words whose middles lie within 3 points share a line.
QString joined(QList<Word> words)
{
    std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) {
        if (a.page != b.page)
            return a.page < b.page;
        if (qAbs(a.box.center().y() - b.box.center().y()) > 3)
            return a.box.center().y() < b.box.center().y();
        return a.box.left() < b.box.left();
    });
    QStringList texts;
    for (const Word &word : qAsConst(words))
        texts << word.text;
    return texts.join(QLatin1Char(' '));
}

// The last of the words with this text (the value of a row whose label uses the same word, a caption below a heading).
Word last(const QList<Word> &words, const QString &text)
{
    return PdfProbe::find(words, text).value(PdfProbe::find(words, text).size() - 1);
}

Word only(const QList<Word> &words, const QString &text)
{
    const QList<Word> found = PdfProbe::find(words, text);
    if (found.size() != 1)
        qWarning() << "expected one word" << text << "found" << found.size();
    return found.value(0);
}

} // namespace

class TestReportGenerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void letterhead();
    void summary_data();
    void summary();
    void monitorRow();
    void groupHeadingsOfFullSession();
    void runningSubgroupNumbers();
    void groupZeroHasNoHeadings();
    void subgroupStatusIcon_data();
    void subgroupStatusIcon();
    void answers_data();
    void answers();
    void answerMarks_data();
    void answerMarks();
    void computedValues_data();
    void computedValues();
    void hiddenContentTakesNoSpace();
    void notesStackBelowValue();
    void operatorNoteIsPlainText();
    void wrappedValueDoesNotOverlapNextRow();
    void longSessionBreaksPages();
    void closingBlockAtFootOfLastPage();
    void badRecords_data();
    void badRecords();
    void missingPainterOrPrinterDrawsNothing();
    void printerSetUp();

private:
    QString write(const QVariantMap &session);
    QString writeWith(ReportGenerator &generator, const QVariantMap &session);

    QTemporaryDir m_folder;
    int m_reports = 0;
};

void TestReportGenerator::initTestCase()
{
    QVERIFY(m_folder.isValid());
    TR::Translator::instance()->setModel(TR::defaultDictionary());
    // The texts below are matched word by word; make sure the report's keys are known.
    QVERIFY(translated("reportpassedtest") != QLatin1String("reportpassedtest"));
}

QString TestReportGenerator::write(const QVariantMap &session)
{
    ReportGenerator generator;
    return writeWith(generator, session);
}

QString TestReportGenerator::writeWith(ReportGenerator &generator, const QVariantMap &session)
{
    const QString path = m_folder.filePath(QStringLiteral("report%1.pdf").arg(++m_reports));
    QPrinter printer(QPrinter::HighResolution);
    ReportGenerator::setUpPrinter(&printer, session);
    printer.setOutputFileName(path);
    QPainter painter;
    generator.generate(&printer, &painter, session);
    return path;
}

void TestReportGenerator::letterhead()
{
    const QString pdf = write(oneGroupSession({}));
    const QList<Word> words = PdfProbe::wordsOnPage(PdfProbe::words(pdf), 1);
    // The titles wrap within their columns, so their words are looked up one by one.
    const QStringList titles{translated("report_header_0").toUpper(), translated("report_header_1"),
                             translated("report_header_2").toUpper()};
    for (const QString &title : titles) {
        for (const QString &titleWord : title.split(QLatin1Char(' ')))
            QVERIFY2(!PdfProbe::find(words, titleWord).isEmpty(), qPrintable(titleWord));
    }

    const Word day = only(words, QStringLiteral("14/03/26"));
    QCOMPARE(qRound(day.box.left()), 495);
    QVERIFY(day.box.top() >= 76 && day.box.bottom() <= 89);
    QVERIFY(!PdfProbe::find(words, QStringLiteral("09.30")).isEmpty());

    const QString firstTitleWord = translated("report_header_0").toUpper().section(QLatin1Char(' '), 0, 0);
    QCOMPARE(qRound(only(words, firstTitleWord).box.left()), 33);
}

void TestReportGenerator::summary_data()
{
    QTest::addColumn<int>("failed");
    QTest::newRow("passed") << 0;
    QTest::newRow("three errors") << 3;
}

void TestReportGenerator::summary()
{
    QFETCH(int, failed);
    const QString pdf = write(oneGroupSession({}, failed));
    const QList<Word> words = PdfProbe::wordsOnPage(PdfProbe::words(pdf), 1);
    const QString text = joined(words);
    const QImage page = PdfProbe::render(pdf, 1);
    const QRect band(contentLeft, 116, 555, 24);

    if (failed == 0) {
        QVERIFY(text.contains(translated("reportpassedtest")));
        QVERIFY(!text.contains(translated("reportfailedtest0")));
        QVERIFY(PdfProbe::countColour(page, band, passedGreen) > 30);
        QCOMPARE(PdfProbe::countColour(page, band, failedOrange), 0);
        return;
    }
    const QString found = translated("reportfailedtest0");
    const QString errors = translated("reportfailedtest1").arg(failed);
    QVERIFY2(text.contains(found + QLatin1Char(' ') + errors), qPrintable(text));
    QVERIFY(!text.contains(translated("reportpassedtest")));
    // The errors text starts 10 points after the found text.
    const Word lastFound = only(words, found.section(QLatin1Char(' '), -1));
    const Word count = only(words, QString::number(failed));
    QVERIFY2(qAbs(count.box.left() - lastFound.box.right() - 10) <= 2,
             qPrintable(QStringLiteral("%1 %2").arg(lastFound.box.right()).arg(count.box.left())));
    QVERIFY(PdfProbe::countColour(page, band, failedOrange) > 30);
    QCOMPARE(PdfProbe::countColour(page, band, passedGreen), 0);
}

void TestReportGenerator::monitorRow()
{
    const QString pdf = write(oneGroupSession({}));
    const QList<Word> words = PdfProbe::wordsOnPage(PdfProbe::words(pdf), 1);
    QVERIFY(joined(words).contains(translated("monitor") + QStringLiteral(" 1 EIZO RadiForce RX660 (3280 x 2048)")));

    const Word value = last(words, translated("monitor"));
    QCOMPARE(qRound(value.box.left()), valueLeft);
    const Word labelEnd = only(words, translated("reportmonitortested").section(QLatin1Char(' '), -1));
    QVERIFY2(qAbs(labelEnd.box.right() - labelTextRight) <= 1.5, qPrintable(QString::number(labelEnd.box.right())));
    // The row starts at 149; its text sits on the same line as the label.
    QVERIFY(value.box.top() >= 149 && value.box.bottom() <= 162);
    QVERIFY(qAbs(value.box.top() - labelEnd.box.top()) <= 1);
}

void TestReportGenerator::groupHeadingsOfFullSession()
{
    const QVariantMap session = AnsweredSession::fullRecord(sessionDate);
    const QString pdf = write(session);
    const QList<Word> words = PdfProbe::words(pdf);
    const QString text = joined(words);
    for (int number = 1; number <= 7; ++number) {
        const QString heading =
            translated(qPrintable(QStringLiteral("report_group_%1").arg(number, 2, 10, QLatin1Char('0'))));
        bool headingFound = false;
        for (const Word &word : PdfProbe::find(words, QString::number(number))) {
            // The number is drawn large, right-aligned in the 30 points left of the heading.
            if (word.box.height() > 18 && qAbs(word.box.right() - 49) <= 2)
                headingFound = true;
        }
        QVERIFY2(headingFound, qPrintable(QString::number(number)));
        QVERIFY2(text.contains(QString::number(number) + QLatin1Char(' ') + heading), qPrintable(heading));
    }
    QCOMPARE(session.value(QStringLiteral("nfailedtestcontents")).toInt(), 0);
    QVERIFY(text.contains(translated("reportpassedtest")));
}

void TestReportGenerator::runningSubgroupNumbers()
{
    const QVariantList tests{test({content(QStringLiteral("Row"))})};
    const QVariantMap groups{
        {QStringLiteral("4"), group(QStringLiteral("Visual"), {subgroup(QStringLiteral("Firstpart"), tests),
                                                               subgroup(QStringLiteral("Hiddenpart"), tests, true),
                                                               subgroup(QStringLiteral("Thirdpart"), tests)})}};
    const QList<Word> words = PdfProbe::words(write(AnsweredSession::record(groups, sessionDate)));
    QCOMPARE(PdfProbe::find(words, QStringLiteral("4.1")).size(), 1);
    QCOMPARE(PdfProbe::find(words, QStringLiteral("4.2")).size(), 1);
    QCOMPARE(PdfProbe::find(words, QStringLiteral("4.3")).size(), 0);
    QCOMPARE(PdfProbe::find(words, QStringLiteral("HIDDENPART")).size(), 0);
    QVERIFY(only(words, QStringLiteral("4.1")).box.bottom() <
            only(words, QStringLiteral("FIRSTPART")).box.bottom() + 1);
    // "4.2" is the third subgroup: the hidden one is not counted.
    QVERIFY(only(words, QStringLiteral("4.2")).box.top() > only(words, QStringLiteral("FIRSTPART")).box.top());
    QCOMPARE(PdfProbe::find(words, QStringLiteral("Row")).size(), 3);
}

void TestReportGenerator::groupZeroHasNoHeadings()
{
    const QVariantMap groups{{QStringLiteral("0"), group(QStringLiteral("Operatorgroup"),
                                                         {subgroup(QStringLiteral("Operatorpart"),
                                                                   {test({content(QStringLiteral("Operator"))})})})}};
    const QString pdf = write(AnsweredSession::record(groups, sessionDate));
    const QList<Word> words = PdfProbe::words(pdf);
    const QString text = joined(words);
    QVERIFY(!text.contains(QStringLiteral("Operatorgroup")));
    QVERIFY(!text.contains(QStringLiteral("OPERATORPART")));
    QVERIFY(!text.contains(QStringLiteral("0.1")));
    QVERIFY(text.contains(QStringLiteral("Operator -")));
    // No status icon either: nothing green or orange left of the label column.
    const QImage page = PdfProbe::render(pdf, 1);
    const QRect iconColumn(contentLeft, 170, 30, 200);
    QCOMPARE(PdfProbe::countColour(page, iconColumn, passedGreen), 0);
    QCOMPARE(PdfProbe::countColour(page, iconColumn, failedOrange), 0);
}

void TestReportGenerator::subgroupStatusIcon_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QColor>("shown");
    QTest::addColumn<QColor>("absent");
    QTest::newRow("no failed content") << true << passedGreen << failedOrange;
    QTest::newRow("one failed content") << false << failedOrange << passedGreen;
}

void TestReportGenerator::subgroupStatusIcon()
{
    QFETCH(bool, answer);
    QFETCH(QColor, shown);
    QFETCH(QColor, absent);
    // A boolean answered "no" fails even in a test that is not validatable.
    const QVariantMap session =
        oneGroupSession({test({content(QStringLiteral("Warm"), {{QStringLiteral("type"), QStringLiteral("boolean")},
                                                                {QStringLiteral("resultboolean"), answer}})})});
    const QString pdf = write(session);
    const Word number = only(PdfProbe::words(pdf), QStringLiteral("1.1"));
    const QImage page = PdfProbe::render(pdf, 1);
    const QRect icon(contentLeft + 10, qRound(number.box.bottom()) - 16, 16, 18);
    QVERIFY(PdfProbe::countColour(page, icon, shown) > 60);
    QCOMPARE(PdfProbe::countColour(page, icon, absent), 0);
}

void TestReportGenerator::answers_data()
{
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QString>("expected");

    QTest::newRow("text") << QVariantMap{{QStringLiteral("resulttext"), QStringLiteral("Radiology")}}
                          << QStringLiteral("Answer Radiology");
    QTest::newRow("empty text shows a dash") << QVariantMap{} << QStringLiteral("Answer -");
    QTest::newRow("textarea") << QVariantMap{{QStringLiteral("type"), QStringLiteral("textarea")},
                                             {QStringLiteral("resulttext"), QStringLiteral("Two words")}}
                              << QStringLiteral("Answer Two words");
    const QVariantList items{QVariantMap{{QStringLiteral("value"), QStringLiteral("200")},
                                         {QStringLiteral("text"), QStringLiteral("Room A")}},
                             QVariantMap{{QStringLiteral("value"), QStringLiteral("300")},
                                         {QStringLiteral("text"), QStringLiteral("Room B")}}};
    QTest::newRow("multiselect shows the chosen item's text")
        << QVariantMap{{QStringLiteral("type"), QStringLiteral("multiselect")},
                       {QStringLiteral("content"), QVariantMap{{QStringLiteral("items"), items}}},
                       {QStringLiteral("resultmultiselect"), QStringLiteral("300")}}
        << QStringLiteral("Answer Room B");
    QTest::newRow("info has no value") << QVariantMap{{QStringLiteral("type"), QStringLiteral("info")}}
                                       << QStringLiteral("Answer Next");
    QTest::newRow("unknown type has no value") << QVariantMap{{QStringLiteral("type"), QStringLiteral("slider")},
                                                              {QStringLiteral("resulttext"), QStringLiteral("5")}}
                                               << QStringLiteral("Answer Next");
}

void TestReportGenerator::answers()
{
    QFETCH(QVariantMap, fields);
    QFETCH(QString, expected);
    const QVariantMap session = oneGroupSession(
        {test({content(QStringLiteral("Answer"), fields),
               content(QStringLiteral("Next"), {{QStringLiteral("resulttext"), QStringLiteral("Nextvalue")}})})});
    const QList<Word> words = PdfProbe::words(write(session));
    const QString text = joined(words);
    QVERIFY2(text.contains(expected), qPrintable(text));
    QCOMPARE(qRound(only(words, QStringLiteral("Nextvalue")).box.left()), valueLeft);
}

void TestReportGenerator::answerMarks_data()
{
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<bool>("validatable");
    QTest::addColumn<QColor>("mark");

    const QVariantMap valid{
        {QStringLiteral("resulttext"), QStringLiteral("7")},
        {QStringLiteral("validator"), QStringLiteral("(function(){return #content01010000# > 5;})")}};
    QVariantMap invalid = valid;
    invalid.insert(QStringLiteral("resulttext"), QStringLiteral("3"));
    QTest::newRow("valid answer of a validatable test") << valid << true << passedGreen;
    QTest::newRow("invalid answer of a validatable test") << invalid << true << failedOrange;
    QTest::newRow("boolean yes") << QVariantMap{{QStringLiteral("type"), QStringLiteral("boolean")},
                                                {QStringLiteral("resultboolean"), true}}
                                 << false << passedGreen;
    QTest::newRow("boolean no") << QVariantMap{{QStringLiteral("type"), QStringLiteral("boolean")},
                                               {QStringLiteral("resultboolean"), false}}
                                << false << failedOrange;
}

void TestReportGenerator::answerMarks()
{
    QFETCH(QVariantMap, fields);
    QFETCH(bool, validatable);
    QFETCH(QColor, mark);
    fields.insert(QStringLiteral("id"), QStringLiteral("content01010000"));
    const QString pdf = write(oneGroupSession({test({content(QStringLiteral("Marked"), fields)}, validatable)}));
    const QList<Word> words = PdfProbe::words(pdf);
    // A validatable test shows the verdict, never the typed text.
    QCOMPARE(PdfProbe::find(words, QStringLiteral("7")).size() + PdfProbe::find(words, QStringLiteral("3")).size(), 0);
    const Word label = only(words, QStringLiteral("Marked"));
    const QImage page = PdfProbe::render(pdf, 1);
    const QRect markArea(valueLeft - 1, qRound(label.box.top()) - 3, 13, 16);
    const QColor other = mark == passedGreen ? failedOrange : passedGreen;
    QVERIFY(PdfProbe::countColour(page, markArea, mark) > 8);
    QCOMPARE(PdfProbe::countColour(page, markArea, other), 0);
}

void TestReportGenerator::computedValues_data()
{
    QTest::addColumn<QString>("join");
    QTest::addColumn<QString>("expected");
    QTest::newRow("constant") << QStringLiteral("(function(){return 7;})") << QStringLiteral("7.00");
    QTest::newRow("from a stored answer")
        << QStringLiteral("(function(){return #content01010000# * 2;})") << QStringLiteral("12.30");
    QTest::newRow("division by zero") << QStringLiteral("(function(){return 1 / (#content01010000# - 6.15);})")
                                      << translated("inputError");
    QTest::newRow("not a number") << QStringLiteral("(function(){return Math.sqrt(-1);})") << translated("inputError");
}

void TestReportGenerator::computedValues()
{
    QFETCH(QString, join);
    QFETCH(QString, expected);
    const QVariantMap reading =
        content(QStringLiteral("Reading"), {{QStringLiteral("id"), QStringLiteral("content01010000")},
                                            {QStringLiteral("resulttext"), QStringLiteral("6.15")}});
    // A computed content without a label of its own shows only its computed row.
    const QVariantMap computed{{QStringLiteral("id"), QStringLiteral("content01010001")},
                               {QStringLiteral("type"), QStringLiteral("text")},
                               {QStringLiteral("join"), join},
                               {QStringLiteral("jointext"), QStringLiteral("Computed")}};
    const QList<Word> words = PdfProbe::words(write(oneGroupSession({test({reading}), test({computed})})));
    const QString text = joined(words);
    QVERIFY2(text.contains(QStringLiteral("Computed ") + expected), qPrintable(text));
    QCOMPARE(qRound(only(words, expected.section(QLatin1Char(' '), 0, 0)).box.left()), valueLeft);
}

void TestReportGenerator::hiddenContentTakesNoSpace()
{
    const QVariantMap first = content(QStringLiteral("First"));
    const QVariantMap hidden = content(QStringLiteral("Hidden"), {{QStringLiteral("hidefromreport"), true}});
    const QVariantMap last = content(QStringLiteral("Last"));
    const QList<Word> withHidden = PdfProbe::words(write(oneGroupSession({test({first, hidden, last})})));
    const QList<Word> without = PdfProbe::words(write(oneGroupSession({test({first, last})})));
    QCOMPARE(PdfProbe::find(withHidden, QStringLiteral("Hidden")).size(), 0);
    QCOMPARE(only(withHidden, QStringLiteral("Last")).box.top(), only(without, QStringLiteral("Last")).box.top());
}

void TestReportGenerator::notesStackBelowValue()
{
    const QVariantMap noted =
        content(QStringLiteral("Noted"), {{QStringLiteral("reportdescription"), QStringLiteral("Describedunit")},
                                          {QStringLiteral("note"), QStringLiteral("Remarkbyoperator")},
                                          {QStringLiteral("resulttext"), QStringLiteral("5")}});
    const QList<Word> words =
        PdfProbe::words(write(oneGroupSession({test({noted, content(QStringLiteral("Following"))}, true)})));
    const Word label = only(words, QStringLiteral("Noted"));
    const Word description = only(words, QStringLiteral("Describedunit"));
    const Word note = only(words, QStringLiteral("Remarkbyoperator"));
    const Word following = only(words, QStringLiteral("Following"));
    QVERIFY(description.box.top() > label.box.bottom());
    QVERIFY(note.box.top() > description.box.bottom());
    QVERIFY(following.box.top() > note.box.bottom());
    // Notes start in the value column.
    QVERIFY(qAbs(description.box.left() - (valueLeft + 4)) <= 1.5);
    // One-line notes keep their fixed pitch: 2 points between rectangles of 13.
    QVERIFY(qAbs(note.box.top() - description.box.top() - 15) <= 1);
}

void TestReportGenerator::operatorNoteIsPlainText()
{
    const QVariantMap noted = content(
        QStringLiteral("Noted"), {{QStringLiteral("note"), QStringLiteral("Corner <b>TL</b> < 5 & dim\nSecondline")}});
    const QList<Word> words = PdfProbe::words(write(oneGroupSession({test({noted}, true)})));
    const QString text = joined(words);
    QVERIFY2(text.contains(QStringLiteral("Corner <b>TL</b> < 5 & dim Secondline")), qPrintable(text));
    QVERIFY(only(words, QStringLiteral("Secondline")).box.top() > only(words, QStringLiteral("Corner")).box.bottom());
}

void TestReportGenerator::wrappedValueDoesNotOverlapNextRow()
{
    const QString longText =
        QStringLiteral("Radiology department, second floor, building C, ").repeated(6) + QStringLiteral("Endword");
    const QString longNote = QStringLiteral("A remark that goes on and on across the page, ").repeated(6);
    const QVariantMap wrapped =
        content(QStringLiteral("Institute"),
                {{QStringLiteral("resulttext"), longText},
                 {QStringLiteral("reportdescription"), longNote + QStringLiteral("Valuenoteend")}});
    const QVariantMap next =
        content(QStringLiteral("Department"), {{QStringLiteral("resulttext"), QStringLiteral("Nuclear")}});
    // In a validatable test the operator's note follows the description.
    const QVariantMap judged = content(
        QStringLiteral("Judged"), {{QStringLiteral("reportdescription"), longNote + QStringLiteral("Descriptionend")},
                                   {QStringLiteral("note"), longNote + QStringLiteral("Noteend")}});
    const QVariantMap after = content(QStringLiteral("Afterwards"));
    const QList<Word> words =
        PdfProbe::words(write(oneGroupSession({test({wrapped, next}), test({judged, after}, true)})));

    const Word label = only(words, QStringLiteral("Institute"));
    const Word lastValueWord = only(words, QStringLiteral("Endword"));
    const Word valueNoteEnd = only(words, QStringLiteral("Valuenoteend"));
    QVERIFY2(lastValueWord.box.top() > label.box.bottom() + 20, "the value wraps to several lines");
    QVERIFY(valueNoteEnd.box.top() > lastValueWord.box.bottom() + 10);
    QVERIFY(only(words, QStringLiteral("Department")).box.top() > valueNoteEnd.box.bottom());
    // Every word of the wrapped value stays inside the value column.
    for (const Word &word : words) {
        if (word.box.top() > label.box.top() && word.box.bottom() < lastValueWord.box.bottom())
            QVERIFY2(word.box.left() >= valueLeft - 1, qPrintable(word.text));
    }

    const Word descriptionEnd = only(words, QStringLiteral("Descriptionend"));
    const Word noteEnd = only(words, QStringLiteral("Noteend"));
    qreal firstNoteTop = 1000;
    for (const Word &word : PdfProbe::find(words, QStringLiteral("A"))) {
        if (word.box.top() > descriptionEnd.box.top())
            firstNoteTop = qMin(firstNoteTop, word.box.top());
    }
    QVERIFY2(firstNoteTop > descriptionEnd.box.bottom(), "the note starts below the wrapped description");
    QVERIFY(only(words, QStringLiteral("Afterwards")).box.top() > noteEnd.box.bottom());
}

void TestReportGenerator::longSessionBreaksPages()
{
    QVariantList contents;
    for (int row = 0; row < 90; ++row)
        contents << content(QStringLiteral("Row%1").arg(row),
                            {{QStringLiteral("resulttext"), QStringLiteral("Value%1").arg(row)}});
    const QVariantMap session = oneGroupSession({test(contents)});
    ReportGenerator generator;
    const QString pdf = writeWith(generator, session);
    const int pages = PdfProbe::pageCount(pdf);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));

    const QList<Word> words = PdfProbe::words(pdf);
    for (int page = 1; page <= pages; ++page) {
        const QList<Word> onPage = PdfProbe::wordsOnPage(words, page);
        const QList<Word> footer = PdfProbe::find(onPage, QString::number(page));
        QVERIFY2(!footer.isEmpty(), qPrintable(QString::number(page)));
        const Word number = footer.constLast();
        QVERIFY(number.box.top() > contentBottom && number.box.bottom() < contentBottom + 22);
        QVERIFY(qAbs(number.box.center().x() - 297) <= 2);
        // Every row lies inside the content area; its label and value stay on one page.
        for (const Word &word : onPage) {
            if (word.box.top() < contentBottom)
                QVERIFY2(word.box.bottom() <= contentBottom + 1, qPrintable(word.text));
        }
    }
    for (int row = 0; row < 90; ++row) {
        const Word label = only(words, QStringLiteral("Row%1").arg(row));
        const Word value = only(words, QStringLiteral("Value%1").arg(row));
        QCOMPARE(label.page, value.page);
        QVERIFY(qAbs(label.box.top() - value.box.top()) <= 1);
    }
    // The first row of a continued page starts at the top of the content area.
    const QList<Word> secondPage = PdfProbe::wordsOnPage(words, 2);
    qreal topMost = 1000;
    for (const Word &word : secondPage)
        topMost = qMin(topMost, word.box.top());
    QVERIFY2(topMost >= 20 && topMost < 26, qPrintable(QString::number(topMost)));

    // A repeated run numbers its pages the same way.
    QCOMPARE(PdfProbe::pageCount(writeWith(generator, session)), pages);
}

void TestReportGenerator::closingBlockAtFootOfLastPage()
{
    // Sessions of growing length move the last row ever closer to the foot of
    // the page; the captions stay at the foot, on a new page when needed.
    bool sawSamePage = false;
    bool sawNewPage = false;
    for (int rows = 14; rows <= 44; ++rows) {
        QVariantList contents;
        for (int row = 0; row < rows; ++row)
            contents << content(QStringLiteral("Row%1").arg(row));
        const QString pdf = write(oneGroupSession({test(contents)}));
        const int pages = PdfProbe::pageCount(pdf);
        const QList<Word> words = PdfProbe::words(pdf);
        const QList<Word> lastPage = PdfProbe::wordsOnPage(words, pages);
        const Word date = only(lastPage, translated("date"));
        const Word signature = last(lastPage, translated("signature"));
        QVERIFY2(qAbs(date.box.top() - captionTop) <= 4, qPrintable(QString::number(date.box.top())));
        QCOMPARE(date.box.top(), signature.box.top());
        QVERIFY(qAbs(date.box.center().x() - (contentLeft + 100)) <= 2);
        QVERIFY(qAbs(signature.box.center().x() - (574 - 99)) <= 2);

        const Word name = only(words, translated("nameCapital").section(QLatin1Char(' '), 0, 0));
        QVERIFY(joined(words).contains(translated("report_group_17")));
        if (name.page == pages) {
            sawSamePage = true;
            QVERIFY2(name.box.bottom() < date.box.top(), qPrintable(QString::number(rows)));
        } else {
            sawNewPage = true;
            QCOMPARE(name.page, pages - 1);
            QCOMPARE(lastPage.size(), 3); // the two captions and the page number
        }
    }
    QVERIFY(sawSamePage);
    QVERIFY(sawNewPage);
}

void TestReportGenerator::badRecords_data()
{
    QTest::addColumn<QVariantMap>("session");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QVariantMap validGroup =
        group(QStringLiteral("Kept"), {subgroup(QStringLiteral("Part"), {test({content(QStringLiteral("Keptrow"))})})});
    const QVariantMap strayGroup = group(
        QStringLiteral("Stray"), {subgroup(QStringLiteral("Part"), {test({content(QStringLiteral("Strayrow"))})})});
    const QStringList closing{translated("report_group_17"), translated("signature")};

    QTest::newRow("record without any key")
        << QVariantMap{}
        << (QStringList(closing) << translated("reportpassedtest") << translated("monitor") + QStringLiteral(" 0"))
        << QStringList{QStringLiteral("Keptrow")};
    QTest::newRow("empty test_session") << AnsweredSession::record(QVariantMap{}, sessionDate) << closing
                                        << QStringList{};
    QTest::newRow("test_session is text") << AnsweredSession::record(QStringLiteral("groups"), sessionDate) << closing
                                          << QStringList{QStringLiteral("groups")};
    QTest::newRow("test_session is a list") << AnsweredSession::record(QVariantList{validGroup}, sessionDate) << closing
                                            << QStringList{QStringLiteral("Keptrow")};
    QTest::newRow("group key that is no number")
        << AnsweredSession::record(QVariantMap{{QStringLiteral("1"), validGroup}, {QStringLiteral("abc"), strayGroup}},
                                   sessionDate)
        << (QStringList(closing) << QStringLiteral("Keptrow")) << QStringList{QStringLiteral("Strayrow")};
    QTest::newRow("unknown group number")
        << AnsweredSession::record(QVariantMap{{QStringLiteral("99"), validGroup}}, sessionDate)
        << (QStringList(closing) << QStringLiteral("99 Kept") << QStringLiteral("99.1")) << QStringList{};
    QTest::newRow("group that is no map")
        << AnsweredSession::record(
               QVariantMap{{QStringLiteral("2"), QStringLiteral("broken")}, {QStringLiteral("3"), validGroup}},
               sessionDate)
        << (QStringList(closing) << QStringLiteral("Keptrow")) << QStringList{QStringLiteral("broken")};
    QTest::newRow("contents of the wrong shape")
        << AnsweredSession::record(
               QVariantMap{{QStringLiteral("1"), group(QStringLiteral("Kept"),
                                                       {subgroup(QStringLiteral("Part"),
                                                                 {QStringLiteral("test"),
                                                                  test({42, content(QStringLiteral("Keptrow"))})})})}},
               sessionDate)
        << (QStringList(closing) << QStringLiteral("Keptrow")) << QStringList{};
}

void TestReportGenerator::badRecords()
{
    QFETCH(QVariantMap, session);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QString pdf = write(session);
    QCOMPARE(PdfProbe::pageCount(pdf), 1);
    const QString text = joined(PdfProbe::words(pdf));
    QVERIFY(text.contains(translated("report_header_1")));
    for (const QString &expected : qAsConst(present))
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in ") + text));
    for (const QString &unexpected : qAsConst(absent))
        QVERIFY2(!text.contains(unexpected), qPrintable(unexpected));
}

void TestReportGenerator::missingPainterOrPrinterDrawsNothing()
{
    const QString path = m_folder.filePath(QStringLiteral("nothing.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    ReportGenerator::setUpPrinter(&printer, {});
    printer.setOutputFileName(path);
    QPainter painter;
    ReportGenerator generator;
    generator.generate(nullptr, &painter, oneGroupSession({}));
    generator.generate(&printer, nullptr, oneGroupSession({}));
    QVERIFY(!QFile::exists(path));

    // A printer that cannot begin leaves the run without drawing.
    printer.setOutputFileName(m_folder.filePath(QStringLiteral("missing/folder/report.pdf")));
    generator.generate(&printer, &painter, oneGroupSession({}));
    QVERIFY(!painter.isActive());
}

void TestReportGenerator::printerSetUp()
{
    QPrinter printer(QPrinter::HighResolution);
    ReportGenerator::setUpPrinter(&printer, AnsweredSession::record({}, sessionDate));
    QCOMPARE(printer.resolution(), 72);
    QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(printer.outputFileName(), QStringLiteral("20260314-0930"));
    QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
    QCOMPARE(printer.pageRect(QPrinter::DevicePixel).toRect(), QRect(0, 0, 595, 842));
}

QTEST_MAIN(TestReportGenerator)
#include "tst_reportgenerator.moc"
