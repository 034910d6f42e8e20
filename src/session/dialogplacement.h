#pragma once

#include <QPoint>
#include <QRect>
#include <QVector>

#include <optional>

// Where the questions dialog stands on the screen under test: clear of what the
// operator judges or measures, inside the screen, and where the operator last
// dragged it as long as that spot stays clear.
class DialogPlacement
{
public:
    // Room kept between the dialog and a judged region, so that the edge of a
    // patch or circle is not lost under the dialog's shadow or frame.
    static const int Clearance = 12;

    // The position for a dialog of that size on the screen area, clear of the
    // regions (all in the same coordinates): the kept position when it is clear,
    // otherwise the clear spot nearest the top centre; where no spot is clear, the
    // one covering least of them.
    QRect place(const QSize &dialog, const QRect &screen, const QVector<QRect> &judged) const;

    void keep(const QPoint &topLeft) { m_kept = topLeft; }
    void forget() { m_kept.reset(); }
    std::optional<QPoint> kept() const { return m_kept; }

    // The greatest height from highest down to lowest at which a dialog of that
    // width finds a clear spot on the screen; none when even the lowest does not.
    static std::optional<int> tallestClearHeight(int width, int highest, int lowest, const QRect &screen,
                                                 const QVector<QRect> &judged);

    // How much of the regions, each widened by the clearance, the rectangle covers.
    static qint64 coveredArea(const QRect &rect, const QVector<QRect> &judged);

private:
    static QRect freePlace(const QSize &dialog, const QRect &screen, const QVector<QRect> &judged);

    std::optional<QPoint> m_kept;
};
