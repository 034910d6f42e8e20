#include "reportgenerator.h"

#include "reportfingerprint.h"
#include "reportmodel.h"
#include "reportpainter.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

void ReportGenerator::setUpPrinter(QPrinter *printer, const QVariantMap &session)
{
    printer->setResolution(72);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    printer->setOutputFileName(reportBaseName(session));
    // PDF/A-1b: the archival form a hospital's archive expects.
    printer->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    printer->setDocName(ReportFingerprint(session).documentTitle());
    // A name without the ".pdf" suffix must not switch the printer to its native format.
    printer->setOutputFormat(QPrinter::PdfFormat);
}

QString ReportGenerator::reportBaseName(const QVariantMap &session)
{
    return session.value(QStringLiteral("date")).toDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"));
}

QString ReportGenerator::reportPath(const QString &folder, const QVariantMap &session)
{
    return QDir(folder).filePath(reportBaseName(session) + QStringLiteral(".pdf"));
}

void ReportGenerator::generate(QPrinter *printer, QPainter *painter, const QVariantMap &session)
{
    if (!painter || !printer)
        return;
    ReportPainter(printer, painter).paint(ReportModel(session));
}

bool ReportGenerator::writePdf(const QVariantMap &session, const QString &path)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(&printer, session);
    printer.setOutputFileName(path);
    QPainter painter;
    generate(&printer, &painter, session);
    return printer.printerState() != QPrinter::Error && QFileInfo(path).size() > 0;
}
