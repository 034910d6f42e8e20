#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

class Test;

// A run of tests shown under one heading of a group.
class TestSubgroup : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString report READ report CONSTANT)
    Q_PROPERTY(int number READ number CONSTANT)
    Q_PROPERTY(bool hideTitle READ hideTitle CONSTANT)
    Q_PROPERTY(int groupNumber READ groupNumber)

public:
    TestSubgroup(const QVariantMap &source, int number, QObject *parent = nullptr);
    ~TestSubgroup() override;

    // The tests in catalogue order, owned by the subgroup.
    QList<Test *> *tests() const { return m_tests; }
    QString title() const { return m_title; }
    QString report() const { return m_report; }
    int number() const { return m_number; }
    bool hideTitle() const { return m_hideTitle; }
    // The number of the group above; 0 without one.
    int groupNumber() const;
    QVariantMap sourceMap() const { return m_source; }

    unsigned failedContentsCount() const;
    QVariantMap toVariantMap() const;
    void setResults(const QVariantMap &stored);

private:
    void clear();
    void read();

    QList<Test *> *m_tests;
    QVariantMap m_source;
    QString m_title;
    QString m_report;
    int m_number;
    bool m_hideTitle = false;
};
