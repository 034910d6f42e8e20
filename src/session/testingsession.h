#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include "workstationdeviation.h"

#include <functional>
#include <memory>

class SavedSessionsModel;
class ScreenIdentity;
class Test;
class TestContent;
class TestFrame;
class TestGroup;

// Runs one pass over the tests of the selected groups on the monitor under test:
// shows each test in the full-screen frame, steps forward and back past the tests
// hidden by earlier answers, computes joined values on the way, and at the end
// judges the answers and hands the finished session to the store. The widget is
// never shown itself; it owns the frame.
class TestingSession : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QList<TestGroup *> *groups READ groups WRITE setGroups NOTIFY groupsChanged)

public:
    TestingSession(QWidget *parent, QList<TestGroup *> *groups, SavedSessionsModel *store);
    ~TestingSession() override;

    QList<TestGroup *> *groups() const { return m_groups; }
    int currentIndex() const { return m_currentIndex; }
    int screen() const { return m_screen; }
    TestFrame *frame() const { return m_frame; }

    TestContent *contentById(const QString &id) const;
    Test *testAt(int index) const;
    // Prefills the answers from the groups of a stored session; the operator's name
    // is always entered anew.
    void applyStoredResults(const QVariantMap &groups);
    // Starts a run from the catalogue's own answers, then takes the operator,
    // institution and device answers of a stored session of the same display
    // (its groups), but none of its verdicts.
    void prefill(const QVariantMap &groups);
    // Replaces the source of the monitors' own identities (for tests).
    void setScreenIdentity(std::unique_ptr<ScreenIdentity> identity);
    const ScreenIdentity &screenIdentity() const { return *m_screenIdentity; }

    // What the next run is: its test type ("acceptance", "dailyConstancy",
    // "periodicConstancy"), the display's application category and room class
    // from the limits table, its reference values by quantity, the date they
    // were measured (ISO) and the uuid of the session that measured them, and
    // the date category and room class were chosen (ISO), as the display's row
    // in the store has them.
    struct Context
    {
        QString testType;
        QString category;
        QString roomClass;
        QVariantMap reference;
        QString referenceDate;
        QString referenceSession;
        // Initialised, so that the contexts that list only the fields above stay complete.
        QString classifiedOn{};
        // The meter the reference was read with, and who made it the reference, when and why.
        QVariantMap referenceMeter{};
        QVariantMap referenceChoice{};
        // The other displays of the display's workstation, each with its newest L'max.
        QList<WorkstationDeviation::Member> workstation{};
        // Groups whose carried-over answers the operator confirmed: the session's own, not stepped through.
        QList<unsigned> confirmedGroups{};
        // Groups of which the run takes only the listed subgroups; the others are neither asked nor stored.
        QMap<unsigned, QList<unsigned>> onlySubgroups{};
    };
    void setContext(const Context &context) { m_context = context; }
    // The viewing software that shows the patterns of the next run, recorded with
    // it; empty when Lumivex draws them on the screen under test.
    void setViewer(const QString &viewer);
    const QString &viewer() const { return m_viewer; }
    // The further record keys ("testtype", "display", ...) of the session
    // completed last, for those who hear sessionSucceeded.
    const QVariantMap &completedDetails() const { return m_completedDetails; }

public Q_SLOTS:
    void nextTest();
    void previousTest();
    Test *setTestIndex(int index);
    void setGroups(QList<TestGroup *> *groups);
    void start(int monitorSelected);
    void showCurrentTest();
    int totalSteps();

Q_SIGNALS:
    void groupsChanged(QList<TestGroup *> *groups);
    void sessionCompleted();
    void sessionSucceeded(bool bSucceeded);

private:
    QList<Test *> steps() const;
    QList<TestContent *> allContents() const;
    bool isHidden(const Test *test) const;
    bool isLeftOut(unsigned group, unsigned subgroup) const;
    bool isConfirmed(const Test *test) const;
    bool isLeftOut(const Test *test) const;
    bool placeOf(const Test *test, const std::function<bool(unsigned, unsigned)> &holds) const;
    void skipConfirmedSteps();
    int shownStepsBefore(int index) const;
    void recordAnswers(const Test *test);
    void mergeOwnValues(const Test *test);
    void computeJoins(const Test *test);
    void prefillScreenIdentity();
    TestContent *deviceContent(int position) const;
    QVariantMap sessionDetails(uint *failed) const;
    void showComparison(const QVariantMap &details);
    void completeSession();
    void refreshValidatorValues();
    QString resultText(const QString &contentId) const;

    QList<TestGroup *> *m_groups = nullptr;
    int m_currentIndex = 0;
    int m_screen = 0;
    TestFrame *m_frame;
    Test *m_currentTest = nullptr;
    SavedSessionsModel *m_store;
    QMap<QString, QString> m_sessionValues;
    std::unique_ptr<ScreenIdentity> m_screenIdentity;
    Context m_context;
    QVariantMap m_completedDetails;
    QString m_viewer;
};
