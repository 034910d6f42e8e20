#include "configurationmanager.h"
#include "storetestutils.h"
#include "testconfig.h"
#include "translator.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

using namespace StoreTestUtils;

namespace {

const QRegularExpression BackupName(QStringLiteral("^Lumivex 2016\\.ini\\.damaged-\\d{8}-\\d{6}$"));

// What the child printed on its standard output, nothing if it failed.
QStringList runChild(const QString &mode, const QString &file, QString *errors = nullptr)
{
    QProcess child;
    child.start(QStringLiteral(LUMIVEX_BIN_DIR "/storage_settingschild"), {mode, file});
    const bool finished = child.waitForFinished(120000) && child.exitStatus() == QProcess::NormalExit;
    if (errors)
        *errors = QString::fromUtf8(child.readAllStandardError());
    if (!finished || child.exitCode() != 0)
        return {};
    return QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// What a fresh process reads from the file, which this process may still hold
// cached with other types: "status" and every key or "<key>.<record field>".
QMultiMap<QString, QString> typesInAnotherProcess(const QString &file)
{
    QMultiMap<QString, QString> types;
    const QStringList lines = runChild(QStringLiteral("types"), file);
    for (const QString &line : lines) {
        const int space = line.indexOf(QLatin1Char(' '));
        types.insert(line.left(space), line.mid(space + 1));
    }
    return types;
}

QStringList repeated(const QString &text, int count)
{
    return QVector<QString>(count, text).toList();
}

ino_t inodeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// The bytes of a store holding `count` sessions and one task.
QByteArray storeWithSessions(int count)
{
    QTemporaryDir other;
    const QString file = other.filePath(SettingsFileName);
    {
        ConfigurationManager store(file);
        for (int i = 0; i < count; ++i)
            store.addSession({{"1", QVariantMap{{"answer", i}}}}, QString("tester %1").arg(i), 3, 0, 0, "m");
        store.addTask(taskRecord("a", "kept task"));
    }
    return fileBytes(file);
}

} // namespace

class TestConfigurationManager : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void opensAnyFile_data();
    void opensAnyFile();
    void setLocaleStoresLanguageInForce();
    void languageSurvivesRestart();

    void sessionsNewestFirstAddedOnTop();
    void handEditedSessionRecords_data();
    void handEditedSessionRecords();
    void removeSessionBySameDateOnly();
    void changeOfWhatIsNotStoredWritesNothing_data();
    void changeOfWhatIsNotStoredWritesNothing();

    void oddTaskRecords();

