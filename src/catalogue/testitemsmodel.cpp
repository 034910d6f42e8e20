#include "testitemsmodel.h"

#include "testgroup.h"
#include "translator.h"

TestItemsModel::TestItemsModel(QObject *parent, QList<TestGroup *> *groups)
    : QAbstractListModel(parent), m_groups(groups)
{
}

int TestItemsModel::rowCount(const QModelIndex &parent) const
{
    return m_groups && !parent.isValid() ? m_groups->size() : 0;
}

QVariant TestItemsModel::data(const QModelIndex &index, int role) const
{
    const TestGroup *group = groupAt(index.row());
    if (!group || !index.isValid()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return TR::Translator::instance()->translate(group->title());
    case Qt::CheckStateRole:
        return group->selected() ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

Qt::ItemFlags TestItemsModel::flags(const QModelIndex &index) const
{
    // A required group is part of every run: shown ticked, greyed and out of reach.
    const TestGroup *group = groupAt(index.row());
    if (!group || group->required()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsUserCheckable | Qt::ItemIsEnabled;
}

bool TestItemsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    TestGroup *group = groupAt(index.row());
    if (group && role == Qt::CheckStateRole) {
        group->setSelected(value.toInt() == Qt::Checked);
        emit dataChanged(index, index);
    }
    return true;
}

QVariant TestItemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole) {
        if (orientation == Qt::Horizontal && section == 0) {
            return TR::Translator::instance()->translate(QStringLiteral("listTests"));
        }
        if (const TestGroup *group = orientation == Qt::Vertical ? groupAt(section) : nullptr) {
            return QString::number(group->number());
        }
    }
    return QAbstractListModel::headerData(section, orientation, role);
}

TestGroup *TestItemsModel::groupAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_groups->at(row) : nullptr;
}
