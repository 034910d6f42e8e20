#include "configurationmanager.h"
#include "storetestutils.h"
#include "testconfig.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>

#include <memory>

using namespace StoreTestUtils;

namespace {

struct ChildResult
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

ChildResult runChild(const QStringList &arguments)
{
    QProcess child;
    child.start(QStringLiteral(LUMIVEX_BIN_DIR "/storage_settingschild"), arguments);
    ChildResult result;
    if (!child.waitForFinished(120000))
        return result;
    result.exitCode = child.exitCode();
    result.lines = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(child.readAllStandardError());
    return result;
}

// "<key> <types>" lines of the helper, as a map from key to types.
QMultiMap<QString, QString> typesByKey(const QStringList &lines)
{
    QMultiMap<QString, QString> types;
    for (const QString &line : lines) {
        const int space = line.indexOf(QLatin1Char(' '));
        types.insert(line.left(space), line.mid(space + 1));
    }
    return types;
}

ino_t inodeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

const QRegularExpression BackupName(QStringLiteral("^Lumivex 2016\\.ini\\.damaged-\\d{8}-\\d{6}$"));

} // namespace

class TestSettingsReliability : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void saveReplacesFileAtomically();
    void iniTypesSeenByAnotherProcess();
    void recordTypesSurviveAnotherProcess_data();
    void recordTypesSurviveAnotherProcess();
    void malformedFileParsesLeniently();
    void languageSurvivesRestart();

    void damagedFileIsCopiedBeforeFirstWrite_data();
    void damagedFileIsCopiedBeforeFirstWrite();
    void cleanFileIsNeverCopied_data();
    void cleanFileIsNeverCopied();

    void killDuringSaveNeverTearsFile();
    void lockLeftByDeadProcessDoesNotBlock();
    void readOnlyFolderKeepsWorkingInMemory();

private:
    QString path() const { return m_dir->filePath(settingsFileName()); }
    QStringList backups() const { return QDir(m_dir->path()).entryList(QDir::Files).filter(BackupName); }
    QByteArray storeWithSessions(int count);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsReliability::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// The bytes of a store holding `count` sessions, written in a folder of its own.
QByteArray TestSettingsReliability::storeWithSessions(int count)
{
    QTemporaryDir other;
    const QString file = other.filePath(settingsFileName());
    {
        ConfigurationManager store(file);
        for (int i = 0; i < count; ++i)
            store.addSession({{"1", QVariantMap{{"answer", i}}}}, QString("tester %1").arg(i), 3, 0, 0, "m");
        store.addTask(taskRecord("a", "kept task"));
    }
    return fileBytes(file);
}

void TestSettingsReliability::saveReplacesFileAtomically()
{
    QVERIFY(QSettings(path(), QSettings::IniFormat).isAtomicSyncRequired());
    ConfigurationManager store(path());
    const ino_t first = inodeOf(path());
    QVERIFY(first != 0);
    store.addSession({}, "Ada", 1, 0, 0, "m");
    const ino_t second = inodeOf(path());
    QVERIFY(second != 0 && second != first);
    store.addTask(taskRecord("a", "task"));
    QVERIFY(inodeOf(path()) != second);
    // The lock file lives only while a save runs; no temporary file is left.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({settingsFileName()}));
}

void TestSettingsReliability::iniTypesSeenByAnotherProcess()
{
    writeSettings(path(), {{"lists/empty", QVariantList()},
                           {"lists/onetext", QStringList({"a"})},
                           {"lists/onerecord", QVariantList{QVariantMap{{"a", 1}}}},
                           {"lists/two", QVariantList{"a", "b"}},
                           {"values/number", 42},
                           {"values/flag", true}});
    // This process still holds the values it wrote, with their own types.
    QSettings cached(path(), QSettings::IniFormat);
    QCOMPARE(cached.value("values/number").type(), QVariant::Int);
    QCOMPARE(cached.value("values/flag").type(), QVariant::Bool);
    QVERIFY(fileBytes(path()).contains("empty=@Invalid()"));
    QVERIFY(fileBytes(path()).contains("two=a, b"));

    const ChildResult child = runChild({"types", path()});
    QCOMPARE(child.exitCode, 0);
    const auto types = typesByKey(child.lines);
    QCOMPARE(types.value("status"), QStringLiteral("0"));
    QCOMPARE(types.value("lists/empty"), QStringLiteral("invalid"));
    QCOMPARE(types.value("lists/onetext"), QStringLiteral("QString"));
    QCOMPARE(types.value("lists/onerecord"), QStringLiteral("QVariantList QVariantMap"));
    QCOMPARE(types.value("lists/two"), QStringLiteral("QStringList"));
    QCOMPARE(types.value("values/number"), QStringLiteral("QString"));
    QCOMPARE(types.value("values/flag"), QStringLiteral("QString"));
}

