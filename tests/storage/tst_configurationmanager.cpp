#include "configurationmanager.h"
#include "storetestutils.h"
#include "translator.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace StoreTestUtils;

class TestConfigurationManager : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void firstStartCreatesFile();
    void startKeepsLocaleAndRewritesVersion();
    void setLocaleStoresLanguageInForce();
    void startsFromBadFiles_data();
    void startsFromBadFiles();

    void sessionsNewestFirst();
    void latestSessionResultsOfNewest();
    void latestSessionResultsEmpty_data();
    void latestSessionResultsEmpty();
    void addSessionStoresRecord();
    void addSessionKeepsUnreadableRecords();
    void removeSessionBySameDateOnly();
    void removeSessionNotStoredWritesNothing();

    void updateTaskOverwritesGivenKeysOnly();
    void updateOrRemoveNotStoredWritesNothing_data();
    void updateOrRemoveNotStoredWritesNothing();
    void duplicateIdsActOnFirstRecord();
    void tasksWithoutIdStayUntouched();
    void oddTaskValuesStoredAsGiven();

private:
    QString path() const { return m_dir->filePath(settingsFileName()); }
    std::unique_ptr<ConfigurationManager> openStore() const { return std::make_unique<ConfigurationManager>(path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConfigurationManager::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestConfigurationManager::firstStartCreatesFile()
{
    const auto store = openStore();
    QVERIFY(QFile::exists(path()));
    const QByteArray expected =
        "[%General]\nlocale_selected=" + TR::Translator::instance()->preferredLocale().toUtf8() + "\nversion=7.8.1.0\n";
    QCOMPARE(fileBytes(path()), expected);
    QCOMPARE(store->localeSelected(), TR::Translator::instance()->preferredLocale());
}

void TestConfigurationManager::startKeepsLocaleAndRewritesVersion()
{
    writeBytes(path(), "[%General]\nlocale_selected=de\nversion=1.0\n");
    const auto store = openStore();
    QCOMPARE(store->localeSelected(), QStringLiteral("de"));
    const QByteArray bytes = fileBytes(path());
    QVERIFY(bytes.contains("[%General]\nlocale_selected=de\nversion=7.8.1.0\n"));
    QCOMPARE(bytes.count("version="), 1);
}

void TestConfigurationManager::setLocaleStoresLanguageInForce()
{
    const auto store = openStore();
    TR::Translator::instance()->setLocale(QStringLiteral("en"));
    store->setLocaleSelected(QStringLiteral("xx"));
    QCOMPARE(TR::Translator::instance()->currentLocale(), QStringLiteral("en"));
    QCOMPARE(store->localeSelected(), QStringLiteral("en"));
    QVERIFY(fileBytes(path()).contains("locale_selected=en"));
}

void TestConfigurationManager::startsFromBadFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("sessions");
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("damaged");

    const QString preferred = TR::Translator::instance()->preferredLocale();
    QTest::newRow("empty file") << QByteArray() << 0 << 0 << preferred << false;
    QTest::newRow("only the locale") << QByteArray("[%General]\nlocale_selected=it\n") << 0 << 0 << "it" << false;
    QTest::newRow("only a task list of text") << QByteArray("[SCHEDULER]\ntasks=a, b\n") << 0 << 2 << preferred << true;
    QTest::newRow("binary") << QByteArray("\x7f"
                                          "ELF\x02\x01\x01\0\0\0=\xff\xfe[\n\x01\x02\x03",
                                          18)
                            << 0 << 0 << preferred << true;
    QTest::newRow("truncated session list")
        << QByteArray("[TEST_SESSIONS]\nlist=@Variant(\\0\\0\\0\\t\\0\\0\\0\\x1\\0") << 0 << 0 << preferred << true;
}

void TestConfigurationManager::startsFromBadFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(int, sessions);
    QFETCH(int, tasks);
    QFETCH(QString, locale);
    QFETCH(bool, damaged);

    writeBytes(path(), content);
    if (damaged)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("damaged"));
    auto store = openStore();
    QCOMPARE(store->sessions().size(), sessions);
    QCOMPARE(store->tasks().size(), tasks);
    QCOMPARE(store->localeSelected(), locale);
    QVERIFY(store->latestSessionResults().isEmpty());

    store->addSession({{"1", QVariantMap()}}, "after", 1, 0, 0, "m");
    QCOMPARE(store->sessions().size(), sessions + 1);
}

