#include "luminanceresponsepage.h"

#include "localformats.h"
#include "luminanceresponse.h"
#include "reportstyle.h"
#include "translator.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

using ReportStyle::font;
using ReportStyle::textDark;
const QColor &gridLight = ReportStyle::ruleLight;
const QColor measuredBlue(QStringLiteral("#1f6fd1"));
const QColor &primaryBand = ReportStyle::passedColour;
const QColor &secondaryBand = ReportStyle::failedCountColour;

constexpr int plotHeight = 220;
constexpr int plotLeftMargin = 50; // room for the contrast labels and the axis title
constexpr int tableRowHeight = 12;
// Left edges of the table's columns, from the content area's left.
constexpr int tableColumns[] = {20, 130, 230, 340, 450};

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

// One decimal; a deviation that rounds to nothing shows as 0.0, never as -0.0.
QString percent(double fraction)
{
    const double tenths = std::round(fraction * 1000);
    return LocalFormats::number(tenths == 0 ? 0.0 : tenths / 10, 1);
}

// A round upper end for the contrast axis, in per cent, above every plotted value.
double axisMaximum(const LuminanceResponse &response, double widestBand)
{
    double largest = 0;
    for (int i = 0; i < response.targetContrasts.size(); ++i)
        largest = std::max({largest, response.measuredContrasts.at(i),
                            response.targetContrasts.at(i) * (1 + widestBand)});
    return std::ceil(largest * 100 * 2) / 2;
}

const char *const ToleranceBand = "luminanceResponse_toleranceBand";

} // namespace

LuminanceResponsePage::LuminanceResponsePage(QPainter *painter, QPaintDevice *device, const QRect &contentRect)
    : m_painter(painter), m_device(device), m_contentRect(contentRect)
{
}

qreal LuminanceResponsePage::draw(qreal y, const LuminanceResponse &response)
{
    m_painter->save();
    m_painter->setPen(textDark);
    y = drawLine(y, translated("luminanceResponse_title"), font(14, QFont::Bold));
    if (!response.isValid()) {
        y = drawLine(y + 6, problemText(response), font(10));
        m_painter->restore();
        return y;
    }
    const QRect area = plotArea(int(y));
    drawPlot(area, response);
    y = drawLegend(area.bottom() + 24);
    y = drawTable(y + 8, response);
    y = drawVerdict(y + 6, response);
    m_painter->restore();
    return y;
}

QString LuminanceResponsePage::problemText(const LuminanceResponse &response)
{
    const QString reading = QString::number(response.problemReading + 1).rightJustified(2, QLatin1Char('0'));
    switch (response.problem) {
    case LuminanceResponse::NoProblem:
        return QString();
    case LuminanceResponse::WrongCount:
        return translated("luminanceResponse_wrongCount").arg(response.problemReading);
    case LuminanceResponse::NotANumber:
        return translated("luminanceResponse_notANumber").arg(reading);
    case LuminanceResponse::NotPositive:
        return translated("luminanceResponse_notPositive").arg(reading);
    case LuminanceResponse::OutsideGsdf:
        return translated("luminanceResponse_outsideGsdf").arg(reading);
    case LuminanceResponse::NotIncreasing:
        return translated("luminanceResponse_notIncreasing").arg(reading);
    case LuminanceResponse::AmbientNotANumber:
        return translated("luminanceResponse_ambientNotANumber");
    }
    return QString();
}

QRect LuminanceResponsePage::plotArea(int top) const
{
    return QRect(m_contentRect.left() + plotLeftMargin, top + 10, m_contentRect.width() - plotLeftMargin - 10,
                 plotHeight);
}

QList<QPair<double, const char *>> LuminanceResponsePage::bands() const
{
    if (!m_verdict)
        return {{LuminanceResponse::secondaryLimit, "luminanceResponse_secondaryBand"},
                {LuminanceResponse::primaryLimit, "luminanceResponse_primaryBand"}};
    if (!m_verdict->hasLimit)
        return {};
    return {{m_verdict->limit / 100, ToleranceBand}};
}

