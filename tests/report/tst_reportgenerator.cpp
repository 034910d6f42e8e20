#include "answeredsession.h"
#include "defaultdictionary.h"
#include "luminanceresponse.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "translator.h"

#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using PdfProbe::Word;

namespace {

const QColor passedGreen(QStringLiteral("#8cc640"));
const QColor failedOrange(QStringLiteral("#f15b26"));
const QColor measuredBlue(QStringLiteral("#1f6fd1"));

// Page geometry of an A4 report at 72 dots per inch.
constexpr int contentLeft = 20;
constexpr int contentBottom = 801;
constexpr int valueLeft = 178;

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

using namespace AnsweredSession;

// One test holding the rows "Row<n>" with the values "Value<n>".
QVariantMap rowsSession(int rows)
{
    QVariantList contents;
    for (int row = 0; row < rows; ++row)
        contents << QVariantMap{{"report", QStringLiteral("Row%1").arg(row)},
                                {"type", "text"},
                                {"resulttext", QStringLiteral("Value%1").arg(row)}};
    return oneGroupRecord(QVariantList{QVariantMap{{"content", contents}}});
}

// The session of a case of the report's texts.
QVariantMap caseSession(const QVariantMap &entry)
{
    const int failed = entry.value("failed").toInt();
    if (entry.contains("record"))
        return entry.value("record").toMap();
    if (entry.contains("testSession"))
        return record(entry.value("testSession"), failed);
    if (entry.contains("readings"))
        return oneGroupRecord(levelTests(entry.value("readings").toStringList()));
    return oneGroupRecord(entry.value("tests"), failed);
}

Word only(const QList<Word> &words, const QString &text)
{
    const QList<Word> found = PdfProbe::find(words, text);
    if (found.size() != 1)
        qWarning() << "expected one word" << text << "found" << found.size();
    return found.value(0);
}

// The area shows the passed green or the failed orange, and nothing of the other.
bool showsOnly(const QImage &page, const QRect &area, const QColor &shown)
{
    const QColor other = shown == passedGreen ? failedOrange : passedGreen;
    return PdfProbe::countColour(page, area, shown) > 8 && PdfProbe::countColour(page, area, other) == 0;
}

} // namespace

class TestReportGenerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        TR::Translator::instance()->setModel(TR::defaultDictionary());
    }

    void texts_data()
    {
        QTest::addColumn<QVariantMap>("session");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        for (const QVariant &entry : fixture("report texts").toList()) {
            const QVariantMap texts = entry.toMap();
            QTest::newRow(qPrintable(texts.value("name").toString()))
                << caseSession(texts) << texts.value("pages").toInt() << texts.value("present").toStringList()
                << texts.value("absent").toStringList();
        }
    }

    void texts()
    {
        QFETCH(QVariantMap, session);
        QFETCH(int, pages);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const QList<Word> words = PdfProbe::words(write(session));
        QCOMPARE(PdfProbe::pageCount(words), pages);
        const QString text = PdfProbe::text(words);
        for (const QString &expected : qAsConst(present))
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in ") + text));
        for (const QString &unexpected : qAsConst(absent))
            QVERIFY2(!text.contains(unexpected), qPrintable(unexpected));
    }

    void firstPageGeometryAndColours()
    {
        // A boolean answered "no" fails even in a test that is not validatable.
        const QString pdf = write(record(fixture("verdict colours"), 2));
        const QList<Word> words = PdfProbe::words(pdf);
        QCOMPARE(qRound(only(words, QStringLiteral("QUALITY")).box.left()), 33);
        const Word day = only(words, QStringLiteral("14/03/26"));
        QVERIFY(qRound(day.box.left()) == 495 && day.box.top() >= 76 && day.box.bottom() <= 89);
        // The monitor row: label right-aligned in its column (its text ends at the block's margin), value on its line.
        const Word value = PdfProbe::find(words, translated("monitor")).constLast();
        const Word labelEnd = only(words, translated("reportmonitortested").section(QLatin1Char(' '), -1));
        QCOMPARE(qRound(value.box.left()), valueLeft);
        QVERIFY2(qAbs(labelEnd.box.right() - 157) <= 1.5, qPrintable(QString::number(labelEnd.box.right())));
        QVERIFY(value.box.top() >= 149 && value.box.bottom() <= 162 && qAbs(value.box.top() - labelEnd.box.top()) <= 1);
        // A validatable test shows the verdict, never the typed text.
        QVERIFY(PdfProbe::find(words, QStringLiteral("7")).isEmpty() &&
                PdfProbe::find(words, QStringLiteral("3")).isEmpty());
        const QImage page = PdfProbe::render(pdf, 1);
        const auto top = [&words](const char *text) { return qRound(only(words, QLatin1String(text)).box.top()); };
        QVERIFY(showsOnly(page, QRect(valueLeft - 1, top("Validgood") - 3, 13, 16), passedGreen));
        QVERIFY(showsOnly(page, QRect(valueLeft - 1, top("Booleanyes") - 3, 13, 16), passedGreen));
        QVERIFY(showsOnly(page, QRect(valueLeft - 1, top("Validbad") - 3, 13, 16), failedOrange));
        QVERIFY(showsOnly(page, QRect(valueLeft - 1, top("Booleanno") - 3, 13, 16), failedOrange));
        // The subgroup's icon beside its number: failed when any content failed.
        QVERIFY(showsOnly(page, QRect(contentLeft + 10, top("1.1") - 6, 16, 18), passedGreen));
        QVERIFY(showsOnly(page, QRect(contentLeft + 10, top("1.2") - 6, 16, 18), failedOrange));
        // The summary: the error count in orange 10 points after the found text, or the passed text in green.
        QVERIFY(showsOnly(page, QRect(contentLeft, 116, 555, 24), failedOrange));
        const Word found = only(words, translated("reportfailedtest0").section(QLatin1Char(' '), -1));
        QVERIFY(qAbs(only(words, QStringLiteral("2")).box.left() - found.box.right() - 10) <= 2);
        const QImage passed = PdfProbe::render(write(record(QVariantMap())), 1);
        QVERIFY(showsOnly(passed, QRect(contentLeft, 116, 555, 24), passedGreen));
    }

    void wrappedValuesAndNotesDoNotOverlap()
    {
        // The operator's note follows the description; it is plain text: markup shows as typed.
        const QList<Word> words = PdfProbe::words(write(oneGroupRecord(fixture("wrapped values and notes"))));
        const auto top = [&words](const char *text) { return only(words, QLatin1String(text)).box.top(); };
        const auto bottom = [&words](const char *text) { return only(words, QLatin1String(text)).box.bottom(); };
        // Each word starts below the one before it.
        const char *const order[] = {"Institute",      "Endword",   "Valuenoteend", "Department",
                                     "Descriptionend", "Notestart", "Noteend",      "Noted",
                                     "Describedunit",  "Corner",    "Secondline",   "Afterwards"};
        for (int i = 1; i < int(std::size(order)); ++i)
            QVERIFY2(top(order[i]) > bottom(order[i - 1]), order[i]);
        QVERIFY2(top("Endword") > bottom("Institute") + 20, "the value wraps to several lines");
        for (const Word &word : words) {
            if (word.box.top() > top("Institute") && word.box.bottom() < bottom("Endword"))
                QVERIFY2(word.box.left() >= valueLeft - 1, qPrintable(word.text));
        }
        QVERIFY(PdfProbe::text(words).contains(QStringLiteral("Describedunit Corner <b>TL</b> < 5 & dim Secondline")));
        // Notes start in the value column; one-line notes keep their pitch: 2 points between rectangles of 13.
        QVERIFY(qAbs(only(words, QStringLiteral("Describedunit")).box.left() - (valueLeft + 4)) <= 1.5);
        QVERIFY(qAbs(top("Corner") - top("Describedunit") - 15) <= 1);
    }

    void longTextsContinueOnNextPages()
    {
        // A value and a note each longer than a page: every word printed once, in order, inside the content area.
        QStringList value, note;
        for (int word = 0; word < 1500; ++word)
            value << QStringLiteral("v%1").arg(word), note << QStringLiteral("n%1").arg(word);
        const QVariantList contents{QVariantMap{{"report", "Longvalue"},
                                                {"type", "text"},
                                                {"resulttext", value.join(' ')},
                                                {"reportdescription", note.join(' ')}},
                                    QVariantMap{{"report", "Afterwards"}, {"type", "text"}}};
        const QList<Word> words =
            PdfProbe::words(write(oneGroupRecord(QVariantList{QVariantMap{{"content", contents}}})));
        const QStringList all = QStringList{QStringLiteral("Longvalue")} + value + note << QStringLiteral("Afterwards");
        for (int i = 1; i < all.size(); ++i) {
            const Word word = only(words, all.at(i)), before = only(words, all.at(i - 1));
            QVERIFY2(word.box.bottom() <= contentBottom + 1 && word.box.top() >= 19, qPrintable(all.at(i)));
            QVERIFY2(word.page > before.page || word.box.top() >= before.box.top() - 1, qPrintable(all.at(i)));
        }
        QCOMPARE(only(words, QStringLiteral("v0")).page, 1);
        QVERIFY(only(words, QStringLiteral("n1499")).page >= 3);
    }

    void pageBreaksAndClosingBlock()
    {
        // Sessions of growing length move the last row ever closer to the foot of the
        // page; the captions stay at the foot, on a new page when less than 60 points remain.
        QSet<int> lastPages;
        for (int rows = 14; rows <= 44; ++rows) {
            const QList<Word> words = PdfProbe::words(write(rowsSession(rows)));
            const int pages = PdfProbe::pageCount(words);
            for (int page = 1; page <= pages; ++page) {
                const QRectF number = PdfProbe::find(words, QString::number(page), page).constLast().box;
                QVERIFY(number.top() > contentBottom && number.bottom() < contentBottom + 22);
                QVERIFY(qAbs(number.center().x() - 297) <= 2);
            }
            // Every row inside the content area, its label and value together; a continued page starts at its top.
            for (int row = 0; row < rows; ++row) {
                const Word label = only(words, QStringLiteral("Row%1").arg(row));
                const Word value = only(words, QStringLiteral("Value%1").arg(row));
                QVERIFY(label.page == value.page && qAbs(label.box.top() - value.box.top()) <= 1);
                QVERIFY(value.box.bottom() <= contentBottom + 1);
                if (row > 0 && label.page > only(words, QStringLiteral("Row%1").arg(row - 1)).page)
                    QVERIFY2(label.box.top() >= 20 && label.box.top() < 26,
                             qPrintable(QString::number(label.box.top())));
            }
            const QList<Word> lastPage = PdfProbe::find(words, QString(), pages);
            const Word date = only(lastPage, translated("date"));
            const Word signature = PdfProbe::find(lastPage, translated("signature")).constLast();
            QVERIFY2(qAbs(date.box.top() - (contentBottom - 60)) <= 4, qPrintable(QString::number(date.box.top())));
            QCOMPARE(date.box.top(), signature.box.top());
            QVERIFY(qAbs(date.box.center().x() - 120) <= 2 && qAbs(signature.box.center().x() - 475) <= 2);
            const Word name = only(words, translated("nameCapital").section(QLatin1Char(' '), 0, 0));
            lastPages.insert(pages - name.page);
            if (name.page == pages)
                QVERIFY2(name.box.bottom() < date.box.top(), qPrintable(QString::number(rows)));
            else
                QVERIFY(name.page == pages - 1 && lastPage.size() == 3); // the two captions and the page number
        }
        QCOMPARE(lastPages.size(), 2);
    }

    void luminanceResponsePlot()
    {
        // The plot's frame from its axis labels: contrast 0 and the top label, driving levels 0 and 240.
        const QStringList readings = fixture("far from the GSDF").toStringList();
        const QString pdf = write(oneGroupRecord(levelTests(readings)));
        const QList<Word> words = PdfProbe::find(PdfProbe::words(pdf), QString(), 2);
        const Word zero = only(words, QStringLiteral("0.00"));
        QList<Word> levels = PdfProbe::find(words, QStringLiteral("0")) + PdfProbe::find(words, QStringLiteral("240"));
        levels.erase(
            std::remove_if(levels.begin(), levels.end(),
                           [&](const Word &w) { return qAbs(w.box.center().y() - zero.box.center().y() - 7) > 3; }),
            levels.end());
        QCOMPARE(levels.size(), 2);
        Word topLabel = zero;
        for (const Word &word : words) {
            if (qAbs(word.box.right() - zero.box.right()) < 1 && word.box.top() < topLabel.box.top())
                topLabel = word;
        }
        const QPointF origin(levels.at(0).box.center().x(), zero.box.center().y());
        const QPointF scale((levels.at(1).box.center().x() - origin.x()) / 240,
                            (origin.y() - topLabel.box.center().y()) / topLabel.text.toDouble() * 100);
        const QImage page = PdfProbe::render(pdf, 2);
        // A band's dashes cross a box 9 points wide; a measured point is a dot that fills most of a box of 5.
        const auto shows = [&](const QColor &colour, int interval, double contrast, int width = 9, int pixels = 1) {
            const QPointF at(origin.x() + scale.x() * (15 * interval + 7.5), origin.y() - scale.y() * contrast);
            return PdfProbe::countColour(page, QRect(qRound(at.x()) - width / 2, qRound(at.y()) - 2, width, 5),
                                         colour) >= pixels;
        };
        const LuminanceResponse response = LuminanceResponse::analyse(readings);
        for (int interval : {8, 12, 16}) {
            const double target = response.targetContrasts.at(interval);
            QVERIFY2(shows(measuredBlue, interval, response.measuredContrasts.at(interval), 5, 15), "measured");
            QVERIFY2(shows(passedGreen, interval, target * 1.1) && shows(passedGreen, interval, target * 0.9), "10 %");
            QVERIFY2(shows(failedOrange, interval, target * 1.2) && shows(failedOrange, interval, target * 0.8),
                     "20 %");
        }
    }

    void missingPainterOrPrinterDrawsNothing()
    {
        const QString path = m_folder.filePath(QStringLiteral("nothing.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        ReportGenerator::setUpPrinter(&printer, {});
        printer.setOutputFileName(path);
        QPainter painter;
        m_generator.generate(nullptr, &painter, record(QVariantMap()));
        m_generator.generate(&printer, nullptr, record(QVariantMap()));
        QVERIFY(!QFile::exists(path));
        // A printer that cannot begin leaves the run without drawing.
        printer.setOutputFileName(m_folder.filePath(QStringLiteral("missing/folder/report.pdf")));
        m_generator.generate(&printer, &painter, record(QVariantMap()));
        QVERIFY(!painter.isActive());
    }

    void endlessScriptsStillGiveAReport()
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
        TestsManager catalogue;
        QVariantMap testSession;
        for (const TestGroup *group : *catalogue.groups())
            testSession.insert(QString::number(group->number()), endless(group->toVariantMap()));
        const QString text = PdfProbe::text(PdfProbe::words(write(record(testSession))));
        QVERIFY(text.endsWith(translated("signature") + QStringLiteral(" 4")));
    }

private:
    QString write(const QVariantMap &session);

    QTemporaryDir m_folder;
    int m_reports = 0;
    // One generator writes every report, as the program reuses its own.
    ReportGenerator m_generator;
};

QString TestReportGenerator::write(const QVariantMap &session)
{
    const QString path = m_folder.filePath(QStringLiteral("report%1.pdf").arg(++m_reports));
    if (!m_generator.writePdf(session, path))
        qWarning() << "no report written to" << path;
    return path;
}

// A hand-edited record whose every rule and join never ends still gives its

// whole report; the test's own time-out guards against a stall.

QTEST_MAIN(TestReportGenerator)
#include "tst_reportgenerator.moc"