void TestConfigurationManager::sessionsNewestFirst()
{
    const QDate day(2024, 3, 5);
    writeSettings(path(),
                  {{"TEST_SESSIONS/list", QVariantList{sessionRecord("ten", QDateTime(day, QTime(10, 0))),
                                                       sessionRecord("noon", QDateTime(day, QTime(12, 0))),
                                                       sessionRecord("eleven", QDateTime(day, QTime(11, 0)))}}});
    const auto store = openStore();
    QStringList testers;
    const QVariantList records = store->sessions();
    for (const QVariant &record : records)
        testers << record.toMap().value("tester").toString();
    QCOMPARE(testers, QStringList({"noon", "eleven", "ten"}));
}

void TestConfigurationManager::latestSessionResultsOfNewest()
{
    const QDate day(2024, 3, 5);
    writeSettings(path(), {{"TEST_SESSIONS/list", QVariantList{sessionRecord("eleven", QDateTime(day, QTime(11, 0))),
                                                               sessionRecord("ten", QDateTime(day, QTime(10, 0)))}}});
    const auto store = openStore();
    QCOMPARE(store->latestSessionResults(), QVariantMap({{"1", QVariantMap{{"by", "eleven"}}}}));
}

void TestConfigurationManager::latestSessionResultsEmpty_data()
{
    QTest::addColumn<QVariantList>("stored");
    QVariantMap wrongType = sessionRecord("text results", QDateTime::currentDateTime());
    wrongType.insert("test_session", "not a map");

    QTest::newRow("no session") << QVariantList();
    QTest::newRow("newest has results of the wrong type")
        << QVariantList{sessionRecord("old", QDateTime(QDate(2020, 1, 1), QTime(8, 0))), wrongType};
    QTest::newRow("only a record without date and results") << QVariantList{QVariantMap{{"tester", "x"}}};
    QTest::newRow("record that is not a map") << QVariantList{QString("garbage"), QString("more")};
}

void TestConfigurationManager::latestSessionResultsEmpty()
{
    QFETCH(QVariantList, stored);
    writeSettings(path(), {{"TEST_SESSIONS/list", stored}});
    const auto store = openStore();
    QCOMPARE(store->sessions().size(), stored.size());
    QVERIFY(store->latestSessionResults().isEmpty());
}

void TestConfigurationManager::addSessionStoresRecord()
{
    const auto store = openStore();
    const QDateTime before = QDateTime::currentDateTime();
    const QVariantMap results{{"1", QVariantMap{{"name", "Luminance"}}}};
    store->addSession(results, "Ada", 5, 2, 1, "DELL U2720Q");

    const QVariantList records = store->sessions();
    QCOMPARE(records.size(), 1);
    const QVariantMap record = records.first().toMap();
    QCOMPARE(record.keys(), QStringList({"date", "monitorinfo", "monitorselected", "nfailedtestcontents", "ntest",
                                         "test_session", "tester"}));
    QCOMPARE(record.value("tester"), QVariant("Ada"));
    QCOMPARE(record.value("test_session").toMap(), results);
    QCOMPARE(record.value("ntest"), QVariant(5u));
    QCOMPARE(record.value("nfailedtestcontents"), QVariant(2u));
    QCOMPARE(record.value("monitorselected"), QVariant(1));
    QCOMPARE(record.value("monitorinfo"), QVariant("DELL U2720Q"));
    const QDateTime stored = record.value("date").toDateTime();
    QVERIFY(stored >= before && stored <= QDateTime::currentDateTime());
}

// Records that cannot be shown properly are the operator's data all the same.
void TestConfigurationManager::addSessionKeepsUnreadableRecords()
{
    QVariantMap noDate = sessionRecord("no date", QDateTime());
    noDate.remove("date");
    writeSettings(path(), {{"TEST_SESSIONS/list", QVariantList{noDate, QString("not a record")}}});
    const auto store = openStore();
    store->addSession({}, "new", 1, 0, 0, "m");
    const QVariantList records = store->sessions();
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.first().toMap().value("tester"), QVariant("new"));
    QVERIFY(records.contains(noDate));
    QVERIFY(records.contains(QString("not a record")));
}

void TestConfigurationManager::removeSessionBySameDateOnly()
{
    const QDate day(2024, 3, 5);
    const QVariantMap first = sessionRecord("Ada", QDateTime(day, QTime(10, 0)));
    const QVariantMap second = sessionRecord("Ada", QDateTime(day, QTime(11, 0)));
    const QVariantMap third = sessionRecord("Bob", QDateTime(day, QTime(12, 0)));
    writeSettings(path(), {{"TEST_SESSIONS/list", QVariantList{first, second, third}}});
    const auto store = openStore();

    QVariantMap request{{"date", second.value("date")}, {"tester", "someone else"}};
    store->removeSession(request);
    QCOMPARE(store->sessions(), QVariantList({third, first}));
}

