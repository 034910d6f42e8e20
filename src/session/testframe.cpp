#include "testframe.h"
#include "ui_testframe.h"

#include "test.h"
#include "testinputdialog.h"

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
    m_inputDialog->setTitleText(text);
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
    // Without a total there is no progress to show, and no division to make.
    const uint percent = m_totalSteps == 0 ? 0 : currentStep * 100 / m_totalSteps;
    m_inputDialog->setProgressText(QString::number(double(percent), 'g', 6) + QLatin1Char('%'));
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
    if (m_inputDialog->isHidden()) {
        QRect placed(QPoint(), m_inputDialog->size());
        placed.moveTo(m_screenRect.left() + m_screenRect.width() / 2 - placed.width() / 2, m_screenRect.top() + 50);
        m_inputDialog->setGeometry(placed);
        m_inputDialog->show();
    }
    m_inputDialog->setFocus(Qt::OtherFocusReason);
}
