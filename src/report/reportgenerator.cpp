#include "reportgenerator.h"

#include "answernumber.h"
#include "calibrationreportpage.h"
#include "comparisontext.h"
#include "expressionevaluator.h"
#include "failuresummary.h"
#include "judgedluminancerows.h"
#include "judgement.h"
#include "limitstable.h"
#include "localformats.h"
#include "luminanceresponse.h"
#include "luminanceresponsepage.h"
#include "readingmarks.h"
#include "referenceremarks.h"
#include "reportdocument.h"
#include "reportstyle.h"
#include "storedcount.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsubgroup.h"
#include "translator.h"
#include "verdicttext.h"
#include "viewertext.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

using namespace ReportStyle;

// Width of the right-aligned label column and the stub that leads to the value.
constexpr int labelColumnWidth = 140;
constexpr int leaderLength = 13;
// Decimals of a value the session computed from the readings.
constexpr int ComputedDecimals = 2;
// Room below a group heading for the first subgroup heading and its first row.
constexpr int HeadingKeptWithNext = 60;
constexpr int valueLineHeight = 12;
// Rich-text blocks are drawn this much above their nominal top, taking back most
// of the document's inner margin so their text lines up with plain text drawn
// at the same top.
constexpr int htmlBlockLift = 3;

// Embedded drawings are rasterised at this size, far above the 10 to 28 points
// they take on the page, so they stay sharp when the report is zoomed or printed.
constexpr int imageRasterSize = 128;

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

QString firstTranslated(const QStringList &keys)
{
    for (const QString &key : keys) {
        const QString text = translated(key);
        if (!text.isEmpty())
            return text;
    }
    return QString();
}

QFont pointFont(int pointSize, QFont::Weight weight = QFont::Normal)
{
    QFont font(fontFamily);
    font.setPointSize(pointSize);
    font.setWeight(weight);
    return font;
}

QFont pixelFont(int pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont font(fontFamily);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QRect rectFromCorners(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Rows are laid out on whole points; a position handed from element to element
// is always a rectangle's edge, so the truncation never loses anything.
int top(qreal y)
{
    return int(y);
}

// Words wider than their box are broken anywhere rather than cut at the page's edge.
QTextOption wrappingOption(Qt::Alignment alignment, const QString &text)
{
    QTextOption option(alignment);
    option.setWrapMode(ReportDocument::wrapModeFor(text));
    return option;
}

// The shown text of the chosen item of a multiselect content; empty when no item matches.
QString multiselectText(const TestContent *content)
{
    for (const TestContent::Item *item : qAsConst(*content->items())) {
        if (item->value(QStringLiteral("value")) == content->resultMultiselect())
            return translated(item->value(QStringLiteral("text")));
    }
    return QString();
}

// A reading as typed, in the language's notation; a value the session computed
// (a content with a join) with a fixed number of decimals.
QString shownResult(const TestContent *content)
{
    bool isNumber = false;
    const double computed = content->resultText().toDouble(&isNumber);
    if (!content->join().isEmpty() && isNumber && std::isfinite(computed))
        return LocalFormats::number(computed, ComputedDecimals);
    return LocalFormats::reading(content->shownResultText());
}

} // namespace

ReportGenerator::ReportGenerator(QObject *parent) : QObject(parent), m_contentRect(QPoint(0, 0), QPoint(-1, -1)) {}

ReportGenerator::~ReportGenerator()
{
    qDeleteAll(m_groups);
}

void ReportGenerator::setUpPrinter(QPrinter *printer, const QVariantMap &session)
{
    printer->setResolution(72);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    printer->setOutputFileName(reportBaseName(session));
    // PDF/A-1b: the archival form a hospital's archive expects.
    printer->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    printer->setDocName(ReportFingerprint(session).documentTitle());
    // A name without the ".pdf" suffix must not switch the printer to its native format.
    printer->setOutputFormat(QPrinter::PdfFormat);
}

QString ReportGenerator::reportBaseName(const QVariantMap &session)
{
    return session.value(QStringLiteral("date")).toDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"));
}

QString ReportGenerator::reportPath(const QString &folder, const QVariantMap &session)
{
    return QDir(folder).filePath(reportBaseName(session) + QStringLiteral(".pdf"));
}

void ReportGenerator::generate(QPrinter *printer, QPainter *painter, QVariantMap session)
{
    m_printer = printer;
    m_painter = painter;
    m_pageNumber = 1;
    qDeleteAll(m_groups);
    m_groups.clear();

    if (!m_painter || !m_printer)
        return;

    const QDateTime date = session.value(QStringLiteral("date")).toDateTime();
    const QRect page = m_printer->pageRect(QPrinter::DevicePixel).toRect();
    m_contentRect = rectFromCorners(page.left() + 20, page.top() + 20, page.right() - 20, page.bottom() - 40);

    if (!m_painter->begin(m_printer))
        return;

    const QVariantMap judgementRecord = session.value(QStringLiteral("judgement")).toMap();
    const Judgement judgement = Judgement::fromMap(judgementRecord);
    // Sessions judged by the limits table name its version on every page.
    m_footerNote = judgementRecord.isEmpty() ? QString()
                                             : translated(QStringLiteral("limits_version")).arg(judgement.version);
    m_judgedValues = judgementRecord.isEmpty() ? QVariantMap() : session.value(QStringLiteral("measured")).toMap();
    const QString testType = session.value(QStringLiteral("testtype")).toString();
    m_titleKey = QStringLiteral("report_header_") + (testType.isEmpty() ? QStringLiteral("unknown") : testType);
    m_fingerprint = ReportFingerprint(session);
    drawFooter(1);
    const QString monitorLine = translated(QStringLiteral("monitor")) + QLatin1Char(' ') +
                                QString::number(session.value(QStringLiteral("monitorselected")).toInt()) +
                                QLatin1Char(' ') + session.value(QStringLiteral("monitorinfo")).toString();
    qreal y = drawHeader(date, StoredCount::read(session.value(QStringLiteral("nfailedtestcontents"))), monitorLine);

    // Scripts of a hand-edited record may never end; the whole report shares one time budget.
    const ExpressionEvaluator::Budget budget;
    rebuildGroups(session);
    linkAnswers();
    m_printedContents = PrintedContents(allContents(), !luminanceReadings(m_groups).isEmpty());
    m_sectionVerdicts = SectionVerdicts(judgement, LimitsTable::current().inputs());
    // The report opens with what failed, as the operator saw it at the end of the test.
    for (const FailureSummary::Line &line : FailureSummary::lines(m_groups, judgement))
        y = drawRow(y + 4, line.what, line.detail, QString(), QString(), false, false, failedCountColour) + 4;
    y = drawSessionContext(y, testType, session.value(QStringLiteral("display")).toMap());
    const QString viewer = ViewerText::value(session);
    if (!viewer.isEmpty())
        y = drawRow(y, ViewerText::label(), viewer, QString(), QString(), false, false, textMuted) + 4;
    for (TestGroup *group : qAsConst(m_groups))
        y = drawGroup(y, group, group->number() == 0);
    if (!judgementRecord.isEmpty())
        y = drawJudgement(y, judgement);
    const QList<ComparisonText::Line> comparison = ComparisonText::lines(session);
    if (!comparison.isEmpty())
        y = drawComparison(y, session.value(QStringLiteral("reference")).toMap(), comparison);
    for (const ReferenceRemarks::Remark &remark : ReferenceRemarks::of(session))
        y = drawRow(y + 4, translated(QStringLiteral("note")), remark.text, QString(), QString(), false, false,
                    remark.warning ? failedCountColour : textMuted) +
            4;
    if (const std::optional<LuminanceResponse> response = luminanceResponse(session))
        y = drawLuminanceResponse(*response, gsdfVerdict(session));
    if (testType == CalibrationReportPage::testType) {
        startNewPage();
        y = CalibrationReportPage(m_painter, m_printer, m_contentRect)
                .draw(m_contentRect.top(), session.value(QStringLiteral("calibration")).toMap());
    }
    const QString meterReadings = ReadingMarks::summary(m_groups);
    if (!meterReadings.isEmpty())
        y = drawRow(y + 4, translated(QStringLiteral("meter_title")), meterReadings, QString(), QString(), false, false,
                    textMuted);
    drawSignatureBlock(y);
    m_fingerprint.drawWhole(m_painter, rectFromCorners(m_contentRect.left(), m_contentRect.bottom() + 30,
                                                       m_contentRect.right(), m_contentRect.bottom() + 39));

    m_painter->end();
}

bool ReportGenerator::writePdf(const QVariantMap &session, const QString &path)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(&printer, session);
    printer.setOutputFileName(path);
    QPainter painter;
    generate(&printer, &painter, session);
    return printer.printerState() != QPrinter::Error && QFileInfo(path).size() > 0;
}

