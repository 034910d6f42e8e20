#pragma once

#include "pagedtablemodel.h"
#include "sitedisplayrow.h"

#include <QVector>

// The site page's table: one row per station and display with its newest
// session (struck through when it was withdrawn, who, when and why in its tooltip),
// when its next task falls due, its overdue tasks, and a "report" cell. The model
// sorts all of the site's rows itself (dates and counts as values, names as the
// language orders them) and hands them to the view a page at a time.
class SiteOverviewModel : public PagedTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        StationColumn,
        SentByColumn,
        MakerColumn,
        ModelColumn,
        SerialColumn,
        LastTestColumn,
        TestTypeColumn,
        ResultColumn,
        FailedCountColumn,
        NextDueColumn,
        OverdueColumn,
        ReportColumn,
        ColumnCount
    };
    using PagedTableModel::PagedTableModel;

    void setRows(const QVector<SiteDisplayRow> &rows);
    const SiteDisplayRow &row(int row) const { return m_rows.at(row); }
    int stationCount() const;

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void sortRows();

    QVariant displayData(const SiteDisplayRow &row, int column) const;
    QVariant sortData(const SiteDisplayRow &row, int column) const;

    QVector<SiteDisplayRow> m_rows;
    int m_sortColumn = StationColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
