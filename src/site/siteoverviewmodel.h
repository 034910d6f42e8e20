#pragma once

#include "sitedisplayrow.h"

#include <QAbstractTableModel>
#include <QVector>

// The site page's table: one row per station and display with its newest
// session (struck through when it was withdrawn, who, when and why in its tooltip),
// when its next task falls due, its overdue tasks, and a "report" cell. The sort role
// gives dates and counts as values, so the page sorts them as such.
class SiteOverviewModel : public QAbstractTableModel
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
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(const QVector<SiteDisplayRow> &rows);
    const SiteDisplayRow &row(int row) const { return m_rows.at(row); }
    int stationCount() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant displayData(const SiteDisplayRow &row, int column) const;
    QVariant sortData(const SiteDisplayRow &row, int column) const;

    QVector<SiteDisplayRow> m_rows;
};
