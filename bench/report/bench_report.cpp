// Writes the report of a fully answered session (all groups of the shipped
// catalogue) to PDF several times and prints the median time and the page count.
// With a file name as argument the last report is kept there.

#include "answeredsession.h"
#include "defaultdictionary.h"
#include "reportgenerator.h"
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
    const QVariantMap session = AnsweredSession::fullRecord(QDateTime(QDate(2026, 3, 14), QTime(9, 30)), true);
    QTemporaryDir folder;
    const QString path = application.arguments().size() > 1 ? application.arguments().at(1)
                                                            : folder.filePath(QStringLiteral("report.pdf"));

    ReportGenerator generator;
    writeReport(generator, session, path); // warms up fonts, images and the script engine
    QVector<qint64> times;
    for (int run = 0; run < runs; ++run)
        times.append(writeReport(generator, session, path));
    std::sort(times.begin(), times.end());

    std::printf("report of a fully answered session (all groups): median %.1f ms over %d runs, %d pages\n",
                times.at(runs / 2) / 1e6, runs, pageCount(path));
    return 0;
}
