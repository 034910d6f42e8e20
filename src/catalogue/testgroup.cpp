#include "testgroup.h"

#include "expressionevaluator.h"
#include "test.h"
#include "testsubgroup.h"

TestGroup::TestGroup(const QVariantMap &source, unsigned number, QObject *parent)
    : QObject(parent), m_source(source), m_subgroups(new QMap<unsigned, TestSubgroup *>), m_number(number)
{
    read();
}

TestGroup::~TestGroup()
{
    clear();
    delete m_subgroups;
}

void TestGroup::clear()
{
    qDeleteAll(*m_subgroups);
    m_subgroups->clear();
}

void TestGroup::read()
{
    clear();
    const QVariant subgroups = m_source.value(QStringLiteral("subgroups"));
    if (subgroups.type() == QVariant::Map) {
        const QVariantMap map = subgroups.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const unsigned number = it.key().toUInt();
            delete m_subgroups->take(number);
            m_subgroups->insert(number, new TestSubgroup(it.value().toMap(), int(number), this));
        }
    }
    m_title = m_source.value(QStringLiteral("title")).toString();
    m_report = m_source.value(QStringLiteral("report")).toString();
    m_required = m_source.value(QStringLiteral("required"), false).toBool();
    m_selected = m_required || m_source.value(QStringLiteral("selected"), false).toBool();
}

void TestGroup::setSelected(bool selected)
{
    m_selected = m_required || selected;
    // Emitted on every call, so a view that tried to untick a required group
    // is told that it stays ticked.
    emit selectedChanged(m_selected);
}

TestContent *TestGroup::contentById(const QString &id) const
{
    for (const TestSubgroup *subgroup : qAsConst(*m_subgroups)) {
        for (const Test *test : qAsConst(*subgroup->tests())) {
            if (TestContent *content = test->contentById(id))
                return content;
        }
    }
    return nullptr;
}

unsigned TestGroup::failedContentsCount() const
{
    const ExpressionEvaluator::Budget budget;
    unsigned count = 0;
    for (const TestSubgroup *subgroup : qAsConst(*m_subgroups))
        count += subgroup->failedContentsCount();
    return count;
}

QVariantMap TestGroup::toVariantMap() const
{
    QVariantMap subgroups;
    for (auto it = m_subgroups->cbegin(); it != m_subgroups->cend(); ++it)
        subgroups.insert(QString::number(it.key()), it.value()->toVariantMap());
    return {
        {QStringLiteral("subgroups"), subgroups}, {QStringLiteral("title"), m_title},
        {QStringLiteral("report"), m_report},     {QStringLiteral("required"), m_required},
        {QStringLiteral("selected"), m_selected},
    };
}

void TestGroup::setResults(const QVariantMap &stored)
{
    const QVariant subgroups = stored.value(QStringLiteral("subgroups"));
    if (subgroups.type() != QVariant::Map)
        return;
    const QVariantMap map = subgroups.toMap();
    for (auto it = m_subgroups->cbegin(); it != m_subgroups->cend(); ++it) {
        const QVariant subgroup = map.value(QString::number(it.key()));
        if (subgroup.type() == QVariant::Map)
            it.value()->setResults(subgroup.toMap());
    }
}
