#include "answeredsession.h"
#include "defaultdictionary.h"
#include "gsdf.h"
#include "luminanceresponse.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "translator.h"

#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using PdfProbe::Word;

namespace {

const QDateTime sessionDate(QDate(2026, 3, 14), QTime(9, 30));
const QColor passedGreen(QStringLiteral("#8cc640"));
const QColor failedOrange(QStringLiteral("#f15b26"));
const QColor measuredBlue(QStringLiteral("#1f6fd1"));

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

QVariantMap session(const QString &testSession, int failedContents = 0)
{
    return AnsweredSession::record(AnsweredSession::fromJson(testSession), sessionDate, failedContents);
}

QVariantMap oneGroupSession(const QString &tests, int failedContents = 0)
{
    return AnsweredSession::oneGroupRecord(tests, sessionDate, failedContents);
}

// A session of one test holding the rows "Row<n>" with the values "Value<n>" or empty ones.
QVariantMap rowsSession(int rows, bool withValues = false)
{
    QStringList contents;
    for (int row = 0; row < rows; ++row) {
        contents << QStringLiteral(R"({"report": "Row%1", "type": "text", "resulttext": "%2"})")
                        .arg(row)
                        .arg(withValues ? QStringLiteral("Value%1").arg(row) : QString());
    }
    return oneGroupSession(QStringLiteral(R"([{"content": [%1]}])").arg(contents.join(QLatin1Char(','))));
}

// The readings, typed with two decimals, of a display whose JND index follows the
// driving level to the given power from 0.8 to 400 cd/m2 (power 1: the GSDF itself).
QStringList readings(double power, int stepOff = -1)
{
    const double first = Gsdf::index(0.8);
    const double range = Gsdf::index(400) - first;
    QStringList texts;
    double factor = 1;
    for (int i = 0; i < 18; ++i) {
        if (stepOff >= 0 && i == stepOff + 1) // this step's contrast grows by 15 %, moving every brighter reading
            factor =
                std::pow(Gsdf::luminance(first + i * range / 17) / Gsdf::luminance(first + (i - 1) * range / 17), 0.15);
        texts << QString::number(Gsdf::luminance(first + range * std::pow(i / 17.0, power)) * factor, 'f', 2);
    }
    return texts;
}

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

// The area shows the passed green or the failed orange, and nothing of the other.
void expectColour(const QImage &page, const QRect &area, const QColor &shown, int minimumPixels, const QString &what)
{
    const QColor other = shown == passedGreen ? failedOrange : passedGreen;
    QVERIFY2(PdfProbe::countColour(page, area, shown) > minimumPixels, qPrintable(what));
    QVERIFY2(PdfProbe::countColour(page, area, other) == 0, qPrintable(what));
}

} // namespace

class TestReportGenerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void firstPage_data();
    void firstPage();
    void subgroupNumbering();
    void answerMarksAndSubgroupIcons();
    void rowValues();
    void wrappedValuesAndNotesDoNotOverlap();
    void longTextsContinueOnNextPages();
    void longSessionBreaksPages();
    void closingBlockAtFootOfLastPage();
    void luminanceResponse_data();
    void luminanceResponse();
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
    QVERIFY(translated("reportpassedtest") != QLatin1String("reportpassedtest"));
}

QString TestReportGenerator::write(const QVariantMap &session)
{
    const QString path = m_folder.filePath(QStringLiteral("report%1.pdf").arg(++m_reports));
    if (!m_generator.writePdf(session, path))
        qWarning() << "no report written to" << path;
    return path;
}

void TestReportGenerator::firstPage_data()
{
    QTest::addColumn<int>("failed");
    QTest::addColumn<QString>("summary");
    QTest::newRow("passed") << 0 << translated("reportpassedtest");
    QTest::newRow("three errors") << 3
                                  << translated("reportfailedtest0") + QLatin1Char(' ') +
                                         translated("reportfailedtest1").arg(3);
}