void TestSettingsReliability::recordTypesSurviveAnotherProcess_data()
{
    QTest::addColumn<int>("count");
    // One record is written as a serialised list, several as a comma list.
    QTest::newRow("one record each") << 1;
    QTest::newRow("three records each") << 3;
}

void TestSettingsReliability::recordTypesSurviveAnotherProcess()
{
    QFETCH(int, count);
    {
        ConfigurationManager store(path());
        for (int i = 0; i < count; ++i) {
            store.addSession({{"1", QVariantMap{{"a", 1}}}}, "Ada", 4, 1, 2, "monitor");
            QVariantMap task = taskRecord(QString::number(i), "task");
            task.insert("lastperformed", QDateTime::currentDateTime());
            store.addTask(task);
        }
    }

    const ChildResult child = runChild({"records", path()});
    QCOMPARE(child.exitCode, 0);
    const auto types = typesByKey(child.lines);
    QCOMPARE(types.value("status"), QStringLiteral("0"));
    QCOMPARE(types.value("sessions"), QString::number(count));
    QCOMPARE(types.value("tasks"), QString::number(count));
    const QMap<QString, QString> expected{{"sessions.tester", "QString"},
                                          {"sessions.date", "QDateTime"},
                                          {"sessions.test_session", "QVariantMap"},
                                          {"sessions.ntest", "uint"},
                                          {"sessions.nfailedtestcontents", "uint"},
                                          {"sessions.monitorselected", "int"},
                                          {"sessions.monitorinfo", "QString"},
                                          {"tasks.id", "QString"},
                                          {"tasks.description", "QString"},
                                          {"tasks.date", "QDateTime"},
                                          {"tasks.frequency", "qulonglong"},
                                          {"tasks.lastperformed", "QDateTime"},
                                          {"tasks.scheduledtestslist", "QVariantList uint uint"}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(types.values(it.key()), QStringList(QVector<QString>(count, it.value()).toList()));
}

void TestSettingsReliability::malformedFileParsesLeniently()
{
    writeBytes(path(), "[%General]\nlocale_selected=de\nthis line has no equals sign\n[SCHEDULER\ntasks=x\n");
    QCOMPARE(QSettings(path(), QSettings::IniFormat).status(), QSettings::FormatError);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("damaged"));
    ConfigurationManager store(path());
    QCOMPARE(store.localeSelected(), QStringLiteral("de"));
    const QByteArray rewritten = fileBytes(path());
    QVERIFY(!rewritten.contains("this line has no equals sign"));
    QVERIFY(rewritten.contains("locale_selected=de"));
}

void TestSettingsReliability::languageSurvivesRestart()
{
    writeBytes(path(), "[%General]\nlocale_selected=it\nversion=1.0\n");
    QCOMPARE(runChild({"addonce", path()}).exitCode, 0);
    QCOMPARE(runChild({"addonce", path()}).exitCode, 0);
    const QByteArray bytes = fileBytes(path());
    QVERIFY(bytes.startsWith("[%General]\nlocale_selected=it\nversion=7.8.1.0\n"));
    QCOMPARE(bytes.count("locale_selected="), 1);
}

void TestSettingsReliability::damagedFileIsCopiedBeforeFirstWrite_data()
{
    QTest::addColumn<QByteArray>("damaged");
    QTest::addColumn<int>("readableSessions");

    const QByteArray good = storeWithSessions(5);
    QVERIFY(good.contains("[TEST_SESSIONS]\nlist="));
    const int listEnd = good.indexOf('\n', good.indexOf("list="));

    QTest::newRow("unterminated section") << QByteArray("[GENERAL\n") + good << 5;
    QTest::newRow("session list cut short") << good.left(listEnd - 40) + "\n" << 4;
    QTest::newRow("record that is not a map") << QByteArray(good).replace("\nlist=", "\nlist=plain text, ") << 5;
    QTest::newRow("binary garbage") << good.left(200) + QByteArray("\0\x01\xff\xfe", 4) + good.mid(200) << 0;
}

void TestSettingsReliability::damagedFileIsCopiedBeforeFirstWrite()
{
    QFETCH(QByteArray, damaged);
    QFETCH(int, readableSessions);
    writeBytes(path(), damaged);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[ConfigurationManager\\] The settings file is damaged; "
                                                          "copied it to .*damaged-\\d{8}-\\d{6}"));
    ConfigurationManager store(path());
    QCOMPARE(backups().size(), 1);
    QCOMPARE(fileBytes(m_dir->filePath(backups().first())), damaged);
    QVERIFY(store.sessions().size() >= readableSessions);

    store.addSession({}, "after the damage", 1, 0, 0, "m");
    QCOMPARE(backups().size(), 1);
    QCOMPARE(fileBytes(m_dir->filePath(backups().first())), damaged);
}

