#pragma once

#include <QImage>
#include <QItemDelegate>
#include <QPersistentModelIndex>

// The delegate of the program's tables whose cells hold buttons: it paints the
// image cells with their image centred, gives the button columns their narrow
// width, turns a click on a button cell into buttonClicked and keeps every cell
// from being edited. A subclass names its columns.
class ButtonCellDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    using QItemDelegate::QItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The embedded image ":/assets/<name>" for a model's cells, decoded once:
    // decoding an SVG on every paint would cost a full render per cell.
    static QImage cellImage(const QString &name);

signals:
    void buttonClicked(QModelIndex index, const QAbstractItemModel *model);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    virtual bool isButtonColumn(int column) const = 0;
    // Columns that show an image alone; the button columns and any others.
    virtual bool isImageColumn(int column) const { return isButtonColumn(column); }

private:
    // A click counts only when press and release fall on the same cell, so a
    // press on one row's delete button dragged onto another row picks neither.
    QPersistentModelIndex m_pressedIndex;
};