    void saveReplacesFileAtomically();
    void recordTypesSurviveAnotherProcess_data();
    void recordTypesSurviveAnotherProcess();
    void killDuringSaveNeverTearsFile();
    void readOnlyFolderKeepsWorkingInMemory();

private:
    QString path() const { return m_dir->filePath(SettingsFileName); }
    std::unique_ptr<ConfigurationManager> openStore() const { return std::make_unique<ConfigurationManager>(path()); }
    QStringList backups() const { return QDir(m_dir->path()).entryList(QDir::Files).filter(BackupName); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConfigurationManager::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestConfigurationManager::opensAnyFile_data()
{
    QTest::addColumn<QByteArray>("content"); // a null array: no file
    QTest::addColumn<int>("sessions");
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QString>("locale"); // empty: the preferred one
    QTest::addColumn<bool>("damaged");

    const QByteArray good = storeWithSessions(5);
    const int listEnd = good.indexOf('\n', good.indexOf("list="));
    QVERIFY(listEnd > 0);

    QTest::newRow("no file") << QByteArray() << 0 << 0 << "" << false;
    QTest::newRow("empty file") << QByteArray("") << 0 << 0 << "" << false;
    QTest::newRow("older version") << QByteArray("[%General]\nlocale_selected=de\nversion=1.0\n") << 0 << 0 << "de"
                                   << false;
    QTest::newRow("only some keys") << QByteArray("[SCHEDULER]\ntasks=@Invalid()\n") << 0 << 0 << "" << false;
    QTest::newRow("hand-written text") << QByteArray("; operator's note\n[%General]\nlocale_selected=fr\nstray\n") << 0
                                       << 0 << "fr" << false;
    QTest::newRow("written by the store") << storeWithSessions(3) << 3 << 1 << "" << false;

    QTest::newRow("binary") << QByteArray::fromHex("7f454c460201010000003dfffe5b0a010203") << 0 << 0 << "" << true;
    QTest::newRow("line without '=', unterminated section")
        << QByteArray("[%General]\nlocale_selected=de\nthis line has no equals sign\n[SCHEDULER\ntasks=x\n") << 0 << 0
        << "de" << true;
    QTest::newRow("task list of text") << QByteArray("[SCHEDULER]\ntasks=a, b\n") << 0 << 2 << "" << true;
    QTest::newRow("unterminated section") << QByteArray("[GENERAL\n") + good << 5 << 1 << "" << true;
    QTest::newRow("session list cut short") << good.left(listEnd - 40) + "\n" << 5 << 1 << "" << true;
    QTest::newRow("record that is not a map")
        << QByteArray(good).replace("\nlist=", "\nlist=plain text, ") << 6 << 1 << "" << true;
    QTest::newRow("binary garbage in a stored file")
        << good.left(200) + QByteArray("\0\x01\xff\xfe", 4) + good.mid(200) << 5 << 0 << "" << true;
}

// A damaged file is copied aside before the first write, a clean one never;
// either way the store starts with what could be read and keeps working.
void TestConfigurationManager::opensAnyFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, sessions);
    QFETCH(int, tasks);
    QFETCH(QString, locale);
    QFETCH(bool, damaged);
    if (locale.isEmpty())
        locale = TR::Translator::instance()->preferredLocale();

    if (!content.isNull())
        writeBytes(path(), content);
    if (damaged)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[ConfigurationManager\\] The settings file is "
                                                              "damaged; copied it to .*damaged-\\d{8}-\\d{6}"));
    const auto store = openStore();
    QCOMPARE(store->sessions().size(), sessions);
    QCOMPARE(store->tasks().size(), tasks);
    QCOMPARE(store->localeSelected(), locale);
    const QByteArray bytes = fileBytes(path());
    QVERIFY(bytes.contains("[%General]\nlocale_selected=" + locale.toUtf8() + "\nversion=7.8.1.0\n"));
    QCOMPARE(bytes.count("version="), 1);

    store->addSession({{"1", QVariantMap()}}, "after", 1, 0, 0, "m");
    QCOMPARE(store->sessions().size(), sessions + 1);
    QCOMPARE(backups().size(), damaged ? 1 : 0);
    if (damaged)
        QCOMPARE(fileBytes(m_dir->filePath(backups().first())), content);
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

// Only a fresh process reads the group names back as they stand in the file.
void TestConfigurationManager::languageSurvivesRestart()
{
    writeBytes(path(), "[%General]\nlocale_selected=it\nversion=1.0\n");
    QCOMPARE(runChild("addonce", path()), QStringList({"added 1"}));
    QCOMPARE(runChild("addonce", path()), QStringList({"added 2"}));
    const QByteArray bytes = fileBytes(path());
    QVERIFY(bytes.startsWith("[%General]\nlocale_selected=it\nversion=7.8.1.0\n"));
    QCOMPARE(bytes.count("locale_selected="), 1);
}