void LuminanceResponsePage::drawPlot(const QRect &area, const LuminanceResponse &response)
{
    const QList<QPair<double, const char *>> shownBands = bands();
    const double maximum = axisMaximum(response, shownBands.isEmpty() ? 0.0 : shownBands.constFirst().first);
    drawAxes(area, maximum);
    const auto point = [&area, maximum](int interval, double contrast) {
        const double level = LuminanceResponse::drivingLevel(interval) + LuminanceResponse::levelStep / 2.0;
        return QPointF(area.left() + area.width() * level / 255.0,
                       area.bottom() - area.height() * contrast * 100 / maximum);
    };
    const auto curve = [&](double factor, const QPen &pen, const QVector<double> &values) {
        QPainterPath path;
        for (int i = 0; i < values.size(); ++i) {
            const QPointF at = point(i, values.at(i) * factor);
            if (i == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
        m_painter->strokePath(path, pen);
    };
    for (const auto &limit : shownBands) {
        const QPen band(limit.second == shownBands.constLast().second ? primaryBand : secondaryBand, 1, Qt::DashLine);
        curve(1 + limit.first, band, response.targetContrasts);
        curve(1 - limit.first, band, response.targetContrasts);
    }
    curve(1, QPen(textDark, 1.5), response.targetContrasts);
    curve(1, QPen(measuredBlue, 1.5), response.measuredContrasts);
    m_painter->setBrush(measuredBlue);
    m_painter->setPen(Qt::NoPen);
    for (int i = 0; i < response.measuredContrasts.size(); ++i)
        m_painter->drawEllipse(point(i, response.measuredContrasts.at(i)), 2.5, 2.5);
    m_painter->setBrush(Qt::NoBrush);
}

void LuminanceResponsePage::drawAxes(const QRect &area, double maximum)
{
    m_painter->setFont(font(8));
    for (int level = 0; level <= 255; level += 2 * LuminanceResponse::levelStep) {
        const int x = area.left() + qRound(area.width() * level / 255.0);
        m_painter->setPen(gridLight);
        m_painter->drawLine(x, area.top(), x, area.bottom());
        m_painter->setPen(textDark);
        m_painter->drawText(QRect(x - 15, area.bottom() + 2, 30, 10), Qt::AlignCenter, QString::number(level));
    }
    constexpr int ticks = 5;
    for (int tick = 0; tick <= ticks; ++tick) {
        const int y = area.bottom() - qRound(area.height() * tick / double(ticks));
        m_painter->setPen(gridLight);
        m_painter->drawLine(area.left(), y, area.right(), y);
        m_painter->setPen(textDark);
        m_painter->drawText(QRect(area.left() - 34, y - 5, 30, 10), Qt::AlignRight | Qt::AlignVCenter,
                            LocalFormats::number(maximum * tick / ticks, 2));
    }
    m_painter->drawRect(area);
    m_painter->drawText(QRect(area.left(), area.bottom() + 12, area.width(), 10), Qt::AlignCenter,
                        translated("luminanceResponse_level"));
    m_painter->save();
    m_painter->translate(m_contentRect.left() + 6, area.center().y());
    m_painter->rotate(-90);
    m_painter->drawText(QRect(-area.height() / 2, -6, area.height(), 12), Qt::AlignCenter,
                        translated("luminanceResponse_axisContrast"));
    m_painter->restore();
}

qreal LuminanceResponsePage::drawLegend(qreal y)
{
    QList<QPair<QPen, QString>> entries{{QPen(measuredBlue, 1.5), translated("luminanceResponse_measuredContrast")},
                                        {QPen(textDark, 1.5), translated("luminanceResponse_gsdfContrast")}};
    const QList<QPair<double, const char *>> shownBands = bands();
    for (auto band = shownBands.crbegin(); band != shownBands.crend(); ++band)
        entries.append({QPen(band == shownBands.crbegin() ? primaryBand : secondaryBand, 1, Qt::DashLine),
                        band->second == ToleranceBand ? translated(ToleranceBand).arg(percent(band->first))
                                                      : translated(band->second)});
    m_painter->setFont(font(8));
    const int width = m_contentRect.width() / entries.size();
    int left = m_contentRect.left();
    for (const auto &entry : entries) {
        m_painter->setPen(entry.first);
        m_painter->drawLine(left, int(y) + 5, left + 20, int(y) + 5);
        m_painter->setPen(textDark);
        m_painter->drawText(QRect(left + 24, int(y), width - 26, 10), Qt::AlignLeft | Qt::AlignVCenter, entry.second);
        left += width;
    }
    return y + 10;
}

qreal LuminanceResponsePage::drawTable(qreal y, const LuminanceResponse &response)
{
    const auto row = [this, &y](const QStringList &cells) {
        for (int column = 0; column < cells.size(); ++column) {
            const int left = m_contentRect.left() + tableColumns[column];
            m_painter->drawText(QRect(left, int(y), 100, tableRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                                cells.at(column));
        }
        y += tableRowHeight;
    };
    m_painter->setFont(font(9, QFont::Bold));
    row({translated("luminanceResponse_pattern"), translated("luminanceResponse_level"),
         translated("luminanceResponse_measured"), translated("luminanceResponse_target"),
         translated("luminanceResponse_deviation")});
    m_painter->drawLine(m_contentRect.left() + tableColumns[0], int(y), m_contentRect.right() - 20, int(y));
    m_painter->setFont(font(9));
    for (int i = 0; i < LuminanceResponse::readingCount; ++i) {
        row({QStringLiteral("TG18-LN%1").arg(i + 1, 2, 10, QLatin1Char('0')),
             QString::number(LuminanceResponse::drivingLevel(i)), LocalFormats::number(response.luminances.at(i), 2),
             LocalFormats::number(response.targetLuminances.at(i), 2),
             i == 0 ? QStringLiteral("-") : percent(response.deviations.at(i - 1)) + QStringLiteral(" %")});
    }
    return y;
}

qreal LuminanceResponsePage::drawVerdict(qreal y, const LuminanceResponse &response)
{
    y = drawLine(y, translated("luminanceResponse_largest").arg(percent(response.largestDeviation)),
                 font(10, QFont::Bold));
    QString verdict;
    if (!m_verdict) {
        verdict = translated(response.isWithin(LuminanceResponse::primaryLimit)     ? "luminanceResponse_withinPrimary"
                             : response.isWithin(LuminanceResponse::secondaryLimit) ? "luminanceResponse_withinSecondary"
                                                                                    : "luminanceResponse_outside");
    } else if (m_verdict->comparison == Judgement::Verdict::NotJudged) {
        verdict = translated("verdict_notJudged");
    } else if (m_verdict->hasLimit) {
        verdict = translated(m_verdict->passed ? "luminanceResponse_withinTolerance"
                                               : "luminanceResponse_outsideTolerance")
                      .arg(percent(m_verdict->limit / 100));
    }
    return verdict.isEmpty() ? y : drawLine(y, verdict, font(10, QFont::Bold));
}

qreal LuminanceResponsePage::drawLine(qreal y, const QString &text, const QFont &lineFont)
{
    m_painter->setFont(lineFont);
    const int height = QFontMetrics(lineFont, m_device).height();
    m_painter->drawText(QRect(m_contentRect.left(), int(y), m_contentRect.width(), height),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
    return y + height + 4;
}
