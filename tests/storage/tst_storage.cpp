#include "configurationmanager.h"
#include "savedsessionsitemdelegate.h"
#include "savedsessionsmodel.h"
#include "testconfig.h"
#include "translator.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
const QString SessionList = QStringLiteral("TEST_SESSIONS/list");
const QString TaskList = QStringLiteral("SCHEDULER/tasks");

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

ino_t inodeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QVariantMap sessionRecord(const QString &tester, int hour, uint failed = 0)
{
    return {{"tester", tester},
            {"date", hour < 0 ? QVariant() : QDateTime(QDate(2024, 3, 5), QTime(hour, 7))},
            {"test_session", QVariantMap{{"1", QVariantMap{{"by", tester}}}}},
            {"ntest", 4u},
            {"nfailedtestcontents", failed},
            {"monitorselected", 1},
            {"monitorinfo", "Test monitor"}};
}

QVariantMap taskRecord(const QVariant &id, const QString &description, const QVariant &frequency = 86400000ull)
{
    QVariantMap task{{"description", description}, {"date", QDateTime()}, {"frequency", frequency}};
    if (id.isValid())
        task.insert("id", id);
    return task;
}

// Prepares a settings file as an earlier run or a hand edit left it.
void writeSettings(const QString &path, const QVariantMap &values)
{
    QSettings settings(path, QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

// The bytes of a settings file holding `count` sessions and one task.
QByteArray storedFile(int count)
{
    QTemporaryDir dir;
    QVariantList sessions;
    for (int i = 0; i < count; ++i)
        sessions << sessionRecord(QString::number(i), i);
    writeSettings(dir.filePath("f"), {{SessionList, sessions}, {TaskList, QVariantList{taskRecord("a", "task")}}});
    return fileBytes(dir.filePath("f"));
}

// A fresh reader of the file: this process keeps a settings file it has read
// cached, so the bytes are read under a name it has never seen.
std::unique_ptr<QSettings> freshRead(const QString &path)
{
    static int copies = 0;
    const QString copy = path + QString(".copy%1").arg(++copies);
    if (!QFile::copy(path, copy))
        return nullptr;
    return std::make_unique<QSettings>(copy, QSettings::IniFormat);
}

QStringList fieldsOf(const QVariantList &records, const char *field)
{
    QStringList values;
    for (const QVariant &record : records)
        values << record.toMap().value(field).toString();
    return values;
}

// All the helper printed, or nothing if it failed.
QString runChild(const QString &mode, const QString &file)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral(LUMIVEX_BIN_DIR "/storage_settingschild"), {mode, file});
    const bool finished = child.waitForFinished(120000) && child.exitStatus() == QProcess::NormalExit;
    return finished && child.exitCode() == 0 ? QString::fromUtf8(child.readAll()) : QString();
}

} // namespace

class TestStorage : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void opensAnyFile_data();
    void opensAnyFile();
    void changes_data();
    void changes();
    void killDuringSaveNeverTearsFile();
    void restartAndReadOnlyFolder();

    void cells();
    void modelChangesInsideResets();
    void paintCentresImage();
    void clicks_data();
    void clicks();

private:
    QString path() const { return m_dir->filePath(SettingsFileName); }
    QStringList backups() const { return QDir(m_dir->path()).entryList({SettingsFileName + ".damaged-*"}); }
    SavedSessionsModel *model(const QVariantList &sessions);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<SavedSessionsModel> m_model;
};

