#pragma once

#include "sessionlistrow.h"

#include <QAbstractListModel>
#include <QVariant>
#include <QVector>

class ConfigurationManager;

// The stored testing sessions as a table: tester, date, test type, number of
// tests, display, pass/fail mark and the "report" and "delete" cells.
// Sessions stored before records named their type say "unknown"; those that
// name no display show the monitor as the list always did.
// Years of sessions stay quick: rows are read from the store a page at a time
// as the view scrolls to them (canFetchMore/fetchMore), and a new session is
// inserted as one row instead of reading the list again. Sessions the store
// could not save stay on top, marked, until the store saves them. Withdrawn
// sessions are hidden unless the list is asked to show them, struck through.
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
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // False when the store could not save the session (the store says so
    // through its writeFailed signal); the row is then shown as not saved for
    // as long as the program runs.
    bool addSession(const QVariantMap &results, const QString &tester, uint ntest, uint failedContents,
                    int monitorSelected, const QString &monitorInfo, const QVariantMap &details = {});
    // Withdraws the stored session at a row (see ConfigurationManager).
    bool withdrawSession(int row, const QString &by, const QString &reason);
    void setShowWithdrawn(bool show);
    bool showsWithdrawn() const;
    // The whole record at a row, read from the store when it is needed.
    QVariantMap recordAt(int row) const;
    // The list's fields of the row.
    QVariantMap summaryAt(int row) const;
    bool isSaved(int row) const;
    bool isWithdrawn(int row) const;

public slots:
    // Reads the list again from its first page.
    void reload();

private:
    QVariant displayData(const QVariantMap &record, int column) const;
    QVariant decorationData(const QVariantMap &record, int column) const;

    ConfigurationManager *m_store;
    // The stored sessions read so far, newest first.
    QVector<SessionListRow> m_rows;
    mutable int m_cachedRow = -1;
    mutable QVariantMap m_cachedSummary;
    int m_storedCount = 0;
    bool m_showWithdrawn = false;
    // Whole records of sessions the store could not save, newest first.
    QVariantList m_unsaved;
};
