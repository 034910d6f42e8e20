#pragma once

#include "displayrecord.h"
#include "pagedtablemodel.h"

#include <QList>
#include <QMap>

// The displays page's table: each display the store knows with its category
// and room class, the date of its reference values, its last test, its
// workstation and how long its tasks are overdue.
class DisplaysModel : public PagedTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        DisplayColumn,
        CategoryColumn,
        RoomClassColumn,
        ClassifiedColumn,
        ReferenceColumn,
        LastTestColumn,
        ResultColumn,
        WorkstationColumn,
        OverdueColumn,
        ColumnCount
    };

    using PagedTableModel::PagedTableModel;

    // `overdue`: how long each display's tasks are overdue, by display key, as the operator reads it.
    void setDisplays(const QList<DisplayRecord> &displays, const QMap<QString, QString> &overdue);
    const QList<DisplayRecord> &displays() const { return m_displays; }
    // "passed" or "failed" as the operator reads it; nothing for a display never tested.
    static QString resultText(const QString &result);

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString text(const DisplayRecord &display, int column) const;

    QList<DisplayRecord> m_displays;
    QMap<QString, QString> m_overdue;
};