void TestStorage::opensAnyFile_data()
{
    QTest::addColumn<QByteArray>("content"); // a null array: no file
    QTest::addColumn<int>("sessions");
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QString>("locale"); // "en", the C locale's, unless stored
    QTest::addColumn<bool>("damaged");
    const QByteArray good = storedFile(5);
    const int listEnd = good.indexOf('\n', good.indexOf("list="));

    QTest::newRow("no file") << QByteArray() << 0 << 0 << "en" << false;
    QTest::newRow("empty file") << QByteArray("") << 0 << 0 << "en" << false;
    QTest::newRow("older version") << QByteArray("[%General]\nlocale_selected=de\nversion=1.0\n") << 0 << 0 << "de"
                                   << false;
    QTest::newRow("only some keys") << QByteArray("[SCHEDULER]\ntasks=@Invalid()\n") << 0 << 0 << "en" << false;
    QTest::newRow("hand-written text") << QByteArray("; note\n[%General]\nlocale_selected=fr\nstray\n") << 0 << 0
                                       << "fr" << false;
    QTest::newRow("written before") << storedFile(3) << 3 << 1 << "en" << false;
    QTest::newRow("binary") << QByteArray::fromHex("7f454c460201010000003dfffe5b0a010203") << 0 << 0 << "en" << true;
    QTest::newRow("line without '=', unterminated section")
        << QByteArray("[%General]\nlocale_selected=de\nno equals sign\n[SCHEDULER\ntasks=x\n") << 0 << 0 << "de"
        << true;
    QTest::newRow("task list of text") << QByteArray("[SCHEDULER]\ntasks=a, b\n") << 0 << 2 << "en" << true;
    QTest::newRow("task list of one word") << QByteArray("[SCHEDULER]\ntasks=a\n") << 0 << 0 << "en" << true;
    QTest::newRow("unterminated section") << QByteArray("[GENERAL\n") + good << 5 << 1 << "en" << true;
    QTest::newRow("session list cut short") << good.left(listEnd - 40) + "\n" << 5 << 1 << "en" << true;
    QTest::newRow("record that is not a map")
        << QByteArray(good).replace("\nlist=", "\nlist=text, ") << 6 << 1 << "en" << true;
    QTest::newRow("binary garbage in a stored file")
        << good.left(200) + QByteArray("\0\x01\xff\xfe", 4) + good.mid(200) << 5 << 0 << "en" << true;
}

// A damaged file is copied aside before the first write, a clean one never;
// either way the store starts with what could be read and keeps working.
void TestStorage::opensAnyFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, sessions);
    QFETCH(QString, locale);
    QFETCH(bool, damaged);
    if (!content.isNull())
        writeBytes(path(), content);
    if (damaged)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[ConfigurationManager\\] The settings file is "
                                                              "damaged; copied it to .*damaged-\\d{8}-\\d{6} "));
    ConfigurationManager store(path());
    QCOMPARE(store.sessions().size(), sessions);
    QTEST(int(store.tasks().size()), "tasks");
    QCOMPARE(store.localeSelected(), locale);
    const QByteArray bytes = fileBytes(path());
    QVERIFY(bytes.contains("[%General]\nlocale_selected=" + locale.toUtf8() + "\nversion=7.8.1.0\n"));
    QCOMPARE(bytes.count("version="), 1);

    store.addSession({}, "after", 1, 0, 0, "m");
    QCOMPARE(store.sessions().size(), sessions + 1);
    QCOMPARE(backups().size(), damaged ? 1 : 0);
    if (damaged)
        QCOMPARE(fileBytes(m_dir->filePath(backups().first())), content);
}

void TestStorage::changes_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariantMap>("argument");
    QTest::addColumn<QString>("stored"); // testers newest first | task descriptions
    QTest::addColumn<bool>("saved");
    const QString all = "B C A - | - first odd second";
    const QVariantMap tenOClock{{"date", sessionRecord("", 10).value("date")}};
    QTest::newRow("nothing") << "" << QVariantMap() << all << false;
    QTest::newRow("add session") << "addSession" << QVariantMap() << "new B C A - | - first odd second" << true;
    QTest::newRow("remove session by date only")
        << "removeSession" << tenOClock << "B C - | - first odd second" << true;
    QTest::newRow("remove session of another minute") << "removeSession" << sessionRecord("A", 9) << all << false;
    QTest::newRow("update first of two with the id")
        << "updateTask" << QVariantMap{{"id", "dup"}, {"description", "new"}} << "B C A - | - new odd second" << true;
    QTest::newRow("update unknown task") << "updateTask" << QVariantMap{{"id", "zz"}} << all << false;
    QTest::newRow("update task without id") << "updateTask" << QVariantMap{{"description", "x"}} << all << false;
    QTest::newRow("remove first of two with the id")
        << "removeTask" << QVariantMap{{"id", "dup"}} << "B C A - | - odd second" << true;
    QTest::newRow("remove unknown task") << "removeTask" << QVariantMap{{"id", "zz"}} << all << false;
    QTest::newRow("remove task with empty id") << "removeTask" << QVariantMap{{"id", ""}} << all << false;
}

