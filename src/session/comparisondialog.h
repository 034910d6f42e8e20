#pragma once

#include "comparisontext.h"
#include "referenceremarks.h"

#include <QDialog>

#include <memory>

namespace Ui {
class ComparisonDialog;
}

// The last step of a constancy test: a table of each measured quantity beside
// its reference value, the deviation in per cent and its verdict, failed rows
// in the report's colour of failure. The table scrolls on a small screen.
class ComparisonDialog : public QDialog
{
    Q_OBJECT

public:
    ComparisonDialog(const QString &heading, const QList<ComparisonText::Line> &lines, QWidget *parent = nullptr);
    ~ComparisonDialog() override;

    // Above the table; a warning in the colour of failure.
    void showRemarks(const QList<ReferenceRemarks::Remark> &remarks);

private:
    std::unique_ptr<Ui::ComparisonDialog> m_ui;
};
