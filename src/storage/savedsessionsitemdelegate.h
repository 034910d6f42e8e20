#pragma once

#include <QItemDelegate>
#include <QPersistentModelIndex>

// Paints the image cells of the saved-sessions table and turns a click on
// the "report" or "delete" cell into buttonClicked.
class SavedSessionsItemDelegate : public QItemDelegate
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
    // A click counts only when press and release fall on the same cell, so a
    // drag that ends on another row's "delete" cell never picks that row.
    QPersistentModelIndex m_pressedIndex;
};