// Sessions come newest first; those without a readable date go last, equal
// dates keep their stored order. A change reaches the file, replacing it whole,
// before the call returns; a change of what is not stored writes nothing. Odd
// task values are the queue's to judge: the store keeps them.
void TestStorage::changes()
{
    QFETCH(QString, operation);
    QFETCH(QVariantMap, argument);
    const QVariantList tasks{taskRecord(QVariant(), "-"), taskRecord("dup", "first"),
                             taskRecord("odd", "odd", QVariant(qint64(-86400000))), taskRecord("dup", "second")};
    writeSettings(path(), {{SessionList, QVariantList{sessionRecord("A", 10), sessionRecord("-", -1),
                                                      sessionRecord("B", 11), sessionRecord("C", 11)}},
                           {TaskList, tasks}});
    ConfigurationManager store(path());
    const ino_t inode = inodeOf(path());
    if (operation == "addSession")
        store.addSession({}, "new", 1, 0, 0, "m");
    if (operation == "removeSession")
        store.removeSession(argument);
    if (operation == "removeTask")
        store.removeTask(argument.value("id").toString());
    if (operation == "updateTask" && !argument.contains("id"))
        QTest::ignoreMessage(QtWarningMsg, "[ConfigurationManager] A task update without an id was ignored");
    if (operation == "updateTask")
        store.updateTask(argument);
    QTEST(inodeOf(path()) != inode, "saved");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({SettingsFileName}));
    const auto file = freshRead(path());
    QCOMPARE(file->value(SessionList).toList().size(), store.sessions().size());
    QCOMPARE(file->value(TaskList).toList(), store.tasks());
    QTEST(QStringList(fieldsOf(store.sessions(), "tester") + QStringList("|") + fieldsOf(store.tasks(), "description"))
              .join(' '),
          "stored");
    QVERIFY(store.tasks().contains(tasks.at(2)));
}

// A child process adds sessions in a loop and is killed at random moments.
// Whatever the moment, the file must parse and hold every session whose add
// had returned. QSettings waits for its lock without limit, so the next
// process must also see the lock of the killed one as stale.
void TestStorage::killDuringSaveNeverTearsFile()
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
        const auto readConfirmed = [&] { confirmed = child.readLine().trimmed().mid(6).toInt(); };
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

        const auto file = freshRead(path());
        QCOMPARE(file->status(), QSettings::NoError);
        const QVariantList stored = file->value(SessionList).toList();
        QVERIFY2(stored.size() == confirmed || stored.size() == confirmed + 1,
                 qPrintable(QString("round %1: %2 stored, %3 confirmed").arg(round).arg(stored.size()).arg(confirmed)));
        for (const QVariant &record : stored)
            QCOMPARE(record.toMap().value("test_session").type(), QVariant::Map);
        confirmed = stored.size();
    }
}

// A fresh process reads the stored language back under the group name it was
// written with. In a folder it cannot write, it keeps working in memory.
void TestStorage::restartAndReadOnlyFolder()
{
    writeBytes(path(), "[%General]\nlocale_selected=it\nversion=1.0\n");
    QVERIFY(runChild("addonce", path()).contains("added 1\n"));
    QVERIFY(runChild("addonce", path()).contains("added 2\n"));
    const QByteArray before = fileBytes(path());
    QVERIFY(before.startsWith("[%General]\nlocale_selected=it\nversion=7.8.1.0\n"));
    QCOMPARE(before.count("locale_selected="), 1);

    QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadOther | QFile::WriteOwner));
    QVERIFY(
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const QString output = runChild("addasuser", path());
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(output.contains("[ConfigurationManager] Unable to save the settings file") && output.contains("added 3\n"),
             qPrintable(output));
    QCOMPARE(fileBytes(path()), before);
}

SavedSessionsModel *TestStorage::model(const QVariantList &sessions)
{
    writeSettings(path(), {{SessionList, sessions}});
    m_store = std::make_unique<ConfigurationManager>(path());
    m_model = std::make_unique<SavedSessionsModel>(m_store.get());
    return m_model.get();
}

