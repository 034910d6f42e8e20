#include "configurationmanager.h"
#include "sessiondatabase.h"
#include "storedrecord.h"
#include "support/patience.h"
#include "support/storefiles.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

static const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
static const QString SessionList = QStringLiteral("TEST_SESSIONS/list");

// Three sessions as an earlier version kept them, with results that do not
// compress away, as measured values and notes do not. The oldest versions
// kept no description of the monitor: the last session has none.
static QVariantList oldSessions()
{
    QVariantList sessions;
    QRandomGenerator numbers(34);
    for (int hour = 9; hour < 12; ++hour) {
        QByteArray note(600, Qt::Uninitialized);
        numbers.fillRange(reinterpret_cast<quint32 *>(note.data()), note.size() / 4);
        QVariantMap session{{"tester", QString::number(hour)},
                            {"date", QDateTime(QDate(2016, 3, 5), QTime(hour, 7))},
                            {"ntest", 4u},
                            {"nfailedtestcontents", 0u},
                            {"monitorselected", 1},
                            {"monitorinfo", "Test monitor"},
                            {"test_session", QVariantMap{{"6", QString::fromLatin1(note.toHex())}}}};
        if (hour == 11)
            session.remove("monitorinfo");
        sessions << session;
    }
    return sessions;
}

static void writeOldSettings(const QString &path)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(SessionList, oldSessions());
    settings.setValue("General/locale_selected", "it");
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

