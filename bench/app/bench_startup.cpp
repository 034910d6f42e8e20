// Cold start of the program: the time from starting the process until its
// window is shown, as the median of several starts, with an empty settings
// file and with one that holds many stored sessions.

#include "answeredsession.h"
#include "testconfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace {

const QString Program = QStringLiteral(LUMIVEX_BIN_DIR "/lumivex");
constexpr int Starts = 10;

void writeSessions(const QString &folder, int count)
{
    QVariantList sessions;
    const QDateTime first(QDate(2024, 1, 1), QTime(9, 0));
    for (int i = 0; i < count; ++i)
        sessions << AnsweredSession::fullRecord(first.addDays(i), i % 3 == 0);
    QSettings settings(folder + QStringLiteral("/Lumivex 2016.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("TEST_SESSIONS/list"), sessions);
}

QProcess *startProgram(const QString &folder, const QStringList &arguments)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), folder);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=true"));
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(folder);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(Program, arguments);
    return process;
}

// Milliseconds until the window reports itself shown; -1 when it never does.
qint64 timeOneStart(const QString &folder)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProcess> first(startProgram(folder, {}));
    QByteArray log;
    while (!log.contains("[MainWindow] Window shown")) {
        if (!first->waitForReadyRead(30000))
            return -1;
        log += first->readAll();
    }
    const qint64 elapsed = clock.elapsed();
    std::unique_ptr<QProcess> closer(startProgram(folder, {QStringLiteral("-close")}));
    closer->waitForFinished(15000);
    first->waitForFinished(15000);
    return elapsed;
}

void measure(int sessionCount)
{
    QTemporaryDir folder;
    writeSessions(folder.path(), sessionCount);
    QVector<qint64> times;
    for (int i = 0; i < Starts; ++i)
        times << timeOneStart(folder.path());
    std::sort(times.begin(), times.end());
    QTextStream(stdout) << "cold start to window shown, " << sessionCount << " stored sessions: median "
                        << (times.at(Starts / 2 - 1) + times.at(Starts / 2)) / 2.0 << " ms (min " << times.first()
                        << ", max " << times.last() << ", " << Starts << " starts)\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    measure(0);
    measure(100);
    return 0;
}
