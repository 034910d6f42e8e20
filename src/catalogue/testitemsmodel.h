#pragma once

#include <QAbstractListModel>
#include <QList>

class TestGroup;

// The catalogue's groups as a list of check boxes, one per group, for choosing
// which groups a session or a scheduled task runs. The ticks are the groups'
// own `selected` state, so whatever reads the catalogue afterwards sees them.
class TestItemsModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // The groups are not owned; they must outlive the model.
    TestItemsModel(QObject *parent, QList<TestGroup *> *groups);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TestGroup *groupAt(int row) const;

    QList<TestGroup *> *m_groups;
};
