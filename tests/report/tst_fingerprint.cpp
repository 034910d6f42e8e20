#include "answeredsession.h"
#include "configurationmanager.h"
#include "pdfprobe.h"
#include "recordfingerprint.h"
#include "sessiondatabase.h"
#include "storedrecord.h"
#include "support/patience.h"
#include "support/sqlitefile.h"
#include "support/storefiles.h"
#include "testconfig.h"

#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QtTest>

static const QString ReportTool = QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-report");

// A report names the stored record it was drawn from: the fingerprint on every
// page and whole at the end, read back by lumivex-report --verify; the file is
// PDF/A-1b as the poppler utilities and qpdf read it.
class TestFingerprint : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;
    QString m_uuid;
    QVariantMap m_record;

    QString path(const QString &name) const { return m_folder.filePath(name); }

    // Runs a program to its end: its exit code (-1 when it did not end normally) and its output and errors.
    static int run(const QString &program, const QStringList &arguments, QString *output = nullptr)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(Patience) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        if (output)
            *output = process.readAllStandardOutput();
        return process.exitCode();
    }

private slots:
    void initTestCase()
    {
        {
            ConfigurationManager store(path("Lumivex 2016.ini"));
            QVERIFY(store.addSessionRecord(AnsweredSession::fullRecord(QDateTime(QDate(2026, 3, 2), QTime(9, 0)))));
            m_uuid = store.sessions().first().toMap().value("uuid").toString();
            m_record = store.sessionRecord(store.sessions().first().toMap());
        }
        QCOMPARE(run(ReportTool, {"--database", path("Lumivex.sqlite"), "--out", path("report.pdf")}), 0);
    }

    void fingerprintOnEveryPage()
    {
        const QString fingerprint = RecordFingerprint::of(m_uuid, m_record);
        const QList<PdfProbe::Word> words = PdfProbe::words(path("report.pdf"));
        const int pages = words.constLast().page;
        QVERIFY(pages > 1);
        for (int page = 1; page <= pages; ++page)
            QVERIFY2(!PdfProbe::find(words, RecordFingerprint::shortForm(fingerprint), page).isEmpty(),
                     qPrintable(QString::number(page)));
        QCOMPARE(PdfProbe::find(words, fingerprint, pages).size(), 1);
    }

    // No validator of PDF/A is packaged for Debian: qpdf checks the file's
    // structure, poppler's pdfinfo reads the PDF/A-1b claim of its XMP metadata
    // and pdffonts finds every font embedded; the file holds an output intent,
    // no transparency and no encryption.
    void archivalForm()
    {
        QCOMPARE(run("qpdf", {"--check", path("report.pdf")}), 0);
        QString metadata, fonts;
        QCOMPARE(run("pdfinfo", {"-meta", path("report.pdf")}, &metadata), 0);
        QVERIFY2(metadata.contains("pdfaid:part=\"1\"") && metadata.contains("pdfaid:conformance=\"B\""),
                 qPrintable(metadata));
        QCOMPARE(run("pdffonts", {path("report.pdf")}, &fonts), 0);
        // One line a font after two of headings, its "emb" column the first of three yes or no.
        const QRegularExpression embedded("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$");
        const QStringList fontLines = fonts.split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY2(!fontLines.isEmpty() && fontLines.filter(embedded).size() == fontLines.size(), qPrintable(fonts));
        const QByteArray bytes = fileBytes(path("report.pdf"));
        // PDF/A-1 allows a soft mask only as "/SMask /None".
        QVERIFY(bytes.contains("/OutputIntents") && !bytes.contains("/Encrypt") && !bytes.contains("/Transparency"));
        QCOMPARE(bytes.count("/SMask"), bytes.count("/SMask /None"));
    }

    void verify_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("change"); // a statement run on a copy of the database first
        QTest::addColumn<int>("exitCode");
        QTest::newRow("the report of the stored record") << "report.pdf" << QString() << 0;
        QTest::newRow("the record changed after the report") << "report.pdf" << QString("tester") << 1;
        QTest::newRow("the session is not in the database") << "report.pdf" << QString("other") << 1;
        QTest::newRow("a PDF of another program") << "other.pdf" << QString() << 2;
        QTest::newRow("not a PDF") << "Lumivex 2016.ini" << QString() << 2;
        QTest::newRow("no such file") << "none.pdf" << QString() << 2;
    }

    void verify()
    {
        QFETCH(QString, report);
        QFETCH(QString, change);
        QTemporaryDir copy;
        const QString database = copy.filePath("Lumivex.sqlite");
        QVERIFY(QFile::copy(path("Lumivex.sqlite"), database));
        if (change == "tester") {
            QVariantMap changed = m_record;
            changed.insert("tester", "Someone Else");
            runOnDatabase(database, {"UPDATE session_records SET record = x'" +
                                     StoredRecord::compress(StoredRecord::encode(changed)).toHex() + "'"});
        } else if (change == "other") {
            QFile::remove(database);
            ConfigurationManager store(copy.filePath("Lumivex 2016.ini"));
            QVERIFY(store.addSessionRecord(m_record));
        }
        if (report == "other.pdf") {
            QPdfWriter writer(path(report));
            QPainter(&writer).drawText(100, 100, "Lumivex report");
        }
        QFETCH(int, exitCode);
        QString told;
        QCOMPARE(run(ReportTool, {"--database", database, "--verify", path(report)}, &told), exitCode);
        QVERIFY2(exitCode == 2 || told.contains(m_uuid), qPrintable(told));
    }
};

QTEST_MAIN(TestFingerprint)
#include "tst_fingerprint.moc"
