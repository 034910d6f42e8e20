#include "testconfig.h"

#include <QProcess>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <signal.h>

// Real lumivex processes talking through the single-instance channel. Each test
// gives its processes a temporary folder of their own (TMPDIR), and with it a
// segment of their own under the real key.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStartWithoutOptionsShowsWindow();
    void firstStartListsItsOptions();
    void secondStartShowsHiddenFirst();
    void secondStartClosesFirstInCapitals();
    void secondStartWithoutOptionsChangesNothing();
    void killedFirstInstanceIsReplaced();
    void unansweredMessageTimesOut();
    void unusableChannelExitsWithTwo();

private:
    std::unique_ptr<QProcess> startFirst(const QStringList &arguments);
    int runSecond(const QStringList &arguments, int timeoutMs = 5000);
    QProcessEnvironment environment() const;
    bool closeFirst();

    std::unique_ptr<QTemporaryDir> m_tempDir;
    std::unique_ptr<QProcess> m_first;
    QByteArray m_firstLog;
};

namespace {

const QString Program = QStringLiteral(LUMIVEX_BIN_DIR "/lumivex");
const QByteArray StartedLine = "-----> APPLICATION STARTED WITH PARAMETERS: ";
const QByteArray ShownLine = "[MainWindow] Window shown";

} // namespace

void TestSingleInstance::init()
{
    m_tempDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tempDir->isValid());
    m_firstLog.clear();
}

void TestSingleInstance::cleanup()
{
    if (m_first && m_first->state() != QProcess::NotRunning) {
        m_first->kill();
        m_first->waitForFinished();
    }
    m_first.reset();
}

QProcessEnvironment TestSingleInstance::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), m_tempDir->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

std::unique_ptr<QProcess> TestSingleInstance::startFirst(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(m_tempDir->path());
    connect(process.get(), &QProcess::readyReadStandardError, this,
            [this, p = process.get()] { m_firstLog += p->readAllStandardError(); });
    process->start(Program, arguments);
    return process;
}

int TestSingleInstance::runSecond(const QStringList &arguments, int timeoutMs)
{
    QProcess second;
    second.setProcessEnvironment(environment());
    second.setWorkingDirectory(m_tempDir->path());
    second.start(Program, arguments);
    if (!second.waitForFinished(timeoutMs))
        return -1;
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

bool TestSingleInstance::closeFirst()
{
    if (runSecond({QStringLiteral("-close")}) != 0)
        return false;
    return m_first->waitForFinished(5000) && m_first->exitStatus() == QProcess::NormalExit && m_first->exitCode() == 0;
}

void TestSingleInstance::firstStartWithoutOptionsShowsWindow()
{
    m_first = startFirst({});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine + "NO PARAMS"), 10000);
    QTRY_VERIFY(m_firstLog.contains(ShownLine));
    QVERIFY(closeFirst());
}

void TestSingleInstance::firstStartListsItsOptions()
{
    m_first = startFirst({QStringLiteral("-hide"), QStringLiteral("extra")});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine + "[-hide, extra]"), 10000);
    QVERIFY(closeFirst());
    QVERIFY(!m_firstLog.contains(ShownLine));
}

void TestSingleInstance::secondStartShowsHiddenFirst()
{
    m_first = startFirst({QStringLiteral("-hide")});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);
    QVERIFY(!m_firstLog.contains(ShownLine));

    QCOMPARE(runSecond({QStringLiteral("-show")}, 2000), 0);
    QTRY_VERIFY(m_firstLog.contains(ShownLine));
    QVERIFY(closeFirst());
}

void TestSingleInstance::secondStartClosesFirstInCapitals()
{
    m_first = startFirst({QStringLiteral("-hide")});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);
    QCOMPARE(runSecond({QStringLiteral("-CLOSE")}), 0);
    QVERIFY(m_first->waitForFinished(5000));
    QCOMPARE(m_first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_first->exitCode(), 0);
}

void TestSingleInstance::secondStartWithoutOptionsChangesNothing()
{
    m_first = startFirst({QStringLiteral("-hide")});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);
    QCOMPARE(runSecond({}), 0);
    QVERIFY(closeFirst());
    QVERIFY(!m_firstLog.contains(ShownLine));
}

void TestSingleInstance::killedFirstInstanceIsReplaced()
{
    m_first = startFirst({QStringLiteral("-hide")});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);
    ::kill(pid_t(m_first->processId()), SIGKILL);
    QVERIFY(m_first->waitForFinished(5000));

    // The killed owner's segment is still there. Staying attached keeps it
    // alive (the last detach would remove it) while the next start looks.
    qputenv("TMPDIR", m_tempDir->path().toLocal8Bit());
    QSharedMemory orphan(QStringLiteral("Lumivex"));
    qunsetenv("TMPDIR");
    QVERIFY(orphan.attach());

    // The next start takes it over instead of waiting for a dead owner.
    m_firstLog.clear();
    m_first = startFirst({QStringLiteral("-hide")});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);
    QVERIFY(m_firstLog.contains("[LumivexApplication] Taking over shared memory"));
    QCOMPARE(m_first->state(), QProcess::Running);
    orphan.detach();

    QCOMPARE(runSecond({QStringLiteral("-show")}, 2000), 0);
    QTRY_VERIFY(m_firstLog.contains(ShownLine));
    QVERIFY(closeFirst());
}

void TestSingleInstance::unansweredMessageTimesOut()
{
    m_first = startFirst({QStringLiteral("-hide")});
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);

    // A first instance that is alive but does not poll (stopped) never answers.
    ::kill(pid_t(m_first->processId()), SIGSTOP);
    QCOMPARE(runSecond({QStringLiteral("-show")}, 15000), 1);

    // The text stays in the segment and is taken at the next poll.
    ::kill(pid_t(m_first->processId()), SIGCONT);
    QTRY_VERIFY(m_firstLog.contains(ShownLine));
    QVERIFY(closeFirst());
}

void TestSingleInstance::unusableChannelExitsWithTwo()
{
    // A temporary "folder" that is a plain file gives the segment no key file.
    QFile plainFile(m_tempDir->filePath(QStringLiteral("not-a-folder")));
    QVERIFY(plainFile.open(QIODevice::WriteOnly));
    plainFile.close();

    QProcess process;
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("TMPDIR"), plainFile.fileName());
    process.setProcessEnvironment(env);
    process.start(Program, {QStringLiteral("-show")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().contains("[LumivexApplication] Unable to create shared memory: "));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