bool ReportGenerator::fitsOnPage(const QRect &rect) const
{
    // Compared edge by edge: QRect::contains() rejects empty rectangles, such
    // as the measured size of an empty text, which must not break the page.
    return rect.left() >= m_contentRect.left() && rect.right() <= m_contentRect.right() &&
           rect.top() >= m_contentRect.top() && rect.bottom() <= m_contentRect.bottom();
}

bool ReportGenerator::ensureOnPage(QRect &rect)
{
    if (fitsOnPage(rect))
        return false;
    startNewPage();
    rect.moveTop(m_contentRect.top());
    return true;
}

void ReportGenerator::startNewPage()
{
    m_printer->newPage();
    ++m_pageNumber;
    drawFooter(m_pageNumber);
}

void ReportGenerator::drawFooter(int pageNumber)
{
    m_painter->save();
    m_painter->setFont(pointFont(10));
    m_painter->setPen(textDark);
    const QRect band = rectFromCorners(m_contentRect.left(), m_contentRect.bottom() + 1, m_contentRect.right(),
                                       m_contentRect.bottom() + 20);
    m_painter->drawText(band, Qt::AlignCenter, QString::number(pageNumber));
    m_painter->drawLine(band.topLeft(), band.topRight());
    m_fingerprint.drawPageMark(m_painter, band);
    if (!m_footerNote.isEmpty()) {
        // The table's version, its site file and that file's hash take more than one line of the page.
        m_painter->setFont(pointFont(7));
        const QRect noteBand(band.left(), band.bottom() + 1, band.width(), 2 * m_painter->fontMetrics().lineSpacing());
        m_painter->drawText(noteBand, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_footerNote);
    }
    m_painter->restore();
}

