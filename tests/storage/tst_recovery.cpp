#include "configurationmanager.h"
#include "sessiondatabase.h"
#include "support/sqlitefile.h"
#include "support/storefiles.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QtTest>

static const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
const int SeededSessions = 40;

// Sessions whose notes do not compress away, so that they fill many pages.
static QVariantMap seededSession(int number)
{
    QByteArray note(1500, Qt::Uninitialized);
    QRandomGenerator(number).fillRange(reinterpret_cast<quint32 *>(note.data()), note.size() / 4);
    return {{"tester", QString::number(number)},
            {"date", QDateTime(QDate(2024, 3, 5), QTime(8, number))},
            {"ntest", 4u},
            {"nfailedtestcontents", 0u},
            {"monitorselected", 1},
            {"monitorinfo", "Test monitor"},
            {"test_session", QVariantMap{{"6", QString::fromLatin1(note.toHex())}}}};
}

static QVariantMap seededTask(int number)
{
    return {{"id", QString::number(number)}, {"description", "Daily"}, {"scheduledtestslist", QVariantList{6u}}};
}

class TestRecovery : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString settings() const { return m_dir->filePath(SettingsFileName); }
    QString database() const { return m_dir->filePath(SessionDatabase::defaultFileName()); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        ConfigurationManager store(settings());
        for (int number = 0; number < SeededSessions; ++number)
            QVERIFY(store.addSessionRecord(seededSession(number)));
        QVERIFY(store.addTask(seededTask(1)) && store.addTask(seededTask(2)));
    }

    void damagedFile_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("anyRecovered");
        QTest::newRow("cut in half") << "cut" << true;
        QTest::newRow("header followed by garbage") << "garbage" << false;
        QTest::newRow("one page overwritten") << "page" << true;
        QTest::newRow("not a database at all") << "foreign" << false;
    }

    // The damaged file is kept aside as it was, once; every session and task
    // that can be read is in the fresh database as stored, and the next
    // session is stored.
    void damagedFile()
    {
        QFETCH(QString, damage);
        QFETCH(bool, anyRecovered);
        QByteArray bytes = fileBytes(database());
        QVERIFY(bytes.size() > 16 * 4096);
        if (damage == "cut") {
            bytes.truncate(bytes.size() / 2);
        } else if (damage == "garbage") {
            QByteArray garbage(bytes.size() - 100, Qt::Uninitialized);
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
            bytes = bytes.left(100) + garbage;
        } else if (damage == "page") {
            const int page = bytes.size() / 4096 / 2;
            bytes.replace(page * 4096, 4096, QByteArray(4096, '\xff'));
        } else {
            bytes = "GIF89a, not SQLite";
        }
        writeBytes(database(), bytes);
        {
            ConfigurationManager store(settings());
            const ConfigurationManager::StartReport &start = store.startReport();
            QVERIFY2(start.unavailable.isEmpty(), qPrintable(start.unavailable));
            QCOMPARE(fileBytes(start.damagedCopy), bytes);
            const QVariantList sessions = store.sessions();
            qInfo().noquote() << damage << ": recovered" << start.recoveredSessions << "sessions,"
                              << start.recoveredTasks << "tasks, skipped" << start.unrecoveredRows << "rows";
            QCOMPARE(sessions.size(), start.recoveredSessions);
            QCOMPARE(store.tasks().size(), start.recoveredTasks);
            QCOMPARE(start.recoveredSessions > 0, anyRecovered);
            QVERIFY(start.recoveredSessions + start.unrecoveredRows <= SeededSessions + 2 + 1);
            for (const QVariant &summary : sessions) {
                const QVariantMap record = store.sessionRecord(summary.toMap());
                QCOMPARE(record, seededSession(record.value("tester").toInt()));
            }
            for (const QVariant &task : store.tasks())
                QCOMPARE(task.toMap(), seededTask(task.toMap().value("id").toInt()));
            QVERIFY(store.addSessionRecord(seededSession(SeededSessions)));
            QCOMPARE(store.sessions().size(), start.recoveredSessions + 1);
        }
        ConfigurationManager again(settings());
        QVERIFY(again.startReport().damagedCopy.isEmpty());
        QCOMPARE(again.sessions().first().toMap().value("tester"), QString::number(SeededSessions));
        QCOMPARE(QDir(m_dir->path()).entryList({"*.damaged-*"}).size(), 1);
        QCOMPARE(runOnDatabase(database(), {"PRAGMA integrity_check"}), QStringList{"ok"});
    }

    // Another program holds the database: that is no damage, nothing is
    // copied or replaced. The session that cannot be saved meanwhile is kept
    // beside the database and stored at the next start.
    void lockedIsNotDamaged()
    {
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase("QSQLITE", "locker");
            locker.setDatabaseName(database());
            QVERIFY(locker.open());
            QSqlQuery hold(locker);
            QVERIFY(hold.exec("BEGIN EXCLUSIVE"));
            {
                ConfigurationManager store(settings());
                QVERIFY(store.startReport().damagedCopy.isEmpty());
                QVERIFY(!store.addSessionRecord(seededSession(SeededSessions)));
                QCOMPARE(store.unsavedSessions(), QVariantList{seededSession(SeededSessions)});
                QVERIFY(QFileInfo::exists(store.unsavedFileName()));
            }
            QVERIFY(hold.exec("ROLLBACK"));
        }
        QSqlDatabase::removeDatabase("locker");
        QCOMPARE(QDir(m_dir->path()).entryList({"*.damaged-*"}).size(), 0);
        ConfigurationManager store(settings());
        QCOMPARE(store.sessions().size(), SeededSessions + 1);
        QVERIFY(store.unsavedSessions().isEmpty());
        QVERIFY(!QFileInfo::exists(store.unsavedFileName()));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