void TestReportGenerator::firstPage()
{
    QFETCH(int, failed);
    QFETCH(QString, summary);
    const QString pdf = write(oneGroupSession(QStringLiteral("[]"), failed));
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
    QVERIFY(!text.contains(translated(failed == 0 ? "reportfailedtest0" : "reportpassedtest")));
    expectColour(PdfProbe::render(pdf, 1), QRect(contentLeft, 116, 555, 24), failed == 0 ? passedGreen : failedOrange,
                 30, summary);
    if (failed > 0) {
        // The errors text starts 10 points after the found text.
        const Word lastFound = only(words, translated("reportfailedtest0").section(QLatin1Char(' '), -1));
        QVERIFY(qAbs(only(words, QString::number(failed)).box.left() - lastFound.box.right() - 10) <= 2);
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

void TestReportGenerator::subgroupNumbering()
{
    const QString tests = QStringLiteral(R"([{"content": [{"report": "Row", "type": "text"}]}])");
    const QList<Word> words = PdfProbe::words(write(session(QStringLiteral(R"({
        "0": {"report": "Operatorgroup", "subgroups": {"1": {"report": "Operatorpart", "tests": %1}}},
        "4": {"report": "Visual", "subgroups": {"1": {"report": "Firstpart", "tests": %1},
                                                "2": {"report": "Hiddenpart", "hidetitle": true, "tests": %1},
                                                "3": {"report": "Thirdpart", "tests": %1}}}})")
                                                                .arg(tests))));
    const QString text = PdfProbe::text(words);
    // Group 0 shows its rows without any heading; a hidden title is not counted.
    for (const char *absent : {"Operatorgroup", "OPERATORPART", "0.1", "4.3", "HIDDENPART"})
        QVERIFY2(!text.contains(QLatin1String(absent)), absent);
    QCOMPARE(PdfProbe::find(words, QStringLiteral("Row")).size(), 4);
    QVERIFY2(text.contains(QStringLiteral("4 Visual 4.1 FIRSTPART Row - Row - 4.2 THIRDPART Row -")), qPrintable(text));
    // The group number is drawn large, right-aligned in the 30 points left of the heading.
    const Word number = only(words, QStringLiteral("4"));
    QVERIFY(number.box.height() > 18 && qAbs(number.box.right() - 49) <= 2);
}

void TestReportGenerator::answerMarksAndSubgroupIcons()
{
    // A boolean answered "no" fails even in a test that is not validatable.
    const QString pdf = write(session(QStringLiteral(R"json({"1": {"report": "Checks", "subgroups": {
        "1": {"report": "Good", "tests": [
            {"validatable": true, "content": [{"report": "Validgood", "type": "text", "id": "content01010000",
                "resulttext": "7", "validator": "(function(){return #content01010000# > 5;})"}]},
            {"content": [{"report": "Booleanyes", "type": "boolean", "resultboolean": true}]}]},
        "2": {"report": "Bad", "tests": [
            {"validatable": true, "content": [{"report": "Validbad", "type": "text", "id": "content01020000",
                "resulttext": "3", "validator": "(function(){return #content01020000# > 5;})"}]},
            {"content": [{"report": "Booleanno", "type": "boolean", "resultboolean": false}]}]}}}})json")));
    const QList<Word> words = PdfProbe::words(pdf);
    // A validatable test shows the verdict, never the typed text.
    QCOMPARE(PdfProbe::find(words, QStringLiteral("7")).size() + PdfProbe::find(words, QStringLiteral("3")).size(), 0);

    const QImage page = PdfProbe::render(pdf, 1);
    const QList<QPair<QString, QColor>> marks{{QStringLiteral("Validgood"), passedGreen},
                                              {QStringLiteral("Booleanyes"), passedGreen},
                                              {QStringLiteral("Validbad"), failedOrange},
                                              {QStringLiteral("Booleanno"), failedOrange}};
    for (const auto &mark : marks) {
        const int labelTop = qRound(only(words, mark.first).box.top());
        expectColour(page, QRect(valueLeft - 1, labelTop - 3, 13, 16), mark.second, 8, mark.first);
    }
    // The subgroup's icon beside its number: passed, or failed when any content failed.
    for (const auto &icon :
         {qMakePair(QStringLiteral("1.1"), passedGreen), qMakePair(QStringLiteral("1.2"), failedOrange)}) {
        const int numberBottom = qRound(only(words, icon.first).box.bottom());
        expectColour(page, QRect(contentLeft + 10, numberBottom - 16, 16, 18), icon.second, 60, icon.first);
    }
}