qreal ReportGenerator::drawRow(qreal y, const QString &label, const QVariant &value, const QString &firstNote,
                               const QString &secondNote, bool fillLine, bool mutedLabel, const QColor &valueColour)
{
    if (label.isEmpty())
        return y;

    m_painter->save();
    const QFont font = pointFont(10);
    m_painter->setFont(font);

    QString valueText;
    const bool textValue = value.canConvert<QString>();
    if (textValue) {
        valueText = value.toString();
        if (valueText.isEmpty())
            valueText = QStringLiteral("-");
    }

    y = fitRow(y, label, valueText, firstNote, secondNote);

    m_painter->setPen(textDark);
    ReportDocument labelDocument;
    const QSize labelSize =
        layOutHtml(labelDocument, htmlBlock(label, font, QStringLiteral("right"), mutedLabel ? textMuted : textDark),
                   labelColumnWidth, QPoint())
            .size();
    const RowGeometry row = rowGeometry(top(y), labelSize, valueText, firstNote, secondNote);
    QRect labelRect = row.label;
    ensureOnPage(labelRect);
    drawHtml(labelDocument, labelRect);

    const int leaderY = labelRect.top() + 12;
    const QLine leader(labelRect.right() + 1, leaderY, labelRect.right() + leaderLength, leaderY);
    m_painter->setPen(QPen(ruleLight, 1));
    m_painter->drawLine(leader);
    m_painter->setPen(valueColour);

    QRect valueRect = row.value;
    const int labelPage = m_pageNumber;
    if (fillLine) {
        valueRect = rectFromCorners(valueRect.left(), leaderY + 1, m_contentRect.right() - leaderLength, leaderY + 1);
        ensureOnPage(valueRect);
        drawPatternedLine(QLine(valueRect.topLeft(), valueRect.topRight()), Qt::DotLine, ruleLight);
    } else if (textValue && !fitsOnPage(valueRect)) {
        ReportDocument document;
        const QRect block = layOutHtml(document, htmlBlock(valueText, font, QStringLiteral("left"), valueColour),
                                       valueRect.width(), valueRect.topLeft());
        valueRect.moveBottom(drawAcrossPages(document, block));
    } else {
        ensureOnPage(valueRect);
        if (textValue) {
            m_painter->drawText(valueRect, valueText, wrappingOption(Qt::AlignLeft | Qt::AlignTop, valueText));
        } else {
            const QImage picture = value.value<QImage>();
            if (!picture.isNull())
                m_painter->drawImage(QRect(valueRect.left(), valueRect.top() + 2, 10, 10), picture);
        }
    }
    // A value that continued on later pages carries its notes along.
    const bool valueContinued = m_pageNumber != labelPage;
    const int shift = valueRect.bottom() - row.value.bottom();
    y = valueContinued ? valueRect.bottom() : qMax(labelRect.bottom(), valueRect.bottom());
    const int notePage = m_pageNumber;
    y = drawNote(y, row.secondNote.translated(0, shift), secondNote);
    QRect firstNoteRect = row.firstNote.translated(0, shift);
    if (m_pageNumber != notePage)
        firstNoteRect.moveTop(top(y) + 2);
    y = drawNote(y, firstNoteRect, firstNote);

    m_painter->restore();
    return y;
}

// Where drawRow() puts the parts of a row whose label block has the given size.
// A value or note that wraps keeps all its lines: the parts below it move down
// by what the wrapping adds to one line, so nothing overlaps.
ReportGenerator::RowGeometry ReportGenerator::rowGeometry(int rowTop, const QSize &labelSize, const QString &valueText,
                                                          const QString &firstNote, const QString &secondNote) const
{
    RowGeometry row;
    row.label = QRect(QPoint(0, rowTop), labelSize);
    row.label.moveRight(m_contentRect.left() + labelColumnWidth);
    if (row.label.left() < m_contentRect.left())
        row.label.moveLeft(m_contentRect.left());

    const int valueLeft = row.label.right() + leaderLength + 5;
    const int valueWidth = m_contentRect.width() - row.label.right() - leaderLength;
    const QFontMetrics metrics(pointFont(10), m_printer);
    const int wrappedHeight = qCeil(m_painter
                                        ->boundingRect(QRectF(valueLeft, rowTop, valueWidth, 0), valueText,
                                                       wrappingOption(Qt::AlignLeft | Qt::AlignTop, valueText))
                                        .height());
    row.value = QRect(valueLeft, rowTop, valueWidth, valueLineHeight + 1 + qMax(0, wrappedHeight - metrics.height()));

    // Notes stack below the value, each 2 points below the rectangle above it;
    // the description note is widened to the right edge of the content area.
    QRect above = row.value;
    if (!secondNote.isEmpty()) {
        row.secondNote = rectFromCorners(above.left(), above.bottom() + 2, m_contentRect.right(),
                                         above.bottom() + 2 + valueLineHeight);
        row.secondNote.setBottom(row.secondNote.bottom() + noteExtraHeight(secondNote, row.secondNote.width()));
        above = row.secondNote;
    }
    if (!firstNote.isEmpty()) {
        row.firstNote = QRect(above.left(), above.bottom() + 2, above.width(), valueLineHeight + 1);
        row.firstNote.setBottom(row.firstNote.bottom() + noteExtraHeight(firstNote, row.firstNote.width()));
    }
    return row;
}

qreal ReportGenerator::fitRow(qreal y, const QString &label, const QString &valueText, const QString &firstNote,
                              const QString &secondNote)
{
    const QFont font = pointFont(10);
    m_painter->setFont(font);

    ReportDocument document;
    QRect labelRect = layOutHtml(document, htmlBlock(label, font, QStringLiteral("right"), textDark), labelColumnWidth,
                                 QPoint(m_contentRect.left(), top(y)));
    if (ensureOnPage(labelRect))
        return m_contentRect.top();

    // The value and the notes are measured where drawRow() will put them.
    const RowGeometry row = rowGeometry(top(y), labelRect.size(), valueText, firstNote, secondNote);
    // A row taller than a whole page starts here and continues on the next ones.
    const int rowBottom = std::max({row.value.bottom(), row.secondNote.bottom(), row.firstNote.bottom()});
    if (rowBottom - top(y) >= m_contentRect.height())
        return y;
    QRect valueRect = row.value;
    if (ensureOnPage(valueRect))
        return m_contentRect.top();
    for (const auto &note : {qMakePair(row.secondNote, secondNote), qMakePair(row.firstNote, firstNote)}) {
        if (note.second.isEmpty())
            continue;
        QRect block = noteBlock(document, note.first, note.second);
        if (ensureOnPage(block))
            return m_contentRect.top();
    }
    return y;
}

