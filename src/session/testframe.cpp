#include "testframe.h"
#include "ui_testframe.h"

#include "canvaswidget.h"
#include "stepcaption.h"
#include "test.h"
#include "testpattern.h"
#include "testinputdialog.h"
#include "viewerinstruction.h"

TestFrame::TestFrame(QWidget *parent) : QFrame(parent), m_ui(new Ui::TestFrame)
{
    m_ui->setupUi(this);
    createInputDialog();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

TestFrame::~TestFrame() = default;

void TestFrame::createInputDialog()
{
    m_inputDialog = new TestInputDialog(this);
    connect(m_inputDialog, &QDialog::accepted, this, &TestFrame::close);
    connect(m_inputDialog, &QDialog::rejected, this, &TestFrame::close);
    connect(m_inputDialog, &TestInputDialog::closeEvent, this, &TestFrame::close);
    connect(m_inputDialog, &TestInputDialog::next, this, &TestFrame::next);
    connect(m_inputDialog, &TestInputDialog::back, this, &TestFrame::back);
    connect(m_inputDialog, &TestInputDialog::draggedTo, this, [this](const QPoint &topLeft) { m_placement.keep(topLeft); });
}

void TestFrame::forgetDialogPosition()
{
    m_placement.forget();
}

// Where the whole dialog finds no clear spot, its rows scroll within the tallest one.
void TestFrame::placeInputDialog()
{
    const QVector<QRect> judged = judgedOnScreen();
    QRect placed = m_placement.place(m_inputDialog->size(), m_screenRect, judged);
    if (DialogPlacement::coveredArea(placed, judged) > 0) {
        const std::optional<int> height =
            DialogPlacement::tallestClearHeight(m_inputDialog->width(), m_inputDialog->height(),
                                                m_inputDialog->height() - m_inputDialog->scrollableHeight(),
                                                m_screenRect, judged);
        if (height) {
            m_inputDialog->setAvailableHeight(*height);
        } else if (!m_inputDialog->isCollapsed()) {
            // Not even one line of rows fits beside the pattern: the dialog waits
            // as its title bar, which the operator opens once the pattern is judged.
            m_inputDialog->minimizeClicked();
        }
        placed = m_placement.place(m_inputDialog->size(), m_screenRect, judged);
    }
    m_inputDialog->setGeometry(placed);
}

void TestFrame::moveInputDialogClear()
{
    m_inputDialog->setGeometry(m_placement.place(m_inputDialog->size(), m_screenRect, judgedOnScreen()));
}

QVector<QRect> TestFrame::judgedOnScreen() const
{
    QVector<QRect> judged = m_ui->canvasWidget->pattern()->judgedRegions(m_screenRect.size());
    for (QRect &region : judged)
        region.translate(m_screenRect.topLeft());
    return judged;
}

TestInputDialog *TestFrame::inputDialog() const
{
    return m_inputDialog;
}

void TestFrame::setScreenRect(const QRect &rect)
{
    m_screenRect = rect;
}

void TestFrame::setBackHidden(bool hidden)
{
    m_inputDialog->setBackHidden(hidden);
}

void TestFrame::setTitleText(const QString &text)
{
    const NSTESTPatter::TestPattern &pattern = *m_ui->canvasWidget->pattern();
    QStringList lines{text, StepCaption::measurement(pattern)};
    if (m_shownByViewer)
        lines << ViewerInstruction::text(pattern.type());
    lines.removeAll(QString());
    m_inputDialog->setTitleText(lines.join(QLatin1Char('\n')));
}

void TestFrame::setShownByViewer(bool shownByViewer)
{
    m_shownByViewer = shownByViewer;
}

void TestFrame::showQuestionsOnly()
{
    if (!m_inputDialog)
        createInputDialog();
    showInputDialog();
}

void TestFrame::setTest(Test *test)
{
    m_test = test;
    m_inputDialog->setTest(test);
    m_ui->canvasWidget->setPattern(test ? test->patternString() : QString());
    emit testChanged(test);
}

void TestFrame::setTotalSteps(uint totalSteps)
{
    m_totalSteps = totalSteps;
    m_currentStep = 0;
    emit totalStepsChanged(totalSteps);
}

void TestFrame::setCurrentStep(uint currentStep)
{
    m_currentStep = currentStep;
    m_inputDialog->setProgressText(StepCaption::progress(currentStep, m_totalSteps, m_test));
    emit currentStepChanged(currentStep);
}

bool TestFrame::close()
{
    m_inputDialog->close();
    return QWidget::close();
}

void TestFrame::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    if (!m_inputDialog)
        createInputDialog();
    showInputDialog();
}

void TestFrame::showInputDialog()
{
    if (m_inputDialog->isHidden()) {
        // Placed once shown: showing expands a collapsed dialog and fits its rows
        // to the screen, which settles its size.
        m_inputDialog->setAvailableHeight(m_screenRect.height());
        m_inputDialog->show();
        placeInputDialog();
    }
    m_inputDialog->setFocus(Qt::OtherFocusReason);
}
