#include "configurationmanager.h"
#include "displayrecord.h"
#include "pagedtablemodel.h"
#include "printabletext.h"
#include "savedsessionsitemdelegate.h"
#include "savedsessionsmodel.h"
#include "sessiondatabase.h"
#include "support/patience.h"
#include "support/shippedlanguages.h"
#include "support/sqlitefile.h"
#include "support/storefiles.h"
#include "testconfig.h"
#include "translator.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

static const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
static const QString SessionList = QStringLiteral("TEST_SESSIONS/list");
static const int SeededSessions = 40;

// Readable and writable by its owner, by nobody else.
static bool isPrivate(const QString &path)
{
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    return (QFile::permissions(path) & (others | QFile::ReadOwner | QFile::WriteOwner)) ==
           (QFile::ReadOwner | QFile::WriteOwner);
}

static QVariantMap sessionRecord(const QString &tester, int hour, uint failed = 0)
{
    const QVariant date = hour < 0 ? QVariant() : QDateTime(QDate(2024, 3, 5), QTime(hour, 7));
    const QVariantMap results{{"6", QVariantMap{{"note", "a \"note\"\n"}, {"values", QVariantList{1, 2.5, true}}}}};
    return {{"tester", tester},
            {"date", date},
            {"ntest", 4u},
            {"nfailedtestcontents", failed},
            {"monitorselected", 1},
            {"monitorinfo", "Test monitor"},
            {"test_session", results}};
}

// A session whose results do not compress away, as measured values and notes do not: `bytes` random bytes.
static QVariantMap bulkySession(int number, int bytes)
{
    QByteArray note(bytes, Qt::Uninitialized);
    QRandomGenerator(number).fillRange(reinterpret_cast<quint32 *>(note.data()), bytes / 4);
    QVariantMap record = sessionRecord(QString::number(number), 8);
    record.insert("date", QDateTime(QDate(2024, 3, 5), QTime(8, number)));
    record.insert("test_session", QVariantMap{{"6", QString::fromLatin1(note.toHex())}});
    return record;
}

// Three sessions as an earlier version kept them. The oldest versions kept no
// description of the monitor: the last session has none.
static QVariantList oldSessions()
{
    QVariantMap oldest = bulkySession(11, 600);
    oldest.remove("monitorinfo");
    return {bulkySession(9, 600), bulkySession(10, 600), oldest};
}

static QVariantMap display(const QString &maker, const QString &model, const QString &serial)
{
    return {{"maker", maker}, {"model", model}, {"serial", serial}};
}

static const QVariantMap DisplayA = display("MAKER", "MD27", "A-1");
static const QVariantMap DisplayB = display("MAKER", "MD27", "B-2");

// A session record; one of no display has no "display" at all, as those
// stored before sessions named their display.
static QVariantMap displaySession(const QVariantMap &shown, const QString &type, int failed, const QDateTime &date,
                                  const QVariantMap &measured = {})
{
    QVariantMap record = sessionRecord("Dana", 0, uint(failed));
    record.insert("date", date);
    if (!shown.isEmpty())
        record.insert("display", shown);
    if (!type.isEmpty())
        record.insert("testtype", type);
    if (!measured.isEmpty())
        record.insert("measured", measured);
    return record;
}

static QDateTime day(int d, int hour = 10)
{
    return QDateTime(QDate(2026, 3, d), QTime(hour, 0));
}

static QVariantMap task(const QString &id, const QString &description)
{
    return {{"id", id},
            {"description", description},
            {"date", QDateTime(QDate(2024, 3, 5), QTime(8, 0), Qt::UTC)},
            {"frequency", quint64(std::numeric_limits<qint64>::max())},
            {"scheduledtestslist", QVariantList{0u, 6u}}};
}

static QStringList fieldsOf(const QVariantList &records, const char *field)
{
    QStringList values;
    for (const QVariant &record : records)
        values << record.toMap().value(field).toString();
    return values;
}

// A settings file as the earlier store wrote it.
static void writeOldSettings(const QString &file, const QVariantList &sessions, const QVariantList &tasks,
                             const char *locale)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(SessionList, sessions);
    if (!tasks.isEmpty())
        settings.setValue("SCHEDULER/tasks", tasks);
    settings.setValue("General/locale_selected", locale);
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

// Started as "tst_storage add FOLDER", this program is the helper process of
// the kill test: it adds sessions until killed, printing "added <id>" once
// each is committed.
static int addSessions(const QString &folder)
{
    ConfigurationManager store(folder + '/' + SettingsFileName);
    for (int serial = 0;; ++serial) {
        QVariantMap record = sessionRecord(QString::number(serial), serial % 24);
        record.insert("test_session", QVariantMap{{"1", QString(10000, QLatin1Char('a' + serial % 26))}});
        qint64 id = 0;
        if (!store.database()->addSession(record, &id))
            return 1;
        QTextStream(stdout) << "added " << id << Qt::endl;
    }
}