void TestReportGenerator::rowValues()
{
    // An empty answer shows a dash; info rows and contents of unknown types show no value, hidden ones
    // nothing. Computed values show two decimals; a computed content without a label of its own shows
    // only its computed row.
    const QList<Word> words = PdfProbe::words(write(oneGroupSession(QStringLiteral(R"json([{"content": [
        {"report": "Typed", "type": "text", "id": "content01010000", "resulttext": "6.15"},
        {"report": "Empty", "type": "text"},
        {"report": "Chosen", "type": "multiselect", "resultmultiselect": "300",
         "content": {"items": [{"value": "200", "text": "Room A"}, {"value": "300", "text": "Room B"}]}},
        {"report": "Hidden", "type": "text", "hidefromreport": true},
        {"report": "Information", "type": "info", "resulttext": "Ignored"},
        {"report": "Unknown", "type": "slider", "resulttext": "5"},
        {"id": "content01010001", "type": "text", "jointext": "Doubled",
         "join": "(function(){return #content01010000# * 2;})"},
        {"id": "content01010002", "type": "text", "jointext": "Infinite",
         "join": "(function(){return 1 / (#content01010000# - 6.15);})"},
        {"id": "content01010003", "type": "text", "jointext": "Nan", "join": "(function(){return Math.sqrt(-1);})"}
        ]}])json"))));
    const QString text = PdfProbe::text(words);
    QVERIFY2(text.contains(QStringLiteral("Typed 6.15 Empty - Chosen Room B Information Unknown Doubled 12.30 "
                                          "Infinite %1 Nan %1")
                               .arg(translated("inputError"))),
             qPrintable(text));
}

void TestReportGenerator::wrappedValuesAndNotesDoNotOverlap()
{
    // In a validatable test the operator's note follows the description; it is plain
    // text: markup characters show as typed, a line break breaks the line.
    const QString longText = QStringLiteral("Radiology department, second floor, building C, ").repeated(6);
    const QString longNote = QStringLiteral("A remark that goes on and on across the page, ").repeated(6);
    const QList<Word> words = PdfProbe::words(write(oneGroupSession(QStringLiteral(R"([
        {"content": [{"report": "Institute", "type": "text", "resulttext": "%1Endword",
                      "reportdescription": "%2Valuenoteend"},
                     {"report": "Department", "type": "text", "resulttext": "Nuclear"}]},
        {"validatable": true, "content": [
            {"report": "Judged", "type": "text", "reportdescription": "%2Descriptionend", "note": "Notestart %2Noteend"},
            {"report": "Noted", "type": "text", "reportdescription": "Describedunit",
             "note": "Corner <b>TL</b> < 5 & dim\nSecondline"},
            {"report": "Afterwards", "type": "text"}]}])")
                                                                        .arg(longText, longNote))));
    const auto top = [&words](const char *text) { return only(words, QLatin1String(text)).box.top(); };
    const auto bottom = [&words](const char *text) { return only(words, QLatin1String(text)).box.bottom(); };
    // Each listed word starts below the one before it.
    const char *const order[] = {"Institute", "Endword", "Valuenoteend",  "Department", "Descriptionend", "Notestart",
                                 "Noteend",   "Noted",   "Describedunit", "Corner",     "Secondline",     "Afterwards"};
    for (int i = 1; i < int(std::size(order)); ++i)
        QVERIFY2(top(order[i]) > bottom(order[i - 1]), order[i]);
    QVERIFY2(top("Endword") > bottom("Institute") + 20, "the value wraps to several lines");
    // Every word of the wrapped value stays inside the value column.
    for (const Word &word : words) {
        if (word.box.top() > top("Institute") && word.box.bottom() < bottom("Endword"))
            QVERIFY2(word.box.left() >= valueLeft - 1, qPrintable(word.text));
    }
    QVERIFY(PdfProbe::text(words).contains(QStringLiteral("Describedunit Corner <b>TL</b> < 5 & dim Secondline")));
    // Notes start in the value column; one-line notes keep their fixed pitch: 2 points between rectangles of 13.
    QVERIFY(qAbs(only(words, QStringLiteral("Describedunit")).box.left() - (valueLeft + 4)) <= 1.5);
    QVERIFY(qAbs(top("Corner") - top("Describedunit") - 15) <= 1);
}

