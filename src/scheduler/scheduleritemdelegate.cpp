#include "scheduleritemdelegate.h"

#include "schedulermanager.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

const int kButtonColumnWidth = 42;

bool isButtonColumn(int column)
{
    return column >= SchedulerManager::kColumnDelete && column <= SchedulerManager::kColumnStart;
}

} // namespace

void SchedulerItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The buttons show their icons alone: the column headers name them, and a
    // text beside the icon would not fit the button columns' width.
    if (!isButtonColumn(index.column())) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    const QPixmap icon = index.data(Qt::DecorationRole).value<QPixmap>();
    QRect target(QPoint(0, 0), icon.size());
    target.moveCenter(option.rect.center());
    painter->drawPixmap(target.topLeft(), icon);
}

QSize SchedulerItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize hint = QItemDelegate::sizeHint(option, index);
    if (isButtonColumn(index.column())) {
        hint.setWidth(kButtonColumnWidth);
    }
    return hint;
}

bool SchedulerItemDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                        const QModelIndex &index)
{
    const QEvent::Type type = event->type();
    if (!isButtonColumn(index.column()) || (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)) {
        return true;
    }
    const bool inside = option.rect.contains(static_cast<QMouseEvent *>(event)->pos());
    if (inside && type == QEvent::MouseButtonPress) {
        m_pressedCell = index;
        return true;
    }
    if (inside && m_pressedCell == index) {
        emit buttonClicked(index, model);
    }
    m_pressedCell = QPersistentModelIndex();
    return true;
}
