#include "calibrationreportpage.h"

#include "answernumber.h"
#include "gsdf.h"
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

const QString CalibrationReportPage::testType = QStringLiteral("calibration");

namespace {

using ReportStyle::font;

const QColor measuredBlue(QStringLiteral("#1f6fd1"));
const QColor &targetColour = ReportStyle::passedColour;
constexpr int plotHeight = 190;
constexpr int plotLeftMargin = 50;
constexpr int highestLevel = 255;

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

double number(const QVariant &value)
{
    bool ok = false;
    const double result = AnswerNumber::read(value.toString(), &ok);
    return ok ? result : std::nan("");
}

// The GSDF between two luminances, spread evenly in JND index over the driving levels.
QVector<QPointF> gsdfTarget(double lowest, double highest)
{
    QVector<QPointF> points;
    const double first = Gsdf::index(lowest);
    const double last = Gsdf::index(highest);
    if (first < 0 || last < 0)
        return points;
    for (int level = 0; level <= highestLevel; level += 5)
        points << QPointF(level, Gsdf::luminance(first + (last - first) * level / highestLevel));
    return points;
}

} // namespace

CalibrationReportPage::CalibrationReportPage(QPainter *painter, QPaintDevice *device, const QRect &contentRect)
    : m_painter(painter), m_device(device), m_contentRect(contentRect)
{
}

CalibrationReportPage::Curve CalibrationReportPage::before(const QVariantMap &calibration, double ambient)
{
    Curve curve;
    const QVariantList levels = calibration.value(QStringLiteral("levels")).toList();
    const QVariantList readings = calibration.value(QStringLiteral("response")).toList();
    for (int i = 0; i < std::min(levels.size(), readings.size()); ++i)
        curve.measured << QPointF(levels.at(i).toInt(), number(readings.at(i)) + ambient);
    if (!curve.measured.isEmpty())
        curve.target = gsdfTarget(curve.measured.constFirst().y(), curve.measured.constLast().y());
    return curve;
}

CalibrationReportPage::Curve CalibrationReportPage::after(const QVariantMap &calibration, double ambient)
{
    Curve curve;
    const QVariantList readings = calibration.value(QStringLiteral("verification")).toList();
    for (int i = 0; i < readings.size(); ++i)
        curve.measured << QPointF(LuminanceResponse::drivingLevel(i), number(readings.at(i)) + ambient);
    if (!curve.measured.isEmpty())
        curve.target = gsdfTarget(curve.measured.constFirst().y(), curve.measured.constLast().y());
    return curve;
}

qreal CalibrationReportPage::draw(qreal y, const QVariantMap &calibration)
{
    m_painter->save();
    m_painter->setPen(ReportStyle::textDark);
    y = drawLine(y, translated("calibration_title"), font(14, QFont::Bold));
    const double ambient = number(calibration.value(QStringLiteral("ambientLuminance")));
    y = drawLine(y + 4, translated("calibration_ambient").arg(LocalFormats::number(ambient, 3)), font(9));
    y = drawPlot(y + 6, translated("calibration_before"), before(calibration, ambient));
    y = drawPlot(y + 6, translated("calibration_after"), after(calibration, ambient));
    if (calibration.contains(QStringLiteral("distinctOutputs"))) {
        QString levels = translated("calibration_levelsRemain")
                             .arg(calibration.value(QStringLiteral("distinctOutputs")).toInt())
                             .arg(highestLevel + 1);
        const QVariantList unused = calibration.value(QStringLiteral("unusedLevels")).toList();
        if (!unused.isEmpty())
            levels +=
                QLatin1Char(' ') +
                translated("calibration_unusedLevels").arg(unused.constFirst().toInt()).arg(unused.constLast().toInt());
        y = drawLine(y + 6, levels, font(9));
    }
    y = drawLine(y + 4, calibration.value(QStringLiteral("message")).toString(), font(10, QFont::Bold));
    const bool kept = calibration.value(QStringLiteral("kept")).toBool();
    y = drawLine(y + 4, translated(kept ? "calibration_keptReport" : "calibration_notKeptReport"), font(10));
    m_painter->restore();
    return y;
}

