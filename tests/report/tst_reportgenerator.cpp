#include "answeredsession.h"
#include "defaultdictionary.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "translator.h"

#include <QJsonDocument>
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

// Stored records are written as JSON: the maps and lists the store keeps, in their shortest form.
QVariant json(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("broken JSON fixture: %s", qPrintable(error.errorString()));
    return document.toVariant();
}

QVariantMap session(const QString &testSession, int failedContents = 0)
{
    return AnsweredSession::record(json(testSession), sessionDate, failedContents);
}

// A session of one group "1" with one subgroup holding the given tests.
QVariantMap oneGroupSession(const QString &tests, int failedContents = 0)
{
    return session(
        QString::fromUtf8(R"({"1": {"report": "Checks", "subgroups": {"1": {"report": "Part", "tests": %1}}}})")
            .arg(tests),
        failedContents);
}

// A session of one test holding the rows "Row<n>" with the values "Value<n>" or empty ones.
QVariantMap rowsSession(int rows, bool withValues = false)
{
    QStringList contents;
    for (int row = 0; row < rows; ++row) {
        contents << QString::fromUtf8(R"({"report": "Row%1", "type": "text", "resulttext": "%2"})")
                        .arg(row)
                        .arg(withValues ? QStringLiteral("Value%1").arg(row) : QString());
    }
    return oneGroupSession(QString::fromUtf8(R"([{"content": [%1]}])").arg(contents.join(QLatin1Char(','))));
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
    void groupHeadingsOfFullSession();
    void subgroupNumbering();
    void answerMarksAndSubgroupIcons();
    void rowValues();
    void wrappedValuesAndNotesDoNotOverlap();
    void longSessionBreaksPages();
    void closingBlockAtFootOfLastPage();
    void badRecords_data();
    void badRecords();
    void missingPainterOrPrinterDrawsNothing();
    void endlessScriptsStillGiveAReport();

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
    const QString tests = QString::fromUtf8(R"([{"content": [{"report": "Row", "type": "text"}]}])");
    const QList<Word> words = PdfProbe::words(write(session(QString::fromUtf8(R"({
        "0": {"report": "Operatorgroup", "subgroups": {"1": {"report": "Operatorpart", "tests": %1}}},
        "4": {"report": "Visual", "subgroups": {"1": {"report": "Firstpart", "tests": %1},
                                                "2": {"report": "Hiddenpart", "hidetitle": true, "tests": %1},
                                                "3": {"report": "Thirdpart", "tests": %1}}}})")
                                                                .arg(tests))));
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
    // A boolean answered "no" fails even in a test that is not validatable.
    const QString pdf = write(session(QString::fromUtf8(R"json({"1": {"report": "Checks", "subgroups": {
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
    const QList<QPair<QString, QColor>> icons{{QStringLiteral("1.1"), passedGreen},
                                              {QStringLiteral("1.2"), failedOrange}};
    for (const auto &icon : icons) {
        const int numberBottom = qRound(only(words, icon.first).box.bottom());
        expectColour(page, QRect(contentLeft + 10, numberBottom - 16, 16, 18), icon.second, 60, icon.first);
    }
}

void TestReportGenerator::rowValues()
{
    // An empty answer shows a dash; info rows and contents of unknown types show no value, hidden ones
    // nothing. Computed values show two decimals; a computed content without a label of its own shows
    // only its computed row.
    const QList<Word> words = PdfProbe::words(write(oneGroupSession(QString::fromUtf8(R"json([{"content": [
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
    const QList<Word> words = PdfProbe::words(write(oneGroupSession(QString::fromUtf8(R"([
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

    QVERIFY2(top("Endword") > bottom("Institute") + 20, "the value wraps to several lines");
    QVERIFY(top("Valuenoteend") > bottom("Endword") + 10);
    QVERIFY(top("Department") > bottom("Valuenoteend"));
    // Every word of the wrapped value stays inside the value column.
    for (const Word &word : words) {
        if (word.box.top() > top("Institute") && word.box.bottom() < bottom("Endword"))
            QVERIFY2(word.box.left() >= valueLeft - 1, qPrintable(word.text));
    }
    QVERIFY(top("Notestart") > bottom("Descriptionend"));
    QVERIFY(top("Noted") > bottom("Noteend"));

    const QString text = PdfProbe::text(words);
    QVERIFY2(text.contains(QStringLiteral("Describedunit Corner <b>TL</b> < 5 & dim Secondline Afterwards")),
             qPrintable(text));
    QVERIFY(top("Describedunit") > bottom("Noted"));
    QVERIFY(top("Secondline") > bottom("Corner"));
    QVERIFY(top("Afterwards") > bottom("Secondline"));
    // Notes start in the value column; one-line notes keep their fixed pitch: 2 points between rectangles of 13.
    QVERIFY(qAbs(only(words, QStringLiteral("Describedunit")).box.left() - (valueLeft + 4)) <= 1.5);
    QVERIFY(qAbs(top("Corner") - top("Describedunit") - 15) <= 1);
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
    for (const Word &word : words) {
        if (word.box.top() < contentBottom)
            QVERIFY2(word.box.bottom() <= contentBottom + 1, qPrintable(word.text));
    }
    for (int row = 0; row < 90; ++row) {
        const Word label = only(words, QStringLiteral("Row%1").arg(row));
        const Word value = only(words, QStringLiteral("Value%1").arg(row));
        QCOMPARE(label.page, value.page);
        QVERIFY(qAbs(label.box.top() - value.box.top()) <= 1);
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

void TestReportGenerator::badRecords_data()
{
    QTest::addColumn<QVariantMap>("session");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QString group = QString::fromUtf8(R"({"report": "%1", "subgroups": {"1": {"report": "Part", "tests": )"
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
        << session(QString::fromUtf8(R"({"1": %1, "abc": %2})").arg(kept, group.arg(QStringLiteral("Stray"))))
        << keptRow << QStringList{QStringLiteral("Strayrow")};
    QTest::newRow("unknown group number")
        << session(QString::fromUtf8(R"({"99": %1})").arg(kept))
        << (QStringList(keptRow) << QStringLiteral("99 Kept") << QStringLiteral("99.1")) << QStringList{};
    QTest::newRow("group that is no map") << session(QString::fromUtf8(R"({"2": "broken", "3": %1})").arg(kept))
                                          << keptRow << QStringList{QStringLiteral("broken")};
    QTest::newRow("contents of the wrong shape")
        << oneGroupSession(QString::fromUtf8(R"(["test", {"content": [42, {"report": "Keptrow", "type": "text"}]}])"))
        << keptRow << QStringList{};
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

// A hand-edited record whose every rule and join never ends still gives its
// whole report; the test's own time-out guards against a stall.
void TestReportGenerator::endlessScriptsStillGiveAReport()
{
    int count = 0; // every script a different one
    std::function<QVariant(const QVariant &)> endless = [&endless, &count](const QVariant &value) -> QVariant {
        if (value.type() == QVariant::List) {
            QVariantList list;
            for (const QVariant &item : value.toList())
                list.append(endless(item));
            return list;
        }
        if (value.type() != QVariant::Map)
            return value;
        QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            const bool expression = it.key() == QLatin1String("join") || it.key() == QLatin1String("validator");
            it.value() = expression ? QStringLiteral("(function(){while(true){} return %1;})").arg(++count)
                                    : endless(it.value());
        }
        return map;
    };
    QVariantMap record = AnsweredSession::fullRecord(sessionDate);
    record.insert(QStringLiteral("test_session"), endless(record.value(QStringLiteral("test_session"))));
    const QString text = PdfProbe::text(PdfProbe::words(write(record)));
    QVERIFY(text.endsWith(translated("signature") + QStringLiteral(" 4")));
}

QTEST_MAIN(TestReportGenerator)
#include "tst_reportgenerator.moc"