void TestConfigurationManager::sessionsNewestFirstAddedOnTop()
{
    const QDate day(2024, 3, 5);
    writeSettings(path(), {{SessionList, QVariantList{sessionRecord("ten", QDateTime(day, QTime(10, 0))),
                                                      sessionRecord("noon", QDateTime(day, QTime(12, 0))),
                                                      sessionRecord("eleven", QDateTime(day, QTime(11, 0)))}}});
    const auto store = openStore();
    QStringList testers;
    const QVariantList records = store->sessions();
    for (const QVariant &record : records)
        testers << record.toMap().value("tester").toString();
    QCOMPARE(testers, QStringList({"noon", "eleven", "ten"}));
    QCOMPARE(store->latestSessionResults(), QVariantMap({{"1", QVariantMap{{"by", "noon"}}}}));

    const QDateTime before = QDateTime::currentDateTime();
    const QVariantMap results{{"1", QVariantMap{{"name", "Luminance"}}}};
    store->addSession(results, "Ada", 5, 2, 1, "DELL U2720Q");
    QVariantMap added = store->sessions().value(0).toMap();
    const QDateTime date = added.take("date").toDateTime();
    QVERIFY(date >= before && date <= QDateTime::currentDateTime());
    QCOMPARE(added, QVariantMap({{"tester", "Ada"},
                                 {"test_session", results},
                                 {"ntest", 5u},
                                 {"nfailedtestcontents", 2u},
                                 {"monitorselected", 1},
                                 {"monitorinfo", "DELL U2720Q"}}));
    QCOMPARE(store->latestSessionResults(), results);

    // On disk: the earlier sessions newest first, then the new one.
    QStringList stored;
    const QVariantList storedRecords = QSettings(path(), QSettings::IniFormat).value(SessionList).toList();
    for (const QVariant &record : storedRecords)
        stored << record.toMap().value("tester").toString();
    QCOMPARE(stored, QStringList({"noon", "eleven", "ten", "Ada"}));
}

void TestConfigurationManager::handEditedSessionRecords_data()
{
    QTest::addColumn<QVariantList>("stored");
    QVariantMap wrongType = sessionRecord("text results", QDateTime::currentDateTime());
    wrongType.insert("test_session", "not a map");

    QTest::newRow("newest with results of the wrong type")
        << QVariantList{sessionRecord("old", QDateTime(QDate(2020, 1, 1), QTime(8, 0))), wrongType};
    QTest::newRow("without date and results") << QVariantList{QVariantMap{{"tester", "x"}}};
    QTest::newRow("not a map") << QVariantList{QString("garbage"), QString("more")};
}

// Records that cannot be shown properly are the operator's data all the same.
void TestConfigurationManager::handEditedSessionRecords()
{
    QFETCH(QVariantList, stored);
    writeSettings(path(), {{SessionList, stored}});
    const auto store = openStore();
    QCOMPARE(store->sessions().size(), stored.size());
    QVERIFY(store->latestSessionResults().isEmpty());

    store->addSession({}, "new", 1, 0, 0, "m");
    const QVariantList records = store->sessions();
    QCOMPARE(records.size(), stored.size() + 1);
    QCOMPARE(records.first().toMap().value("tester"), QVariant("new"));
    for (const QVariant &record : qAsConst(stored))
        QVERIFY(records.contains(record));
}

void TestConfigurationManager::removeSessionBySameDateOnly()
{
    const QDate day(2024, 3, 5);
    const QVariantMap first = sessionRecord("Ada", QDateTime(day, QTime(10, 0)));
    const QVariantMap second = sessionRecord("Ada", QDateTime(day, QTime(11, 0)));
    const QVariantMap third = sessionRecord("Bob", QDateTime(day, QTime(12, 0)));
    writeSettings(path(), {{SessionList, QVariantList{first, second, third}}});
    const auto store = openStore();

    store->removeSession({{"date", second.value("date")}, {"tester", "someone else"}});
    QCOMPARE(store->sessions(), QVariantList({third, first}));
}

void TestConfigurationManager::changeOfWhatIsNotStoredWritesNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariantMap>("argument");
    const QDateTime otherMinute(QDate(2024, 3, 5), QTime(10, 1));
    QTest::newRow("remove session of another minute") << "removeSession" << sessionRecord("Ada", otherMinute);
    QTest::newRow("remove session without date") << "removeSession" << QVariantMap();
    QTest::newRow("update unknown task") << "updateTask" << QVariantMap{{"id", "zz"}, {"description", "x"}};
    QTest::newRow("update task without id") << "updateTask" << QVariantMap{{"description", "x"}};
    QTest::newRow("remove unknown task") << "removeTask" << QVariantMap{{"id", "zz"}};
    QTest::newRow("remove task with empty id") << "removeTask" << QVariantMap{{"id", ""}};
}