qreal ReportGenerator::drawNote(qreal y, const QRect &rect, const QString &text)
{
    if (text.isEmpty())
        return y;
    ReportDocument document;
    QRect block = noteBlock(document, rect, text);
    if (!fitsOnPage(block))
        return drawAcrossPages(document, block);
    drawHtml(document, block);
    return qMax<qreal>(y, block.bottom());
}

int ReportGenerator::drawAcrossPages(QTextDocument &document, const QRect &block)
{
    const qreal end = document.size().height();
    qreal done = 0;
    int pageTop = block.top() - htmlBlockLift;
    for (;;) {
        const qreal room = m_contentRect.bottom() + 1 - pageTop;
        const qreal cut = end - done <= room ? end : lineStartAbove(document, done + room);
        // A single line taller than a whole page is drawn cut rather than never ending.
        const qreal sliceEnd = cut > done ? cut : done + room;
        m_painter->save();
        m_painter->translate(block.left(), pageTop - done);
        m_painter->setClipRect(QRectF(0, done, block.width(), sliceEnd - done));
        drawLinesStartingIn(document, done, sliceEnd);
        m_painter->restore();
        if (sliceEnd >= end)
            return pageTop + qCeil(end - done);
        startNewPage();
        pageTop = m_contentRect.top();
        done = sliceEnd;
    }
}

// Draws the lines whose tops lie in [from, to). QTextDocument::drawContents() would also
// draw, clipped away, the line just above its clip: invisible, yet its words would be
// in the file twice for anyone who searches or copies the report's text.
void ReportGenerator::drawLinesStartingIn(const QTextDocument &document, qreal from, qreal to)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal lineTop = layout->position().y() + line.y();
            if (lineTop >= from && lineTop < to)
                line.draw(m_painter, layout->position());
        }
    }
}

qreal ReportGenerator::lineStartAbove(const QTextDocument &document, qreal limit)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        const qreal blockTop = layout->position().y();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            if (blockTop + line.y() + line.height() > limit)
                return blockTop + line.y();
        }
    }
    return limit;
}

QRect ReportGenerator::noteBlock(ReportDocument &document, const QRect &rect, const QString &text) const
{
    QRect block = layOutHtml(document, htmlBlock(text, pointFont(8), QStringLiteral("left"), textMuted), rect.width(),
                             rect.topLeft());
    if (block.right() > m_contentRect.right())
        block.moveRight(m_contentRect.right());
    return block;
}

QString ReportGenerator::htmlBlock(const QString &text, const QFont &font, const QString &alignment,
                                   const QColor &colour)
{
    const int size = font.pointSize() > 0 ? font.pointSize() : font.pixelSize();
    // Every text of a block is stored or translated text, printed as it is written, never read as markup.
    const QString plain = text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QStringLiteral("<div style='font-family:\"%1\";font-size:%2px;color:%3;' align=%4>%5</div>")
        .arg(font.family(), QString::number(size), colour.name(), alignment, plain);
}

qreal ReportGenerator::drawHeader(const QDateTime &date, std::optional<int> failedCount, const QString &monitorLine)
{
    m_painter->save();
    const int textFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

    m_painter->fillRect(rectFromCorners(20, 25, 24, 85), letterheadBar);
    m_painter->setPen(textDark);
    m_painter->setFont(pixelFont(14, QFont::Bold));
    m_painter->drawText(rectFromCorners(33, 20, 382, 52), textFlags,
                        translated(QStringLiteral("report_header_0")).toUpper());
    m_painter->setFont(pixelFont(14));
    m_painter->drawText(rectFromCorners(33, 58, 382, 90), textFlags, translated(m_titleKey));

    m_painter->fillRect(rectFromCorners(445, 25, 447, 85), letterheadBar);
    m_painter->drawText(rectFromCorners(455, 20, 569, 53), textFlags,
                        translated(QStringLiteral("report_header_2")).toUpper());
    m_painter->drawImage(rectFromCorners(458, 60, 485, 86), image(QStringLiteral(":/icon")));
    m_painter->setFont(pixelFont(11));
    m_painter->drawText(rectFromCorners(495, 76, 579, 88), textFlags,
                        LocalFormats::compactDateTime(date));
    m_painter->drawLine(20, 106, 20 + m_contentRect.width() - 1, 106);

    const QFont summaryFont = pixelFont(20);
    m_painter->setFont(summaryFont);
    const QRect band = rectFromCorners(m_contentRect.left(), 116, m_contentRect.right(), 139);
    if (!failedCount) {
        m_painter->setPen(failedCountColour);
        m_painter->drawText(band, Qt::AlignLeft | Qt::AlignVCenter, translated(QStringLiteral("reportdamagedcount")));
    } else if (*failedCount == 0) {
        m_painter->setPen(passedColour);
        m_painter->drawText(band, Qt::AlignLeft | Qt::AlignVCenter, translated(QStringLiteral("reportpassedtest")));
    } else {
        const QString found = translated(QStringLiteral("reportfailedtest0"));
        QRect foundRect = band;
        foundRect.setWidth(QFontMetrics(summaryFont, m_printer).horizontalAdvance(found));
        m_painter->drawText(foundRect, Qt::AlignLeft | Qt::AlignVCenter, found);
        QRect errorsRect = band;
        errorsRect.setLeft(foundRect.right() + 1 + 10);
        m_painter->setPen(failedCountColour);
        m_painter->drawText(errorsRect, Qt::AlignLeft | Qt::AlignVCenter,
                            translated(QStringLiteral("reportfailedtest1"))
                                .replace(QLatin1String("%1"), QString::number(*failedCount)));
    }

    const qreal rowBottom = drawRow(139 + 10, translated(QStringLiteral("reportmonitortested")), monitorLine, QString(),
                                    QString(), false, false, textMuted);
    const int ruleY = top(rowBottom) + 5;
    m_painter->setPen(textDark);
    m_painter->drawLine(m_contentRect.left(), ruleY, m_contentRect.right(), ruleY);
    m_painter->restore();
    return ruleY;
}

