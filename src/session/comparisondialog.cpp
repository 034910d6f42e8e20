#include "comparisondialog.h"
#include "ui_comparisondialog.h"

#include "reportstyle.h"
#include "screenfit.h"
#include "translator.h"

#include <QPushButton>
#include <QScrollBar>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

} // namespace

ComparisonDialog::ComparisonDialog(const QString &heading, const QList<ComparisonText::Line> &lines, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ComparisonDialog>())
{
    m_ui->setupUi(this);
    setWindowTitle(translated("comparison_summary"));
    m_ui->headingLabel->setText(heading);
    showRemarks({});
    QTableWidget *table = m_ui->comparisonTableWidget;
    QStringList headers;
    for (const char *key : {"comparison_quantity", "comparison_reference", "comparison_measured",
                            "comparison_deviation", "comparison_verdict"})
        headers << translated(key);
    table->setColumnCount(headers.size());
    table->setHorizontalHeaderLabels(headers);
    table->setRowCount(lines.size());
    for (int row = 0; row < lines.size(); ++row) {
        const ComparisonText::Line &line = lines.at(row);
        const QStringList cells{line.quantity, line.reference, line.measured, line.deviation, line.verdict};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (!line.passed)
                item->setForeground(ReportStyle::failedCountColour);
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    connect(m_ui->buttonBox->addButton(translated("ok"), QDialogButtonBox::AcceptRole), &QPushButton::clicked, this,
            &QDialog::accept);

    // As large as the whole table, or as much of it as the screen allows.
    const int tableWidth = table->horizontalHeader()->length() + table->frameWidth() * 2 +
                           table->verticalScrollBar()->sizeHint().width();
    const int tableHeight = table->horizontalHeader()->height() + table->verticalHeader()->length() +
                            table->frameWidth() * 2;
    const QSize chrome = sizeHint() - table->sizeHint();
    ScreenFit::fit(this, QSize(tableWidth, tableHeight) + chrome);
}

ComparisonDialog::~ComparisonDialog() = default;

void ComparisonDialog::showRemarks(const QList<ReferenceRemarks::Remark> &remarks)
{
    QStringList texts;
    bool warning = false;
    for (const ReferenceRemarks::Remark &remark : remarks) {
        texts << remark.text;
        warning = warning || remark.warning;
    }
    m_ui->remarksLabel->setText(texts.join(QLatin1Char('\n')));
    m_ui->remarksLabel->setStyleSheet(warning ? QStringLiteral("color: %1;").arg(ReportStyle::failedCountColour.name())
                                              : QString());
    m_ui->remarksLabel->setVisible(!texts.isEmpty());
}
