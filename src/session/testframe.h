#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>

#include "dialogplacement.h"

#include <memory>

class Test;
class TestInputDialog;

namespace Ui {
class TestFrame;
}

// The borderless full-screen window on the monitor under test: the canvas shows
// the current test's pattern and the questions dialog floats above it. Accepting,
// rejecting or closing the dialog closes the frame; the dialog's next and back
// requests are passed on.
class TestFrame : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(Test *test READ test WRITE setTest NOTIFY testChanged)
    Q_PROPERTY(uint totalSteps READ totalSteps WRITE setTotalSteps NOTIFY totalStepsChanged)
    Q_PROPERTY(uint currentStep READ currentStep WRITE setCurrentStep NOTIFY currentStepChanged)

public:
    explicit TestFrame(QWidget *parent = nullptr);
    ~TestFrame() override;

    Test *test() const { return m_test; }
    uint totalSteps() const { return m_totalSteps; }
    uint currentStep() const { return m_currentStep; }
    TestInputDialog *inputDialog() const;

    void setScreenRect(const QRect &rect);
    void setBackHidden(bool hidden);
    void setTitleText(const QString &text);
    // While the viewing software shows the patterns, the frame never covers the
    // screen under test: only the questions are shown, each naming the image to open.
    void setShownByViewer(bool shownByViewer);
    bool isShownByViewer() const { return m_shownByViewer; }
    void showQuestionsOnly();
    // A new session starts with the dialog at its computed place again.
    void forgetDialogPosition();
    // Clear of what the current pattern asks the operator to judge or measure.
    void placeInputDialog();
    // The same for a dialog shrunk to a few lines: moved as it is, neither scrolled nor collapsed.
    void moveInputDialogClear();

public Q_SLOTS:
    void setTest(Test *test);
    void setTotalSteps(uint totalSteps);
    void setCurrentStep(uint currentStep);
    bool close();

Q_SIGNALS:
    void testChanged(Test *test);
    void totalStepsChanged(uint totalSteps);
    void currentStepChanged(uint currentStep);
    void next();
    void back();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createInputDialog();
    void showInputDialog();
    QVector<QRect> judgedOnScreen() const;

    std::unique_ptr<Ui::TestFrame> m_ui;
    QPointer<TestInputDialog> m_inputDialog;
    Test *m_test = nullptr;
    uint m_currentStep = 0;
    uint m_totalSteps = 0;
    QRect m_screenRect;
    DialogPlacement m_placement;
    bool m_shownByViewer = false;
};