void ReportGenerator::rebuildGroups(const QVariantMap &session)
{
    const QVariantMap stored = session.value(QStringLiteral("test_session")).toMap();
    QList<QPair<unsigned, QString>> numbered;
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        bool isNumber = false;
        const unsigned number = it.key().toUInt(&isNumber);
        // A key that is no group number cannot be placed in the report.
        if (isNumber)
            numbered.append(qMakePair(number, it.key()));
    }
    std::stable_sort(
        numbered.begin(), numbered.end(),
        [](const QPair<unsigned, QString> &a, const QPair<unsigned, QString> &b) { return a.first < b.first; });
    for (const auto &entry : qAsConst(numbered))
        m_groups.append(new TestGroup(stored.value(entry.second).toMap(), entry.first, this));
}

const QList<TestGroup *> &ReportGenerator::linkedGroups(const QVariantMap &session)
{
    qDeleteAll(m_groups);
    m_groups.clear();
    rebuildGroups(session);
    linkAnswers();
    return m_groups;
}

QStringList ReportGenerator::luminanceReadings(const QList<TestGroup *> &groups)
{
    QStringList readings;
    for (int reading = 1; reading <= LuminanceResponse::readingCount; ++reading)
        readings << QString();
    for (const TestGroup *group : groups) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            for (const Test *test : qAsConst(*subgroup->tests())) {
                static const QRegularExpression levelPattern(QStringLiteral("^kTestPatternTG18LN(\\d\\d)$"));
                const QRegularExpressionMatch match = levelPattern.match(test->patternString());
                const int reading = match.captured(1).toInt() - 1;
                if (match.hasMatch() && reading >= 0 && reading < readings.size() && !test->content()->isEmpty())
                    readings[reading] = test->content()->constFirst()->resultText().trimmed();
            }
        }
    }
    return readings.contains(QString()) ? QStringList() : readings;
}

// The analysis of the linked groups' TG18-LN readings; a session judged by the
// limits table analyses them with the ambient luminance added, as it was judged.
std::optional<LuminanceResponse> ReportGenerator::luminanceResponse(const QVariantMap &session) const
{
    const QStringList readings = luminanceReadings(m_groups);
    if (readings.isEmpty())
        return std::nullopt;
    if (!session.contains(QStringLiteral("judgement")))
        return LuminanceResponse::analyse(readings);
    // L + L_amb cannot be drawn without L_amb: adding 0 instead would show a response nobody measured.
    const std::optional<double> ambient = ambientLuminance();
    if (!ambient) {
        LuminanceResponse unreadable;
        unreadable.problem = LuminanceResponse::AmbientNotANumber;
        return unreadable;
    }
    return LuminanceResponse::analyse(readings, *ambient);
}

// The stored verdict of the largest GSDF deviation, none for a session stored before the limits table.
std::optional<Judgement::Verdict> ReportGenerator::gsdfVerdict(const QVariantMap &session)
{
    if (!session.contains(QStringLiteral("judgement")))
        return std::nullopt;
    const Judgement judgement = Judgement::fromMap(session.value(QStringLiteral("judgement")).toMap());
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (verdict.quantity == QLatin1String("gsdfDeviation"))
            return verdict;
    }
    return Judgement::Verdict();
}

// The section takes a page of its own, after the last group.
qreal ReportGenerator::drawLuminanceResponse(const LuminanceResponse &response,
                                             const std::optional<Judgement::Verdict> &verdict)
{
    startNewPage();
    LuminanceResponsePage page(m_painter, m_printer, m_contentRect);
    if (verdict)
        page.setVerdict(*verdict);
    return page.draw(m_contentRect.top(), response);
}

void ReportGenerator::linkAnswers()
{
    const QList<TestContent *> contents = allContents();
    QSet<QString> namedIds;
    for (const TestContent *content : contents) {
        const QStringList joinIds = content->joinIds();
        const QStringList validatorIds = content->validatorIds();
        namedIds.unite(QSet<QString>(joinIds.begin(), joinIds.end()));
        namedIds.unite(QSet<QString>(validatorIds.begin(), validatorIds.end()));
    }

    TestContent::ValueMap answers;
    for (const QString &id : qAsConst(namedIds)) {
        for (const TestGroup *group : qAsConst(m_groups)) {
            const TestContent *content = group->contentById(id);
            if (!content)
                continue;
            answers.insert(id, content->type() == TestContent::kTestContentTypeMultiselect
                                   ? content->resultMultiselect()
                                   : content->resultText());
        }
    }

    for (TestContent *content : contents) {
        content->setValidatorValues(answers);
        content->addOwnValues(answers);
        content->setJoinValues(answers);
    }
}

