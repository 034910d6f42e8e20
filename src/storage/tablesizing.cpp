#include "tablesizing.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace {

// The narrowest a wrapped column becomes: a short word and its margins.
int narrowestWrapped(const QTableView *view)
{
    return view->fontMetrics().averageCharWidth() * 8;
}

// Columns that together are wider than the view give up width from the widest
// down to a common width, and their text wraps onto more lines instead of
// running off the screen or ending in "…".
void fitIntoView(QTableView *view, QVector<int> widths)
{
    const int available = view->viewport()->width();
    int total = 0;
    for (int column = 0; column < widths.size(); ++column)
        total += view->isColumnHidden(column) ? 0 : widths.at(column);
    if (total <= available || available <= 0)
        return;
    QVector<int> sorted;
    for (int column = 0; column < widths.size(); ++column) {
        if (!view->isColumnHidden(column))
            sorted << widths.at(column);
    }
    std::sort(sorted.begin(), sorted.end());
    // The common width: the columns narrower than it keep theirs, the rest share what is left.
    int cap = narrowestWrapped(view);
    int kept = 0;
    for (int index = 0; index < sorted.size(); ++index) {
        const int share = (available - kept) / int(sorted.size() - index);
        if (sorted.at(index) > share) {
            cap = std::max(cap, share);
            break;
        }
        kept += sorted.at(index);
    }
    QHeaderView *columns = view->horizontalHeader();
    for (int column = 0; column < widths.size(); ++column)
        columns->resizeSection(column, std::min(widths.at(column), cap));
    view->setWordWrap(true);
    // Every row as high as the highest of the sample, now that text wraps.
    int height = 0;
    for (int row = 0; row < std::min(view->model()->rowCount(), TableSizing::SampleRows); ++row)
        height = std::max(height, static_cast<const QAbstractItemView *>(view)->sizeHintForRow(row));
    if (height > 0)
        view->verticalHeader()->setDefaultSectionSize(height);
}

class ResizeWatcher : public QObject
{
public:
    ResizeWatcher(QTableView *view, int stretchColumn) : QObject(view), m_view(view), m_stretchColumn(stretchColumn) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && m_view->viewport()->width() != m_measuredWidth) {
            m_measuredWidth = m_view->viewport()->width();
            TableSizing::measure(m_view, m_stretchColumn);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableView *m_view;
    int m_stretchColumn;
    int m_measuredWidth = -1;
};

} // namespace

void TableSizing::measure(QTableView *view, int stretchColumn)
{
    QAbstractItemModel *model = view->model();
    if (!model)
        return;
    QHeaderView *columns = view->horizontalHeader();
    QHeaderView *rows = view->verticalHeader();
    const int sampled = std::min(model->rowCount(), TableSizing::SampleRows);
    const int rowHeight =
        sampled > 0 ? static_cast<const QAbstractItemView *>(view)->sizeHintForRow(0) : rows->defaultSectionSize();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(std::max(rowHeight, rows->minimumSectionSize()));
    columns->setSectionResizeMode(QHeaderView::Interactive);
    QVector<int> widths;
    for (int column = 0; column < model->columnCount(); ++column) {
        int width = columns->sectionSizeHint(column);
        for (int row = 0; row < sampled; ++row)
            width = std::max(width, view->sizeHintForIndex(model->index(row, column)).width());
        columns->resizeSection(column, width);
        widths << width;
    }
    fitIntoView(view, widths);
    if (stretchColumn >= 0 && stretchColumn < model->columnCount())
        columns->setSectionResizeMode(stretchColumn, QHeaderView::Stretch);
}

void TableSizing::fix(QTableView *view, int stretchColumn)
{
    measure(view, stretchColumn);
    // A window that opens or changes size gives its tables another width to fit.
    view->viewport()->installEventFilter(new ResizeWatcher(view, stretchColumn));
    if (QAbstractItemModel *model = view->model()) {
        QObject::connect(model, &QAbstractItemModel::modelReset, view,
                         [view, stretchColumn] { measure(view, stretchColumn); });
        // The first rows of an empty table set the sizes when they come.
        QObject::connect(model, &QAbstractItemModel::rowsInserted, view,
                         [view, stretchColumn](const QModelIndex &, int first, int) {
                             if (first == 0 && view->model()->rowCount() <= TableSizing::SampleRows)
                                 measure(view, stretchColumn);
                         });
    }
}
