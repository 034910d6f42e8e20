#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

class TestContent;

// One step of a testing session: a pattern shown full screen and the
// contents asked about it.
class Test : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString id READ id WRITE setId NOTIFY idChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QString report READ report WRITE setReport NOTIFY reportChanged)
    Q_PROPERTY(QList<TestContent *> *content READ content NOTIFY contentChanged)
    Q_PROPERTY(bool validatable READ validatable WRITE setValidatable NOTIFY validatableChanged)
    Q_PROPERTY(QString patternString READ patternString WRITE setPatternString NOTIFY patternStringChanged)
    Q_PROPERTY(int group READ group)
    Q_PROPERTY(int subgroup READ subgroup)

public:
    explicit Test(const QVariantMap &source, QObject *parent = nullptr);
    ~Test() override;

    QString id() const { return m_id; }
    QString title() const { return m_title; }
    QString report() const { return m_report; }
    // The contents in catalogue order, owned by the test.
    QList<TestContent *> *content() const { return m_contents; }
    bool validatable() const { return m_validatable; }
    QString patternString() const { return m_pattern; }
    int group() const;
    int subgroup() const;
    QVariantMap sourceMap() const { return m_source; }

    // The translated title, falling back to the subgroup's and then the group's title.
    QString displayTitle() const;
    TestContent *contentById(const QString &id) const;
    unsigned failedContentsCount() const;

    QVariantMap toVariantMap() const;
    void setResults(const QVariantMap &stored);

public Q_SLOTS:
    void setId(const QString &id);
    void setTitle(const QString &title);
    void setReport(const QString &report);
    void setValidatable(bool validatable);
    void setPatternString(const QString &pattern);

Q_SIGNALS:
    void idChanged(const QString &id);
    void titleChanged(const QString &title);
    void reportChanged(const QString &report);
    void contentChanged(QList<TestContent *> *content);
    void validatableChanged(bool validatable);
    void patternStringChanged(const QString &pattern);

private:
    void read();

    QString m_id;
    QString m_title;
    QString m_report;
    QList<TestContent *> *m_contents;
    bool m_validatable = false;
    QString m_pattern;
    QVariantMap m_source;
};

Q_DECLARE_METATYPE(QList<TestContent *> *)