void TestConfigurationManager::changeOfWhatIsNotStoredWritesNothing()
{
    QFETCH(QString, operation);
    QFETCH(QVariantMap, argument);
    QVariantMap withoutId = taskRecord("", "no id");
    withoutId.remove("id");
    writeSettings(path(),
                  {{SessionList, QVariantList{sessionRecord("Ada", QDateTime(QDate(2024, 3, 5), QTime(10, 0)))}},
                   {"SCHEDULER/tasks", QVariantList{taskRecord("a", "first"), withoutId}}});
    const auto store = openStore();
    const QVariantList sessions = store->sessions();
    const QVariantList tasks = store->tasks();
    const ino_t inode = inodeOf(path());

    if (operation == "removeSession") {
        store->removeSession(argument);
    } else if (operation == "removeTask") {
        store->removeTask(argument.value("id").toString());
    } else {
        if (argument.value("id").toString().isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("without an id"));
        store->updateTask(argument);
    }
    QCOMPARE(store->sessions(), sessions);
    QCOMPARE(store->tasks(), tasks);
    QCOMPARE(inodeOf(path()), inode);
}

// The queue judges frequencies and dates; the store keeps whatever it is
// given. Changes act on the first record with the id, never on one without.
void TestConfigurationManager::oddTaskRecords()
{
    QVariantMap withoutId = taskRecord("", "no id");
    withoutId.remove("id");
    QVariantMap odd = taskRecord("odd", "negative frequency, invalid date");
    odd.insert("frequency", QVariant(qint64(-86400000)));
    odd.insert("date", QDateTime());
    QVariantMap huge = taskRecord("huge", "huge frequency");
    huge.insert("frequency", QVariant(std::numeric_limits<quint64>::max()));
    const QVariantMap first = taskRecord("dup", "first");
    const QVariantMap second = taskRecord("dup", "second");
    const auto store = openStore();
    for (const QVariantMap &task : {withoutId, first, odd, huge, second})
        store->addTask(task);

    const QDateTime performed(QDate(2024, 4, 1), QTime(8, 30));
    store->updateTask({{"id", "dup"}, {"lastperformed", performed}});
    QVariantMap updated = first;
    updated.insert("lastperformed", performed);
    QCOMPARE(store->tasks(), QVariantList({withoutId, updated, odd, huge, second}));
    store->removeTask("dup");
    QCOMPARE(store->tasks(), QVariantList({withoutId, odd, huge, second}));
    store->removeTask("dup");
    QCOMPARE(store->tasks(), QVariantList({withoutId, odd, huge}));
}

void TestConfigurationManager::saveReplacesFileAtomically()
{
    QVERIFY(QSettings(path(), QSettings::IniFormat).isAtomicSyncRequired());
    const auto store = openStore();
    const ino_t first = inodeOf(path());
    QVERIFY(first != 0);
    store->addSession({}, "Ada", 1, 0, 0, "m");
    const ino_t second = inodeOf(path());
    QVERIFY(second != 0 && second != first);
    store->addTask(taskRecord("a", "task"));
    QVERIFY(inodeOf(path()) != second);
    // The lock file lives only while a save runs; no temporary file is left.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({SettingsFileName}));
}

void TestConfigurationManager::recordTypesSurviveAnotherProcess_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("list");
    // No record is written as "@Invalid()", one as a serialised list, several
    // as a comma list; numbers outside the records would read back as text.
    QTest::newRow("no record") << 0 << "invalid";
    QTest::newRow("one record each") << 1 << "QVariantList QVariantMap";
    QTest::newRow("three records each") << 3 << "QVariantList QVariantMap QVariantMap QVariantMap";
}

