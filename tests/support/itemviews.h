#pragma once

#include <QAbstractItemView>
#include <QList>
#include <QTest>

// The operator's ways with a table: its ticked rows, a row ticked or unticked
// with the space key, a click in the middle of a cell.
namespace ItemViews {

inline QList<int> tickedRows(const QAbstractItemView *view)
{
    QList<int> rows;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        if (view->model()->index(row, 0).data(Qt::CheckStateRole) == Qt::Checked)
            rows << row;
    }
    return rows;
}

inline void toggleRow(QAbstractItemView *view, int row)
{
    view->setCurrentIndex(view->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Space);
}

inline void clickCell(QAbstractItemView *view, int row, int column)
{
    const QPoint cell = view->visualRect(view->model()->index(row, column)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell);
}

} // namespace ItemViews