void TestConfigurationManager::removeSessionNotStoredWritesNothing()
{
    writeSettings(path(), {{"TEST_SESSIONS/list",
                            QVariantList{sessionRecord("Ada", QDateTime(QDate(2024, 3, 5), QTime(10, 0)))}}});
    const auto store = openStore();
    const QByteArray before = fileBytes(path());
    const QDateTime modified = QFileInfo(path()).lastModified();
    store->removeSession(sessionRecord("Ada", QDateTime(QDate(2024, 3, 5), QTime(10, 1))));
    store->removeSession({});
    QCOMPARE(fileBytes(path()), before);
    QCOMPARE(QFileInfo(path()).lastModified(), modified);
    QCOMPARE(store->sessions().size(), 1);
}

void TestConfigurationManager::updateTaskOverwritesGivenKeysOnly()
{
    const auto store = openStore();
    store->addTask(taskRecord("a", "first"));
    store->addTask(taskRecord("b", "second"));
    const QDateTime performed(QDate(2024, 4, 1), QTime(8, 30));
    store->updateTask({{"id", "b"}, {"lastperformed", performed}});

    QVariantMap expected = taskRecord("b", "second");
    expected.insert("lastperformed", performed);
    QCOMPARE(store->tasks(), QVariantList({taskRecord("a", "first"), expected}));
}

void TestConfigurationManager::updateOrRemoveNotStoredWritesNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariantMap>("argument");
    QTest::newRow("update unknown id") << "update" << QVariantMap{{"id", "zz"}, {"description", "x"}};
    QTest::newRow("update without id") << "update" << QVariantMap{{"description", "x"}};
    QTest::newRow("update with empty id") << "update" << QVariantMap{{"id", ""}, {"description", "x"}};
    QTest::newRow("remove unknown id") << "remove" << QVariantMap{{"id", "zz"}};
    QTest::newRow("remove empty id") << "remove" << QVariantMap{{"id", ""}};
}

void TestConfigurationManager::updateOrRemoveNotStoredWritesNothing()
{
    QFETCH(QString, operation);
    QFETCH(QVariantMap, argument);
    QVariantMap withoutId = taskRecord("", "no id");
    withoutId.remove("id");
    writeSettings(path(), {{"SCHEDULER/tasks", QVariantList{taskRecord("a", "first"), withoutId}}});
    const auto store = openStore();
    const QVariantList before = store->tasks();
    const QByteArray bytes = fileBytes(path());

    if (operation == "update") {
        if (!argument.contains("id") || argument.value("id").toString().isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("without an id"));
        store->updateTask(argument);
    } else {
        store->removeTask(argument.value("id").toString());
    }
    QCOMPARE(store->tasks(), before);
    QCOMPARE(fileBytes(path()), bytes);
}

void TestConfigurationManager::duplicateIdsActOnFirstRecord()
{
    const auto store = openStore();
    store->addTask(taskRecord("dup", "first"));
    store->addTask(taskRecord("other", "middle"));
    store->addTask(taskRecord("dup", "second"));

    store->updateTask({{"id", "dup"}, {"description", "changed"}});
    QCOMPARE(store->tasks(),
             QVariantList({taskRecord("dup", "changed"), taskRecord("other", "middle"), taskRecord("dup", "second")}));
    store->removeTask("dup");
    QCOMPARE(store->tasks(), QVariantList({taskRecord("other", "middle"), taskRecord("dup", "second")}));
    store->removeTask("dup");
    QCOMPARE(store->tasks(), QVariantList({taskRecord("other", "middle")}));
}

void TestConfigurationManager::tasksWithoutIdStayUntouched()
{
    QVariantMap withoutId = taskRecord("", "no id");
    withoutId.remove("id");
    writeSettings(path(), {{"SCHEDULER/tasks", QVariantList{withoutId, taskRecord("a", "first")}}});
    const auto store = openStore();
    store->updateTask({{"id", "a"}, {"description", "changed"}});
    store->removeTask("a");
    QCOMPARE(store->tasks(), QVariantList({withoutId}));
}

// The queue judges frequencies and dates; the store keeps whatever it is given.
void TestConfigurationManager::oddTaskValuesStoredAsGiven()
{
    QVariantMap odd = taskRecord("odd", "odd values");
    odd.insert("frequency", QVariant(qint64(-86400000)));
    odd.insert("date", QDateTime());
    QVariantMap huge = taskRecord("huge", "huge frequency");
    huge.insert("frequency", QVariant(std::numeric_limits<quint64>::max()));
    const auto store = openStore();
    store->addTask(odd);
    store->addTask(huge);
    QCOMPARE(store->tasks(), QVariantList({odd, huge}));
}

QTEST_GUILESS_MAIN(TestConfigurationManager)
#include "tst_configurationmanager.moc"
