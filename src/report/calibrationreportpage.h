#pragma once

#include <QPointF>
#include <QRect>
#include <QString>
#include <QVariantMap>
#include <QVector>

class QFont;
class QPaintDevice;
class QPainter;

// The report of a GSDF calibration session: the display's luminance response
// before the calibration (L' at every measured driving level) and with it
// loaded (the 18 TG18-LN levels), each plotted on a logarithmic luminance axis
// against its GSDF target; the levels the table keeps, the verification's
// verdict and whether the calibration was kept. Takes a page of its own.
class CalibrationReportPage
{
public:
    static const QString testType;

    CalibrationReportPage(QPainter *painter, QPaintDevice *device, const QRect &contentRect);

    // The record's "calibration" map; returns the y below the section.
    qreal draw(qreal y, const QVariantMap &calibration);

private:
    struct Curve
    {
        QVector<QPointF> measured; // driving level, L'
        QVector<QPointF> target;
    };
    static Curve before(const QVariantMap &calibration, double ambient);
    static Curve after(const QVariantMap &calibration, double ambient);
    qreal drawPlot(qreal y, const QString &title, const Curve &curve);
    qreal drawLine(qreal y, const QString &text, const QFont &font);

    QPainter *m_painter;
    QPaintDevice *m_device;
    QRect m_contentRect;
};
