#include "support/patience.h"
#include "testconfig.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// The real program started as the desktop entry starts it ("-userdata") and as
// a terminal starts it: its files land in the user's data folder or in the
// working folder, never in both.
class TestDataFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    // The user "nobody" of Debian, to own a folder that is not the tester's.
    static constexpr uid_t NobodyId = 65534;

    QString path(const QString &name) const { return m_root.filePath(name); }

    bool holdsFiles(const QString &folder) const { return !QDir(folder).isEmpty(QDir::Files); }

    QProcess *startProgram(const QStringList &arguments, const QString &dataHome)
    {
        auto *process = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("TMPDIR"), path("run"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("run"));
        // Only the program's own lines: Qt's debug lines would repeat a dialog's text.
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=false"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(path("work"));
        process->start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex"), arguments);
        return process;
    }

private slots:
    void init()
    {
        for (const char *folder : {"work", "run", "data"})
            QVERIFY(QDir(m_root.path()).mkpath(folder));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void cleanup()
    {
        for (const char *folder : {"work", "run", "data"})
            QDir(path(folder)).removeRecursively();
        QFile::remove(path("file"));
    }

    void folderChosenByOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("inDataFolder");
        QTest::newRow("terminal: working folder") << QStringList{"-close"} << false;
        QTest::newRow("desktop entry: data folder") << QStringList{"-userdata", "-close"} << true;
        QTest::newRow("option in capitals") << QStringList{"-USERDATA", "-close"} << true;
    }

    void folderChosenByOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, inDataFolder);
        QProcess *program = startProgram(arguments, path("data"));
        QVERIFY(program->waitForFinished(Patience));
        QCOMPARE(program->exitCode(), 0);
        const QFileInfo dataFolder(path("data/lumivex"));
        QCOMPARE(holdsFiles(dataFolder.filePath()), inDataFolder);
        QCOMPARE(holdsFiles(path("work")), !inDataFolder);
        if (inDataFolder)
            QCOMPARE(dataFolder.permissions() & 0x0077, QFile::Permissions());
    }

    // A folder other users may write: the user's own is made owner-only and the
    // program says so; another user's is refused before anything is opened in it.
    void folderOpenToOthers_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("foreign");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("own data folder") << QStringList{"-userdata"} << "data/lumivex" << false
                                         << QByteArray("has made it yours alone");
        QTest::newRow("own working folder with the database")
            << QStringList() << "work" << false << QByteArray("has made it yours alone");
        QTest::newRow("another user's data folder")
            << QStringList{"-userdata"} << "data/lumivex" << true << QByteArray("does not keep its data");
    }

    void folderOpenToOthers()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        QFETCH(bool, foreign);
        QFETCH(QByteArray, said);
        if (foreign && ::geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        QVERIFY(QDir(m_root.path()).mkpath(folder));
        QVERIFY(QFile(path("work/Lumivex.sqlite")).open(QIODevice::WriteOnly));
        const QByteArray folderPath = QFile::encodeName(path(folder));
        QCOMPARE(::chmod(folderPath.constData(), 0777), 0);
        if (foreign)
            QCOMPARE(::chown(folderPath.constData(), NobodyId, NobodyId), 0);
        QProcess *program = startProgram(arguments, path("data"));
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += program->readAllStandardError()).contains(said), Patience);
        program->kill();
        program->waitForFinished(Patience);
        struct stat status = {};
        QCOMPARE(::stat(folderPath.constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 0777), foreign ? 0777 : 0700);
        if (foreign)
            QVERIFY(!holdsFiles(path(folder)));
    }

    // The settings file of an earlier version, once the program has moved its
    // sessions into the database: the report tool names the database and the
    // copy of the old file instead of only finding no sessions.
    void importedSettingsFileNamesTheDatabase()
    {
        {
            QSettings old(path("work/Lumivex 2016.ini"), QSettings::IniFormat);
            old.setValue("TEST_SESSIONS/list", QVariantList{QVariantMap{{"tester", "Dana Weber"},
                                                                        {"date", QDateTime::currentDateTime()},
                                                                        {"monitorinfo", "MedView"}}});
        }
        QProcess *program = startProgram({"-close"}, path("data"));
        QVERIFY(program->waitForFinished(Patience));
        QProcess tool;
        tool.setWorkingDirectory(path("work"));
        tool.start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-report"), {"--settings", "Lumivex 2016.ini", "--list"});
        QVERIFY(tool.waitForFinished(Patience));
        const QString said = QString::fromUtf8(tool.readAllStandardError());
        QVERIFY2(tool.exitCode() == 1 &&
                     said.contains("holds no stored sessions; the program keeps its sessions in the database \"" +
                                   path("work/Lumivex.sqlite") + "\"") &&
                     said.contains("is kept as \"" + path("work/Lumivex 2016.ini.before-database-")),
                 qPrintable(said));
    }

    // A data folder that cannot be made: the program says so and keeps nothing
    // in the working folder instead.
    void unusableDataFolderStopsTheProgram()
    {
        QVERIFY(QFile(path("file")).open(QIODevice::WriteOnly));
        QProcess *program = startProgram({"-userdata"}, path("file"));
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += program->readAllStandardError()).contains("cannot keep its data"), Patience);
        program->kill();
        program->waitForFinished(Patience);
        QVERIFY(!holdsFiles(path("work")));
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
