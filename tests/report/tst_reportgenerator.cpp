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

// A session of one test holding the given number of rows "Row<n>".
QVariantMap rowsSession(int rows, bool withValues = false)
{
    QVariantList contents;
    for (int row = 0; row < rows; ++row) {
        const QVariantMap value{{QStringLiteral("resulttext"), QStringLiteral("Value%1").arg(row)}};
        contents << content(QStringLiteral("Row%1").arg(row), withValues ? value : QVariantMap());
    }
    return oneGroupSession({test(contents)});
}

// The last of the words with this text (the value of a row whose label uses the same word).
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

    void firstPage_data();
    void firstPage();
    void groupHeadingsOfFullSession();
    void subgroupNumbering();
    void answerMarksAndSubgroupIcons();
    void answers();
    void computedValues();
    void notesStackBelowValue();
    void wrappedValueDoesNotOverlapNextRow();
    void longSessionBreaksPages();
    void closingBlockAtFootOfLastPage();
    void badRecords_data();
    void badRecords();
    void missingPainterOrPrinterDrawsNothing();

private:
    QString write(const QVariantMap &session);

    QTemporaryDir m_folder;
    int m_reports = 0;
    // One generator writes every report, as the program reuses its own.
    ReportGenerator m_generator;
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
    const QString path = m_folder.filePath(QStringLiteral("report%1.pdf").arg(++m_reports));
    QPrinter printer(QPrinter::HighResolution);
    ReportGenerator::setUpPrinter(&printer, session);
    printer.setOutputFileName(path);
    QPainter painter;
    m_generator.generate(&printer, &painter, session);
    return path;
}

void TestReportGenerator::firstPage_data()
{
    QTest::addColumn<int>("failed");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("absentSummary");
    QTest::addColumn<QColor>("shown");
    QTest::addColumn<QColor>("absent");
    QTest::newRow("passed") << 0 << translated("reportpassedtest") << translated("reportfailedtest0") << passedGreen
                            << failedOrange;
    QTest::newRow("three errors") << 3
                                  << translated("reportfailedtest0") + QLatin1Char(' ') +
                                         translated("reportfailedtest1").arg(3)
                                  << translated("reportpassedtest") << failedOrange << passedGreen;
}

void TestReportGenerator::firstPage()
{
    QFETCH(int, failed);
    QFETCH(QString, summary);
    QFETCH(QString, absentSummary);
    QFETCH(QColor, shown);
    QFETCH(QColor, absent);
    const QString pdf = write(oneGroupSession({}, failed));
    const QList<Word> words = PdfProbe::words(pdf);
    const QString text = PdfProbe::text(words);

    // The letterhead titles wrap within their columns, so their words are looked up one by one.
    const QStringList titles{translated("report_header_0").toUpper(), translated("report_header_1"),
                             translated("report_header_2").toUpper()};
    for (const QString &titleWord : titles.join(QLatin1Char(' ')).split(QLatin1Char(' ')))
        QVERIFY2(!PdfProbe::find(words, titleWord).isEmpty(), qPrintable(titleWord));
    QCOMPARE(qRound(only(words, titles.first().section(QLatin1Char(' '), 0, 0)).box.left()), 33);
    const Word day = only(words, QStringLiteral("14/03/26"));
    QCOMPARE(qRound(day.box.left()), 495);
    QVERIFY(day.box.top() >= 76 && day.box.bottom() <= 89);
    QVERIFY(text.contains(QStringLiteral("14/03/26 - 09.30")));

    QVERIFY2(text.contains(summary), qPrintable(text));
    QVERIFY(!text.contains(absentSummary));
    const QImage page = PdfProbe::render(pdf, 1);
    const QRect band(contentLeft, 116, 555, 24);
    QVERIFY(PdfProbe::countColour(page, band, shown) > 30);
    QCOMPARE(PdfProbe::countColour(page, band, absent), 0);
    if (failed > 0) {
        // The errors text starts 10 points after the found text.
        const Word lastFound = only(words, translated("reportfailedtest0").section(QLatin1Char(' '), -1));
        const Word count = only(words, QString::number(failed));
        QVERIFY2(qAbs(count.box.left() - lastFound.box.right() - 10) <= 2,
                 qPrintable(QString::number(count.box.left())));
    }

    // The monitor row: label right-aligned in its column, value on the same line at the value column.
    QVERIFY(text.contains(translated("monitor") + QStringLiteral(" 1 EIZO RadiForce RX660 (3280 x 2048)")));
    const Word value = last(words, translated("monitor"));
    const Word labelEnd = only(words, translated("reportmonitortested").section(QLatin1Char(' '), -1));
    QCOMPARE(qRound(value.box.left()), valueLeft);
    QVERIFY2(qAbs(labelEnd.box.right() - labelTextRight) <= 1.5, qPrintable(QString::number(labelEnd.box.right())));
    QVERIFY(value.box.top() >= 149 && value.box.bottom() <= 162);
    QVERIFY(qAbs(value.box.top() - labelEnd.box.top()) <= 1);
}