void TestConfigurationManager::recordTypesSurviveAnotherProcess()
{
    QFETCH(int, count);
    QFETCH(QString, list);
    {
        const auto store = openStore();
        for (int i = 0; i < qMax(count, 1); ++i) {
            store->addSession({{"1", QVariantMap{{"a", 1}}}}, "Ada", 4, 1, 2, "monitor");
            store->addTask(taskRecord(QString::number(i), "task"));
        }
        if (count == 0) {
            store->removeSession(store->sessions().first().toMap());
            store->removeTask("0");
        }
    }

    const auto types = typesInAnotherProcess(path());
    QCOMPARE(types.value("status"), QStringLiteral("0"));
    QCOMPARE(types.value(SessionList), list);
    QCOMPARE(types.value("SCHEDULER/tasks"), list);
    const QMap<QString, QString> expected{{"TEST_SESSIONS/list.date", "QDateTime"},
                                          {"TEST_SESSIONS/list.test_session", "QVariantMap"},
                                          {"TEST_SESSIONS/list.ntest", "uint"},
                                          {"TEST_SESSIONS/list.nfailedtestcontents", "uint"},
                                          {"TEST_SESSIONS/list.monitorselected", "int"},
                                          {"SCHEDULER/tasks.date", "QDateTime"},
                                          {"SCHEDULER/tasks.frequency", "qulonglong"},
                                          {"SCHEDULER/tasks.scheduledtestslist", "QVariantList uint uint"}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(types.values(it.key()), repeated(it.value(), count));
}

// A child process adds sessions in a loop and is killed at random moments.
// Whatever the moment, the file must parse and hold every session whose add
// had returned. QSettings waits for its lock without limit, so the next
// process must also see the lock of the killed one as stale.
void TestConfigurationManager::killDuringSaveNeverTearsFile()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    QRandomGenerator random(seed);

    int confirmed = 0;
    for (int round = 0; round < 30; ++round) {
        QProcess child;
        child.start(QStringLiteral(LUMIVEX_BIN_DIR "/storage_settingschild"), {"add", path()});
        QVERIFY(child.waitForStarted());
        const QByteArray pid = QByteArray::number(child.processId());

        auto readConfirmed = [&] { confirmed = child.readLine().trimmed().mid(6).toInt(); };
        for (int reports = random.bounded(1, 4); reports > 0; --reports) {
            while (!child.canReadLine())
                QVERIFY2(child.waitForReadyRead(60000), "the child stopped reporting");
            readConfirmed();
        }
        // Not a wait for anything: it scatters the kill over the next saves.
        QThread::usleep(random.bounded(30000));
        child.kill();
        QVERIFY(child.waitForFinished());
        while (child.canReadLine())
            readConfirmed();
        writeBytes(path() + ".lock", pid + "\nstorage_settingschild\n\n");

        const auto types = typesInAnotherProcess(path());
        QCOMPARE(types.value("status"), QStringLiteral("0"));
        const int stored = types.value(SessionList).count(QLatin1Char(' '));
        QVERIFY2(stored == confirmed || stored == confirmed + 1,
                 qPrintable(QString("round %1: %2 stored, %3 confirmed").arg(round).arg(stored).arg(confirmed)));
        QCOMPARE(types.values(SessionList + ".test_session"), repeated("QVariantMap", stored));
        confirmed = stored;
    }
}

void TestConfigurationManager::readOnlyFolderKeepsWorkingInMemory()
{
    writeBytes(path(), storeWithSessions(2));
    const QByteArray before = fileBytes(path());
    QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));

    QString errors;
    const QStringList lines = runChild("addasuser", path(), &errors);
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(lines, QStringList({"added 3"}));
    QVERIFY2(errors.contains("[ConfigurationManager] Unable to save the settings file"), qPrintable(errors));
    QCOMPARE(fileBytes(path()), before);
}

QTEST_GUILESS_MAIN(TestConfigurationManager)
#include "tst_configurationmanager.moc"
