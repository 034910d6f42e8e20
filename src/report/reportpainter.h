#pragma once

#include "reportmodel.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>

class QFont;
class QPainter;
class QPrinter;
class QTextDocument;
class ReportDocument;

// Lays a report model out on A4 pages: letterhead and summary, one section
// per test group, the closing blocks and pages, and the signature block.
// Rows and long texts continue across pages; every page carries its footer.
// All lengths are in points: the printer is set to 72 dots per inch.
class ReportPainter
{
public:
    // The painter is begun on the printer and ended when the report is done.
    ReportPainter(QPrinter *printer, QPainter *painter);

    void paint(const ReportModel &model);

private:
    bool fitsOnPage(const QRect &rect) const;
    bool ensureOnPage(QRect &rect);
    // Draws a laid-out block that may be taller than the room left: what fits
    // is drawn here, the rest continues from the top of new pages, cut between
    // lines. Returns the bottom of its last part.
    int drawAcrossPages(QTextDocument &document, const QRect &block);
    void drawLinesStartingIn(const QTextDocument &document, qreal from, qreal to);
    static qreal lineStartAbove(const QTextDocument &document, qreal limit);
    void startNewPage();
    void drawFooter();
    qreal drawRows(qreal y, const QList<ReportModel::Row> &rows);
    qreal drawRow(qreal y, const ReportModel::Row &row);
    qreal fitRow(qreal y, const QString &label, const QString &valueText, const QString &firstNote,
                 const QString &secondNote);
    qreal drawNote(qreal y, const QRect &rect, const QString &text);
    // A label with the break points its long words need in the label column.
    QString labelText(const QString &label) const;
    static QString htmlBlock(const QString &text, const QFont &font, const QString &alignment, const QColor &colour);
    qreal drawHeader();
    qreal drawGroup(qreal y, const ReportModel::Group &group);
    qreal drawSection(qreal y, const ReportModel::Section &section);
    qreal drawBlock(qreal y, const ReportModel::Block &block);
    qreal drawSignatureBlock(qreal y);

    // The rectangles of one row: label block, value, and the two notes (empty when absent).
    struct RowGeometry
    {
        QRect label;
        QRect value;
        QRect secondNote;
        QRect firstNote;
    };
    RowGeometry rowGeometry(int rowTop, const QSize &labelSize, const QString &valueText, const QString &firstNote,
                            const QString &secondNote) const;
    QRect noteBlock(ReportDocument &document, const QRect &rect, const QString &text) const;
    QRect layOutHtml(ReportDocument &document, const QString &html, int textWidth, const QPoint &topLeft) const;
    void drawHtml(QTextDocument &document, const QRect &block);
    int noteExtraHeight(const QString &text, int textWidth) const;
    void drawPatternedLine(const QLine &line, Qt::PenStyle style, const QColor &colour);
    QImage image(const QString &resource);

    QPrinter *m_printer;
    QPainter *m_painter;
    const ReportModel *m_model = nullptr;
    QRect m_contentRect;
    int m_pageNumber = 1;
    QHash<QString, QImage> m_images;
};