void TestReportGenerator::longTextsContinueOnNextPages()
{
    // A value and a note each longer than a page: every word is printed once, inside the content area.
    QStringList value, note;
    for (int word = 0; word < 1500; ++word) {
        value << QStringLiteral("v%1").arg(word);
        note << QStringLiteral("n%1").arg(word);
    }
    const QList<Word> words = PdfProbe::words(write(
        oneGroupSession(QStringLiteral(R"([{"content": [{"report": "Longvalue", "type": "text", "resulttext": "%1",
                                         "reportdescription": "%2"}, {"report": "Afterwards", "type": "text"}]}])")
                            .arg(value.join(QLatin1Char(' ')), note.join(QLatin1Char(' '))))));
    const QStringList all = value + note << QStringLiteral("Afterwards");
    for (int i = 0; i < all.size(); ++i) {
        const Word word = only(words, all.at(i));
        QVERIFY2(word.box.bottom() <= contentBottom + 1 && word.box.top() >= 19, qPrintable(all.at(i)));
        if (i > 0) {
            const Word before = only(words, all.at(i - 1));
            QVERIFY2(word.page > before.page || word.box.top() >= before.box.top() - 1, qPrintable(all.at(i)));
        }
    }
    QCOMPARE(only(words, QStringLiteral("v0")).page, only(words, QStringLiteral("Longvalue")).page);
    QVERIFY(only(words, QStringLiteral("n1499")).page >= 3);
}

void TestReportGenerator::longSessionBreaksPages()
{
    const QVariantMap session = rowsSession(90, true);
    const QString pdf = write(session);
    const int pages = PdfProbe::pageCount(pdf);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));

    const QList<Word> words = PdfProbe::words(pdf);
    for (int page = 1; page <= pages; ++page) {
        const QList<Word> footer = PdfProbe::find(PdfProbe::wordsOnPage(words, page), QString::number(page));
        QVERIFY2(!footer.isEmpty(), qPrintable(QString::number(page)));
        const QRectF number = footer.constLast().box;
        QVERIFY(number.top() > contentBottom && number.bottom() < contentBottom + 22);
        QVERIFY(qAbs(number.center().x() - 297) <= 2);
    }
    // Every row lies inside the content area, its label and value together on one page.
    for (int row = 0; row < 90; ++row) {
        const Word label = only(words, QStringLiteral("Row%1").arg(row));
        const Word value = only(words, QStringLiteral("Value%1").arg(row));
        QCOMPARE(label.page, value.page);
        QVERIFY(qAbs(label.box.top() - value.box.top()) <= 1 && value.box.bottom() <= contentBottom + 1);
    }
    // The first row of a continued page starts at the top of the content area.
    qreal topMost = 1000;
    for (const Word &word : PdfProbe::wordsOnPage(words, 2))
        topMost = qMin(topMost, word.box.top());
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

void TestReportGenerator::luminanceResponse_data()
{
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("follows the GSDF") << readings(1)
                                      << QStringList{"TG18-LN01 0 0.80 0.80 -", "TG18-LN18 255 400.05 400.10 0.0 %",
                                                     "Largest deviation: 0.2 %", "Within +/-10 % (primary displays)"};
    QTest::newRow("index to the power 2.2")
        << readings(2.2)
        << QStringList{"TG18-LN02 15 0.83 1.80 -95.2 %", "Largest deviation: 110.2 %", "Outside +/-20 %"};
    QTest::newRow("one step 15 % off") << readings(1, 8) << QStringList{"Within +/-20 % (secondary displays)"};
    QStringList falling = readings(1);
    falling[3] = QStringLiteral("3.00");
    QTest::newRow("not increasing") << falling
                                    << QStringList{"The reading of TG18-LN04 is not brighter than the one before."};
}

