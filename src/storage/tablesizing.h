#pragma once

class QTableView;

// Tables over thousands of rows: every row as high as the first, and each
// column as wide as its header and a sample of rows need, measured once when
// the model is set or reset, never by laying out every cell.
// (QHeaderView::ResizeToContents lays out the text of every row at each change.)
namespace TableSizing {

// Rows a column's width is measured from.
constexpr int SampleRows = 50;

// Fixes the table's sizes now.
void measure(QTableView *view, int stretchColumn);
// Fixes the table's sizes now and again after each reset of its model; the
// column `stretchColumn` (or none, -1) takes the width that is left.
void fix(QTableView *view, int stretchColumn);

} // namespace TableSizing
