#include "dialogplacement.h"

#include <limits>

namespace {

// The spots tried, every few pixels across the screen: fine enough to use a gap
// the size of a grid cell, coarse enough to be instant on a 4K screen.
const int SearchStep = 8;
// Today's place when nothing is judged: near the top centre.
const int PreferredTop = 50;

QVector<int> spots(int first, int last)
{
    QVector<int> values;
    for (int value = first; value < last; value += SearchStep)
        values << value;
    values << qMax(first, last);
    return values;
}

qint64 squaredDistance(const QPoint &a, const QPoint &b)
{
    const qint64 dx = a.x() - b.x();
    const qint64 dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

} // namespace

qint64 DialogPlacement::coveredArea(const QRect &rect, const QVector<QRect> &judged)
{
    qint64 area = 0;
    for (const QRect &region : judged) {
        const QRect overlap = rect.intersected(region.adjusted(-Clearance, -Clearance, Clearance, Clearance));
        area += qint64(overlap.width()) * overlap.height();
    }
    return area;
}

QRect DialogPlacement::place(const QSize &dialog, const QRect &screen, const QVector<QRect> &judged) const
{
    if (m_kept) {
        const QRect kept(*m_kept, dialog);
        if (screen.contains(kept) && coveredArea(kept, judged) == 0)
            return kept;
    }
    return freePlace(dialog, screen, judged);
}

std::optional<int> DialogPlacement::tallestClearHeight(int width, int highest, int lowest, const QRect &screen,
                                                       const QVector<QRect> &judged)
{
    for (int height = highest; height >= lowest; height -= SearchStep) {
        const QSize size(width, height);
        if (coveredArea(freePlace(size, screen, judged), judged) == 0)
            return height;
    }
    return std::nullopt;
}

QRect DialogPlacement::freePlace(const QSize &dialog, const QRect &screen, const QVector<QRect> &judged)
{
    const QPoint preferred(screen.left() + (screen.width() - dialog.width()) / 2,
                           qMax(screen.top(), qMin(screen.top() + PreferredTop, screen.bottom() + 1 - dialog.height())));
    QRect best(preferred, dialog);
    qint64 bestCovered = coveredArea(best, judged);
    qint64 bestDistance = 0;
    for (int y : spots(screen.top(), screen.bottom() + 1 - dialog.height())) {
        for (int x : spots(screen.left(), screen.right() + 1 - dialog.width())) {
            const QRect candidate(QPoint(x, y), dialog);
            const qint64 covered = coveredArea(candidate, judged);
            const qint64 distance = squaredDistance(candidate.topLeft(), preferred);
            if (covered < bestCovered || (covered == bestCovered && distance < bestDistance)) {
                best = candidate;
                bestCovered = covered;
                bestDistance = distance;
            }
        }
    }
    return best;
}