void TestSettingsReliability::cleanFileIsNeverCopied_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("written by the store") << storeWithSessions(3);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("some keys only") << QByteArray("[SCHEDULER]\ntasks=@Invalid()\n");
    QTest::newRow("hand-written text") << QByteArray("; operator's note\n[%General]\nlocale_selected=fr\n");
    QTest::newRow("stray line without a value") << QByteArray("[%General]\nlocale_selected=fr\nstray\n");
}

void TestSettingsReliability::cleanFileIsNeverCopied()
{
    QFETCH(QByteArray, content);
    writeBytes(path(), content);
    {
        ConfigurationManager store(path());
        store.addSession({}, "Ada", 1, 0, 0, "m");
    }
    ConfigurationManager reopened(path());
    QVERIFY(backups().isEmpty());
}

// A child process adds sessions in a loop and is killed at random moments.
// Whatever the moment, the file must parse and hold every session whose add
// had returned; the next process must also get past the killed one's lock.
void TestSettingsReliability::killDuringSaveNeverTearsFile()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    QRandomGenerator random(seed);

    int confirmed = 0;
    int unconfirmedLanded = 0;
    const int rounds = 30;
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        child.start(QStringLiteral(LUMIVEX_BIN_DIR "/storage_settingschild"), {"add", path()});
        QVERIFY(child.waitForStarted());

        const int addsBeforeKill = random.bounded(1, 4);
        int reported = 0;
        auto readReports = [&] {
            while (child.canReadLine()) {
                const QByteArray line = child.readLine().trimmed();
                QVERIFY2(line.startsWith("added "), line.constData());
                confirmed = line.mid(6).toInt();
                ++reported;
            }
        };
        while (reported < addsBeforeKill) {
            QVERIFY2(child.waitForReadyRead(60000), "the child stopped reporting");
            readReports();
        }
        // Not a wait for anything: it scatters the kill over the next saves.
        QThread::usleep(random.bounded(30000));
        child.kill();
        QVERIFY(child.waitForFinished());
        readReports();

        const ChildResult check = runChild({"records", path()});
        QCOMPARE(check.exitCode, 0);
        const auto values = typesByKey(check.lines);
        QCOMPARE(values.value("status"), QStringLiteral("0"));
        const int stored = values.value("sessions").toInt();
        QVERIFY2(stored == confirmed || stored == confirmed + 1,
                 qPrintable(QString("round %1: %2 stored, %3 confirmed").arg(round).arg(stored).arg(confirmed)));
        QCOMPARE(values.values("sessions.test_session"), QStringList(QVector<QString>(stored, "QVariantMap").toList()));
        unconfirmedLanded += stored - confirmed;
        confirmed = stored;
    }
    qInfo("%d rounds, %d sessions stored, %d saves landed after their last report", rounds, confirmed,
          unconfirmedLanded);
}

// QSettings waits without limit for its lock, so a lock left behind by a
// killed process must be recognised as stale or the program would hang.
void TestSettingsReliability::lockLeftByDeadProcessDoesNotBlock()
{
    pid_t deadPid = 0;
    {
        QProcess finished;
        finished.start(QStringLiteral(LUMIVEX_BIN_DIR "/storage_settingschild"), {"types", path()});
        QVERIFY(finished.waitForStarted());
        deadPid = pid_t(finished.processId());
        QVERIFY(finished.waitForFinished());
    }
    QVERIFY(::kill(deadPid, 0) == -1 && errno == ESRCH);
    writeBytes(path() + ".lock", QByteArray::number(deadPid) + "\nstorage_settingschild\n\n");

    ConfigurationManager store(path());
    const ino_t before = inodeOf(path());
    store.addSession({}, "after a crash", 1, 0, 0, "m");
    QVERIFY(inodeOf(path()) != before);
    QVERIFY(!QFile::exists(path() + ".lock"));
    QCOMPARE(store.sessions().size(), 1);
}

void TestSettingsReliability::readOnlyFolderKeepsWorkingInMemory()
{
    writeBytes(path(), storeWithSessions(2));
    const QByteArray before = fileBytes(path());
    QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));

    const ChildResult child = runChild({"addasuser", path()});
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(child.exitCode, 0);
    QCOMPARE(child.lines, QStringList({"sessions 3"}));
    QVERIFY2(child.errors.contains("[ConfigurationManager] Unable to save the settings file"),
             qPrintable(child.errors));
    QCOMPARE(fileBytes(path()), before);
}

QTEST_GUILESS_MAIN(TestSettingsReliability)
#include "tst_settingsreliability.moc"
