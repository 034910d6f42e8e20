#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class TestGroup;

// The test catalogue as a tree of objects: groups, subgroups, tests and contents.
class TestsManager : public QObject
{
    Q_OBJECT

public:
    // Loads the catalogue shipped with the program.
    explicit TestsManager(QObject *parent = nullptr);
    // Loads the given catalogue document instead, for instance one written by a test.
    explicit TestsManager(const QString &catalogueText, QObject *parent = nullptr);
    ~TestsManager() override;

    static QString catalogueResourcePath();
    // The whole text of a catalogue file; empty when it cannot be read.
    static QString readCatalogueText(const QString &path);

    // A kind of test (acceptance, daily or periodic constancy) and the groups it ticks.
    struct TestType
    {
        QString id;
        QString title; // translation key
        QList<unsigned> groups;
        // Groups whose answers come from the display's latest session, confirmed once instead of stepped through.
        QList<unsigned> carriedOver{};
        // Groups of which the type runs only the listed subgroups.
        QMap<unsigned, QList<unsigned>> onlySubgroups{};
    };

    const QList<TestType> &testTypes() const { return m_testTypes; }
    // The type with that id; null for one the catalogue does not know.
    const TestType *testType(const QString &id) const;
    // The numbers of the groups the type with that id ticks; none for a type the catalogue does not know.
    QVariantList testTypeGroups(const QString &id) const;

    // All groups in ascending number.
    QList<TestGroup *> *groups() const { return m_groups; }
    // The selected groups in ascending number; the same list object each time.
    QList<TestGroup *> *selectedGroups();

private:
    void clear();
    void load(const QString &catalogueText);

    QVariantMap m_sourceGroups;
    QMap<unsigned, TestGroup *> m_groupsByNumber;
    QList<TestGroup *> *m_groups;
    QList<TestGroup *> *m_selectedGroups;
    QList<TestType> m_testTypes;
};
