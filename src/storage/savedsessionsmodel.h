#pragma once

#include <QAbstractListModel>
#include <QDateTime>
#include <QSet>
#include <QVariant>

class ConfigurationManager;

// The stored testing sessions as a seven-column table: tester, date, number
// of tests, monitor, pass/fail mark and the "report" and "delete" cells.
// It keeps its own copy of the store's list and refreshes it after each of
// its own changes, inside a model reset.
class SavedSessionsModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Column
    {
        TesterColumn,
        DateColumn,
        TestCountColumn,
        MonitorColumn,
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

    // False, and sessionNotSaved, when the store could not write the file; the
    // row is then shown as not saved for as long as the program runs.
    bool addSession(const QVariantMap &results, const QString &tester, uint ntest, uint failedContents,
                    int monitorSelected, const QString &monitorInfo);
    void removeSession(int row);
    QVariantMap recordAt(int row) const;
    bool isSaved(int row) const;

signals:
    void sessionNotSaved(const QString &fileName);

private:
    QVariant displayData(const QVariantMap &record, int column) const;
    QVariant decorationData(const QVariantMap &record, int column) const;

    QVariantList m_records;
    ConfigurationManager *m_store;
    // Dates (the records' identity) of sessions the store holds in memory only.
    QSet<QDateTime> m_unsavedDates;
};
