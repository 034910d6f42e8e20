#include "tablesizing.h"

#include <QEvent>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QtMath>

#include <algorithm>

namespace {

// A header section's size for the text as the style draws it, with its margins.
QSize headerSize(const QHeaderView *columns, int column, const QString &text)
{
    QStyleOptionHeader option;
    option.initFrom(columns);
    option.section = column;
    option.text = text;
    return columns->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), columns);
}

QString headerTitle(const QHeaderView *columns, int column)
{
    return columns->model()->headerData(column, Qt::Horizontal).toString();
}

// A cell's width for its whole text: a shown grid takes the column's last pixel.
int cellWidth(const QTableView *view, const QModelIndex &index)
{
    const int gridLine = view->showGrid() ? 1 : 0;
    return static_cast<const QAbstractItemView *>(view)->sizeHintForIndex(index).width() + gridLine;
}

QString longestWord(const QString &text)
{
    QString longest;
    for (const QString &word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        longest = word.size() > longest.size() ? word : longest;
    return longest;
}

// The narrowest a wrapped column becomes: the longest word of its header or
// of its sampled cells, with their margins, since neither breaks inside a word.
int narrowestWrapped(const QTableView *view, int column)
{
    const QHeaderView *columns = view->horizontalHeader();
    int widest = headerSize(columns, column, longestWord(headerTitle(columns, column))).width();
    // The delegate's size of the whole text, less the rest of the text beside its longest word.
    for (int row = 0; row < std::min(view->model()->rowCount(), TableSizing::SampleRows); ++row) {
        const QModelIndex index = view->model()->index(row, column);
        const QString text = index.data().toString();
        // Fractional advances, rounded up as the text layout rounds the width it draws in.
        const QFontMetricsF metrics(view->font());
        const int margins = cellWidth(view, index) - qCeil(metrics.horizontalAdvance(text));
        widest = std::max(widest, margins + qCeil(metrics.horizontalAdvance(longestWord(text))));
    }
    return widest;
}

// The header's title broken into lines between words, as many words a line
// as its section's width holds.
QString wrappedTitle(const QHeaderView *columns, int column)
{
    QStringList lines;
    for (const QString &word : headerTitle(columns, column).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = lines.isEmpty() ? word : lines.constLast() + QLatin1Char(' ') + word;
        if (!lines.isEmpty() && headerSize(columns, column, longer).width() <= columns->sectionSize(column))
            lines.last() = longer;
        else
            lines << word;
    }
    return lines.join(QLatin1Char('\n'));
}

// Columns that together are wider than the view give up width from the widest
// down to a common width, and their text wraps onto more lines instead of
// running off the screen or ending in "…".
void fitIntoView(QTableView *view, QVector<int> widths)
{
    const int available = view->viewport()->width();
    int total = 0;
    for (int column = 0; column < widths.size(); ++column)
        total += view->isColumnHidden(column) ? 0 : widths.at(column);
    // A table not shown yet has no width of its own to fit.
    if (total <= available || !view->isVisible())
        return;
    QHeaderView *columns = view->horizontalHeader();
    QVector<int> floors(widths.size(), 0);
    for (int column = 0; column < widths.size(); ++column)
        floors[column] = view->isColumnHidden(column) ? 0 : std::min(widths.at(column), narrowestWrapped(view, column));
    // The largest common width at which the columns, none below its floor, fit the view.
    const auto widthAt = [&](int cap, int column) {
        return std::min(widths.at(column), std::max(cap, floors.at(column)));
    };
    const auto totalAt = [&](int cap) {
        int sum = 0;
        for (int column = 0; column < widths.size(); ++column)
            sum += view->isColumnHidden(column) ? 0 : widthAt(cap, column);
        return sum;
    };
    int cap = 0;
    for (int step = *std::max_element(widths.cbegin(), widths.cend()); step > 0; step /= 2) {
        while (totalAt(cap + step) <= available)
            cap += step;
    }
    for (int column = 0; column < widths.size(); ++column)
        columns->resizeSection(column, widthAt(cap, column));
    view->setWordWrap(true);
    columns->setDefaultAlignment(Qt::Alignment(columns->defaultAlignment() | Qt::TextWordWrap));
    // The header grows to the lines of its longest wrapped title.
    int headerHeight = 0;
    for (int column = 0; column < widths.size(); ++column)
        headerHeight = std::max(headerHeight, headerSize(columns, column, wrappedTitle(columns, column)).height());
    columns->setMinimumHeight(headerHeight);
    // Every row as high as the highest of the sample, now that text wraps.
    int height = 0;
    for (int row = 0; row < std::min(view->model()->rowCount(), TableSizing::SampleRows); ++row)
        height = std::max(height, static_cast<const QAbstractItemView *>(view)->sizeHintForRow(row));
    if (height > 0)
        view->verticalHeader()->setDefaultSectionSize(height);
}

class ResizeWatcher : public QObject
{
public:
    static inline const QString Name = QStringLiteral("tableSizingResizeWatcher");

    ResizeWatcher(QTableView *view, int stretchColumn) : QObject(view), m_view(view), m_stretchColumn(stretchColumn)
    {
        setObjectName(Name);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Shown, the table has its style's fonts, which a table measured while hidden lacked.
        const bool resized = event->type() == QEvent::Resize && m_view->viewport()->width() != m_measuredWidth;
        if (resized || event->type() == QEvent::Show) {
            m_measuredWidth = m_view->viewport()->width();
            TableSizing::measure(m_view, m_stretchColumn);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableView *m_view;
    int m_stretchColumn;
    int m_measuredWidth = -1;
};

} // namespace

void TableSizing::measure(QTableView *view, int stretchColumn)
{
    QAbstractItemModel *model = view->model();
    if (!model)
        return;
    QHeaderView *columns = view->horizontalHeader();
    QHeaderView *rows = view->verticalHeader();
    const int sampled = std::min(model->rowCount(), TableSizing::SampleRows);
    const int rowHeight =
        sampled > 0 ? static_cast<const QAbstractItemView *>(view)->sizeHintForRow(0) : rows->defaultSectionSize();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(std::max(rowHeight, rows->minimumSectionSize()));
    columns->setSectionResizeMode(QHeaderView::Interactive);
    QVector<int> widths;
    for (int column = 0; column < model->columnCount(); ++column) {
        int width = columns->sectionSizeHint(column);
        for (int row = 0; row < sampled; ++row)
            width = std::max(width, cellWidth(view, model->index(row, column)));
        columns->resizeSection(column, width);
        widths << width;
    }
    fitIntoView(view, widths);
    // A window that opens or changes size gives the table another width to fit.
    if (!view->findChild<QObject *>(ResizeWatcher::Name, Qt::FindDirectChildrenOnly))
        view->viewport()->installEventFilter(new ResizeWatcher(view, stretchColumn));
    if (stretchColumn >= 0 && stretchColumn < model->columnCount())
        columns->setSectionResizeMode(stretchColumn, QHeaderView::Stretch);
}

void TableSizing::fix(QTableView *view, int stretchColumn)
{
    measure(view, stretchColumn);
    if (QAbstractItemModel *model = view->model()) {
        QObject::connect(model, &QAbstractItemModel::modelReset, view,
                         [view, stretchColumn] { measure(view, stretchColumn); });
        // The first rows of an empty table set the sizes when they come.
        QObject::connect(model, &QAbstractItemModel::rowsInserted, view,
                         [view, stretchColumn](const QModelIndex &, int first, int) {
                             if (first == 0 && view->model()->rowCount() <= TableSizing::SampleRows)
                                 measure(view, stretchColumn);
                         });
    }
}