void TestReportGenerator::groupHeadingsOfFullSession()
{
    const QList<Word> words = PdfProbe::words(write(AnsweredSession::fullRecord(sessionDate)));
    const QString text = PdfProbe::text(words);
    for (int number = 1; number <= 7; ++number) {
        const QString heading =
            translated(qPrintable(QStringLiteral("report_group_%1").arg(number, 2, 10, QLatin1Char('0'))));
        QVERIFY2(text.contains(QString::number(number) + QLatin1Char(' ') + heading), qPrintable(heading));
        // The number is drawn large, right-aligned in the 30 points left of the heading.
        const QList<Word> numbers = PdfProbe::find(words, QString::number(number));
        QVERIFY2(
            std::any_of(numbers.begin(), numbers.end(),
                        [](const Word &word) { return word.box.height() > 18 && qAbs(word.box.right() - 49) <= 2; }),
            qPrintable(QString::number(number)));
    }
}

void TestReportGenerator::subgroupNumbering()
{
    const QVariantList tests{test({content(QStringLiteral("Row"))})};
    const QVariantMap groups{
        {QStringLiteral("0"),
         group(QStringLiteral("Operatorgroup"), {subgroup(QStringLiteral("Operatorpart"), tests)})},
        {QStringLiteral("4"), group(QStringLiteral("Visual"), {subgroup(QStringLiteral("Firstpart"), tests),
                                                               subgroup(QStringLiteral("Hiddenpart"), tests, true),
                                                               subgroup(QStringLiteral("Thirdpart"), tests)})}};
    const QList<Word> words = PdfProbe::words(write(AnsweredSession::record(groups, sessionDate)));
    const QString text = PdfProbe::text(words);
    // Group 0 shows its rows without any heading.
    for (const char *absent : {"Operatorgroup", "OPERATORPART", "0.1", "4.3", "HIDDENPART"})
        QVERIFY2(!text.contains(QLatin1String(absent)), absent);
    QCOMPARE(PdfProbe::find(words, QStringLiteral("Row")).size(), 4);
    // The hidden title is not counted: the third subgroup is "4.2".
    QVERIFY2(text.contains(QStringLiteral("4.1 FIRSTPART Row - Row - 4.2 THIRDPART Row -")), qPrintable(text));
}