// Started as "tst_legacyimport start FOLDER BYTES", this program is a first
// start whose files may not grow past BYTES: the kernel refuses the rest.
// It prints what the store told the operator.
static int startLimited(const QString &folder, rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return 3;
    {
        ConfigurationManager store(folder + '/' + SettingsFileName);
        QTextStream(stdout) << "import failed: " << store.startReport().importFailed << Qt::endl;
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return 0;
}

class TestLegacyImport : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mount;

    // Every old session is either in the database, equal to what was written,
    // or still in the old file, which is then unchanged to the byte.
    void verifyNothingLost(const QString &settings, const QByteArray &before)
    {
        const QByteArray after = fileBytes(settings);
        if (after == before)
            return;
        QVERIFY2(!after.contains("list="), "the settings file was changed but still holds sessions");
        SessionDatabase database(QFileInfo(settings).dir().filePath(SessionDatabase::defaultFileName()),
                                 SessionDatabase::ReadOnly);
        QVERIFY(database.open());
        QVariantList stored;
        for (const QVariant &summary : database.sessionSummaries())
            stored << database.sessionRecord(summary.toMap().value("id").toLongLong());
        for (const QVariant &session : oldSessions())
            QVERIFY(stored.contains(session));
    }

    // A later start with room enough finishes the import.
    void verifyImportedLater(const QString &settings)
    {
        ConfigurationManager store(settings);
        QVERIFY2(store.startReport().importFailed.isEmpty(), qPrintable(store.startReport().importFailed));
        QCOMPARE(store.sessions().size(), 3);
        for (const QVariant &summary : store.sessions())
            QVERIFY(oldSessions().contains(store.sessionRecord(summary.toMap())));
        QVERIFY(!fileBytes(settings).contains("list="));
        QCOMPARE(store.localeSelected(), "it");
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        if (!m_mount.isEmpty())
            ::umount2(QFile::encodeName(m_mount).constData(), MNT_DETACH);
        m_mount.clear();
    }

    void nearlyFullDisk_data()
    {
        QTest::addColumn<qint64>("free");
        QTest::addColumn<bool>("fileSizeLimit");
        QTest::newRow("200 KB free on a small disk") << qint64(200 * 1024) << false;
        QTest::newRow("300 KB free on a small disk") << qint64(300 * 1024) << false;
        QTest::newRow("files limited to 200 KB") << qint64(200 * 1024) << true;
        QTest::newRow("files limited to 300 KB") << qint64(300 * 1024) << true;
        // The verified copy of the old file cannot be made.
        QTest::newRow("files limited to 16 KB, less than the old file") << qint64(16 * 1024) << true;
    }

    // The first start on a nearly full disk loses nothing, says so when it
    // could not import, and a later start with room imports everything.
    void nearlyFullDisk()
    {
        QFETCH(qint64, free);
        QFETCH(bool, fileSizeLimit);
        const QString folder = m_dir->filePath("disk");
        QVERIFY(QDir().mkpath(folder));
        const QString settings = folder + '/' + SettingsFileName;
        if (!fileSizeLimit) {
            if (geteuid() != 0 || ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=1m") != 0)
                QSKIP("a small tmpfs needs root (CI runs as root); the rows with a file size limit run instead");
            m_mount = folder;
        }
        writeOldSettings(settings);
        const QByteArray before = fileBytes(settings);
        QString told;
        if (fileSizeLimit) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"start", folder, QString::number(free)});
            QVERIFY(child.waitForFinished(2 * Patience));
            QCOMPARE(child.exitCode(), 0);
            told = QString::fromUtf8(child.readAllStandardOutput()).section("import failed: ", 1).trimmed();
        } else {
            QFile filler(folder + "/filler");
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (QStorageInfo(folder).bytesAvailable() > free + 4096 && filler.write(QByteArray(4096, 'x')) == 4096)
                QVERIFY(filler.flush());
            filler.close();
            ConfigurationManager store(settings);
            told = store.startReport().importFailed;
            // QSettings wrote on its own at the next event-loop turn: the
            // file must stay as it is however long the program runs.
            QCoreApplication::processEvents();
            QVERIFY(store.setLocaleSelected("de") || !told.isEmpty());
            QCoreApplication::processEvents();
        }
        qInfo().noquote() << "import at" << free / 1024 << "KB:" << (told.isEmpty() ? "done" : "skipped: " + told);
        // On the small disk with 200 KB free the import does not even start: too little room.
        QVERIFY2(fileSizeLimit || free > 200 * 1024 || told.contains("bytes are free"), qPrintable(told));
        // A full disk is no damage: the database is not set aside.
        QCOMPARE(QDir(folder).entryList({"*.damaged-*"}).size(), 0);
        QCOMPARE(told.isEmpty(), fileBytes(settings) != before);
        verifyNothingLost(settings, before);
        QVERIFY(!QFileInfo::exists(folder + "/filler") || QFile::remove(folder + "/filler"));
        if (fileBytes(settings).contains("list="))
            verifyImportedLater(settings);
    }

    // Another program holds the database at the first start: the old file
    // is left whole, the operator is told, and the next start imports.
    void lockedDatabase()
    {
        const QString settings = m_dir->filePath(SettingsFileName);
        writeOldSettings(settings);
        const QByteArray before = fileBytes(settings);
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase("QSQLITE", "locker");
            locker.setDatabaseName(m_dir->filePath(SessionDatabase::defaultFileName()));
            QVERIFY(locker.open());
            QSqlQuery hold(locker);
            QVERIFY(hold.exec("BEGIN EXCLUSIVE") && hold.exec("CREATE TABLE held (x)"));
            {
                ConfigurationManager store(settings);
                QVERIFY(!store.startReport().importFailed.isEmpty());
                QCOMPARE(store.localeSelected(), "it");
                QSignalSpy failures(&store, &ConfigurationManager::writeFailed);
                QVERIFY(!store.setLocaleSelected("de"));
                QCOMPARE(failures.count(), 1);
                QCoreApplication::processEvents();
            }
            QCoreApplication::processEvents();
            QCOMPARE(fileBytes(settings), before);
            QVERIFY(hold.exec("ROLLBACK"));
        }
        QSqlDatabase::removeDatabase("locker");
        verifyImportedLater(settings);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "start")
        return startLimited(argv[2], QByteArray(argv[3]).toULongLong());
    TestLegacyImport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_legacyimport.moc"
