// Writes the report of a fully answered session (all groups of the shipped
// catalogue) to PDF several times and prints the median time and the page count.
// With a file name as argument the last report is kept there.

#include "answeredcatalogue.h"
#include "answeredsession.h"
#include "defaultdictionary.h"
#include "reportgenerator.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "translator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int runs = 15;

int pageCount(const QString &pdfPath)
{
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray pdf = file.readAll();
    return pdf.count("/Type /Page") - pdf.count("/Type /Pages");
}

// The shipped catalogue answered and judged as a finished session of a dim
// monitor, whose luminance rules fail; its TG18-LN readings fill the luminance response page.
QVariantMap dimMonitorSession()
{
    TestsManager catalogue;
    const QList<TestGroup *> groups = *catalogue.groups();
    AnsweredCatalogue::fill(groups, AnsweredCatalogue::dimMonitor());
    const unsigned failed = AnsweredCatalogue::judge(groups);
    QVariantMap testSession;
    for (const TestGroup *group : groups)
        testSession.insert(QString::number(group->number()), group->toVariantMap());
    return AnsweredSession::record(testSession, int(failed));
}

// One rejected check whose stored note is a megabyte without a space: more than a
// hundred pages of one word, broken anywhere.
QVariantMap megabyteNoteSession()
{
    const QVariantMap content{{QStringLiteral("report"), QStringLiteral("Check")},
                              {QStringLiteral("type"), QStringLiteral("text")},
                              {QStringLiteral("note"), QString(1 << 20, QLatin1Char('x'))}};
    return AnsweredSession::oneGroupRecord(QVariantList{
        QVariantMap{{QStringLiteral("validatable"), true}, {QStringLiteral("content"), QVariantList{content}}}});
}

qint64 writeReport(ReportGenerator &generator, const QVariantMap &session, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    generator.writePdf(session, path);
    return timer.nsecsElapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    TR::Translator::instance()->setModel(TR::defaultDictionary());
    const QVariantMap session = dimMonitorSession();
    QTemporaryDir folder;
    const QString path = application.arguments().size() > 1 ? application.arguments().at(1)
                                                            : folder.filePath(QStringLiteral("report.pdf"));

    ReportGenerator generator;
    writeReport(generator, session, path); // warms up fonts, images and the script engine
    const qint64 noteTime = writeReport(generator, megabyteNoteSession(), path);
    std::printf("report of one check with a 1 MB note without spaces: %.2f s, %d pages (target: under 5 s)\n",
                noteTime / 1e9, pageCount(path));
    std::fflush(stdout);
    QVector<qint64> times;
    for (int run = 0; run < runs; ++run)
        times.append(writeReport(generator, session, path));
    std::sort(times.begin(), times.end());

    std::printf("report of a fully answered session (all groups and the luminance response): median %.1f ms over %d "
                "runs, %d pages\n",
                times.at(runs / 2) / 1e6, runs, pageCount(path));

    return 0;
}