qreal CalibrationReportPage::drawLine(qreal y, const QString &text, const QFont &lineFont)
{
    m_painter->setFont(QFont(lineFont, m_device));
    const QRect box(m_contentRect.left(), int(y), m_contentRect.width(), 1000);
    QRect used;
    m_painter->drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text, &used);
    return y + used.height();
}

qreal CalibrationReportPage::drawPlot(qreal y, const QString &title, const Curve &curve)
{
    y = drawLine(y, title, font(11, QFont::Bold));
    const QRect area(m_contentRect.left() + plotLeftMargin, int(y) + 8, m_contentRect.width() - plotLeftMargin - 10,
                     plotHeight);
    QVector<double> luminances;
    for (const QPointF &point : curve.measured + curve.target) {
        if (point.y() > 0)
            luminances << point.y();
    }
    m_painter->setPen(ReportStyle::ruleLight);
    m_painter->drawRect(area);
    m_painter->setFont(QFont(font(8), m_device));
    if (luminances.isEmpty()) {
        m_painter->setPen(ReportStyle::textDark);
        return area.bottom() + 4;
    }
    // Whole decades around the readings, so the GSDF's bend shows at every level.
    const double low = std::floor(std::log10(*std::min_element(luminances.cbegin(), luminances.cend())));
    const double high =
        std::max(low + 1, std::ceil(std::log10(*std::max_element(luminances.cbegin(), luminances.cend()))));
    const auto toPoint = [&](const QPointF &point) {
        return QPointF(area.left() + area.width() * point.x() / highestLevel,
                       area.bottom() - area.height() * (std::log10(point.y()) - low) / (high - low));
    };
    m_painter->setPen(ReportStyle::textDark);
    for (double decade = low; decade <= high; ++decade) {
        const qreal at = area.bottom() - area.height() * (decade - low) / (high - low);
        m_painter->setPen(ReportStyle::ruleLight);
        m_painter->drawLine(QPointF(area.left(), at), QPointF(area.right(), at));
        m_painter->setPen(ReportStyle::textDark);
        m_painter->drawText(QRectF(m_contentRect.left(), at - 6, plotLeftMargin - 4, 12),
                            Qt::AlignRight | Qt::AlignVCenter,
                            LocalFormats::number(std::pow(10.0, decade), decade < 0 ? int(-decade) : 0));
    }
    for (int level = 0; level <= highestLevel; level += 51)
        m_painter->drawText(QRectF(toPoint({double(level), std::pow(10.0, low)}).x() - 15, area.bottom() + 2, 30, 12),
                            Qt::AlignCenter, LocalFormats::number(level, 0));
    QPainterPath target;
    for (const QPointF &point : curve.target)
        target.isEmpty() ? target.moveTo(toPoint(point)) : target.lineTo(toPoint(point));
    m_painter->setPen(QPen(targetColour, 1.5));
    m_painter->drawPath(target);
    m_painter->setPen(QPen(measuredBlue, 1.0));
    m_painter->setBrush(measuredBlue);
    for (const QPointF &point : curve.measured) {
        if (point.y() > 0)
            m_painter->drawEllipse(toPoint(point), 2.0, 2.0);
    }
    m_painter->setBrush(Qt::NoBrush);
    m_painter->setPen(ReportStyle::textDark);
    const qreal legend = area.bottom() + 16;
    const QString legendText = QStringLiteral("%1: %2    %3: %4")
                                   .arg(QStringLiteral("\u25CF"), translated("calibration_measured"),
                                        QStringLiteral("\u2014"), translated("calibration_target"));
    m_painter->drawText(QRectF(area.left(), legend, area.width(), 12), Qt::AlignLeft,
                        legendText + QStringLiteral("    ") + translated("calibration_luminanceAxis") +
                            QStringLiteral(", ") + translated("luminanceResponse_level"));
    return legend + 14;
}
