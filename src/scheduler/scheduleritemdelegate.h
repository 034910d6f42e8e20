#pragma once

#include <QItemDelegate>
#include <QPersistentModelIndex>

// Turns the delete, edit and start cells of the task table into buttons and
// keeps every other cell from being edited.
class SchedulerItemDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    using QItemDelegate::QItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    void buttonClicked(QModelIndex index, const QAbstractItemModel *model);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    // The button cell under the last press. A release counts as a click only on
    // that same cell, so a press on one task's delete button that is dragged
    // onto another task's row deletes neither.
    QPersistentModelIndex m_pressedCell;
};