QList<TestContent *> ReportGenerator::allContents() const
{
    QList<TestContent *> contents;
    for (const TestGroup *group : qAsConst(m_groups)) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            for (const Test *test : qAsConst(*subgroup->tests()))
                contents.append(*test->content());
        }
    }
    return contents;
}

qreal ReportGenerator::drawGroup(qreal y, TestGroup *group, bool numberIsZero)
{
    m_painter->save();
    m_painter->setFont(pointFont(24));
    m_painter->setPen(textDark);

    QRect numberRect(m_contentRect.left(), top(y) + 5, 30, 28);
    // A heading never stands alone at the foot of a page: it moves on with the
    // first subgroup's heading and row.
    QRect keptTogether = numberRect.adjusted(0, 0, 0, numberIsZero ? 0 : HeadingKeptWithNext);
    ensureOnPage(keptTogether);
    numberRect.moveTop(keptTogether.top());
    if (numberIsZero) {
        // 10 below the group's start, counted from the new page when the number rectangle broke it.
        y = numberRect.top() + 5;
    } else {
        m_painter->drawText(numberRect, Qt::AlignRight | Qt::AlignVCenter, QString::number(group->number()));
        m_painter->setFont(pixelFont(14));
        const QRect titleRect = rectFromCorners(m_contentRect.left() + 35, numberRect.top(), m_contentRect.right() - 1,
                                                numberRect.bottom());
        m_painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                            firstTranslated({group->report(), group->title()}));
        QRect below(titleRect.left(), titleRect.bottom() + 1, 1, 1);
        ensureOnPage(below);
        y = below.top() - 5;
    }

    int counter = 0;
    const QList<TestSubgroup *> subgroups = group->subgroups()->values();
    for (int i = 0; i < subgroups.size(); ++i) {
        TestSubgroup *subgroup = subgroups.at(i);
        if (subgroup->hideTitle()) {
            y = drawSubgroup(y, subgroup, counter, true, false);
        } else {
            ++counter;
            y = drawSubgroup(y, subgroup, counter, numberIsZero,
                             !numberIsZero && m_sectionVerdicts.failed(subgroups, i));
        }
    }

    y += 4;
    if (y > m_contentRect.bottom()) {
        startNewPage();
        y = m_contentRect.top();
    }
    drawPatternedLine(QLine(m_contentRect.left(), top(y), m_contentRect.right(), top(y)), Qt::DashLine, textMuted);
    m_painter->restore();
    return y;
}

qreal ReportGenerator::drawSubgroup(qreal y, TestSubgroup *subgroup, int runningNumber, bool hiddenTitle,
                                    bool sectionFailed)
{
    if (!subgroup)
        return y;

    m_painter->save();
    const QFont font = pointFont(12);
    m_painter->setFont(font);
    m_painter->setPen(textDark);

    if (hiddenTitle) {
        QRect emptyLine(m_contentRect.left(), top(y), m_contentRect.width() - 1, m_painter->fontMetrics().height());
        ensureOnPage(emptyLine);
        y = emptyLine.bottom();
    } else {
        QRect headingSpace(m_contentRect.left(), top(y), m_contentRect.width(), 20);
        if (ensureOnPage(headingSpace))
            y = m_contentRect.top();
        const int left = m_contentRect.left();
        const int headingTop = top(y);
        const QString icon =
            sectionFailed ? QStringLiteral(":/assets/failedicon") : QStringLiteral(":/assets/passedicon");
        m_painter->drawImage(QRect(left + 10, headingTop + 5, 16, 16), image(icon));
        m_painter->drawText(rectFromCorners(left + 30, headingTop + 6, left + 54, headingTop + 20),
                            Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap,
                            QStringLiteral("%1.%2").arg(subgroup->groupNumber()).arg(runningNumber));

        const TestGroup *group = qobject_cast<const TestGroup *>(subgroup->parent());
        const QString heading =
            firstTranslated({subgroup->report(), subgroup->title(), group ? group->report() : QString(),
                             group ? group->title() : QString()})
                .toUpper();
        const int titleWidth = m_contentRect.right() - 1 - (left + 59) + 1;
        const QTextOption titleOption = wrappingOption(Qt::AlignLeft | Qt::AlignBottom, heading);
        const QSize textSize =
            m_painter->boundingRect(QRectF(0, 0, titleWidth, 0), heading, titleOption).toAlignedRect().size();
        // At least as tall as the number beside it, so a one-line title shares its baseline.
        QRect titleRect(left + 59, headingTop + 6, qMin(textSize.width(), titleWidth), qMax(textSize.height(), 15));
        ensureOnPage(titleRect);
        m_painter->drawText(titleRect, heading, titleOption);
        y = titleRect.bottom();
    }

    for (Test *test : qAsConst(*subgroup->tests()))
        y = drawTest(y, test);
    m_painter->restore();
    return y;
}

qreal ReportGenerator::drawTest(qreal y, Test *test)
{
    m_painter->save();
    for (TestContent *content : qAsConst(*test->content())) {
        if (m_printedContents.printed(test, content))
            y = drawContent(y + 4, content, test->validatable()) + 4;
    }
    m_painter->restore();
    return y;
}

