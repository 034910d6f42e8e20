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

// Real lumivex processes on a virtual X server, talking through the
// single-instance channel. Each test gives its processes a temporary folder of
// their own (TMPDIR), and with it a segment of their own under the real key.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_tmpDir = m_workDir.path(); }
    void cleanup() { m_first.reset(); }

    void firstStartShowsTheHomePage()
    {
        startFirst({}, true);
        QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine + "NO PARAMS"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(largeWhiteRuns(), 3, 10000);
        QVERIFY(closeFirst());
    }

    // Before the event loop runs, leaving it is lost: the process must end by itself.
    void firstStartWithCloseEndsAtOnce()
    {
        startFirst({QStringLiteral("-close")});
        QVERIFY(m_first->waitForFinished(10000));
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
                                     15000);
            if (other->state() != QProcess::NotRunning)
                std::swap(m_first, other);
            QVERIFY(other->exitCode() == 0 || other->exitCode() == 1);
            QVERIFY(closeFirst());
        }
    }

    // An owner that is alive but stopped never answers: the sender gives up with
    // 1, and the text it left is taken at the next poll. An owner that was killed
    // leaves its segment behind, and the next start takes it over.
    void stoppedOrKilledOwner()
    {
        startFirst({QStringLiteral("-hide")});
        QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains(StartedLine), 10000);
        ::kill(pid_t(m_first->processId()), SIGSTOP);
        QCOMPARE(runSecond({QStringLiteral("-show")}, 15000), 1);
        ::kill(pid_t(m_first->processId()), SIGCONT);
        QTRY_VERIFY(m_firstLog.contains("[MainWindow] Window shown"));
        ::kill(pid_t(m_first->processId()), SIGKILL);
        QVERIFY(m_first->waitForFinished(5000));
        startFirst({QStringLiteral("-hide")});
        QTRY_VERIFY_WITH_TIMEOUT(m_firstLog.contains("[LumivexApplication] Taking over shared memory"), 10000);
        QVERIFY(closeFirst());
    }

    // A temporary "folder" that is a plain file gives the segment no key file.
    void unusableChannelExitsWithTwo()
    {
        m_tmpDir = m_workDir.filePath(QStringLiteral("not-a-folder"));
        QVERIFY(QFile(m_tmpDir).open(QIODevice::WriteOnly));
        startFirst({});
        QVERIFY(m_first->waitForFinished(10000));
        QCOMPARE(m_first->exitCode(), 2);
        QTRY_VERIFY(m_firstLog.contains("[LumivexApplication] Unable to create shared memory: "));
    }

private:
    // Windows go to the X server only where they are looked at; the others stay offscreen.
    std::unique_ptr<QProcess> start(const QStringList &arguments, bool onScreen = false)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), m_tmpDir);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), onScreen ? QStringLiteral("xcb") : QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_workDir.path());
        process->start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex"), arguments);
        return process;
    }

    void startFirst(const QStringList &arguments, bool onScreen = false)
    {
        m_firstLog.clear();
        m_first = start(arguments, onScreen);
        connect(m_first.get(), &QProcess::readyReadStandardError, this,
                [this, p = m_first.get()] { m_firstLog += p->readAllStandardError(); });
    }

    int runSecond(const QStringList &arguments, int timeoutMs = 5000)
    {
        const auto second = start(arguments);
        if (!second->waitForFinished(timeoutMs) || second->exitStatus() != QProcess::NormalExit)
            return -1;
        return second->exitCode();
    }

    bool closeFirst()
    {
        return runSecond({QStringLiteral("-CLOSE")}) == 0 && m_first->waitForFinished(5000) &&
               m_first->exitStatus() == QProcess::NormalExit && m_first->exitCode() == 0;
    }

    QTemporaryDir m_workDir;
    QString m_tmpDir;
    std::unique_ptr<QProcess> m_first;
    QByteArray m_firstLog;
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