// The cells by value; values of the wrong type show defaults.
void TestStorage::cells()
{
    const QVariantMap unreadable{{"date", "not a date"},
                                 {"ntest", "many"},
                                 {"monitorselected", "x"},
                                 {"monitorinfo", QVariantList{}},
                                 {"nfailedtestcontents", -2}};
    model({sessionRecord("Bob", 9), sessionRecord("Ada", 14, 1), unreadable});
    const auto cells = [this](int row) {
        QStringList texts;
        for (int column = 0; column < 7; ++column)
            texts << m_model->index(row, column).data().toString();
        return texts.join('|');
    };
    const QString monitor = TR::Translator::instance()->translate("monitor");
    QCOMPARE(cells(0), "Ada|05/03/2024 - 14:07|4|" + monitor + " 1 Test monitor||report|delete");
    QCOMPARE(cells(2), "||0|" + monitor + " 0 ||report|delete");
    const auto image = [this](int row, int column) { return m_model->index(row, column).data(Qt::DecorationRole); };
    for (const auto &[row, column, name] :
         {std::make_tuple(0, 4, "xicon"), std::make_tuple(1, 4, "checkicon"), std::make_tuple(2, 4, "checkicon"),
          std::make_tuple(0, 5, "reporticon"), std::make_tuple(0, 6, "deleteicon")})
        QCOMPARE(image(row, column).value<QImage>(), QImage(QString(":/assets/") + name));
}

// A row outside the table removes nothing, not even a session without a date.
void TestStorage::modelChangesInsideResets()
{
    model({sessionRecord("Bob", 9), sessionRecord("Ada", 10), sessionRecord("no date", -1)});
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->removeSession(-1);
    m_model->removeSession(3);
    QCOMPARE(m_store->sessions().size(), 3);
    m_model->addSession({}, "Cleo", 2, 1, 0, "Laptop panel");
    m_model->removeSession(1);
    QCOMPARE(reset.count(), 2);
    QCOMPARE(fieldsOf(m_store->sessions(), "tester"), QStringList({"Cleo", "Bob", "no date"}));
    QCOMPARE(m_store->sessions(), QVariantList({m_model->recordAt(0), m_model->recordAt(1), m_model->recordAt(2)}));
    QCOMPARE(m_model->index(0, 2).data(), QVariant(2));
}

// A 24-pixel image centred on ((left + right) / 2, (top + bottom) / 2) of the
// cell starts 11 pixels up and to the left of it.
void TestStorage::paintCentresImage()
{
    QImage canvas(80, 80, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QImage expected = canvas;
    const QModelIndex index = model({sessionRecord("Ada", 9)})->index(0, 6);
    QStyleOptionViewItem option;
    option.rect = QRect(10, 20, 42, 30);
    option.state |= QStyle::State_Selected | QStyle::State_HasFocus;
    QPainter painter(&canvas);
    SavedSessionsItemDelegate().paint(&painter, option, index);
    painter.end();
    QPainter(&expected).drawImage(19, 23, index.data(Qt::DecorationRole).value<QImage>());
    QCOMPARE(canvas, expected);
}

void TestStorage::clicks_data()
{
    QTest::addColumn<QPoint>("pressCell"); // (column, row)
    QTest::addColumn<QPoint>("releaseCell");
    QTest::addColumn<bool>("emitted");
    QTest::newRow("click on delete") << QPoint(6, 1) << QPoint(6, 1) << true;
    QTest::newRow("click on status") << QPoint(4, 0) << QPoint(4, 0) << false;
    QTest::newRow("release on another row's delete") << QPoint(6, 0) << QPoint(6, 1) << false;
}

// Sent to the delegate itself: a view passes on a release only over the
// pressed cell, and the delegate must not rely on that.
void TestStorage::clicks()
{
    QFETCH(QPoint, pressCell);
    QFETCH(QPoint, releaseCell);
    model({sessionRecord("Ada", 9), sessionRecord("Bob", 10)});
    SavedSessionsItemDelegate delegate;
    QSignalSpy clicked(&delegate, &SavedSessionsItemDelegate::buttonClicked);
    for (const auto &[type, cell] : {std::make_pair(QEvent::MouseButtonPress, pressCell),
                                     std::make_pair(QEvent::MouseButtonRelease, releaseCell)}) {
        QStyleOptionViewItem option;
        option.rect = QRect(cell.x() * 60, cell.y() * 30, 60, 30);
        QMouseEvent event(type, option.rect.center(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        static_cast<QAbstractItemDelegate &>(delegate).editorEvent(&event, m_model.get(), option,
                                                                   m_model->index(cell.y(), cell.x()));
    }
    QTEST(!clicked.isEmpty(), "emitted");
    if (!clicked.isEmpty())
        QCOMPARE(clicked.first().at(0).value<QModelIndex>(), m_model->index(pressCell.y(), pressCell.x()));
}

QTEST_MAIN(TestStorage)
#include "tst_storage.moc"
