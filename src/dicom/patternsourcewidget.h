#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class PatternSourceWidget;
}

// The choice on the selection page of who shows the patterns of the next session:
// Lumivex on the screen under test, or the viewing software the radiologist uses,
// named by the operator.
class PatternSourceWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PatternSourceWidget(QWidget *parent = nullptr);
    ~PatternSourceWidget() override;

    // The name of the viewing software, trimmed; empty when Lumivex shows the patterns.
    QString viewer() const;
    // False while the viewing software is chosen but not named.
    bool isComplete() const;
    void retranslate();

private:
    void applyChoice();

    std::unique_ptr<Ui::PatternSourceWidget> m_ui;
};
