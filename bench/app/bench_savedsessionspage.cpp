// The saved-sessions page of the real window with 10,000 stored sessions: the
// window shown after the process starts, storing a session and showing it in
// the list, scrolling the list to its end, and the memory the program then
// holds. Each run is a child process of this program that starts the main
// window on the prepared folder, so it pays the start as the program does.

#include "answeredsession.h"
#include "configurationmanager.h"
#include "mainwindow.h"
#include "residentmemory.h"
#include "savedsessionsmodel.h"
#include "sessiondatabase.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUuid>

#include <algorithm>
#include <ctime>

namespace {

const int StoredSessions = 10000;
const int Runs = 5;
const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");

// The monotonic clock, which a parent and its child read alike.
qint64 monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

template <typename Action> double milliseconds(Action action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return timer.nsecsElapsed() / 1e6;
}

bool prepare(const QString &folder)
{
    ConfigurationManager store(folder + QLatin1Char('/') + SettingsFileName);
    SessionDatabase *database = store.database();
    const QVariantMap answered = AnsweredSession::fullRecord(QDateTime::currentDateTime(), true);
    return database->transact([&] {
        for (int i = 0; i < StoredSessions; ++i) {
            QVariantMap record = answered;
            record.insert(QStringLiteral("date"), QDateTime::currentDateTime().addSecs(-3600 * (i + 1)));
            qint64 id = 0;
            if (!database->insertSession(record, QUuid::createUuid().toString(QUuid::WithoutBraces), &id))
                return false;
        }
        return true;
    });
}

qint64 shownAt = 0;
QtMessageHandler defaultHandler = nullptr;

void noteWindowShown(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (shownAt == 0 && message.contains(QLatin1String("[MainWindow] Window shown")))
        shownAt = monotonicNanoseconds();
    if (type != QtDebugMsg && type != QtInfoMsg)
        defaultHandler(type, context, message);
}

// The child: the real main window on the folder, with the saved-sessions page open.
int runWindow(const QString &folder)
{
    QDir::setCurrent(folder);
    MainWindow window;
    window.show();
    while (shownAt == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    auto *view = window.findChild<QTableView *>(QStringLiteral("listSavedSessionsTableView"));
    auto *model = qobject_cast<SavedSessionsModel *>(view->model());
    window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->setCurrentWidget(view->parentWidget());
    QCoreApplication::processEvents();
    const QVariantMap results =
        AnsweredSession::fullRecord(QDateTime::currentDateTime(), true).value(QStringLiteral("test_session")).toMap();
    // Storing a session and painting the list that shows it on top.
    const double store = milliseconds([&] {
        model->addSession(results, QStringLiteral("bench"), 4, 0, 1, QStringLiteral("Bench monitor"));
        view->viewport()->repaint();
    });
    // Scrolling to the end: the view asks for each next page as it reaches the bottom.
    const double scroll = milliseconds([&] {
        do {
            view->scrollToBottom();
            QCoreApplication::processEvents();
        } while (model->canFetchMore(QModelIndex()));
        // The last page came with the last step: the view moves onto it.
        QCoreApplication::processEvents();
        view->scrollToBottom();
        view->viewport()->repaint();
    });
    const bool complete = model->rowCount() > StoredSessions &&
                          view->verticalScrollBar()->value() == view->verticalScrollBar()->maximum();
    QTextStream(stdout) << shownAt << ' ' << store << ' ' << scroll << ' ' << residentMegabytes() << ' '
                        << (complete ? "complete" : "incomplete") << Qt::endl;
    return complete ? 0 : 1;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=true");
    defaultHandler = qInstallMessageHandler(noteWindowShown);
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--window")
        return runWindow(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir folder;
    if (!prepare(folder.path())) {
        QTextStream(stderr) << "could not prepare " << StoredSessions << " sessions\n";
        return 1;
    }
    QVector<double> shown, store, scroll, memory;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 started = monotonicNanoseconds();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--window"), folder.path()});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            QTextStream(stderr) << "the window run failed: " << child.readAllStandardOutput() << '\n';
            return 1;
        }
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        shown << (figures.value(0).toLongLong() - started) / 1e6;
        store << figures.value(1).toDouble();
        scroll << figures.value(2).toDouble();
        memory << figures.value(3).toDouble();
    }
    QTextStream(stdout) << "saved-sessions page, " << StoredSessions << " stored sessions, median of " << Runs
                        << " runs:\n"
                        << "  window shown after process start: " << median(shown) << " ms (target < 300)\n"
                        << "  storing a session and showing it: " << median(store) << " ms (target < 50)\n"
                        << "  scrolling the list to its end:    " << median(scroll) << " ms (target < 100)\n"
                        << "  resident memory afterwards:       " << median(memory) << " MB (target < 150)\n";
    return 0;
}