void TestReportGenerator::answerMarksAndSubgroupIcons()
{
    const auto validated = [](const QString &label, const QString &id, const QString &answer) {
        const QString validator = QStringLiteral("(function(){return #%1# > 5;})").arg(id);
        return test({content(label, {{QStringLiteral("id"), id},
                                     {QStringLiteral("resulttext"), answer},
                                     {QStringLiteral("validator"), validator}})},
                    true);
    };
    // A boolean answered "no" fails even in a test that is not validatable.
    const auto boolean = [](const QString &label, bool answer) {
        return test({content(
            label, {{QStringLiteral("type"), QStringLiteral("boolean")}, {QStringLiteral("resultboolean"), answer}})});
    };
    const QVariantMap groups{
        {QStringLiteral("1"),
         group(QStringLiteral("Checks"),
               {subgroup(QStringLiteral("Good"), {validated(QStringLiteral("Validgood"),
                                                            QStringLiteral("content01010000"), QStringLiteral("7")),
                                                  boolean(QStringLiteral("Booleanyes"), true)}),
                subgroup(QStringLiteral("Bad"),
                         {validated(QStringLiteral("Validbad"), QStringLiteral("content01020000"), QStringLiteral("3")),
                          boolean(QStringLiteral("Booleanno"), false)})})}};
    const QString pdf = write(AnsweredSession::record(groups, sessionDate));
    const QList<Word> words = PdfProbe::words(pdf);
    // A validatable test shows the verdict, never the typed text.
    QCOMPARE(PdfProbe::find(words, QStringLiteral("7")).size() + PdfProbe::find(words, QStringLiteral("3")).size(), 0);

    const QImage page = PdfProbe::render(pdf, 1);
    const auto expectColour = [&page](const QString &what, const QRect &area, const QColor &shown, int minimum) {
        const QColor other = shown == passedGreen ? failedOrange : passedGreen;
        QVERIFY2(PdfProbe::countColour(page, area, shown) > minimum, qPrintable(what));
        QVERIFY2(PdfProbe::countColour(page, area, other) == 0, qPrintable(what));
    };
    const QList<QPair<QString, QColor>> marks{{QStringLiteral("Validgood"), passedGreen},
                                              {QStringLiteral("Booleanyes"), passedGreen},
                                              {QStringLiteral("Validbad"), failedOrange},
                                              {QStringLiteral("Booleanno"), failedOrange}};
    for (const auto &mark : marks) {
        const int labelTop = qRound(only(words, mark.first).box.top());
        expectColour(mark.first, QRect(valueLeft - 1, labelTop - 3, 13, 16), mark.second, 8);
    }
    // The subgroup's icon beside its number: passed, or failed when any content failed.
    for (const auto &icon :
         {qMakePair(QStringLiteral("1.1"), passedGreen), qMakePair(QStringLiteral("1.2"), failedOrange)}) {
        const int numberBottom = qRound(only(words, icon.first).box.bottom());
        expectColour(icon.first, QRect(contentLeft + 10, numberBottom - 16, 16, 18), icon.second, 60);
    }
}

void TestReportGenerator::answers()
{
    const QVariantList items{QVariantMap{{QStringLiteral("value"), QStringLiteral("200")},
                                         {QStringLiteral("text"), QStringLiteral("Room A")}},
                             QVariantMap{{QStringLiteral("value"), QStringLiteral("300")},
                                         {QStringLiteral("text"), QStringLiteral("Room B")}}};
    const QVariantList contents{
        content(QStringLiteral("Typed"), {{QStringLiteral("resulttext"), QStringLiteral("Radiology")}}),
        content(QStringLiteral("Empty")),
        content(QStringLiteral("Chosen"), {{QStringLiteral("type"), QStringLiteral("multiselect")},
                                           {QStringLiteral("content"), QVariantMap{{QStringLiteral("items"), items}}},
                                           {QStringLiteral("resultmultiselect"), QStringLiteral("300")}}),
        content(QStringLiteral("Hidden"), {{QStringLiteral("hidefromreport"), true}}),
        content(QStringLiteral("Information"), {{QStringLiteral("type"), QStringLiteral("info")},
                                                {QStringLiteral("resulttext"), QStringLiteral("Ignored")}}),
        content(QStringLiteral("Unknown"), {{QStringLiteral("type"), QStringLiteral("slider")},
                                            {QStringLiteral("resulttext"), QStringLiteral("5")}}),
        content(QStringLiteral("Last"), {{QStringLiteral("resulttext"), QStringLiteral("Lastvalue")}})};
    const QList<Word> words = PdfProbe::words(write(oneGroupSession({test(contents)})));
    // An empty answer shows a dash; info rows and contents of unknown types show no value, hidden ones nothing.
    const QString text = PdfProbe::text(words);
    QVERIFY2(text.contains(QStringLiteral("Typed Radiology Empty - Chosen Room B Information Unknown Last Lastvalue")),
             qPrintable(text));
    for (const char *value : {"Radiology", "Room", "Lastvalue"})
        QCOMPARE(qRound(only(words, QLatin1String(value)).box.left()), valueLeft);
}

