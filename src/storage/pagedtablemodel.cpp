#include "pagedtablemodel.h"

#include <algorithm>

int PagedTableModel::pageAfter(int shown)
{
    return std::max(FirstPage, 2 * shown);
}

int PagedTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

bool PagedTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_shown < m_held;
}

void PagedTableModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const int shown = std::min(m_held, m_shown + pageAfter(m_shown));
    beginInsertRows(QModelIndex(), m_shown, shown - 1);
    m_shown = shown;
    endInsertRows();
}

void PagedTableModel::showFirstPage(int rows)
{
    m_held = rows;
    m_shown = std::min(rows, FirstPage);
}