// Started as "tst_storage start FOLDER BYTES", this program is a first start
// whose files may not grow past BYTES (0: no limit): the kernel refuses the
// rest. It chooses another language and prints the language it started in,
// whether the choice was saved and what the store told the operator.
static int startLimited(const QString &folder, rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    if (bytes > 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return 3;
    {
        ConfigurationManager store(folder + '/' + SettingsFileName);
        const QString language = store.localeSelected();
        // QSettings wrote on its own at the next event-loop turn: the file
        // must stay as it is however long the program runs.
        QCoreApplication::processEvents();
        const bool saved = store.setLocaleSelected("de");
        QTextStream(stdout) << language << (saved ? " saved" : "")
                            << "\nimport failed: " << store.startReport().importFailed << Qt::endl;
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return 0;
}

class TestStorage : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mount;
    std::unique_ptr<SessionDatabase> m_store;

    QString path(const QString &name = SettingsFileName) const { return m_dir->filePath(name); }
    QString database() const { return path(SessionDatabase::defaultFileName()); }

    // lumivex-report on the test's database: what it printed, or the file it exported to.
    QByteArray tool(const QStringList &arguments, const QString &exported = QString()) const
    {
        QProcess report;
        report.start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-report"),
                     QStringList{"--database", database()} + arguments +
                         (exported.isEmpty() ? QStringList() : QStringList{"--export", path(exported)}));
        if (!report.waitForFinished(Patience) || report.exitCode() != 0)
            qWarning() << report.readAllStandardError();
        return exported.isEmpty() ? report.readAllStandardOutput() : fileBytes(path(exported));
    }

    // A file system of its own under the test folder, which only root may mount.
    bool mount(const QString &folder, const char *type, const char *options, unsigned long flags = 0)
    {
        QDir().mkpath(folder);
        const QByteArray source = type ? QByteArray(type) : QFile::encodeName(path("seeded"));
        if (::mount(source.constData(), QFile::encodeName(folder).constData(), type, flags, options) != 0)
            return false;
        m_mount = folder;
        return true;
    }

    void seed(const QString &settings)
    {
        ConfigurationManager store(settings);
        for (const auto &[tester, hour] : {std::make_pair("A", 9), std::make_pair("B", 10), std::make_pair("C", 11)})
            QVERIFY(store.addSessionRecord(sessionRecord(tester, hour)));
        QVERIFY(store.addTask(task("t1", "Daily")) && store.addTask(task("t2", "Weekly")));
    }

    // The session database alone, for the tests of displays and their reference values.
    SessionDatabase *db()
    {
        if (!m_store) {
            m_store = std::make_unique<SessionDatabase>(database());
            m_store->open();
        }
        return m_store.get();
    }
    qint64 add(const QVariantMap &record)
    {
        qint64 id = 0;
        if (!db()->addSession(record, &id))
            qWarning() << db()->errorString();
        return id;
    }
    DisplayRecord row(const QVariantMap &identity)
    {
        return db()->display(DisplayRecord::key(identity)).value_or(DisplayRecord());
    }

    // Sessions of many pages and two tasks, for the tests of a damaged or locked database.
    void seedPages()
    {
        ConfigurationManager store(path());
        for (int number = 0; number < SeededSessions; ++number)
            QVERIFY(store.addSessionRecord(bulkySession(number, 1500)));
        QVERIFY(store.addTask(task("1", "Daily")) && store.addTask(task("2", "Daily")));
    }

    // Runs `during`, with the "locked" fault while another program holds the database of `folder` in an exclusive
    // transaction.
    void runWith(const QString &fault, const QString &folder, const std::function<void()> &during)
    {
        if (fault != "locked")
            return during();
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase("QSQLITE", "locker");
            locker.setDatabaseName(folder + '/' + SessionDatabase::defaultFileName());
            QVERIFY(locker.open());
            QSqlQuery hold(locker);
            QVERIFY(hold.exec("BEGIN EXCLUSIVE") && hold.exec("CREATE TABLE held (x)"));
            during();
            QVERIFY(hold.exec("ROLLBACK"));
        }
        QSqlDatabase::removeDatabase("locker");
    }

