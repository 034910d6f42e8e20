#include "test.h"

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
    if (has("id"))
        setId(m_source.value(QStringLiteral("id")).toString());
    if (has("title"))
        setTitle(m_source.value(QStringLiteral("title")).toString());
    if (has("report"))
        setReport(m_source.value(QStringLiteral("report")).toString());
    if (has("validatable"))
        setValidatable(m_source.value(QStringLiteral("validatable")).toBool());
    if (has("pattern"))
        setPatternString(m_source.value(QStringLiteral("pattern")).toString());
    const QVariant contents = m_source.value(QStringLiteral("content"));
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
    if (m_id == id)
        return;
    m_id = id;
    emit idChanged(m_id);
}

void Test::setTitle(const QString &title)
{
    if (m_title == title)
        return;
    m_title = title;
    emit titleChanged(m_title);
}

void Test::setReport(const QString &report)
{
    if (m_report == report)
        return;
    m_report = report;
    emit reportChanged(m_report);
}

void Test::setValidatable(bool validatable)
{
    if (m_validatable == validatable)
        return;
    m_validatable = validatable;
    emit validatableChanged(m_validatable);
}

void Test::setPatternString(const QString &pattern)
{
    if (m_pattern == pattern)
        return;
    m_pattern = pattern;
    emit patternStringChanged(m_pattern);
}
