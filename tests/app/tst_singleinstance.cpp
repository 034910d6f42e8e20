#include "support/patience.h"
#include "testconfig.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

#include <signal.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>

const QByteArray StartedLine = "-----> APPLICATION STARTED WITH PARAMETERS: ";

// The most white runs of at least 250 pixels on one row of the screen: the top
// bar gives one, the row through the home page's three large buttons gives three.
int largeWhiteRuns()
{
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    int most = 0;
    for (int y = 0; y < image.height(); ++y) {
        int runs = 0;
        for (int x = 0, length = 0; x <= image.width(); ++x) {
            const bool white = x < image.width() && (image.pixel(x, y) | 0xff000000) == 0xffffffff;
            runs += !white && length >= 250;
            length = white ? length + 1 : 0;
        }
        most = qMax(most, runs);
    }
    return most;
}

// Runs a command as the user nobody, a real second user (the tests run as root).
int asNobody(const QStringList &command)
{
    return QProcess::execute(QStringLiteral("setpriv"),
                             QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command);
}

// The System V key the toolkit makes from a key file, which is created for it.
// ftok() keeps only 16 bits of the file's inode, and a reused inode can give a
// key that a semaphore or segment left by an earlier, killed run still holds:
// such a file is moved aside, keeping its inode, until the key is free.
key_t keyFromFile(const QString &path)
{
    for (int attempt = 0;; ++attempt) {
        QFile(path).open(QIODevice::WriteOnly);
        const key_t key = ::ftok(QFile::encodeName(path).constData(), 'Q');
        const bool noSemaphore = ::semget(key, 0, 0) == -1 && errno == ENOENT;
        if (noSemaphore && ::shmget(key, 0, 0) == -1 && errno == ENOENT)
            return key;
        QFile::rename(path, path + QStringLiteral(".taken-") + QString::number(attempt));
    }
}

