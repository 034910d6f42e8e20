#pragma once

#include <QAbstractTableModel>

// A table that hands its rows to the view a page at a time, as the view
// scrolls to them: a view lays out and paints only the rows it was given, so
// a table of years of records opens and scrolls as quickly as a short one.
// Each page after the first is as long as the rows shown so far, so one who
// scrolls to the end of ten thousand rows pays a handful of steps, not one a page.
class PagedTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // A screenful many times over, a small part of years of records.
    static constexpr int FirstPage = 500;

    // How many rows the page after `shown` rows adds.
    static int pageAfter(int shown);

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

protected:
    // The model now holds `rows` rows and shows their first page; called
    // between beginResetModel() and endResetModel().
    void showFirstPage(int rows);

private:
    int m_held = 0;
    int m_shown = 0;
};
