#pragma once

#include "comparisontext.h"
#include "luminanceresponse.h"
#include "printedcontents.h"
#include "reportfingerprint.h"
#include "sectionverdicts.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QVariantMap>

#include <optional>

class QPainter;
class QPrinter;
class QTextDocument;
class ReportDocument;
class Test;
class TestContent;
class TestGroup;
class TestSubgroup;
class Judgement;

// Lays out one stored testing session as an A4 report: letterhead and summary,
// the tested monitor, one section per test group with every answer, and a
// closing block for the operator's name and signature. All lengths are in
// points: the printer is set to 72 dots per inch.
class ReportGenerator : public QObject
{
    Q_OBJECT

public:
    explicit ReportGenerator(QObject *parent = nullptr);
    ~ReportGenerator() override;

    // Page set-up every report relies on: A4 portrait PDF at 72 dots per inch,
    // no margins, named after the session's date. The printer is expected in
    // high-resolution mode, which only its constructor can choose.
    static void setUpPrinter(QPrinter *printer, const QVariantMap &session);
    // The session's date as "yyyyMMdd-HHmm", the name a report is saved under.
    static QString reportBaseName(const QVariantMap &session);
    // The file a report is printed to unless the operator chooses another: "<base name>.pdf" in the folder.
    static QString reportPath(const QString &folder, const QVariantMap &session);

    void generate(QPrinter *printer, QPainter *painter, QVariantMap session);
    // Sets up a printer and draws the session's report into the PDF file at the
    // given path; false when the file could not be written.
    bool writePdf(const QVariantMap &session, const QString &path);

    // The session's groups rebuilt with their answers linked, as the report
    // shows them; owned by the generator until its next run.
    const QList<TestGroup *> &linkedGroups(const QVariantMap &session);
    // The answers of the 18 TG18-LN tests, darkest pattern first; empty unless
    // every one of them is present and answered.
    static QStringList luminanceReadings(const QList<TestGroup *> &groups);
    // The luminance response of the groups linked last, as the report shows it; none without TG18-LN readings.
    std::optional<LuminanceResponse> luminanceResponse(const QVariantMap &session) const;
    static std::optional<Judgement::Verdict> gsdfVerdict(const QVariantMap &session);

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
    void drawFooter(int pageNumber);
    qreal drawRow(qreal y, const QString &label, const QVariant &value, const QString &firstNote,
                  const QString &secondNote, bool fillLine, bool mutedLabel, const QColor &valueColour);
    qreal fitRow(qreal y, const QString &label, const QString &valueText, const QString &firstNote,
                 const QString &secondNote);
    qreal drawNote(qreal y, const QRect &rect, const QString &text);
    static QString htmlBlock(const QString &text, const QFont &font, const QString &alignment, const QColor &colour);
    // An empty failure count is a damaged one: the summary says so instead of a verdict.
    qreal drawHeader(const QDateTime &date, std::optional<int> failedCount, const QString &monitorLine);

    void rebuildGroups(const QVariantMap &session);
    void linkAnswers();
    qreal drawGroup(qreal y, TestGroup *group, bool numberIsZero);
    qreal drawSubgroup(qreal y, TestSubgroup *subgroup, int runningNumber, bool hiddenTitle, bool sectionFailed);
    qreal drawTest(qreal y, Test *test);
    qreal drawContent(qreal y, TestContent *content, bool validatable);
    qreal drawSignatureBlock(qreal y);
    qreal drawLuminanceResponse(const LuminanceResponse &response, const std::optional<Judgement::Verdict> &verdict);
    qreal drawSessionContext(qreal y, const QString &testType, const QVariantMap &display);
    qreal drawJudgement(qreal y, const Judgement &judgement);
    qreal drawSectionHeading(qreal y, const QString &heading);
    qreal drawComparison(qreal y, const QVariantMap &reference, const QList<ComparisonText::Line> &lines);
    QString notComputableText(const TestContent *content) const;
    QString unreadableAnswer(const QString &contentId, QString *problem) const;
    const TestContent *contentWithId(const QString &contentId) const;
    QString captionOf(const QString &contentId) const;
    std::optional<double> ambientLuminance() const;

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
    QList<TestContent *> allContents() const;

    QPainter *m_painter = nullptr;
    QPrinter *m_printer = nullptr;
    QRect m_contentRect;
    int m_pageNumber = 1;
    QList<TestGroup *> m_groups;
    PrintedContents m_printedContents;
    SectionVerdicts m_sectionVerdicts;
    QHash<QString, QImage> m_images;
    QString m_titleKey = QStringLiteral("report_header_unknown");
    QString m_footerNote;
    ReportFingerprint m_fingerprint;
    // The measured values of a judged session, which its luminance rows print.
    QVariantMap m_judgedValues;
};
