#pragma once

#include <QAbstractListModel>
#include <QVariant>

class ConfigurationManager;

// The stored testing sessions as a table: tester, date, test type, number of
// tests, display, pass/fail mark and the "report" and "delete" cells.
// Sessions stored before records named their type say "unknown"; those that
// name no display show the monitor as the list always did.
// It keeps its own copy of the store's list (the list's fields only) and
// refreshes it after each of its own changes, inside a model reset. A session
// the store could not save stays on top, marked, until the program ends.
class SavedSessionsModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Column
    {
        TesterColumn,
        DateColumn,
        TestTypeColumn,
        TestCountColumn,
        DisplayColumn,
        StatusColumn,
        ReportColumn,
        DeleteColumn,
        ColumnCount
    };

    explicit SavedSessionsModel(QObject *parent = nullptr);
    explicit SavedSessionsModel(ConfigurationManager *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // False when the store could not save the session (the store says so
    // through its writeFailed signal); the row is then shown as not saved for
    // as long as the program runs.
    bool addSession(const QVariantMap &results, const QString &tester, uint ntest, uint failedContents,
                    int monitorSelected, const QString &monitorInfo, const QVariantMap &details = {});
    bool removeSession(int row);
    // The whole record at a row, read from the store when it is needed.
    QVariantMap recordAt(int row) const;
    bool isSaved(int row) const;

private:
    QVariantMap summaryAt(int row) const;
    QVariant displayData(const QVariantMap &record, int column) const;
    QVariant decorationData(const QVariantMap &record, int column) const;

    QVariantList m_summaries;
    ConfigurationManager *m_store;
    // Whole records of sessions the store could not save, newest first.
    QVariantList m_unsaved;
};
