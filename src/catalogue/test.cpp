#include "test.h"

#include "expressionevaluator.h"
#include "propertyassign.h"
#include "testcontent.h"
#include "testsubgroup.h"
#include "translator.h"

Test::Test(const QVariantMap &source, QObject *parent)
    : QObject(parent), m_contents(new QList<TestContent *>), m_source(source)
{
    read();
}

Test::~Test()
{
    delete m_contents;
}

int Test::group() const
{
    return parent() ? parent()->property("groupNumber").toInt() : 0;
}

int Test::subgroup() const
{
    return parent() ? parent()->property("number").toInt() : 0;
}

void Test::read()
{
    // The contents of an earlier reading stay children of the test until it is destroyed.
    m_contents->clear();
    const auto has = [this](const char *key) { return m_source.contains(QLatin1String(key)); };
    const auto value = [this](const char *key) { return m_source.value(QLatin1String(key)); };
    if (has("id"))
        setId(value("id").toString());
    if (has("title"))
        setTitle(value("title").toString());
    if (has("report"))
        setReport(value("report").toString());
    if (has("validatable"))
        setValidatable(value("validatable").toBool());
    if (has("pattern"))
        setPatternString(value("pattern").toString());
    const QVariant contents = value("content");
    if (contents.type() == QVariant::List) {
        const QVariantList list = contents.toList();
        for (const QVariant &content : list)
            m_contents->append(new TestContent(content.toMap(), this));
        emit contentChanged(m_contents);
    }
}

QString Test::displayTitle() const
{
    const auto translated = [](const QString &key) {
        return key.isEmpty() ? QString() : TR::Translator::instance()->translate(key);
    };
    QString title = translated(m_title);
    const auto *subgroup = qobject_cast<const TestSubgroup *>(parent());
    if (title.isEmpty() && subgroup)
        title = translated(subgroup->title());
    if (title.isEmpty() && subgroup && subgroup->parent())
        title = translated(subgroup->parent()->property("title").toString());
    return title;
}

TestContent *Test::contentById(const QString &id) const
{
    for (TestContent *content : qAsConst(*m_contents)) {
        if (content->id() == id)
            return content;
    }
    return nullptr;
}

unsigned Test::failedContentsCount() const
{
    const ExpressionEvaluator::Budget budget;
    unsigned count = 0;
    for (const TestContent *content : qAsConst(*m_contents)) {
        if (!content->isValid())
            ++count;
    }
    return count;
}

QVariantMap Test::toVariantMap() const
{
    QVariantList contents;
    for (const TestContent *content : qAsConst(*m_contents))
        contents.append(content->toVariantMap());
    return {
        {QStringLiteral("id"), m_id},
        {QStringLiteral("title"), m_title},
        {QStringLiteral("validatable"), m_validatable},
        {QStringLiteral("pattern"), m_pattern},
        {QStringLiteral("report"), m_report},
        {QStringLiteral("content"), contents},
    };
}

void Test::setResults(const QVariantMap &stored)
{
    if (!stored.contains(QStringLiteral("content")))
        return;
    const QVariantList contents = stored.value(QStringLiteral("content")).toList();
    const int count = qMin(contents.size(), m_contents->size());
    for (int i = 0; i < count; ++i)
        m_contents->at(i)->setResults(contents.at(i).toMap());
}

void Test::setId(const QString &id)
{
    assignProperty(this, m_id, id, &Test::idChanged);
}

void Test::setTitle(const QString &title)
{
    assignProperty(this, m_title, title, &Test::titleChanged);
}

void Test::setReport(const QString &report)
{
    assignProperty(this, m_report, report, &Test::reportChanged);
}

void Test::setValidatable(bool validatable)
{
    assignProperty(this, m_validatable, validatable, &Test::validatableChanged);
}

void Test::setPatternString(const QString &pattern)
{
    assignProperty(this, m_pattern, pattern, &Test::patternStringChanged);
}
