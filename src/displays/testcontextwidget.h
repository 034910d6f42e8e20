#pragma once

#include "testingsession.h"

#include <QVariantList>
#include <QWidget>

#include <memory>

class TestsManager;

namespace Ui {
class TestContextWidget;
}

// The choice of the test selection page that says what the next session is:
// the test type, which ticks its groups as the catalogue lists them. The
// display's category and room class belong to the display (DisplayDialog).
class TestContextWidget : public QWidget
{
    Q_OBJECT

public:
    TestContextWidget(const TestsManager *catalogue, QWidget *parent = nullptr);
    ~TestContextWidget() override;

    TestingSession::Context context() const;
    void setTestType(const QString &id);
    // Re-labels the items after a change of language.
    void retranslate();

Q_SIGNALS:
    // The groups of the chosen test type, to be ticked.
    void testTypeChosen(const QVariantList &groups);

public Q_SLOTS:
    void applyTestType();

private:
    void fillItems();

    std::unique_ptr<Ui::TestContextWidget> m_ui;
    const TestsManager *m_catalogue;
};
