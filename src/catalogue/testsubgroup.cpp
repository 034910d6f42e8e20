#include "testsubgroup.h"

#include "expressionevaluator.h"
#include "test.h"

TestSubgroup::TestSubgroup(const QVariantMap &source, int number, QObject *parent)
    : QObject(parent), m_tests(new QList<Test *>), m_source(source), m_number(number)
{
    read();
}

TestSubgroup::~TestSubgroup()
{
    clear();
    delete m_tests;
}

int TestSubgroup::groupNumber() const
{
    return parent() ? parent()->property("number").toInt() : 0;
}

void TestSubgroup::clear()
{
    qDeleteAll(*m_tests);
    m_tests->clear();
}

void TestSubgroup::read()
{
    clear();
    const QVariant tests = m_source.value(QStringLiteral("tests"));
    if (tests.type() == QVariant::List) {
        const QVariantList list = tests.toList();
        for (const QVariant &test : list)
            m_tests->append(new Test(test.toMap(), this));
    }
    m_title = m_source.value(QStringLiteral("title")).toString();
    m_report = m_source.value(QStringLiteral("report")).toString();
    m_hideTitle = m_source.value(QStringLiteral("hidetitle"), false).toBool();
}

unsigned TestSubgroup::failedContentsCount() const
{
    const ExpressionEvaluator::Budget budget;
    unsigned count = 0;
    for (const Test *test : qAsConst(*m_tests))
        count += test->failedContentsCount();
    return count;
}

QVariantMap TestSubgroup::toVariantMap() const
{
    QVariantList tests;
    for (const Test *test : qAsConst(*m_tests))
        tests.append(test->toVariantMap());
    return {
        {QStringLiteral("tests"), tests},
        {QStringLiteral("hidetitle"), m_hideTitle},
        {QStringLiteral("report"), m_report},
        {QStringLiteral("title"), m_title},
    };
}

void TestSubgroup::setResults(const QVariantMap &stored)
{
    const QVariantList tests = stored.value(QStringLiteral("tests")).toList();
    const int count = qMin(tests.size(), m_tests->size());
    for (int i = 0; i < count; ++i)
        m_tests->at(i)->setResults(tests.at(i).toMap());
}
