#include "testconfig.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <signal.h>

// Real lumivex processes on a virtual X server, talking through the
// single-instance channel. Each test gives its processes a temporary folder of
// their own (TMPDIR), and with it a segment of their own under the real key.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStartShowsTheHomePage();
    void firstStartWithCloseEndsAtOnce();
    void simultaneousStartsNeverFail();
    void unansweredMessageTimesOut();
    void unusableChannelExitsWithTwo();

private:
    std::unique_ptr<QProcess> start(const QStringList &arguments, QByteArray *log, bool onScreen = false);
    int runSecond(const QStringList &arguments, int timeoutMs = 5000);
    bool closeFirst();

    std::unique_ptr<QTemporaryDir> m_tempDir;
    std::unique_ptr<QProcess> m_first;
    QByteArray m_firstLog;
};

namespace {

const QString Program = QStringLiteral(LUMIVEX_BIN_DIR "/lumivex");
const QByteArray StartedLine = "-----> APPLICATION STARTED WITH PARAMETERS: ";
const QByteArray ShownLine = "[MainWindow] Window shown";

// The most white runs of at least 250 pixels on one row: the top bar gives
// one, the row through the home page's three large buttons gives three.
int largeWhiteRuns(const QImage &image)
{
    int most = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int runs = 0;
        int length = 0;
        for (int x = 0; x <= image.width(); ++x) {
            if (x < image.width() && qRed(row[x]) == 255 && qGreen(row[x]) == 255 && qBlue(row[x]) == 255) {
                ++length;
                continue;
            }
            runs += length >= 250;
            length = 0;
        }
        most = qMax(most, runs);
    }
    return most;
}

int screenWhiteRuns()
{
    return largeWhiteRuns(
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32));
}

} // namespace

void TestSingleInstance::init()
{
    m_tempDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tempDir->isValid());
    m_firstLog.clear();
}

void TestSingleInstance::cleanup()
{
    m_first.reset();
}

// Windows go to the X server only where they are looked at; the others stay offscreen.
std::unique_ptr<QProcess> TestSingleInstance::start(const QStringList &arguments, QByteArray *log, bool onScreen)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), m_tempDir->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), onScreen ? QStringLiteral("xcb") : QStringLiteral("offscreen"));
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(m_tempDir->path());
    if (log)
        connect(process.get(), &QProcess::readyReadStandardError, this,
                [log, p = process.get()] { *log += p->readAllStandardError(); });
    process->start(Program, arguments);
    return process;
}

int TestSingleInstance::runSecond(const QStringList &arguments, int timeoutMs)
{
    const auto second = start(arguments, nullptr);
    if (!second->waitForFinished(timeoutMs))
        return -1;
    return second->exitStatus() == QProcess::NormalExit ? second->exitCode() : -1;
}

bool TestSingleInstance::closeFirst()
{
    if (runSecond({QStringLiteral("-CLOSE")}) != 0)
        return false;
    return m_first->waitForFinished(5000) && m_first->exitStatus() == QProcess::NormalExit && m_first->exitCode() == 0;
}

void TestSingleInstance::firstStartShowsTheHomePage()
{
    m_first = start({}, &m_firstLog, true);
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine + "NO PARAMS"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(screenWhiteRuns(), 3, 10000);
    QVERIFY(closeFirst());
}

// Before the event loop runs, leaving it is lost: the process must end by itself.
void TestSingleInstance::firstStartWithCloseEndsAtOnce()
{
    m_first = start({QStringLiteral("-close")}, &m_firstLog);
    QVERIFY(m_first->waitForFinished(10000));
    QCOMPARE(m_first->exitCode(), 0);
    QVERIFY(!m_firstLog.contains(ShownLine));
}

// One start owns the channel before it has created the segment; the other
// must wait for it instead of giving up with 2.
void TestSingleInstance::simultaneousStartsNeverFail()
{
    for (int trial = 0; trial < 20; ++trial) {
        auto one = start({QStringLiteral("-hide")}, nullptr);
        auto other = start({QStringLiteral("-hide")}, nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(one->state() == QProcess::NotRunning || other->state() == QProcess::NotRunning, 15000);
        const bool oneEnded = one->state() == QProcess::NotRunning;
        QProcess *forwarder = oneEnded ? one.get() : other.get();
        QVERIFY2(forwarder->exitCode() == 0 || forwarder->exitCode() == 1, qPrintable(QString::number(trial)));
        m_first = std::move(oneEnded ? other : one);
        QVERIFY(closeFirst());
    }
}

void TestSingleInstance::unansweredMessageTimesOut()
{
    m_first = start({QStringLiteral("-hide")}, &m_firstLog);
    QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);

    // A first instance that is alive but does not poll (stopped) never answers.
    // The text stays in the segment and is taken at the next poll: the hidden
    // window is shown.
    ::kill(pid_t(m_first->processId()), SIGSTOP);
    QCOMPARE(runSecond({QStringLiteral("-show")}, 15000), 1);

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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), plainFile.fileName());
    process.setProcessEnvironment(env);
    process.start(Program, {QStringLiteral("-show")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().contains("[LumivexApplication] Unable to create shared memory: "));
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
