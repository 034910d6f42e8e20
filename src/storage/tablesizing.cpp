#include "tablesizing.h"

#include <QHeaderView>
#include <QTableView>

#include <algorithm>

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
    for (int column = 0; column < model->columnCount(); ++column) {
        int width = columns->sectionSizeHint(column);
        for (int row = 0; row < sampled; ++row)
            width = std::max(width, view->sizeHintForIndex(model->index(row, column)).width());
        columns->resizeSection(column, width);
    }
    if (stretchColumn >= 0 && stretchColumn < model->columnCount())
        columns->setSectionResizeMode(stretchColumn, QHeaderView::Stretch);
}

void TableSizing::fix(QTableView *view, int stretchColumn)
{
    measure(view, stretchColumn);
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
