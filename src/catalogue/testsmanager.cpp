#include "testsmanager.h"

#include "testgroup.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

TestsManager::TestsManager(QObject *parent) : TestsManager(readCatalogueText(catalogueResourcePath()), parent) {}

TestsManager::TestsManager(const QString &catalogueText, QObject *parent)
    : QObject(parent), m_groups(new QList<TestGroup *>), m_selectedGroups(new QList<TestGroup *>)
{
    load(catalogueText);
}

TestsManager::~TestsManager()
{
    clear();
    delete m_groups;
    delete m_selectedGroups;
}

QString TestsManager::catalogueResourcePath()
{
    return QStringLiteral(":/tests.json");
}

QString TestsManager::readCatalogueText(const QString &path)
{
    QString text;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        stream.setCodec("UTF-8");
        text = stream.readAll();
    }
    if (text.isEmpty())
        qDebug().noquote() << "[stringContentFileAtPath] Errore durante la lettura del file: " + path;
    return text;
}

QList<TestGroup *> *TestsManager::selectedGroups()
{
    m_selectedGroups->clear();
    for (TestGroup *group : qAsConst(*m_groups)) {
        if (group->selected())
            m_selectedGroups->append(group);
    }
    return m_selectedGroups;
}

void TestsManager::clear()
{
    m_sourceGroups.clear();
    qDeleteAll(m_groupsByNumber);
    m_groupsByNumber.clear();
    m_groups->clear();
    m_selectedGroups->clear();
    m_testTypes.clear();
}

void TestsManager::load(const QString &catalogueText)
{
    clear();
    // A document that does not parse counts as an empty catalogue.
    const QVariantMap root = QJsonDocument::fromJson(catalogueText.simplified().toUtf8()).object().toVariantMap();
    for (const QVariant &entry : root.value(QStringLiteral("testtypes")).toList()) {
        const QVariantMap type = entry.toMap();
        TestType testType{type.value(QStringLiteral("id")).toString(), type.value(QStringLiteral("title")).toString(),
                          {}};
        for (const QVariant &number : type.value(QStringLiteral("groups")).toList())
            testType.groups << number.toUInt();
        for (const QVariant &number : type.value(QStringLiteral("carriedOver")).toList())
            testType.carriedOver << number.toUInt();
        const QVariantMap onlySubgroups = type.value(QStringLiteral("onlySubgroups")).toMap();
        for (auto group = onlySubgroups.cbegin(); group != onlySubgroups.cend(); ++group) {
            // An empty list leaves out the whole group, even a required one.
            QList<unsigned> &numbers = testType.onlySubgroups[group.key().toUInt()];
            for (const QVariant &number : group.value().toList())
                numbers << number.toUInt();
        }
        if (!testType.id.isEmpty())
            m_testTypes << testType;
    }
    const QVariant groups = root.value(QStringLiteral("groups"));
    if (groups.type() != QVariant::Map)
        return;
    m_sourceGroups = groups.toMap();
    for (auto it = m_sourceGroups.cbegin(); it != m_sourceGroups.cend(); ++it) {
        const unsigned number = it.key().toUInt();
        delete m_groupsByNumber.take(number);
        m_groupsByNumber.insert(number, new TestGroup(it.value().toMap(), number, this));
    }
    *m_groups = m_groupsByNumber.values();
}

const TestsManager::TestType *TestsManager::testType(const QString &id) const
{
    for (const TestType &type : m_testTypes) {
        if (type.id == id)
            return &type;
    }
    return nullptr;
}

QVariantList TestsManager::testTypeGroups(const QString &id) const
{
    QVariantList numbers;
    for (const TestType &type : m_testTypes) {
        if (type.id == id) {
            for (unsigned number : type.groups)
                numbers << number;
        }
    }
    return numbers;
}