qreal ReportGenerator::drawContent(qreal y, TestContent *content, bool validatable)
{
    m_painter->save();
    const QString label = firstTranslated({content->report(), content->caption()});
    const auto mark = [this](bool passed) {
        return QVariant::fromValue(
            image(passed ? QStringLiteral(":/assets/reportcheck") : QStringLiteral(":/assets/reportx")));
    };

    QVariant value;
    // A note is printed with its answer whatever the answer or verdict was; a date asked with a verdict before it.
    QString firstNote = content->note();
    const std::optional<QString> judged = JudgedLuminanceRows::text(content, m_judgedValues);
    if (validatable) {
        value = mark(content->isValid());
        const QDate date = QDate::fromString(content->resultText(), Qt::ISODate);
        if (content->validatorType() == TestContent::kValidatorTypeDate && date.isValid())
            firstNote = QStringList{LocalFormats::date(date), firstNote}.join(QLatin1Char('\n')).trimmed();
    } else {
        switch (content->type()) {
        case TestContent::kTestContentTypeText:
        case TestContent::kTestContentTypeTextarea:
            value = judged.value_or(shownResult(content) + ReadingMarks::markFor(content));
            break;
        case TestContent::kTestContentTypeMultiselect:
            value = multiselectText(content);
            break;
        case TestContent::kTestContentTypeBoolean:
            value = mark(content->resultBoolean());
            break;
        case TestContent::kTestContentTypeInfo:
        case TestContent::kTestContentTypeNone:
            break;
        }
    }
    y = drawRow(y, label, value, firstNote, translated(content->reportDescription()), false, false, textMuted);

    if (!content->join().isEmpty()) {
        const double joined = content->computeJoin();
        const QString valueText = judged.value_or(std::isfinite(joined) ? LocalFormats::number(joined, ComputedDecimals)
                                                                        : notComputableText(content));
        y = drawRow(y - 5, translated(content->joinText()), valueText, QString(),
                    translated(content->joinDescription()), false, true, textMuted);
    }
    m_painter->restore();
    return y;
}

// Why a computed value is not there: the answer it reads that is missing or no number.
QString ReportGenerator::notComputableText(const TestContent *content) const
{
    QString problem;
    const QString id = unreadableAnswer(content->id(), &problem);
    if (id == content->id())
        return translated(QStringLiteral("inputError"));
    return translated(QStringLiteral("verdict_notComputable_") + problem).arg(captionOf(id));
}

// The answer at the root of a value that cannot be computed: a computed value is
// followed through the joins it reads to the operator's answer that is missing
// ("unanswered") or no number ("notANumber"). Joins read joins only a few levels deep.
QString ReportGenerator::unreadableAnswer(const QString &contentId, QString *problem) const
{
    constexpr int deepestJoin = 8;
    QString id = contentId;
    for (int depth = 0; depth < deepestJoin; ++depth) {
        const TestContent *content = contentWithId(id);
        bool missing = false;
        const QString input =
            content && !content->join().isEmpty() ? content->unreadableJoinInput(&missing) : QString();
        if (input.isEmpty())
            break;
        id = input;
        *problem = missing ? QStringLiteral("unanswered") : QStringLiteral("notANumber");
    }
    return id;
}

const TestContent *ReportGenerator::contentWithId(const QString &contentId) const
{
    for (const TestGroup *group : m_groups) {
        if (const TestContent *content = group->contentById(contentId))
            return content;
    }
    return nullptr;
}

// The answer's name as the operator was asked for it.
QString ReportGenerator::captionOf(const QString &contentId) const
{
    const TestContent *content = contentWithId(contentId);
    return content ? firstTranslated({content->caption(), content->report()}) : contentId;
}

// A session that does not measure the ambient luminance adds none, as it was judged.
std::optional<double> ReportGenerator::ambientLuminance() const
{
    const TestContent *content = contentWithId(LimitsTable::current().inputs().ambientLuminance);
    if (!content)
        return 0.0;
    bool isNumber = false;
    const double value = AnswerNumber::read(content->resultText(), &isNumber);
    return isNumber ? std::optional<double>(value) : std::nullopt;
}

// The test type, and the display with the category and room class that chose its limits.
qreal ReportGenerator::drawSessionContext(qreal y, const QString &testType, const QVariantMap &display)
{
    const auto row = [this, &y](const char *label, const QString &value) {
        y = drawRow(y + 4, translated(QLatin1String(label)), value, QString(), QString(), false, false, textMuted);
    };
    row("testType", translated(QStringLiteral("testType_") + (testType.isEmpty() ? QStringLiteral("unknown") : testType)));
    if (display.isEmpty())
        return y + 4;
    const QString serial = display.value(QStringLiteral("serial")).toString();
    row("display_identity", QStringList{display.value(QStringLiteral("maker")).toString(),
                                        display.value(QStringLiteral("model")).toString(),
                                        serial.isEmpty() ? QString() : QStringLiteral("(SN %1)").arg(serial)}
                                .join(QLatin1Char(' '))
                                .simplified());
    const QString categoryId = LimitsTable::currentCategoryId(display.value(QStringLiteral("category")).toString(),
                                                              display.value(QStringLiteral("roomClass")).toString());
    const LimitsTable::Category *category = LimitsTable::current().category(categoryId);
    const QString categoryTitle = category ? translated(category->title) : QString();
    row("applicationCategory", categoryTitle.isEmpty() ? (category ? category->title : categoryId) : categoryTitle);
    row("roomClass", display.value(QStringLiteral("roomClass")).toString());
    const QDate classifiedOn = QDate::fromString(display.value(QStringLiteral("classifiedOn")).toString(), Qt::ISODate);
    if (classifiedOn.isValid())
        row("display_classifiedOn", LocalFormats::date(classifiedOn));
    return y + 4;
}

