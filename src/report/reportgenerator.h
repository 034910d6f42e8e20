#pragma once

#include <QObject>
#include <QVariantMap>

class QPainter;
class QPrinter;

// Prints one stored testing session as an A4 report: the record is read into
// a report model once, and the painter lays that model out on the pages. The
// program's print, its preview and lumivex-report all come through here.
class ReportGenerator : public QObject
{
    Q_OBJECT

public:
    explicit ReportGenerator(QObject *parent = nullptr) : QObject(parent) {}

    // Page set-up every report relies on: A4 portrait PDF at 72 dots per inch,
    // no margins, named after the session's date. The printer is expected in
    // high-resolution mode, which only its constructor can choose.
    static void setUpPrinter(QPrinter *printer, const QVariantMap &session);
    // The session's date as "yyyyMMdd-HHmm", the name a report is saved under.
    static QString reportBaseName(const QVariantMap &session);
    // The file a report is printed to unless the operator chooses another: "<base name>.pdf" in the folder.
    static QString reportPath(const QString &folder, const QVariantMap &session);

    void generate(QPrinter *printer, QPainter *painter, const QVariantMap &session);
    // Sets up a printer and draws the session's report into the PDF file at the
    // given path; false when the file could not be written.
    bool writePdf(const QVariantMap &session, const QString &path);
};
