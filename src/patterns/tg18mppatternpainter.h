#pragma once

class QPainter;

namespace NSTESTPatter {

// Paints the TG18-MP pattern: sixteen ramp columns covering the whole grey
// scale, with tick marks on the column boundaries.
class Tg18MpPatternPainter
{
public:
    Tg18MpPatternPainter(QPainter *painter, double usableWidth, double cellHeight);

    void paint();

private:
    void drawColumns();
    void drawTicks();

    QPainter *m_painter;
    double m_columnWidth;
    int m_step;
    int m_rampHeight;
};

} // namespace NSTESTPatter
