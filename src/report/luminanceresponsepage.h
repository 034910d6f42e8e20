#pragma once

#include "judgement.h"

#include <QList>
#include <QPair>
#include <QRect>
#include <QString>

#include <optional>

class LuminanceResponse;
class QFont;
class QPaintDevice;
class QPainter;

// The report's "Luminance response" section: the measured contrast per JND of
// the 18 TG18-LN readings plotted against the GSDF with the band of the
// display category's tolerance, the table of readings, targets and
// deviations, and the verdict. Drawn with the report's painter, so the plot
// stays vector art.
class LuminanceResponsePage
{
public:
    LuminanceResponsePage(QPainter *painter, QPaintDevice *device, const QRect &contentRect);

    // The session's verdict of the largest deviation, whose limit is the band.
    // Without one (a session stored before the limits table) the page shows the
    // +/-10 % and +/-20 % bands of AAPM TG18 as it always did.
    void setVerdict(const Judgement::Verdict &verdict) { m_verdict = verdict; }

    // Draws the section from the given top; returns the y below it. The
    // section is about 560 points tall and expects a page of its own.
    qreal draw(qreal y, const LuminanceResponse &response);
    // Why the readings cannot be analysed, in the translator's language.
    static QString problemText(const LuminanceResponse &response);
    // The plot's frame when the plot starts at the given top.
    QRect plotArea(int top) const;

private:
    void drawPlot(const QRect &area, const LuminanceResponse &response);
    void drawAxes(const QRect &area, double maximum);
    qreal drawLegend(qreal y);
    qreal drawTable(qreal y, const LuminanceResponse &response);
    qreal drawVerdict(qreal y, const LuminanceResponse &response);
    qreal drawLine(qreal y, const QString &text, const QFont &font);
    // Each band as a fraction of the target with the translation key of its legend.
    QList<QPair<double, const char *>> bands() const;

    QPainter *m_painter;
    QPaintDevice *m_device;
    QRect m_contentRect;
    std::optional<Judgement::Verdict> m_verdict;
};
