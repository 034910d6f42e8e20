#include "buttoncelldelegate.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>

namespace {

const int ButtonColumnWidth = 42;

} // namespace

QImage ButtonCellDelegate::cellImage(const QString &name)
{
    static QHash<QString, QImage> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, QImage(QStringLiteral(":/assets/") + name));
    return it.value();
}

void ButtonCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!isImageColumn(index.column())) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    const QImage image = index.data(Qt::DecorationRole).value<QImage>();
    const QRect &cell = option.rect;
    QRect target(QPoint(0, 0), image.size());
    target.moveCenter(QPoint((cell.left() + cell.right()) / 2, (cell.top() + cell.bottom()) / 2));
    painter->drawImage(target.topLeft(), image);
}

QSize ButtonCellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize hint = QItemDelegate::sizeHint(option, index);
    if (isButtonColumn(index.column()))
        hint.setWidth(ButtonColumnWidth);
    return hint;
}

bool ButtonCellDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                     const QModelIndex &index)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    const QPersistentModelIndex pressedIndex = m_pressedIndex;
    if (release)
        m_pressedIndex = QPersistentModelIndex();

    if (!isButtonColumn(index.column()) || !(press || release))
        return true;
    if (!option.rect.contains(static_cast<QMouseEvent *>(event)->pos()))
        return true;

    if (press)
        m_pressedIndex = index;
    else if (pressedIndex == index)
        emit buttonClicked(index, model);
    return true;
}
