#include "reportpainter.h"

#include "calibrationreportpage.h"
#include "luminanceresponsepage.h"
#include "reportdocument.h"
#include "reportstyle.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>

namespace {

using namespace ReportStyle;

// Width of the right-aligned label column and the stub that leads to the value.
constexpr int labelColumnWidth = 140;
constexpr int leaderLength = 13;
// Room below a group heading for the first subgroup heading and its first row.
constexpr int HeadingKeptWithNext = 60;
constexpr int valueLineHeight = 12;
// Rich-text blocks are drawn this much above their nominal top, taking back most
// of the document's inner margin so their text lines up with plain text drawn
// at the same top.
constexpr int htmlBlockLift = 3;
// The letterhead's summary line and the monitor row below it.
constexpr int summaryTop = 116;
constexpr int monitorRowTop = 149;

// Embedded drawings are rasterised at this size, far above the 10 to 28 points
// they take on the page, so they stay sharp when the report is zoomed or printed.
constexpr int imageRasterSize = 128;

QFont pointFont(int pointSize, QFont::Weight weight = QFont::Normal)
{
    return ReportStyle::font(pointSize, weight);
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

QColor colourOf(ReportModel::Tone tone)
{
    return tone == ReportModel::Tone::Failed ? failedCountColour : textMuted;
}

} // namespace

ReportPainter::ReportPainter(QPrinter *printer, QPainter *painter) : m_printer(printer), m_painter(painter)
{
    const QRect page = m_printer->pageRect(QPrinter::DevicePixel).toRect();
    m_contentRect = rectFromCorners(page.left() + 20, page.top() + 20, page.right() - 20, page.bottom() - 40);
}

void ReportPainter::paint(const ReportModel &model)
{
    if (!m_painter->begin(m_printer))
        return;
    m_model = &model;
    m_pageNumber = 1;
    drawFooter();
    qreal y = drawHeader();
    y = drawRows(y, model.opening);
    for (const ReportModel::Group &group : model.groups)
        y = drawGroup(y, group);
    if (model.limits)
        y = drawBlock(y, *model.limits);
    if (model.comparison)
        y = drawBlock(y, *model.comparison);
    y = drawRows(y, model.remarks);
    if (model.luminanceResponse) {
        // The section takes a page of its own, after the last group.
        startNewPage();
        LuminanceResponsePage page(m_painter, m_printer, m_contentRect);
        if (model.gsdfVerdict)
            page.setVerdict(*model.gsdfVerdict);
        y = page.draw(m_contentRect.top(), *model.luminanceResponse);
    }
    if (model.calibration) {
        startNewPage();
        y = CalibrationReportPage(m_painter, m_printer, m_contentRect).draw(m_contentRect.top(), *model.calibration);
    }
    y = drawRows(y, model.meter);
    drawSignatureBlock(y);
    model.fingerprint.drawWhole(m_painter, rectFromCorners(m_contentRect.left(), m_contentRect.bottom() + 30,
                                                           m_contentRect.right(), m_contentRect.bottom() + 39));
    m_painter->end();
    m_model = nullptr;
}

void ReportPainter::startNewPage()
{
    m_printer->newPage();
    ++m_pageNumber;
    drawFooter();
}

void ReportPainter::drawFooter()
{
    m_painter->save();
    m_painter->setFont(pointFont(10));
    m_painter->setPen(textDark);
    const QRect band = rectFromCorners(m_contentRect.left(), m_contentRect.bottom() + 1, m_contentRect.right(),
                                       m_contentRect.bottom() + 20);
    m_painter->drawText(band, Qt::AlignCenter, QString::number(m_pageNumber));
    m_painter->drawLine(band.topLeft(), band.topRight());
    m_model->fingerprint.drawPageMark(m_painter, band);
    if (!m_model->footerNote.isEmpty()) {
        // The table's version, its site file and that file's hash take more than one line of the page.
        m_painter->setFont(pointFont(7));
        const QRect noteBand(band.left(), band.bottom() + 1, band.width(), 2 * m_painter->fontMetrics().lineSpacing());
        m_painter->drawText(noteBand, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_model->footerNote);
    }
    m_painter->restore();
}

qreal ReportPainter::drawRows(qreal y, const QList<ReportModel::Row> &rows)
{
    for (const ReportModel::Row &row : rows)
        y = drawRow(y + row.spaceAbove, row) + row.spaceBelow;
    return y;
}

qreal ReportPainter::drawRow(qreal y, const ReportModel::Row &model)
{
    if (model.label.isEmpty())
        return y;

    m_painter->save();
    const QFont font = pointFont(10);
    m_painter->setFont(font);

    const bool textValue = model.value == ReportModel::Value::Text;
    const QString valueText = !textValue ? QString() : model.text.isEmpty() ? QStringLiteral("-") : model.text;
    const QString &firstNote = model.note;
    const QString &secondNote = model.description;
    const QColor valueColour = colourOf(model.tone);

    y = fitRow(y, model.label, valueText, firstNote, secondNote);

    m_painter->setPen(textDark);
    ReportDocument labelDocument;
    const QSize labelSize = layOutHtml(labelDocument,
                                       htmlBlock(labelText(model.label), font, QStringLiteral("right"),
                                                 model.mutedLabel ? textMuted : textDark),
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
    if (model.value == ReportModel::Value::LineToWriteOn) {
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
        } else if (model.value != ReportModel::Value::Nothing) {
            const bool passed = model.value == ReportModel::Value::Passed;
            m_painter->drawImage(
                QRect(valueRect.left(), valueRect.top() + 2, 10, 10),
                image(passed ? QStringLiteral(":/assets/reportcheck") : QStringLiteral(":/assets/reportx")));
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

qreal ReportPainter::drawHeader()
{
    m_painter->save();
    const int textFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

    m_painter->fillRect(rectFromCorners(20, 25, 24, 85), letterheadBar);
    m_painter->setPen(textDark);
    m_painter->setFont(pixelFont(14, QFont::Bold));
    m_painter->drawText(rectFromCorners(33, 20, 382, 52), textFlags, m_model->brand);
    m_painter->setFont(pixelFont(14));
    m_painter->drawText(rectFromCorners(33, 58, 382, 90), textFlags, m_model->title);

    m_painter->fillRect(rectFromCorners(445, 25, 447, 85), letterheadBar);
    m_painter->drawText(rectFromCorners(455, 20, 569, 53), textFlags, m_model->issuer);
    m_painter->drawImage(rectFromCorners(458, 60, 485, 86), image(QStringLiteral(":/icon")));
    m_painter->setFont(pixelFont(11));
    m_painter->drawText(rectFromCorners(495, 76, 579, 88), textFlags, m_model->date);
    m_painter->drawLine(20, 106, 20 + m_contentRect.width() - 1, 106);

    const QFont summaryFont = pixelFont(20);
    m_painter->setFont(summaryFont);
    const QRect band = rectFromCorners(m_contentRect.left(), summaryTop, m_contentRect.right(), monitorRowTop - 10);
    m_painter->setPen(m_model->summary == ReportModel::Summary::Passed   ? passedColour
                      : m_model->summary == ReportModel::Summary::Failed ? textDark
                                                                         : failedCountColour);
    QRect summaryRect = band;
    if (m_model->summary == ReportModel::Summary::Failed)
        summaryRect.setWidth(QFontMetrics(summaryFont, m_printer).horizontalAdvance(m_model->summaryText));
    m_painter->drawText(summaryRect, Qt::AlignLeft | Qt::AlignVCenter, m_model->summaryText);
    if (!m_model->failedCountText.isEmpty()) {
        QRect errorsRect = band;
        errorsRect.setLeft(summaryRect.right() + 1 + 10);
        m_painter->setPen(failedCountColour);
        m_painter->drawText(errorsRect, Qt::AlignLeft | Qt::AlignVCenter, m_model->failedCountText);
    }

    const qreal rowBottom = drawRow(monitorRowTop, m_model->monitor);
    const int ruleY = top(rowBottom) + 5;
    m_painter->setPen(textDark);
    m_painter->drawLine(m_contentRect.left(), ruleY, m_contentRect.right(), ruleY);
    m_painter->restore();
    return ruleY;
}

qreal ReportPainter::drawGroup(qreal y, const ReportModel::Group &group)
{
    m_painter->save();
    m_painter->setFont(pointFont(24));
    m_painter->setPen(textDark);

    QRect numberRect(m_contentRect.left(), top(y) + 5, 30, 28);
    // A heading never stands alone at the foot of a page: it moves on with the
    // first subgroup's heading and row.
    QRect keptTogether = numberRect.adjusted(0, 0, 0, group.numbered ? HeadingKeptWithNext : 0);
    ensureOnPage(keptTogether);
    numberRect.moveTop(keptTogether.top());
    if (!group.numbered) {
        // 10 below the group's start, counted from the new page when the number rectangle broke it.
        y = numberRect.top() + 5;
    } else {
        m_painter->drawText(numberRect, Qt::AlignRight | Qt::AlignVCenter, group.number);
        m_painter->setFont(pixelFont(14));
        const QRect titleRect = rectFromCorners(m_contentRect.left() + 35, numberRect.top(), m_contentRect.right() - 1,
                                                numberRect.bottom());
        m_painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, group.title);
        QRect below(titleRect.left(), titleRect.bottom() + 1, 1, 1);
        ensureOnPage(below);
        y = below.top() - 5;
    }

    for (const ReportModel::Section &section : group.sections)
        y = drawSection(y, section);

    y += 4;
    if (y > m_contentRect.bottom()) {
        startNewPage();
        y = m_contentRect.top();
    }
    drawPatternedLine(QLine(m_contentRect.left(), top(y), m_contentRect.right(), top(y)), Qt::DashLine, textMuted);
    m_painter->restore();
    return y;
}

qreal ReportPainter::drawSection(qreal y, const ReportModel::Section &section)
{
    m_painter->save();
    m_painter->setFont(pointFont(12));
    m_painter->setPen(textDark);

    if (!section.headed) {
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
            section.failed ? QStringLiteral(":/assets/failedicon") : QStringLiteral(":/assets/passedicon");
        m_painter->drawImage(QRect(left + 10, headingTop + 5, 16, 16), image(icon));
        m_painter->drawText(rectFromCorners(left + 30, headingTop + 6, left + 54, headingTop + 20),
                            Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap, section.number);

        const int titleWidth = m_contentRect.right() - 1 - (left + 59) + 1;
        const QTextOption titleOption = wrappingOption(Qt::AlignLeft | Qt::AlignBottom, section.heading);
        const QSize textSize =
            m_painter->boundingRect(QRectF(0, 0, titleWidth, 0), section.heading, titleOption).toAlignedRect().size();
        // At least as tall as the number beside it, so a one-line title shares its baseline.
        QRect titleRect(left + 59, headingTop + 6, qMin(textSize.width(), titleWidth), qMax(textSize.height(), 15));
        ensureOnPage(titleRect);
        m_painter->drawText(titleRect, section.heading, titleOption);
        y = titleRect.bottom();
    }

    y = drawRows(y, section.rows);
    m_painter->restore();
    return y;
}

qreal ReportPainter::drawBlock(qreal y, const ReportModel::Block &block)
{
    m_painter->save();
    m_painter->setFont(pointFont(12));
    m_painter->setPen(textDark);
    // A heading naming a session's uuid is longer than a line: it wraps rather than runs off the page.
    const QString heading = block.heading.toUpper();
    const QTextOption option = wrappingOption(Qt::AlignLeft | Qt::AlignBottom, heading);
    const int width = m_contentRect.width() - 10;
    const int height = qCeil(m_painter->boundingRect(QRectF(0, 0, width, 0), heading, option).height());
    QRect headingRect(m_contentRect.left() + 10, top(y) + 8, width, qMax(16, height));
    ensureOnPage(headingRect);
    m_painter->drawText(headingRect, heading, option);
    y = drawRows(headingRect.bottom(), block.rows);
    m_painter->restore();
    return y;
}

qreal ReportPainter::drawSignatureBlock(qreal y)
{
    m_painter->save();
    const QFont headingFont = pointFont(14, QFont::Bold);
    m_painter->setFont(headingFont);
    m_painter->setPen(textDark);

    const QString &heading = m_model->signatureHeading;
    const int width = m_contentRect.width() - 1;
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QRect headingRect(m_contentRect.left(), top(y) + 5, width,
                      m_painter->boundingRect(QRect(0, 0, width, 0), flags, heading).height());
    ensureOnPage(headingRect);
    m_painter->drawText(headingRect, flags, heading);

    y = drawRows(headingRect.bottom() + 4, m_model->signatureRows);

    // The date and signature lines sit at the foot of the page; they move to a
    // new page when they would not leave room below the last row.
    QRect probe(m_contentRect.left(), top(y), 200, 60);
    ensureOnPage(probe);

    const QFont captionFont = pointFont(10);
    const int captionTop = m_contentRect.bottom() - 60;
    const QRect dateBox = rectFromCorners(m_contentRect.left(), captionTop, m_contentRect.left() + 199, captionTop);
    const QRect signatureBox =
        rectFromCorners(m_contentRect.right() - 199, captionTop, m_contentRect.right(), captionTop);
    for (const auto &caption :
         {qMakePair(dateBox, m_model->dateCaption), qMakePair(signatureBox, m_model->signatureCaption)}) {
        ReportDocument document;
        const QRect block =
            layOutHtml(document, htmlBlock(caption.second, captionFont, QStringLiteral("center"), textDark), 200,
                       caption.first.topLeft());
        drawHtml(document, block);
        const int lineY = captionTop + 40;
        drawPatternedLine(QLine(caption.first.left(), lineY, caption.first.right(), lineY), Qt::DotLine, ruleLight);
    }
    m_painter->restore();
    return y;
}

bool ReportPainter::fitsOnPage(const QRect &rect) const
{
    // Compared edge by edge: QRect::contains() rejects empty rectangles, such
    // as the measured size of an empty text, which must not break the page.
    return rect.left() >= m_contentRect.left() && rect.right() <= m_contentRect.right() &&
           rect.top() >= m_contentRect.top() && rect.bottom() <= m_contentRect.bottom();
}

bool ReportPainter::ensureOnPage(QRect &rect)
{
    if (fitsOnPage(rect))
        return false;
    startNewPage();
    rect.moveTop(m_contentRect.top());
    return true;
}

int ReportPainter::drawAcrossPages(QTextDocument &document, const QRect &block)
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
void ReportPainter::drawLinesStartingIn(const QTextDocument &document, qreal from, qreal to)
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

qreal ReportPainter::lineStartAbove(const QTextDocument &document, qreal limit)
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

// Where drawRow() puts the parts of a row whose label block has the given size.
// A value or note that wraps keeps all its lines: the parts below it move down
// by what the wrapping adds to one line, so nothing overlaps.
ReportPainter::RowGeometry ReportPainter::rowGeometry(int rowTop, const QSize &labelSize, const QString &valueText,
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

qreal ReportPainter::fitRow(qreal y, const QString &label, const QString &valueText, const QString &firstNote,
                            const QString &secondNote)
{
    const QFont font = pointFont(10);
    m_painter->setFont(font);

    ReportDocument document;
    QRect labelRect = layOutHtml(document, htmlBlock(labelText(label), font, QStringLiteral("right"), textDark),
                                 labelColumnWidth, QPoint(m_contentRect.left(), top(y)));
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

qreal ReportPainter::drawNote(qreal y, const QRect &rect, const QString &text)
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

QRect ReportPainter::noteBlock(ReportDocument &document, const QRect &rect, const QString &text) const
{
    QRect block = layOutHtml(document, htmlBlock(text, pointFont(8), QStringLiteral("left"), textMuted), rect.width(),
                             rect.topLeft());
    if (block.right() > m_contentRect.right())
        block.moveRight(m_contentRect.right());
    return block;
}

QString ReportPainter::labelText(const QString &label) const
{
    // The text of a block lies within the document's inner margin on each side.
    const int textWidth = labelColumnWidth - 2 * qCeil(ReportDocument().documentMargin());
    return ReportDocument::withBreakPoints(label, QFontMetrics(pointFont(10), m_printer), textWidth);
}

QString ReportPainter::htmlBlock(const QString &text, const QFont &font, const QString &alignment, const QColor &colour)
{
    const int size = font.pointSize() > 0 ? font.pointSize() : font.pixelSize();
    // Every text of a block is stored or translated text, printed as it is written, never read as markup.
    const QString plain = text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QStringLiteral("<div style='font-family:\"%1\";font-size:%2px;color:%3;' align=%4>%5</div>")
        .arg(font.family(), QString::number(size), colour.name(), alignment, plain);
}

QRect ReportPainter::layOutHtml(ReportDocument &document, const QString &html, int textWidth,
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

void ReportPainter::drawHtml(QTextDocument &document, const QRect &block)
{
    m_painter->save();
    m_painter->translate(block.left(), block.top() - htmlBlockLift);
    document.drawContents(m_painter, QRectF(0, 0, block.width(), block.height()));
    m_painter->restore();
}

int ReportPainter::noteExtraHeight(const QString &text, int textWidth) const
{
    ReportDocument document;
    const QRect rect(0, 0, textWidth, 0);
    const int height = noteBlock(document, rect, text).height();
    const int oneLine = noteBlock(document, rect, QStringLiteral("-")).height();
    return qMax(0, height - oneLine);
}

void ReportPainter::drawPatternedLine(const QLine &line, Qt::PenStyle style, const QColor &colour)
{
    m_painter->save();
    m_painter->setPen(QPen(colour, 1, style, Qt::SquareCap, Qt::BevelJoin));
    m_painter->drawLine(line);
    m_painter->restore();
}

QImage ReportPainter::image(const QString &resource)
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