// Each measured quantity with its value, limit, verdict and the limit's source.
qreal ReportGenerator::drawJudgement(qreal y, const Judgement &judgement)
{
    m_painter->save();
    y = drawSectionHeading(y, translated(QStringLiteral("limits_title")));
    for (Judgement::Verdict verdict : judgement.verdicts) {
        QString subject = verdict.problemSubject;
        if (subject.startsWith(QLatin1String("content"))) {
            subject = unreadableAnswer(verdict.problemSubject, &verdict.problem);
            subject = captionOf(subject);
        }
        const QString source =
            verdict.source.isEmpty() ? QString()
                                     : translated(QStringLiteral("limits_source")).arg(verdict.source.toHtmlEscaped());
        y = drawRow(y + 4, VerdictText::quantity(verdict), VerdictText::outcome(verdict, subject), QString(), source,
                    false, false, verdict.passed ? textMuted : failedCountColour) +
            4;
    }
    m_painter->restore();
    return y;
}

qreal ReportGenerator::drawSectionHeading(qreal y, const QString &heading)
{
    m_painter->setFont(pointFont(12));
    m_painter->setPen(textDark);
    QRect headingRect(m_contentRect.left() + 10, top(y) + 8, m_contentRect.width() - 10, 16);
    ensureOnPage(headingRect);
    m_painter->drawText(headingRect, Qt::AlignLeft | Qt::AlignBottom, heading.toUpper());
    return headingRect.bottom();
}

// A constancy test's measured quantities beside the reference values it was compared with.
qreal ReportGenerator::drawComparison(qreal y, const QVariantMap &reference, const QList<ComparisonText::Line> &lines)
{
    m_painter->save();
    y = drawSectionHeading(y, ComparisonText::heading(reference));
    for (const ComparisonText::Line &line : lines)
        y = drawRow(y + 4, line.quantity, line.text(), QString(), QString(), false, false,
                    line.passed ? textMuted : failedCountColour) +
            4;
    m_painter->restore();
    return y;
}

qreal ReportGenerator::drawSignatureBlock(qreal y)
{
    m_painter->save();
    const QFont headingFont = pointFont(14, QFont::Bold);
    m_painter->setFont(headingFont);
    m_painter->setPen(textDark);

    const QString heading = translated(QStringLiteral("report_group_17"));
    const int width = m_contentRect.width() - 1;
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QRect headingRect(m_contentRect.left(), top(y) + 5, width,
                      m_painter->boundingRect(QRect(0, 0, width, 0), flags, heading).height());
    ensureOnPage(headingRect);
    m_painter->drawText(headingRect, flags, heading);

    y = headingRect.bottom() + 4;
    y = drawRow(y, translated(QStringLiteral("company")), QString(), QString(), QString(), true, false, textMuted);
    y = drawRow(y, translated(QStringLiteral("nameCapital")), QString(), QString(), QString(), true, false, textMuted);

    // The date and signature lines sit at the foot of the page; they move to a
    // new page when they would not leave room below the last row.
    QRect probe(m_contentRect.left(), top(y), 200, 60);
    ensureOnPage(probe);

    const QFont captionFont = pointFont(10);
    const int captionTop = m_contentRect.bottom() - 60;
    const QRect dateBox = rectFromCorners(m_contentRect.left(), captionTop, m_contentRect.left() + 199, captionTop);
    const QRect signatureBox =
        rectFromCorners(m_contentRect.right() - 199, captionTop, m_contentRect.right(), captionTop);
    const QList<QPair<QRect, QString>> captions = {{dateBox, QStringLiteral("date")},
                                                   {signatureBox, QStringLiteral("signature")}};
    for (const auto &caption : captions) {
        ReportDocument document;
        const QRect block =
            layOutHtml(document, htmlBlock(translated(caption.second), captionFont, QStringLiteral("center"), textDark),
                       200, caption.first.topLeft());
        drawHtml(document, block);
        const int lineY = captionTop + 40;
        drawPatternedLine(QLine(caption.first.left(), lineY, caption.first.right(), lineY), Qt::DotLine, ruleLight);
    }
    m_painter->restore();
    return y;
}

QRect ReportGenerator::layOutHtml(ReportDocument &document, const QString &html, int textWidth,
                                  const QPoint &topLeft) const
{
    document.documentLayout()->setPaintDevice(m_printer);
    // Emptied first: a new width or wrap mode would lay out the old text again.
    document.clear();
    document.setTextWidth(textWidth);
    document.setWrapModeFor(html);
    document.setHtml(html);
    const QSizeF size = document.size();
    return QRect(topLeft, QSize(qMin(qCeil(size.width()), textWidth), qCeil(size.height())));
}

void ReportGenerator::drawHtml(QTextDocument &document, const QRect &block)
{
    m_painter->save();
    m_painter->translate(block.left(), block.top() - htmlBlockLift);
    document.drawContents(m_painter, QRectF(0, 0, block.width(), block.height()));
    m_painter->restore();
}

int ReportGenerator::noteExtraHeight(const QString &text, int textWidth) const
{
    ReportDocument document;
    const QRect rect(0, 0, textWidth, 0);
    const int height = noteBlock(document, rect, text).height();
    const int oneLine = noteBlock(document, rect, QStringLiteral("-")).height();
    return qMax(0, height - oneLine);
}

void ReportGenerator::drawPatternedLine(const QLine &line, Qt::PenStyle style, const QColor &colour)
{
    m_painter->save();
    m_painter->setPen(QPen(colour, 1, style, Qt::SquareCap, Qt::BevelJoin));
    m_painter->drawLine(line);
    m_painter->restore();
}

QImage ReportGenerator::image(const QString &resource)
{
    auto cached = m_images.constFind(resource);
    if (cached != m_images.constEnd())
        return cached.value();
    QImageReader reader(resource);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(imageRasterSize, imageRasterSize, Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    m_images.insert(resource, picture);
    return picture;
}