// Real lumivex processes on a virtual X server, talking through the
// single-instance channel. The processes of this test share a runtime folder
// of their own (XDG_RUNTIME_DIR), and with it a segment under the real key.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Others may pass through the work folder to the shared folder of the fallback case.
        QVERIFY(QFile::setPermissions(m_workDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                            QFile::ExeGroup | QFile::ExeOther));
        QVERIFY(QDir(m_workDir.path()).mkdir(QStringLiteral("runtime")));
        QVERIFY(QFile::setPermissions(m_workDir.filePath(QStringLiteral("runtime")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    void init()
    {
        m_tmpDir = m_workDir.path();
        m_runtimeDir = m_workDir.filePath(QStringLiteral("runtime"));
    }
    void cleanup() { m_first.reset(); }

    // Before the event loop runs, leaving it is lost: the process must end by itself.
    void firstStartWithCloseEndsAtOnce()
    {
        m_first = start({QStringLiteral("-close")});
        QVERIFY(m_first->waitForFinished(Patience));
        QCOMPARE(m_first->exitCode(), 0);
    }

    // One start owns the channel before it has created the segment; the other
    // must wait for it instead of giving up with 2.
    void simultaneousStartsNeverFail()
    {
        for (int trial = 0; trial < 20; ++trial) {
            m_first = start({QStringLiteral("-hide")});
            auto other = start({QStringLiteral("-hide")});
            QTRY_VERIFY_WITH_TIMEOUT(m_first->state() == QProcess::NotRunning || other->state() == QProcess::NotRunning,
                                     Patience);
            if (other->state() != QProcess::NotRunning)
                std::swap(m_first, other);
            QVERIFY(other->exitCode() == 0 || other->exitCode() == 1);
            QVERIFY(closeFirst());
        }
    }

    // An owner that is alive but stopped never answers: the sender gives up with
    // 1, and the text it left is taken at the next poll. An owner that was killed
    // leaves its segment behind, and the next start takes it over and shows the home page.
    void stoppedOrKilledOwner()
    {
        m_first = start({QStringLiteral("-hide")});
        QTRY_VERIFY_WITH_TIMEOUT(firstLog().contains(StartedLine), Patience);
        ::kill(pid_t(m_first->processId()), SIGSTOP);
        QCOMPARE(runSecond({QStringLiteral("-show")}), 1);
        ::kill(pid_t(m_first->processId()), SIGCONT);
        QTRY_VERIFY_WITH_TIMEOUT(firstLog().contains("[MainWindow] Window shown"), Patience);
        ::kill(pid_t(m_first->processId()), SIGKILL);
        QVERIFY(m_first->waitForFinished(Patience));
        m_first = start({}, true);
        QTRY_VERIFY_WITH_TIMEOUT(firstLog().contains("[LumivexApplication] Taking over shared memory"), Patience);
        QTRY_VERIFY_WITH_TIMEOUT(firstLog().contains(StartedLine + "NO PARAMS"), Patience);
        QTRY_COMPARE_WITH_TIMEOUT(largeWhiteRuns(), 3, Patience);
        QVERIFY(closeFirst());
    }

    void foreignChannelIsRefused_data()
    {
        QTest::addColumn<QString>("taken"); // what another user did first
        QTest::addColumn<QString>("reason");
        const auto row = [](const char *name, const char *taken, const char *reason) {
            QTest::newRow(name) << taken << reason;
        };
        row("runtime folder of another user", "folder", "belongs to another user");
        row("runtime folder open to others", "open folder", "is open to other users (mode 777)");
        row("private folder made first, runtime folder unset", "fallback", "belongs to another user");
        row("segment made first, readable by all", "segment", "segment of");
        row("semaphore made first, usable by all", "semaphore", "semaphore of");
        row("runtime folder that is a plain file", "file", "");
    }

    // Whatever another user made first is refused, said on one line, and never obeyed; a runtime "folder"
    // that is a plain file gives the channel no place.
    void foreignChannelIsRefused()
    {
        QFETCH(QString, taken);
        QFETCH(QString, reason);
        const QString folder = m_workDir.filePath(QStringLiteral("taken-") + QTest::currentDataTag());
        QVERIFY(QDir().mkdir(folder));
        m_runtimeDir = folder;
        key_t foreignKey = -1;
        if (taken == "file") {
            QVERIFY(QDir().rmdir(folder) && QFile(folder).open(QIODevice::WriteOnly));
        } else if (taken == "folder") {
            QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        } else if (taken == "open folder") {
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
        } else if (taken == "fallback") {
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 01777) == 0);
            m_runtimeDir.clear();
            m_tmpDir = folder;
            QCOMPARE(asNobody({"mkdir", "-m", "0700", folder + "/lumivex-" + QString::number(::getuid())}), 0);
        } else {
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0700) == 0);
            const bool segment = taken == "segment";
            foreignKey = keyFromFile(folder + '/' + keyFileName(segment ? "qipc_sharedmemory_" : "qipc_systemsem_"));
            const QString make = segment ? "shmget($ARGV[0], 4096, 01666)" : "semget($ARGV[0], 1, 01666)";
            QCOMPARE(asNobody({"perl", "-e", "defined(" + make + ") or die qq($!)", QString::number(foreignKey)}), 0);
        }
        m_first = start({QStringLiteral("-close")});
        QVERIFY(m_first->waitForFinished(Patience));
        if (foreignKey != -1)
            QProcess::execute("ipcrm", {taken == "segment" ? "-M" : "-S", QString::number(foreignKey)});
        QCOMPARE(m_first->exitCode(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(firstLog().contains("[LumivexApplication] The single-instance channel is refused: "),
                                 Patience);
        QVERIFY2(firstLog().contains(reason.toUtf8()), firstLog().constData());
    }

private:
    // Windows go to the X server only where they are looked at; the others stay offscreen.
    std::unique_ptr<QProcess> start(const QStringList &arguments, bool onScreen = false)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), m_tmpDir);
        if (m_runtimeDir.isEmpty())
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        else
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), onScreen ? QStringLiteral("xcb") : QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_workDir.path());
        connect(process.get(), &QProcess::readyReadStandardError, this,
                [p = process.get()] { p->setProperty("log", logOf(p) + p->readAllStandardError()); });
        process->start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex"), arguments);
        return process;
    }

    // What a process wrote to its standard error so far.
    static QByteArray logOf(const QProcess *process) { return process->property("log").toByteArray(); }
    QByteArray firstLog() const { return logOf(m_first.get()); }

    int runSecond(const QStringList &arguments)
    {
        const auto second = start(arguments);
        if (!second->waitForFinished(Patience) || second->exitStatus() != QProcess::NormalExit)
            return -1;
        return second->exitCode();
    }

    // The owner answers from its event loop, which a busy machine may start later
    // than a sender waits: the message goes once the owner has said it started.
    bool closeFirst()
    {
        return QTest::qWaitFor([this] { return firstLog().contains(StartedLine); }, Patience) &&
               runSecond({QStringLiteral("-CLOSE")}) == 0 && m_first->waitForFinished(Patience) &&
               m_first->exitStatus() == QProcess::NormalExit && m_first->exitCode() == 0;
    }

    // The toolkit's name of a key file of the channel, with the given prefix.
    static QString keyFileName(const QString &prefix)
    {
        QSharedMemory probe;
        probe.setKey(QStringLiteral("Lumivex-") + QString::number(::getuid()));
        return QFileInfo(probe.nativeKey()).fileName().replace(QStringLiteral("qipc_sharedmemory_"), prefix);
    }

    QTemporaryDir m_workDir;
    QString m_tmpDir;
    QString m_runtimeDir;
    std::unique_ptr<QProcess> m_first;
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