private slots:
    void initTestCase() { qRegisterMetaType<ConfigurationManager::Write>(); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        m_store.reset();
        if (!m_mount.isEmpty())
            ::umount2(QFile::encodeName(m_mount).constData(), MNT_DETACH);
        m_mount.clear();
    }

    void importsOnce_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("sessions");
        QTest::addColumn<int>("tasks");
        QTest::addColumn<int>("skipped");
        const QByteArray good = fileBytes(goodSettings());
        const QByteArray list = "\nlist=";

        // Files without lists: none at first start, one without a language, a damaged one.
        QTest::newRow("no file") << QByteArray() << 0 << 0 << 0;
        QTest::newRow("without a language") << QByteArray("[%General]\nversion=7.8.1.0\n") << 0 << 0 << 0;
        QTest::newRow("damaged") << QByteArray("[%General]\nlocale_selected=it\nversion=7.8.1.0\n") + '\0' + "x\n"
                                 << 0 << 0 << 0;
        QTest::newRow("written before") << good << 5 << 2 << 0;
        QTest::newRow("no lists, binary") << QByteArray::fromHex("7f454c460201010000003dfffe5b0a0102") << 0 << 0 << 0;
        QTest::newRow("task list of text") << QByteArray("[SCHEDULER]\ntasks=a, b\n") << 0 << 0 << 2;
        QTest::newRow("unterminated section before sessions") << "[GENERAL\n" + good << 5 << 2 << 0;
        QTest::newRow("session list cut short") << good.left(good.indexOf('\n', good.indexOf("list=")) - 40) + "\n"
                                                << 4 << 2 << 1;
        QTest::newRow("record not ending in its parenthesis")
            << QByteArray(good).insert(good.indexOf('\n', good.indexOf("list=")), 'x') << 4 << 2 << 1;
        QTest::newRow("record that is not a map") << QByteArray(good).replace(list, list + "text, ") << 5 << 2 << 1;
        QTest::newRow("binary garbage before a task")
            << QByteArray(good).replace("tasks=", QByteArray("tasks=\0\x01\xff\xfe", 10)) << 5 << 1 << 1;
        QTest::newRow("element count 0x10000000")
            << QByteArray(good).replace(list, list + "@Variant(\\0\\0\\0\\b\\x10\\0\\0\\0), ") << 5 << 2 << 1;
        QTest::newRow("text length of 2 GB")
            << QByteArray(good).replace(list, list + "@Variant(\\0\\0\\0\\n\\x7f\\xff\\xff\\xfe), ") << 5 << 2 << 1;
        QTest::newRow("lists nested 100000 deep")
            << QByteArray(good).replace(list, list + "@Variant(" +
                                                  QByteArray("\\0\\0\\0\\t\\0\\0\\0\\x1").repeated(100000) + "), ")
            << 5 << 2 << 1;
    }

    // Every readable record moves into the database once, equal to what the
    // old store read; the old file is kept whole, the settings file loses the
    // lists, and every file is the owner's alone. The file says which version
    // wrote it and which language to start in, and a damaged one is kept aside
    // before the next save rewrites it from what could be read.
    void importsOnce()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, skipped);
        if (!content.isNull())
            writeBytes(path(), content);
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        const QVariantList written = QSettings(goodSettings(), QSettings::IniFormat).value(SessionList).toList();
        int keptAside = 0;
        for (int start = 0; start < 2; ++start) {
            ConfigurationManager store(path());
            QTEST(store.sessions().size(), "sessions");
            QTEST(store.tasks().size(), "tasks");
            for (const QVariant &summary : store.sessions())
                QVERIFY(written.contains(store.sessionRecord(summary.toMap())));
            const QString backup = store.startReport().importBackup;
            QCOMPARE(store.startReport().skippedRecords, start == 0 ? skipped : 0);
            QCOMPARE(backup.isEmpty(), start == 1 || !(content.contains("list=") || content.contains("tasks=")));
            if (!backup.isEmpty()) {
                QCOMPARE(fileBytes(backup), content);
                QVERIFY(isPrivate(backup));
            }
            const QByteArray after = fileBytes(path());
            QVERIFY(!after.contains("list=") && !after.contains("tasks="));
            QVERIFY(after.contains("[%General]\nlocale_selected=" + store.localeSelected().toUtf8() +
                                   "\nversion=7.8.1.0\n"));
            QVERIFY(isPrivate(path()) && isPrivate(database()));
            // A damaged file that no import rewrote is kept aside as it was.
            const QStringList aside = QDir(m_dir->path()).entryList({"*.damaged-*"});
            if (start == 0 && backup.isEmpty()) {
                QCOMPARE(aside.size(), int(content.contains('\0')));
                QVERIFY(aside.isEmpty() || fileBytes(path(aside.first())) == content);
            }
            // Rewritten sound at the first start, a damaged file is not kept aside again at the next.
            if (start == 0)
                keptAside = aside.size();
            QCOMPARE(aside.size(), keptAside);
            QVERIFY(!after.contains('\0'));
        }
    }

    // A task is known by its id alone, never by its description, which need
    // not be unique. (Sessions of the same moment: see sessionsTable.)
    void sameDescriptionTasks()
    {
        ConfigurationManager store(path());
        QVERIFY(store.addTask(task("1", "Daily")) && store.addTask(task("2", "Daily")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot store the task: the id 2 is taken"));
        QVERIFY(!store.addTask(task("2", "Other")));
        QVERIFY(store.updateTask({{"id", "2"}, {"description", "Weekly"}}));
        QCOMPARE(store.tasks().value(1).toMap(), QVariantMap(task("2", "Weekly")));
        QVERIFY(store.removeTask("1"));
        QCOMPARE(fieldsOf(store.tasks(), "description"), QStringList{"Weekly"});
    }

    void writeFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("full disk") << "full";
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("database locked by another program") << "locked";
    }

    // A write the fault prevents returns false and says so; every write that
    // returned true is stored; nothing stored before is lost, nothing is set
    // aside as damaged. A session that could not be saved is kept beside the
    // database where it can be written there, and stored at the next start.
    void writeFaults()
    {
        QFETCH(QString, fault);
        if (fault != "locked" && geteuid() != 0)
            QSKIP("mounting a small or read-only file system needs root (CI runs as root)");
        QString folder = path("disk");
        if (fault == "full")
            QVERIFY(mount(folder, "tmpfs", "size=1m"));
        QDir().mkpath(folder);
        seed(folder + '/' + SettingsFileName);
        QStringList testers;
        QStringList kept;
        int tasks = 0;
        if (fault == "read-only") {
            QVERIFY(QFile::rename(folder, path("seeded")));
            QVERIFY(mount(folder, nullptr, nullptr, MS_BIND));
            QVERIFY(::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                            nullptr) == 0);
        }
        runWith(fault, folder, [&] {
            // The disk fills while the program runs.
            ConfigurationManager store(folder + '/' + SettingsFileName);
            SavedSessionsModel model(&store);
            QFile filler(folder + "/filler");
            if (fault == "full") {
                QVERIFY(filler.open(QIODevice::WriteOnly));
                while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
                }
            }
            QSignalSpy failures(&store, &ConfigurationManager::writeFailed);
            const QVariantMap large{{"1", QString(1 << 20, 'n')}};
            const bool added = model.addSession(large, "D", 4, 0, 1, "Test monitor");
            const bool removed = store.withdrawSession(store.sessions().value(1).toMap(), "Q", "entered twice");
            const bool taskAdded = store.addTask(task("t3", "Monthly"));
            const bool languageSaved = store.setLocaleSelected("de");
            QVERIFY(fault != "read-only" || !languageSaved);
            QCOMPARE(model.index(0, 0).data().toString(), "D - " + TR::Translator::instance()->translate("notSaved"));
            QCOMPARE(model.recordAt(0).value("test_session").toMap(), large);
            QCOMPARE(failures.count(), int(!added) + int(!removed) + int(!taskAdded) + int(!languageSaved));
            QVERIFY(fault == "full" || (!removed && !taskAdded));
            testers = fieldsOf(store.sessions(false), "tester");
            tasks = store.tasks().size();
            if (!added && QFileInfo::exists(store.unsavedFileName()))
                kept = QStringList{"D"};
            QVERIFY(fault != "locked" || kept == QStringList{"D"});
            QCOMPARE(testers, removed ? QStringList({"C", "A"}) : QStringList({"C", "B", "A"}));
            QCOMPARE(tasks, taskAdded ? 3 : 2);
        });
        QFile::remove(folder + "/filler");
        if (fault == "read-only") {
            cleanup();
            QVERIFY(QDir().rmdir(folder) && QFile::rename(path("seeded"), folder));
        }
        ConfigurationManager store(folder + '/' + SettingsFileName);
        QVERIFY(store.startReport().unavailable.isEmpty());
        QCOMPARE(fieldsOf(store.sessions(false), "tester"), kept + testers);
        QCOMPARE(store.tasks().size(), tasks);
        QVERIFY(store.unsavedSessions().isEmpty() && !QFileInfo::exists(store.unsavedFileName()));
        QCOMPARE(QDir(folder).entryList({"*.damaged-*"}).size(), 0);
        QVERIFY(store.addSessionRecord(sessionRecord("E", 13)));
        QCOMPARE(runOnDatabase(store.databaseFileName(), {"PRAGMA integrity_check"}), QStringList{"ok"});
    }

    void damage_data()
    {
        QTest::addColumn<QString>("statement"); // run on the seeded database
        QTest::addColumn<QStringList>("testers");
        QTest::addColumn<QString>("unreadable"); // the session whose record cannot be read, and why
        const auto recordRow = [](const char *name, const QString &record, const QString &why) {
            QTest::newRow(name) << "UPDATE session_records SET record = " + record + " WHERE session_id = 2"
                                << QStringList{"C", "B", "A"} << "B: " + why;
        };
        recordRow("record damaged", "x'00000003789c'", "its record is damaged");
        recordRow("record length of 2 GB", "x'7fffffff789c'", "its record is damaged");
        recordRow("record of 17 MB", "zeroblob(17000000)", "its record of 17000000 bytes");
        QTest::newRow("tester of 5 MB") << "UPDATE sessions SET tester = printf('%.5000000c', 'x') WHERE tester = 'B'"
                                        << QStringList{"C", QString(1000, 'x'), "A"} << QString();
    }

    // A damaged record is refused alone, without a large read. (A damaged
    // file: see damagedFile.)
    void damage()
    {
        QFETCH(QString, statement);
        QFETCH(QString, unreadable);
        seed(path());
        runOnDatabase(database(), {statement});
        for (int start = 0; start < 2; ++start) {
            ConfigurationManager store(path());
            QVERIFY(store.startReport().unavailable.isEmpty() && store.startReport().damagedCopy.isEmpty());
            const QVariantList sessions = store.sessions();
            QTEST(fieldsOf(sessions, "tester"), "testers");
            for (const QVariant &session : sessions) {
                const bool refused = store.sessionRecord(session.toMap()).isEmpty();
                QCOMPARE(refused, !unreadable.isEmpty() && session.toMap().value("tester") == "B");
                if (refused)
                    QVERIFY2(store.database()->errorString().contains(unreadable.mid(3)),
                             qPrintable(store.database()->errorString()));
            }
        }
    }

    // A helper process adds sessions and is killed at random moments, 50
    // times: every session whose add had returned is there, the file sound.
    void killedDuringSaves()
    {
        QSet<qint64> confirmed;
        for (int round = 0; round < 50; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"add", m_dir->path()});
            while (!child.canReadLine())
                QVERIFY(child.waitForReadyRead(Patience));
            // Not a wait for anything: it scatters the kill over the next saves.
            QThread::usleep(QRandomGenerator::global()->bounded(20000));
            child.kill();
            QVERIFY(child.waitForFinished(Patience));
            while (child.canReadLine())
                confirmed.insert(child.readLine().mid(6).trimmed().toLongLong());
        }
        QSet<qint64> stored;
        for (const QVariant &session : db()->sessionSummaries())
            stored.insert(session.toMap().value("id").toLongLong());
        QVERIFY(stored.contains(confirmed));
        QCOMPARE(runOnDatabase(database(), {"PRAGMA integrity_check"}), QStringList{"ok"});
    }

    void printableText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");
        QTest::newRow("a forged second line") << QString("Eve\n1\t01/01/2000") << "Eve\\n1\\t01/01/2000";
        QTest::newRow("terminal escape") << QString("\x1b]0;title\x07\x1b[2J") << "\\u{1b}]0;title\\u{7}\\u{1b}[2J";
        QTest::newRow("backslash stays one way") << QString("a\\nb") << "a\\\\nb";
        QTest::newRow("C1 control, carriage return") << QString("x\u009b31m\r") << "x\\u{9b}31m\\r";
        QTest::newRow("direction override, line separator") << QString("a\u202Eb\u2028") << "a\\u{202e}b\\u{2028}";
        QTest::newRow("letters and signs stay") << QString("Zoë 🙂 Ω") << QString("Zoë 🙂 Ω");
    }

    void printableText()
    {
        QFETCH(QString, text);
        QTEST(PrintableText::escaped(text), "printed");
    }

    // The saved sessions through their table: the cells by value, the image
    // centred pixel for pixel, a click only where press and release meet.
    void sessionsTable()
    {
        ConfigurationManager store(path());
        for (const QVariantMap &record :
             {sessionRecord("Bob", 9), sessionRecord("-", -1), sessionRecord("Ada", 14, 1), sessionRecord("Cy", 9)})
            QVERIFY(store.addSessionRecord(record));
        SavedSessionsModel model(&store);
        QCOMPARE(fieldsOf(store.sessions(), "tester"), QStringList({"Ada", "Cy", "Bob", "-"}));
        QStringList cells;
        for (int column = 0; column < SavedSessionsModel::ColumnCount; ++column)
            cells << model.index(0, column).data().toString();
        const TR::Translator *tr = TR::Translator::instance();
        QCOMPARE(cells.join('|'), "Ada|05/03/2024 - 14:07|" + tr->translate("testType_unknownShort") + "|4|" +
                                      tr->translate("monitor") + " 1 Test monitor||report|delete");
        QCOMPARE(model.index(0, SavedSessionsModel::StatusColumn).data(Qt::DecorationRole).value<QImage>(),
                 QImage(":/assets/xicon"));
        QCOMPARE(model.recordAt(0), sessionRecord("Ada", 14, 1));

        QImage canvas(80, 80, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QImage expected = canvas;
        SavedSessionsItemDelegate delegate;
        QStyleOptionViewItem option;
        option.rect = QRect(10, 20, 42, 30);
        delegate.paint(std::make_unique<QPainter>(&canvas).get(), option,
                       model.index(0, SavedSessionsModel::DeleteColumn));
        // A 24-pixel image centred on ((left + right) / 2, (top + bottom) / 2)
        // of the cell starts 11 pixels up and to the left of it.
        QPainter(&expected).drawImage(19, 23, QImage(":/assets/deleteicon"));
        QCOMPARE(canvas, expected);

        // Sent to the delegate itself: a view passes on a release only over the
        // pressed cell, and the delegate must not rely on that.
        QSignalSpy clicked(&delegate, &SavedSessionsItemDelegate::buttonClicked);
        for (const auto &[type, row] :
             {std::make_pair(QEvent::MouseButtonPress, 0), std::make_pair(QEvent::MouseButtonRelease, 1),
              std::make_pair(QEvent::MouseButtonPress, 1), std::make_pair(QEvent::MouseButtonRelease, 1)}) {
            option.rect = QRect(360, row * 30, 60, 30);
            QMouseEvent event(type, option.rect.center(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            static_cast<QAbstractItemDelegate &>(delegate).editorEvent(
                &event, &model, option, model.index(row, SavedSessionsModel::DeleteColumn));
        }
        QCOMPARE(clicked.count(), 1);

        // A row outside the table withdraws nothing, nor does a withdrawal without a reason.
        QVERIFY(!model.withdrawSession(4, "Q", "entered twice"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot withdraw session .*: no reason was given"));
        QVERIFY(!model.withdrawSession(3, "Q", " "));
        QVERIFY(model.withdrawSession(3, "Q", "entered twice"));
        QVERIFY(model.addSession({}, "new", 2, 1, 0, "Laptop panel"));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(fieldsOf(ConfigurationManager(path()).sessions(false), "tester"),
                 QStringList({"new", "Ada", "Cy", "Bob"}));
        QCOMPARE(store.latestSessionResults(), QVariantMap());

        // The tool lists and exports the withdrawn session marked, who, when and why; the others as before.
        const QString listed = QString::fromUtf8(tool({"--list"}));
        const QRegularExpression withdrawn(
            "\n4\t\t-\t0\twithdrawn\tQ\t\\d{4}-\\d\\d-\\d\\dT[0-9:]{8}Z\tentered twice\n$");
        QVERIFY2(listed.contains(withdrawn) && listed.count("withdrawn") == 1, qPrintable(listed));
        const QJsonObject withdrawal =
            QJsonDocument::fromJson(tool({"--session", "4"}, "w.json")).object().value("withdrawal").toObject();
        QCOMPARE(withdrawal.value("withdrawnBy").toString() + withdrawal.value("reason").toString(),
                 QStringLiteral("Qentered twice"));
        QVERIFY(!tool({"--session", "1"}, "a.json").contains("withdrawal"));
        const QList<QByteArray> csv = tool({"--session", "4"}, "w.csv").split('\n');
        QVERIFY(csv.first().endsWith(",withdrawnBy,withdrawnAt,withdrawalReason\r"));
        QVERIFY(!tool({"--session", "1"}, "a.csv").contains("withdrawnBy"));
    }

    // The list reads its rows a page at a time as the view scrolls on, each
    // page twice as long as the list read so far, newest first, none twice, none left out.
    void sessionsTablePages()
    {
        ConfigurationManager store(path());
        const QDateTime newest(QDate(2024, 3, 5), QTime(12, 0));
        const int stored = 1700;
        QVERIFY(store.database()->transact([&] {
            for (int serial = 0; serial < stored; ++serial) {
                QVariantMap record = sessionRecord(QString::number(serial), 0);
                record.insert("date", newest.addSecs(-60 * serial));
                qint64 id = 0;
                if (!store.database()->insertSession(record, QUuid::createUuid().toString(QUuid::WithoutBraces), &id))
                    return false;
            }
            return true;
        }));
        SavedSessionsModel model(&store);
        QList<int> read{model.rowCount()};
        while (model.canFetchMore({})) {
            model.fetchMore({});
            read << model.rowCount();
        }
        QCOMPARE(read, (QList<int>{PagedTableModel::FirstPage, 3 * PagedTableModel::FirstPage, stored}));
        for (int row = 0; row < stored; ++row)
            QCOMPARE(model.index(row, SavedSessionsModel::TesterColumn).data().toString(), QString::number(row));
    }

    // A database of the version before displays and the list's columns gets
    // both filled from its records: those that name their display give it its
    // row, and new sessions join them. The list names each session's test type
    // and display, in the chosen language. A session stored before records
    // named them says "unknown" (never acceptance) and shows its monitor as
    // before; a type this version does not know shows as stored.
    void sessionsStoredBefore()
    {
        const qint64 before = add(displaySession(DisplayA, "acceptance", 0, day(1), {{"maxLuminance", 400.0}}));
        // Sessions 2 to 6, listed in this order after the first.
        const auto at = [](int hour) { return QDateTime(QDate(2024, 3, 5), QTime(hour, 7)); };
        for (const QVariantMap &record :
             {displaySession(display(" MAKER ", "MD27", "12345678"), "periodicConstancy", 0, at(10)),
              sessionRecord("Bob", 9), displaySession(display("Edge", "E1", ""), "weeklyLook", 0, at(8)),
              displaySession({}, "acceptance", 0, at(7)), displaySession(display("", " ", ""), "acceptance", 0, at(6))})
            QVERIFY(add(record) > 0);
        m_store.reset();
        // A damaged record beside them (session 5): its session keeps the list's "unknown".
        runOnDatabase(database(),
                      {"UPDATE session_records SET record = x'00000010ff' WHERE session_id = 5",
                       "DROP TRIGGER sessions_are_kept", "DROP TRIGGER session_records_are_kept",
                       "DROP TABLE withdrawals", "DROP INDEX sessions_by_display",
                       "ALTER TABLE sessions DROP COLUMN display_key", "DROP TABLE displays",
                       "ALTER TABLE sessions DROP COLUMN test_type", "ALTER TABLE sessions DROP COLUMN display_maker",
                       "ALTER TABLE sessions DROP COLUMN display_model",
                       "ALTER TABLE sessions DROP COLUMN display_serial", "PRAGMA user_version = 2"});

        useShippedLanguages();
        const auto rows = [this] {
            ConfigurationManager store(path());
            SavedSessionsModel model(&store);
            QStringList shown;
            for (int row = 0; row < model.rowCount(); ++row)
                shown << model.index(row, SavedSessionsModel::TestTypeColumn).data().toString() + " | " +
                             model.index(row, SavedSessionsModel::DisplayColumn).data().toString();
            shown << model.headerData(SavedSessionsModel::TestTypeColumn, Qt::Horizontal).toString() + " | " +
                         model.headerData(SavedSessionsModel::DisplayColumn, Qt::Horizontal).toString() + " | " +
                         model.index(2, SavedSessionsModel::TestTypeColumn).data(Qt::ToolTipRole).toString();
            return shown;
        };
        QCOMPARE(rows(), (QStringList{"Acceptance test | MAKER MD27 (SN A-1)",
                                      "Periodic constancy test | MAKER MD27 (SN 12345678)",
                                      "Unknown | Monitor 1 Test monitor", "weeklyLook | Edge E1",
                                      "Unknown | Monitor 1 Test monitor", "Acceptance test | Monitor 1 Test monitor",
                                      "Test type | Display | Unknown (stored before test types were recorded)"}));
        TR::Translator::instance()->setLocale("de");
        const QStringList german = rows();
        TR::Translator::instance()->setLocale("en");
        QCOMPARE(german.mid(1, 2), (QStringList{"Halbjährliche Konstanzprüfung | MAKER MD27 (SN 12345678)",
                                                "Unbekannt | Monitor 1 Test monitor"}));
        QCOMPARE(db()->displays().size(), 3);
        QCOMPARE(row(DisplayA).reference.value("maxLuminance").toDouble(), 400.0);
        QCOMPARE(row(DisplayA).lastTested, day(1));
        const qint64 id = add(displaySession(DisplayA, "dailyConstancy", 0, day(3)));
        QCOMPARE(db()->sessionIds(DisplayRecord::key(DisplayA)), (QList<qint64>{id, before}));
    }

    void firstStartImport_data()
    {
        QTest::addColumn<qint64>("free");
        QTest::addColumn<QString>("fault");
        QTest::newRow("200 KB free on a small disk") << qint64(200 * 1024) << "disk";
        QTest::newRow("300 KB free on a small disk") << qint64(300 * 1024) << "disk";
        QTest::newRow("files limited to 200 KB") << qint64(200 * 1024) << "limit";
        QTest::newRow("files limited to 300 KB") << qint64(300 * 1024) << "limit";
        // The verified copy of the old file cannot be made.
        QTest::newRow("files limited to 16 KB, less than the old file") << qint64(16 * 1024) << "limit";
        QTest::newRow("database locked by another program") << qint64(0) << "locked";
    }

    // The first start on a nearly full disk or with the database locked loses
    // nothing, says so when it could not import, and a later start with room
    // imports everything.
    void firstStartImport()
    {
        QFETCH(qint64, free);
        QFETCH(QString, fault);
        const QString folder = path("disk");
        QVERIFY(QDir().mkpath(folder));
        const QString settings = folder + '/' + SettingsFileName;
        if (fault == "disk" && (geteuid() != 0 || !mount(folder, "tmpfs", "size=1m")))
            QSKIP("a small tmpfs needs root (CI runs as root); the rows with a file size limit run instead");
        writeOldSettings(settings, oldSessions(), {}, "it");
        const QByteArray before = fileBytes(settings);
        QFile filler(folder + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (fault == "disk" && QStorageInfo(folder).bytesAvailable() > free + 4096 &&
               filler.write(QByteArray(4096, 'x')) == 4096)
            QVERIFY(filler.flush());
        filler.close();
        QString told;
        runWith(fault, folder, [&] {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {"start", folder, QString::number(fault == "limit" ? free : 0)});
            QVERIFY(child.waitForFinished(2 * Patience));
            QCOMPARE(child.exitCode(), 0);
            const QString printed = QString::fromUtf8(child.readAllStandardOutput());
            told = printed.section("import failed: ", 1).trimmed();
            // The language of the old file, and a choice saved unless the import could not be done.
            QVERIFY2(printed.startsWith("it") && (printed.startsWith("it saved") || !told.isEmpty()),
                     qPrintable(printed));
        });
        // On the small disk with 200 KB free the import does not even start: too little room.
        QVERIFY2(fault != "disk" || free > 200 * 1024 || told.contains("bytes are free"), qPrintable(told));
        QVERIFY2(fault != "locked" || !told.isEmpty(), "the import went on although the database is locked");
        // A full disk is no damage: the database is not set aside.
        QCOMPARE(QDir(folder).entryList({"*.damaged-*"}).size(), 0);
        // The old file loses its lists only when the import is done; else it is unchanged to the byte.
        QCOMPARE(told.isEmpty(), fileBytes(settings) != before);
        QCOMPARE(fileBytes(settings).contains("list="), !told.isEmpty());
        // With room again every old session is in the database as it was written: imported at the first start or,
        // with the old file's language, at this one.
        QVERIFY(QFile::remove(folder + "/filler"));
        ConfigurationManager store(settings);
        QVERIFY2(store.startReport().importFailed.isEmpty(), qPrintable(store.startReport().importFailed));
        QCOMPARE(store.sessions().size(), 3);
        for (const QVariant &summary : store.sessions())
            QVERIFY(oldSessions().contains(store.sessionRecord(summary.toMap())));
        QVERIFY(!fileBytes(settings).contains("list="));
        QVERIFY(told.isEmpty() || store.localeSelected() == "it");
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
        seedPages();
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
            ConfigurationManager store(path());
            const ConfigurationManager::StartReport &start = store.startReport();
            QVERIFY2(start.unavailable.isEmpty(), qPrintable(start.unavailable));
            QCOMPARE(fileBytes(start.damagedCopy), bytes);
            const QVariantList sessions = store.sessions();
            QCOMPARE(sessions.size(), start.recoveredSessions);
            QCOMPARE(store.tasks().size(), start.recoveredTasks);
            QCOMPARE(start.recoveredSessions > 0, anyRecovered);
            QVERIFY(start.recoveredSessions + start.unrecoveredRows <= SeededSessions + 2 + 1);
            for (const QVariant &summary : sessions) {
                const QVariantMap record = store.sessionRecord(summary.toMap());
                QCOMPARE(record, bulkySession(record.value("tester").toInt(), 1500));
            }
            for (const QVariant &stored : store.tasks())
                QCOMPARE(stored.toMap(), task(stored.toMap().value("id").toString(), "Daily"));
            QVERIFY(store.addSessionRecord(bulkySession(SeededSessions, 1500)));
            QCOMPARE(store.sessions().size(), start.recoveredSessions + 1);
        }
        ConfigurationManager again(path());
        QVERIFY(again.startReport().damagedCopy.isEmpty());
        QCOMPARE(again.sessions().first().toMap().value("tester"), QString::number(SeededSessions));
        QCOMPARE(QDir(m_dir->path()).entryList({"*.damaged-*"}).size(), 1);
        QCOMPARE(runOnDatabase(database(), {"PRAGMA integrity_check"}), QStringList{"ok"});
    }

    // A recovery that cannot finish (here: no fresh database can be made
    // beside it) leaves the damaged file in place; the next start finds its
    // copy aside and makes no second one.
    void damagedFileCopiedAsideOnce()
    {
        seedPages();
        const QByteArray bytes = fileBytes(database());
        writeBytes(database(), bytes.left(bytes.size() / 2));
        QVERIFY(QDir().mkpath(database() + ".recovering"));
        QStringList copies;
        for (int start = 0; start < 2; ++start)
            copies << ConfigurationManager(path()).startReport().damagedCopy;
        QCOMPARE(QDir(m_dir->path()).entryList({"*.damaged-*"}).size(), 1);
        QCOMPARE(copies.value(1), copies.value(0));
        QVERIFY(!copies.value(0).isEmpty());
    }

    // The displays the store knows, each session's display, and the reference
    // values that acceptance tests leave.
    void displayKey_data()
    {
        QTest::addColumn<QVariantMap>("first");
        QTest::addColumn<QVariantMap>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("spaces around") << display(" MAKER", "MD27 ", " A-1 ") << DisplayA << true;
        QTest::newRow("words moved between fields")
            << display("MAKER MD27", "", "A-1") << display("MAKER", "MD27", "A-1") << false;
        QTest::newRow("separator inside a field")
            << display("A\",\"B", "C", "") << display("A", "B\",\"C", "") << false;
        QTest::newRow("case") << display("maker", "md27", "a-1") << DisplayA << false;
    }
    void displayKey()
    {
        QFETCH(QVariantMap, first);
        QFETCH(QVariantMap, second);
        QFETCH(bool, same);
        QCOMPARE(DisplayRecord::key(first) == DisplayRecord::key(second), same);
    }

    // Each display finds only its own sessions; its row says when it was first
    // and last tested and how the last test ended, whatever order they came in.
    // A session of a blank or absent display is stored, but gives no row.
    void sessionsOfEachDisplay()
    {
        QVERIFY(add(displaySession(display("", " ", ""), "acceptance", 0, day(1), {{"maxLuminance", 400.0}})) > 0);
        QVERIFY(add(displaySession({}, QString(), 0, day(2))) > 0);
        QVERIFY(db()->sessionIds(QString()).isEmpty());
        const qint64 a1 = add(displaySession(DisplayA, "dailyConstancy", 0, day(2)));
        const qint64 b1 = add(displaySession(DisplayB, "dailyConstancy", 2, day(3)));
        const qint64 a0 = add(displaySession(DisplayA, "dailyConstancy", 1, day(1)));
        QCOMPARE(db()->sessionIds(DisplayRecord::key(DisplayA)), (QList<qint64>{a1, a0}));
        QCOMPARE(db()->sessionIds(DisplayRecord::key(DisplayB)), QList<qint64>{b1});
        QCOMPARE(db()->newestSessionId(), b1);

        const QList<DisplayRecord> displays = db()->displays();
        QCOMPARE(displays.size(), 2);
        QCOMPARE(QStringList({displays[0].description(), displays[0].lastResult, displays[1].lastResult}),
                 QStringList({"MAKER MD27 (SN A-1)", "passed", "failed"}));
        QCOMPARE(QPair(displays[0].firstTested, displays[0].lastTested), QPair(day(1), day(2)));
    }

    // Categories stored before the split read as today's by their room class; what the records keep stays.
    void oldCategories_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("roomClass");
        QTest::addColumn<QString>("read");
        const auto row = [](const char *name, const char *stored, const char *roomClass, const char *read) {
            QTest::newRow(name) << QString(stored) << QString(roomClass) << QString(read);
        };
        row("fluoroscopy, CT, MR", "fluoroscopyCtMr", "RK3", "fluoroscopy");
        row("dental in RK5", "dental", "RK5", "dentalRk5");
        row("dental in RK6", "dental", "RK6", "dentalRk6");
        row("today's id", "ct", "RK2", "ct");
    }

    void oldCategories()
    {
        QFETCH(QString, stored);
        QFETCH(QString, roomClass);
        QFETCH(QString, read);
        QVariantMap display = DisplayA;
        display.insert({{"category", stored}, {"roomClass", roomClass}});
        QVariantMap record = displaySession(display, "periodicConstancy", 1, day(6));
        const QVariantMap judgement{
            {"version", "1"},
            {"verdicts", QVariantList{QVariantMap{
                             {"quantity", "maxLuminance"}, {"measured", 160.0}, {"limit", 150.0}, {"passed", false}}}}};
        record.insert("judgement", judgement);
        add(record);
        QCOMPARE(row(DisplayA).category, read);
        const QVariantMap kept = db()->sessionRecord(db()->newestSessionId(DisplayRecord::key(DisplayA)));
        QCOMPARE(kept.value("display").toMap().value("category").toString(), stored);
        QCOMPARE(kept.value("judgement").toMap(), judgement);
    }

    // A category chosen for the display stays; a session's own only fills a
    // display that has none. Choosing the same again keeps the date of the change.
    void classification()
    {
        QVERIFY(db()->classifyDisplay(DisplayA, "mammography", "RK1", QDate(2026, 3, 1)));
        QVERIFY(db()->classifyDisplay(DisplayA, "mammography", "RK1", QDate(2026, 3, 5)));
        QCOMPARE(row(DisplayA).classifiedOn, QDate(2026, 3, 1));
        QVariantMap classified = DisplayA;
        classified.insert({{"category", "dental"}, {"roomClass", "RK4"}});
        add(displaySession(classified, "dailyConstancy", 0, day(6)));
        QCOMPARE(row(DisplayA).category, QStringLiteral("mammography"));
        QVERIFY(db()->classifyDisplay(DisplayA, "mammography", "RK2", QDate(2026, 3, 7)));
        QCOMPARE(row(DisplayA).roomClass, QStringLiteral("RK2"));
        QCOMPARE(row(DisplayA).classifiedOn, QDate(2026, 3, 7));
        QVERIFY(!db()->classifyDisplay(display("", "", ""), "dental", "RK1", QDate(2026, 3, 8)));
    }

    // The newest passed acceptance test with readings gives the display its reference values, with the meter
    // that read them; an older one stored later (an import) does not displace them, nor do other tests. The
    // display page may still choose another, but only one of that display's acceptance tests with readings.
    void references()
    {
        const QVariantMap meter{{"model", "LS-150"}, {"serial", "4711"}};
        QVariantMap withMeter = displaySession(DisplayA, "acceptance", 0, day(10), {{"maxLuminance", 500.0}});
        withMeter.insert("meter", meter);
        const qint64 newer = add(withMeter);
        const qint64 older = add(displaySession(DisplayA, "acceptance", 0, day(2), {{"maxLuminance", 450.0}}));
        const qint64 constancy =
            add(displaySession(DisplayA, "periodicConstancy", 0, day(11), {{"maxLuminance", 300.0}}));
        const qint64 other = add(displaySession(DisplayB, "acceptance", 0, day(12), {{"maxLuminance", 350.0}}));
        const qint64 empty = add(displaySession(DisplayA, "acceptance", 0, day(13)));
        QVERIFY(add(displaySession(DisplayA, "acceptance", 1, day(14), {{"maxLuminance", 200.0}})) > 0);
        QVERIFY(add(displaySession(DisplayA, QString(), 0, day(15), {{"maxLuminance", 100.0}})) > 0);
        const DisplayRecord stored = row(DisplayA);
        QCOMPARE(stored.reference, (QVariantMap{{"maxLuminance", 500.0}}));
        QCOMPARE(stored.referenceMeter, meter);
        QCOMPARE(stored.referenceDate, QDate(2026, 3, 10));
        QVERIFY(!stored.referenceSession.isEmpty());

        QVERIFY(db()->makeReference(DisplayRecord::key(DisplayA), older));
        QCOMPARE(row(DisplayA).reference.value("maxLuminance").toDouble(), 450.0);
        QCOMPARE(row(DisplayA).referenceDate, QDate(2026, 3, 2));
        for (const qint64 refused : {constancy, other, empty, qint64(9999)}) {
            QVERIFY(!db()->makeReference(DisplayRecord::key(DisplayA), refused));
            QVERIFY(!db()->errorString().isEmpty());
            QCOMPARE(row(DisplayA).reference.value("maxLuminance").toDouble(), 450.0);
        }
        QVERIFY(db()->makeReference(DisplayRecord::key(DisplayA), newer));
        QCOMPARE(row(DisplayA).referenceDate, QDate(2026, 3, 10));
    }

private:
    // A settings file as the earlier store wrote it: five sessions, two tasks
    // with the same id.
    static QString goodSettings()
    {
        static QTemporaryDir folder;
        const QString file = folder.filePath("good.ini");
        if (!QFileInfo::exists(file)) {
            QVariantList sessions;
            for (int hour = 8; hour < 13; ++hour)
                sessions << sessionRecord(QString::number(hour), hour);
            writeOldSettings(file, sessions, {task("t", "Daily"), task("t", "Weekly")}, "de");
        }
        return file;
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestStorage test;
    if (argc == 3 && QByteArray(argv[1]) == "add")
        return addSessions(argv[2]);
    if (argc == 4 && QByteArray(argv[1]) == "start")
        return startLimited(argv[2], QByteArray(argv[3]).toULongLong());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storage.moc"
