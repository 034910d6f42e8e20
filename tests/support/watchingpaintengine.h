#pragma once

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QStringList>

// A paint engine that watches every text drawn through it instead of drawing
// it: a text reaching beyond the box it is drawn in (Qt clips it there), or
// shortened to end in "…", is noted in `cut`. Put it in place of a paint
// device's own engine (see WatchingImage) and paint as usual.
class WatchingPaintEngine : public QPaintEngine
{
public:
    WatchingPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    QStringList cut;
    int texts = 0;
    // Item views show as many rows as fit and cut the last one: only widths count there.
    bool widthsOnly = false;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    // Only texts are watched; every other drawing ends in one of these and is
    // dropped (the default implementations of the rest turn their shapes into
    // paths, polygons or pixmaps).
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void updateState(const QPaintEngineState &) override {}

    void drawTextItem(const QPointF &position, const QTextItem &item) override
    {
        ++texts;
        if (item.text().contains(QChar(0x2026))) {
            cut << QStringLiteral("\"%1\" (shortened)").arg(item.text());
            return;
        }
        if (!painter()->hasClipping())
            return;
        const QTransform toDevice = painter()->transform();
        const QRectF box = toDevice.mapRect(painter()->clipBoundingRect()).adjusted(-1, -1, 1, 1);
        const QRectF text = toDevice.mapRect(
            QRectF(position.x(), position.y() - item.ascent(), item.width(), item.ascent() + item.descent()));
        const bool widthFits = text.left() >= box.left() && text.right() <= box.right();
        const bool heightFits = widthsOnly || (text.top() >= box.top() && text.bottom() <= box.bottom());
        if (!widthFits || !heightFits)
            cut << QStringLiteral("\"%1\" (%2 x %3 in %4 x %5)")
                       .arg(item.text())
                       .arg(text.width(), 0, 'f', 0)
                       .arg(text.height(), 0, 'f', 0)
                       .arg(box.width(), 0, 'f', 0)
                       .arg(box.height(), 0, 'f', 0);
    }
};

// A paint device of the given kind, painted by the watching engine instead of its own.
template <class Device> class Watching : public Device
{
public:
    using Device::Device;
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable WatchingPaintEngine engine;
};

// A picture painted by the watching engine instead of into pixels.
class WatchingImage : public Watching<QImage>
{
public:
    explicit WatchingImage(const QSize &size) : Watching<QImage>(size, QImage::Format_ARGB32) {}
};
