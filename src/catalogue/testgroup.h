#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

class TestContent;
class TestSubgroup;

// A group of tests that the operator selects for a session as a whole.
class TestGroup : public QObject
{
    Q_OBJECT
    Q_PROPERTY(unsigned number READ number CONSTANT)
    Q_PROPERTY(bool selected READ selected WRITE setSelected NOTIFY selectedChanged)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString report READ report CONSTANT)

public:
    TestGroup(const QVariantMap &source, unsigned number, QObject *parent = nullptr);
    ~TestGroup() override;

    // The subgroups keyed by their number, owned by the group.
    QMap<unsigned, TestSubgroup *> *subgroups() const { return m_subgroups; }
    unsigned number() const { return m_number; }
    bool selected() const { return m_selected; }
    QString title() const { return m_title; }
    QString report() const { return m_report; }
    // A required group is part of every session and cannot be deselected.
    bool required() const { return m_required; }
    QVariantMap sourceMap() const { return m_source; }

    TestContent *contentById(const QString &id) const;
    unsigned failedContentsCount() const;
    QVariantMap toVariantMap() const;
    void setResults(const QVariantMap &stored);

public Q_SLOTS:
    void setSelected(bool selected);

Q_SIGNALS:
    void selectedChanged(bool selected);

private:
    void clear();
    void read();

    QVariantMap m_source;
    QMap<unsigned, TestSubgroup *> *m_subgroups;
    unsigned m_number;
    bool m_selected = false;
    QString m_title;
    QString m_report;
    bool m_required = false;
};
