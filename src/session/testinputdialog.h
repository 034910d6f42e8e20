#pragma once

#include <QDialog>
#include <QMap>

#include <memory>

class MeterAssist;
class QLayout;
class QRadioButton;
class QTimer;
class QWidget;
class Test;
class TestContent;

namespace Ui {
class TestInputDialog;
}

// The small floating window above the test pattern that asks the operator about
// the current test: one input per content, a verdict for tests judged as a whole,
// a note, and the way back and forward. It writes the answers into the contents
// of the test; what comes next is up to whoever listens to next() and back().
class TestInputDialog : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(Test *test READ test WRITE setTest NOTIFY testChanged)

public:
    explicit TestInputDialog(QWidget *parent = nullptr);
    ~TestInputDialog() override;

    Test *test() const { return m_test; }

    void setTitleText(const QString &text);
    void setProgressText(const QString &text);
    void setBackHidden(bool hidden);
    bool isCollapsed() const;
    // The height of the screen the dialog stands on: its rows scroll within what
    // is left of it, so that the buttons stay on the screen.
    void setAvailableHeight(int height);
    // How much the dialog can give up by scrolling its rows, keeping one line of them.
    int scrollableHeight() const;
    MeterAssist *meterAssist() const { return m_meterAssist; }
    // While the operator moves the meter only the title and the meter's strip
    // stay, so that the small dialog finds room away from the field.
    void showMeterPanelOnly(bool only);

public Q_SLOTS:
    void setTest(Test *test);
    void nextClicked();
    void backClicked();
    void textChanged(const QString &text);
    void textChanged();
    void minimizeClicked();

Q_SIGNALS:
    void testChanged(Test *test);
    void next();
    void back();
    // Kept for listeners that close along with the dialog; the dialog does not emit it.
    void closeEvent();
    // The operator dragged the dialog and let go with its top-left corner there.
    void draggedTo(const QPoint &topLeft);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private Q_SLOTS:
    void closeClicked();
    void acceptClicked(bool checked);
    void rejectClicked(bool checked);
    void toggleNote(bool show);
    void showNote();
    void hideNote();
    void toggleMinimize();
    void toggleMinimize(bool minimize);
    void mouseClickTrack();

private:
    void clearInputs();
    static void clearLayout(QLayout *layout);
    void addContentRows(TestContent *content, int &row);
    void addRow(QWidget *widget, int &row);
    QWidget *createInput(TestContent *content);
    QWidget *createDateInput(TestContent *content);
    bool storeAnswers();
    bool storeText(QWidget *input, TestContent *content);
    void giveVerdict(bool passed);
    void uncheckVerdict();
    void fitScrollArea();
    void sayWhetherRequired(QWidget *input, bool answered);
    bool storeChoice(QRadioButton *yes, TestContent *content);
    void showWhetherMoreBelow();
    QList<QWidget *> answerWidgets() const;
    void restoreNote();
    int rowsHeightLimit() const;

    std::unique_ptr<Ui::TestInputDialog> m_ui;
    bool m_clickPending = false;
    bool m_dragging = false;
    bool m_dragMoved = false;
    int m_pressX = 0;
    int m_pressY = 0;
    TestContent *m_joinContent = nullptr;
    // The content the step's note is kept with, whatever the verdict.
    TestContent *m_notedContent = nullptr;
    Test *m_test = nullptr;
    QMap<QWidget *, TestContent *> m_inputs;
    QWidget *m_firstFocusWidget = nullptr;
    QString m_joinedText;
    QTimer *m_clickTimer;
    int m_availableHeight = 0;
    MeterAssist *m_meterAssist;
    bool m_meterPanelOnly = false;
    bool m_noteShownBeforePanelOnly = false;
};