void TestReportGenerator::computedValues()
{
    const QVariantMap reading =
        content(QStringLiteral("Reading"), {{QStringLiteral("id"), QStringLiteral("content01010000")},
                                            {QStringLiteral("resulttext"), QStringLiteral("6.15")}});
    QVariantList tests{test({reading})};
    const QStringList joins{QStringLiteral("#content01010000# * 2"), QStringLiteral("1 / (#content01010000# - 6.15)"),
                            QStringLiteral("Math.sqrt(-1)")};
    for (int i = 0; i < joins.size(); ++i) {
        // A computed content without a label of its own shows only its computed row.
        tests << test(
            {QVariantMap{{QStringLiteral("id"), QStringLiteral("content0101000%1").arg(i + 1)},
                         {QStringLiteral("type"), QStringLiteral("text")},
                         {QStringLiteral("join"), QStringLiteral("(function(){return %1;})").arg(joins.at(i))},
                         {QStringLiteral("jointext"), QStringLiteral("Computed%1").arg(i)}}});
    }
    const QList<Word> words = PdfProbe::words(write(oneGroupSession(tests)));
    const QString error = translated("inputError");
    const QString text = PdfProbe::text(words);
    QVERIFY2(text.contains(QStringLiteral("Computed0 12.30 Computed1 %1 Computed2 %1").arg(error)), qPrintable(text));
    const QList<Word> values =
        PdfProbe::find(words, QStringLiteral("12.30")) + PdfProbe::find(words, error.section(QLatin1Char(' '), 0, 0));
    QCOMPARE(values.size(), 3);
    for (const Word &value : values)
        QCOMPARE(qRound(value.box.left()), valueLeft);
}

void TestReportGenerator::notesStackBelowValue()
{
    // The operator's note is plain text: markup characters show as typed, a line break breaks the line.
    const QVariantMap noted = content(
        QStringLiteral("Noted"), {{QStringLiteral("reportdescription"), QStringLiteral("Describedunit")},
                                  {QStringLiteral("note"), QStringLiteral("Corner <b>TL</b> < 5 & dim\nSecondline")},
                                  {QStringLiteral("resulttext"), QStringLiteral("5")}});
    const QList<Word> words =
        PdfProbe::words(write(oneGroupSession({test({noted, content(QStringLiteral("Following"))}, true)})));
    const QString text = PdfProbe::text(words);
    QVERIFY2(text.contains(QStringLiteral("Describedunit Corner <b>TL</b> < 5 & dim Secondline Following")),
             qPrintable(text));
    const Word label = only(words, QStringLiteral("Noted"));
    const Word description = only(words, QStringLiteral("Describedunit"));
    const Word note = only(words, QStringLiteral("Corner"));
    const Word secondLine = only(words, QStringLiteral("Secondline"));
    QVERIFY(description.box.top() > label.box.bottom());
    QVERIFY(secondLine.box.top() > note.box.bottom());
    QVERIFY(only(words, QStringLiteral("Following")).box.top() > secondLine.box.bottom());
    // Notes start in the value column; one-line notes keep their fixed pitch: 2 points between rectangles of 13.
    QVERIFY(qAbs(description.box.left() - (valueLeft + 4)) <= 1.5);
    QVERIFY(qAbs(note.box.top() - description.box.top() - 15) <= 1);
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
    const QVariantMap judged =
        content(QStringLiteral("Judged"),
                {{QStringLiteral("reportdescription"), longNote + QStringLiteral("Descriptionend")},
                 {QStringLiteral("note"), QStringLiteral("Notestart ") + longNote + QStringLiteral("Noteend")}});
    const QList<Word> words = PdfProbe::words(
        write(oneGroupSession({test({wrapped, next}), test({judged, content(QStringLiteral("Afterwards"))}, true)})));

    const Word label = only(words, QStringLiteral("Institute"));
    const Word lastValueWord = only(words, QStringLiteral("Endword"));
    QVERIFY2(lastValueWord.box.top() > label.box.bottom() + 20, "the value wraps to several lines");
    const Word valueNoteEnd = only(words, QStringLiteral("Valuenoteend"));
    QVERIFY(valueNoteEnd.box.top() > lastValueWord.box.bottom() + 10);
    QVERIFY(only(words, QStringLiteral("Department")).box.top() > valueNoteEnd.box.bottom());
    // Every word of the wrapped value stays inside the value column.
    for (const Word &word : words) {
        if (word.box.top() > label.box.top() && word.box.bottom() < lastValueWord.box.bottom())
            QVERIFY2(word.box.left() >= valueLeft - 1, qPrintable(word.text));
    }
    QVERIFY(only(words, QStringLiteral("Notestart")).box.top() >
            only(words, QStringLiteral("Descriptionend")).box.bottom());
    QVERIFY(only(words, QStringLiteral("Afterwards")).box.top() > only(words, QStringLiteral("Noteend")).box.bottom());
}