void TestReportGenerator::luminanceResponse()
{
    QFETCH(QStringList, readings);
    QFETCH(QStringList, texts);
    const QString pdf =
        write(oneGroupSession(QLatin1Char('[') + AnsweredSession::levelTests(readings) + QLatin1Char(']')));
    QCOMPARE(PdfProbe::pageCount(pdf), 2);
    const QList<Word> words = PdfProbe::wordsOnPage(PdfProbe::words(pdf), 2);
    const QString text = PdfProbe::text(words);
    QVERIFY(text.startsWith(translated("luminanceResponse_title")));
    for (const QString &expected : qAsConst(texts))
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in ") + text));
    const LuminanceResponse response = LuminanceResponse::analyse(readings);
    if (!response.isValid())
        return;

    // The plot's frame from its axis labels: contrast 0 and the top label, driving levels 0 and 240.
    const Word zero = only(words, QStringLiteral("0.00"));
    const auto below = [&zero](const Word &word) {
        return qAbs(word.box.center().y() - zero.box.center().y() - 7) < 3;
    };
    QList<Word> levelLabels = PdfProbe::find(words, QStringLiteral("0")) + PdfProbe::find(words, QStringLiteral("240"));
    levelLabels.erase(std::remove_if(levelLabels.begin(), levelLabels.end(), [&](const Word &w) { return !below(w); }),
                      levelLabels.end());
    QCOMPARE(levelLabels.size(), 2);
    Word topLabel = zero;
    for (const Word &word : words) {
        if (qAbs(word.box.right() - zero.box.right()) < 1 && word.box.top() < topLabel.box.top())
            topLabel = word;
    }
    const double maximum = topLabel.text.toDouble() / 100;
    const QPointF origin(levelLabels.at(0).box.center().x(), zero.box.center().y());
    const QPointF scale((levelLabels.at(1).box.center().x() - origin.x()) / 240,
                        (origin.y() - topLabel.box.center().y()) / maximum);
    const QImage page = PdfProbe::render(pdf, 2);
    const auto shows = [&](const QColor &colour, int interval, double contrast) {
        const QPointF at(origin.x() + scale.x() * (15 * interval + 7.5), origin.y() - scale.y() * contrast);
        return PdfProbe::countColour(page, QRect(qRound(at.x()) - 4, qRound(at.y()) - 2, 9, 5), colour) > 0;
    };
    for (int interval : {8, 12, 16}) {
        QVERIFY2(shows(measuredBlue, interval, response.measuredContrasts.at(interval)), "measured");
        for (double sign : {-1, 1}) {
            const double target = response.targetContrasts.at(interval);
            QVERIFY2(shows(passedGreen, interval, target * (1 + sign * 0.1)), "+/-10 % band");
            QVERIFY2(shows(failedOrange, interval, target * (1 + sign * 0.2)), "+/-20 % band");
        }
    }
}

void TestReportGenerator::badRecords_data()
{
    QTest::addColumn<QVariantMap>("session");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QString group = QStringLiteral(R"({"report": "%1", "subgroups": {"1": {"report": "Part", "tests": )"
                                         R"([{"content": [{"report": "%1row", "type": "text"}]}]}}})");
    const QString kept = group.arg(QStringLiteral("Kept"));
    const QStringList closing{translated("report_group_17"), translated("signature")};
    const QStringList keptRow = QStringList(closing) << QStringLiteral("Keptrow");

    QTest::newRow("record without any key")
        << QVariantMap{}
        << (QStringList(closing) << translated("reportpassedtest") << translated("monitor") + QStringLiteral(" 0"))
        << QStringList{QStringLiteral("Keptrow")};
    QTest::newRow("empty test_session") << session(QStringLiteral("{}")) << closing << QStringList{};
    QTest::newRow("test_session is text") << AnsweredSession::record(QStringLiteral("groups"), sessionDate) << closing
                                          << QStringList{QStringLiteral("groups")};
    QTest::newRow("group key that is no number")
        << session(QStringLiteral(R"({"1": %1, "abc": %2})").arg(kept, group.arg(QStringLiteral("Stray")))) << keptRow
        << QStringList{QStringLiteral("Strayrow")};
    QTest::newRow("unknown group number")
        << session(QStringLiteral(R"({"99": %1})").arg(kept))
        << (QStringList(keptRow) << QStringLiteral("99 Kept") << QStringLiteral("99.1")) << QStringList{};
    QTest::newRow("group that is no map") << session(QStringLiteral(R"({"2": "broken", "3": %1})").arg(kept)) << keptRow
                                          << QStringList{QStringLiteral("broken")};
    QTest::newRow("contents of the wrong shape")
        << oneGroupSession(QStringLiteral(R"(["test", {"content": [42, {"report": "Keptrow", "type": "text"}]}])"))
        << keptRow << QStringList{};
    QStringList unanswered = readings(1);
    unanswered[5].clear();
    QTest::newRow("one TG18-LN reading missing")
        << oneGroupSession(QLatin1Char('[') + AnsweredSession::levelTests(unanswered) + QLatin1Char(']')) << closing
        << QStringList{translated("luminanceResponse_title")};
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
    m_generator.generate(nullptr, &painter, session(QStringLiteral("{}")));
    m_generator.generate(&printer, nullptr, session(QStringLiteral("{}")));
    QVERIFY(!QFile::exists(path));

    // A printer that cannot begin leaves the run without drawing.
    printer.setOutputFileName(m_folder.filePath(QStringLiteral("missing/folder/report.pdf")));
    m_generator.generate(&printer, &painter, session(QStringLiteral("{}")));
    QVERIFY(!painter.isActive());
}

QTEST_MAIN(TestReportGenerator)
#include "tst_reportgenerator.moc"
