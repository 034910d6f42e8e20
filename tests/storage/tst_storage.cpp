#include "configurationmanager.h"
#include "savedsessionsitemdelegate.h"
#include "savedsessionsmodel.h"
#include "translator.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QtTest>

#include <unistd.h>

static const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
static const QString SessionList = QStringLiteral("TEST_SESSIONS/list");

static QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

static QVariantMap sessionRecord(const QString &tester, int hour, uint failed = 0)
{
    const QVariant date = hour < 0 ? QVariant() : QDateTime(QDate(2024, 3, 5), QTime(hour, 7));
    return {{"tester", tester},     {"date", date},
            {"ntest", 4u},          {"nfailedtestcontents", failed},
            {"monitorselected", 1}, {"monitorinfo", "Test monitor"}};
}

// Prepares a settings file as an earlier run left it.
static void writeSettings(const QString &path, const QVariantList &sessions, const QVariantList &tasks)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(SessionList, sessions);
    settings.setValue("SCHEDULER/tasks", tasks);
}

// A fresh reader of the file: this process keeps a settings file it has read
// cached, so the bytes are read under a name it has never seen.
static std::unique_ptr<QSettings> freshRead(const QString &path)
{
    static int copies = 0;
    const QString copy = path + QString::number(++copies);
    QFile::copy(path, copy);
    return std::make_unique<QSettings>(copy, QSettings::IniFormat);
}

static QStringList fieldsOf(const QVariantList &records, const char *field)
{
    QStringList values;
    for (const QVariant &record : records)
        values << record.toMap().value(field).toString();
    return values;
}