void TestReportGenerator::longSessionBreaksPages()
{
    const QVariantMap session = rowsSession(90, true);
    const QString pdf = write(session);
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
        // Every row lies inside the content area.
        for (const Word &word : onPage) {
            if (word.box.top() < contentBottom)
                QVERIFY2(word.box.bottom() <= contentBottom + 1, qPrintable(word.text));
        }
    }
    // A row's label and value stay together on one page.
    for (int row = 0; row < 90; ++row) {
        const Word label = only(words, QStringLiteral("Row%1").arg(row));
        const Word value = only(words, QStringLiteral("Value%1").arg(row));
        QCOMPARE(label.page, value.page);
        QVERIFY(qAbs(label.box.top() - value.box.top()) <= 1);
    }
    // The first row of a continued page starts at the top of the content area.
    const QList<Word> secondPage = PdfProbe::wordsOnPage(words, 2);
    const qreal topMost = std::min_element(secondPage.begin(), secondPage.end(), [](const Word &a, const Word &b) {
                              return a.box.top() < b.box.top();
                          })->box.top();
    QVERIFY2(topMost >= 20 && topMost < 26, qPrintable(QString::number(topMost)));

    // A repeated run numbers its pages the same way.
    QCOMPARE(PdfProbe::pageCount(write(session)), pages);
}

void TestReportGenerator::closingBlockAtFootOfLastPage()
{
    // Sessions of growing length move the last row ever closer to the foot of
    // the page; the captions stay at the foot, on a new page when needed.
    bool sawSamePage = false;
    bool sawNewPage = false;
    for (int rows = 14; rows <= 44; ++rows) {
        const QString pdf = write(rowsSession(rows));
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
        QVERIFY(PdfProbe::text(words).contains(translated("report_group_17")));
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
    const QStringList kept = QStringList(closing) << QStringLiteral("Keptrow");
    const auto record = [](const QVariant &testSession) { return AnsweredSession::record(testSession, sessionDate); };

    QTest::newRow("record without any key")
        << QVariantMap{}
        << (QStringList(closing) << translated("reportpassedtest") << translated("monitor") + QStringLiteral(" 0"))
        << QStringList{QStringLiteral("Keptrow")};
    QTest::newRow("empty test_session") << record(QVariantMap{}) << closing << QStringList{};
    QTest::newRow("test_session is text")
        << record(QStringLiteral("groups")) << closing << QStringList{QStringLiteral("groups")};
    QTest::newRow("test_session is a list")
        << record(QVariantList{validGroup}) << closing << QStringList{QStringLiteral("Keptrow")};
    QTest::newRow("group key that is no number")
        << record(QVariantMap{{QStringLiteral("1"), validGroup}, {QStringLiteral("abc"), strayGroup}}) << kept
        << QStringList{QStringLiteral("Strayrow")};
    QTest::newRow("unknown group number")
        << record(QVariantMap{{QStringLiteral("99"), validGroup}})
        << (QStringList(kept) << QStringLiteral("99 Kept") << QStringLiteral("99.1")) << QStringList{};
    QTest::newRow("group that is no map")
        << record(QVariantMap{{QStringLiteral("2"), QStringLiteral("broken")}, {QStringLiteral("3"), validGroup}})
        << kept << QStringList{QStringLiteral("broken")};
    QTest::newRow("contents of the wrong shape")
        << record(QVariantMap{
               {QStringLiteral("1"),
                group(QStringLiteral("Kept"),
                      {subgroup(QStringLiteral("Part"),
                                {QStringLiteral("test"), test({42, content(QStringLiteral("Keptrow"))})})})}})
        << kept << QStringList{};
}

void TestReportGenerator::badRecords()
{
    QFETCH(QVariantMap, session);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QString pdf = write(session);
    QCOMPARE(PdfProbe::pageCount(pdf), 1);
    const QString text = PdfProbe::text(PdfProbe::words(pdf));
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
    m_generator.generate(nullptr, &painter, oneGroupSession({}));
    m_generator.generate(&printer, nullptr, oneGroupSession({}));
    QVERIFY(!QFile::exists(path));

    // A printer that cannot begin leaves the run without drawing.
    printer.setOutputFileName(m_folder.filePath(QStringLiteral("missing/folder/report.pdf")));
    m_generator.generate(&printer, &painter, oneGroupSession({}));
    QVERIFY(!painter.isActive());
}

QTEST_MAIN(TestReportGenerator)
#include "tst_reportgenerator.moc"