// Started as "tst_storage add|addonce|addasuser FILE", this program is the
// helper process of the settings-file tests: it adds sessions the way the
// application does, once or until killed, printing "added <stored count>".
static int addSessions(const QString &mode, const QString &file)
{
    // The tests run as root on CI, and root writes into read-only folders; an
    // ordinary user is needed to see the program meet one.
    if (mode == "addasuser" && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        return 3;
    ConfigurationManager store(file);
    for (int serial = 0; serial == 0 || mode == "add"; ++serial) {
        // Sessions big enough that a save takes a while, so a kill often lands in one.
        store.addSession({{"1", QString(10000, QLatin1Char('a' + serial % 26))}}, "tester", 6, 0, 0, "monitor");
        QTextStream(stdout) << "added " << store.sessions().size() << Qt::endl;
    }
    return 0;
}

class TestStorage : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path() const { return m_dir->filePath(SettingsFileName); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void opensAnyFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("sessions");
        QTest::addColumn<bool>("damaged");
        QTemporaryDir dir;
        writeSettings(dir.filePath("good"), QVector<QVariant>(5, sessionRecord("", 9)).toList(), {QVariantMap()});
        const QByteArray good = fileBytes(dir.filePath("good"));

        QTest::newRow("written before") << good << 5 << false;
        QTest::newRow("binary") << QByteArray::fromHex("7f454c460201010000003dfffe5b0a010203") << 0 << true;
        QTest::newRow("line without '=', unterminated section")
            << QByteArray("[%General]\nno equals sign\n[SCHEDULER\ntasks=x\n") << 0 << true;
        QTest::newRow("task list of text") << QByteArray("[SCHEDULER]\ntasks=a, b\n") << 0 << true;
        QTest::newRow("task list of one word") << QByteArray("[SCHEDULER]\ntasks=a\n") << 0 << true;
        QTest::newRow("unterminated section before sessions") << "[GENERAL\n" + good << 5 << true;
        QTest::newRow("session list cut short") << good.left(good.indexOf('\n', good.indexOf("list=")) - 40) + "\n"
                                                << 5 << true;
        QTest::newRow("record that is not a map") << QByteArray(good).replace("\nlist=", "\nlist=text, ") << 6 << true;
        QTest::newRow("binary garbage in a stored file")
            << QByteArray(good).replace("tasks=", QByteArray("tasks=\0\x01\xff\xfe", 10)) << 5 << true;
    }

    // The store starts with what could be read; a damaged file is first
    // copied aside byte for byte, a clean one never.
    void opensAnyFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, damaged);
        writeBytes(path(), content);
        if (damaged)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("settings file is damaged; copied it to"));
        ConfigurationManager store(path());
        QTEST(store.sessions().size(), "sessions");
        QVERIFY(fileBytes(path()).contains("[%General]\nlocale_selected=en\nversion=7.8.1.0\n"));
        const QStringList backups = QDir(m_dir->path()).entryList({SettingsFileName + ".damaged-*"});
        QCOMPARE(backups.size(), int(damaged));
        if (damaged)
            QCOMPARE(fileBytes(m_dir->filePath(backups.first())), content);
    }

    // A child process adds sessions in a loop and is killed at random moments.
    // Whatever the moment, the file must parse and hold every session whose add
    // had returned. QSettings waits for its lock without limit, so the next
    // process must also see the lock of the killed one as stale. Each process
    // reads the stored language back under the group name it was written with.
    // In a folder it cannot write, a process keeps working in memory.
    void killDuringSaveThenReadOnlyFolder()
    {
        writeBytes(path(), "[%General]\nlocale_selected=it\nversion=1.0\n");
        int confirmed = 0;
        for (int round = 0; round < 30; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"add", path()});
            const QByteArray lock = QByteArray::number(child.processId()) + "\ntst_storage\n\n";
            while (!child.canReadLine())
                QVERIFY(child.waitForReadyRead(60000));
            // Not a wait for anything: it scatters the kill over the next saves.
            QThread::usleep(QRandomGenerator::global()->bounded(60000));
            child.kill();
            QVERIFY(child.waitForFinished());
            while (child.canReadLine())
                confirmed = child.readLine().mid(6).trimmed().toInt();
            writeBytes(path() + ".lock", lock);

            const QVariantList stored = freshRead(path())->value(SessionList).toList();
            QVERIFY(stored.size() == confirmed || stored.size() == confirmed + 1);
            for (const QVariant &record : stored)
                QCOMPARE(record.toMap().value("test_session").type(), QVariant::Map);
            confirmed = stored.size();
        }
        const QByteArray before = fileBytes(path());
        QVERIFY(before.startsWith("[%General]\nlocale_selected=it\nversion=7.8.1.0\n"));

        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadOther | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther));
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"addasuser", path()});
        QVERIFY(child.waitForFinished(120000));
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray output = child.readAll();
        QVERIFY(output.contains("[ConfigurationManager] Unable to save the settings file"));
        QVERIFY(output.contains("added " + QByteArray::number(confirmed + 1) + "\n"));
        QCOMPARE(fileBytes(path()), before);
    }

    // The saved sessions through their table: the cells by value, the image
    // centred pixel for pixel, a click only where press and release meet, and
    // changes that reach the file before the call returns, replacing it whole.
    void sessionsTable()
    {
        writeSettings(
            path(),
            {sessionRecord("Bob", 9), sessionRecord("-", -1), sessionRecord("Ada", 14, 1), sessionRecord("Cy", 9)},
            {QVariantMap{{"description", "without id"}}});
        ConfigurationManager store(path());
        SavedSessionsModel model(&store);
        QCOMPARE(fieldsOf(store.sessions(), "tester"), QStringList({"Ada", "Bob", "Cy", "-"}));
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells << model.index(0, column).data().toString();
        QCOMPARE(cells.join('|'), "Ada|05/03/2024 - 14:07|4|" + TR::Translator::instance()->translate("monitor") +
                                      " 1 Test monitor||report|delete");
        QCOMPARE(model.index(0, 4).data(Qt::DecorationRole).value<QImage>(), QImage(":/assets/xicon"));

        QImage canvas(80, 80, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QImage expected = canvas;
        SavedSessionsItemDelegate delegate;
        QStyleOptionViewItem option;
        option.rect = QRect(10, 20, 42, 30);
        delegate.paint(std::make_unique<QPainter>(&canvas).get(), option, model.index(0, 6));
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
            static_cast<QAbstractItemDelegate &>(delegate).editorEvent(&event, &model, option, model.index(row, 6));
        }
        QCOMPARE(clicked.count(), 1);

        QTest::ignoreMessage(QtWarningMsg, "[ConfigurationManager] A task update without an id was ignored");
        store.updateTask({{"description", "x"}});
        // A row outside the table removes nothing, not even the session without a date.
        model.removeSession(4);
        model.removeSession(1);
        model.addSession({}, "new", 2, 1, 0, "Laptop panel");
        QCOMPARE(model.index(1, 0).data().toString(), "Ada");
        // The file keeps the earlier sessions newest first, then the new one.
        QCOMPARE(fieldsOf(freshRead(path())->value(SessionList).toList(), "tester"),
                 QStringList({"Ada", "Cy", "-", "new"}));
        QCOMPARE(fieldsOf(store.sessions(), "tester") + fieldsOf(store.tasks(), "description"),
                 QStringList({"new", "Ada", "Cy", "-", "without id"}));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestStorage test;
    const bool child = argc == 3 && QByteArray(argv[1]).startsWith("add");
    return child ? addSessions(argv[1], argv[2]) : QTest::qExec(&test, argc, argv);
}

#include "tst_storage.moc"
