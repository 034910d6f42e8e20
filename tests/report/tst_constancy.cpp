#include "answeredsession.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "localformats.h"
#include "meterassist.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "reportstyle.h"
#include "savedsessionsmodel.h"
#include "sessionexport.h"
#include "stepcaption.h"
#include "support/dentaldisplay.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/sessiondriver.h"
#include "support/storefiles.h"
#include "support/translated.h"
#include "testframe.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "testpattern.h"
#include "testsmanager.h"
#include "translator.h"
#include "verdicttext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using DentalDisplay::readings;
using SessionDriver::Answers;

// A display's acceptance test, then constancy tests compared with its reference values: the record, the
// summary shown at the end of the run, the report and the export.
class TestConstancy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }

    // Each test keeps its sessions in a settings file of its own.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<ConfigurationManager>(m_dir->filePath("settings.ini"));
        m_model = std::make_unique<SavedSessionsModel>(m_store.get());
        ModalAnswers::rejectUnexpectedDialogs();
    }

    // Every message box was answered, and by the answer the test gave for it.
    void cleanup()
    {
        m_session.reset();
        const ModalAnswers::Leftovers left = ModalAnswers::finish();
        QCOMPARE(QPair(left.pending, left.unanswered), QPair(0, 0));
    }

    void acceptanceThenPeriodicConstancy()
    {
        // An acceptance test measures a reference; it is compared with none, even when the display has one.
        const QVariantMap acceptance =
            run({"acceptance", "dentalRk5", "RK3", {{"maxLuminance", 1000.0}}, "2025-01-01", "older"}, readings(1));
        // Its measured values are the reference compared with below (the rows' second column).
        const QVariantMap measured = acceptance.value("measured").toMap();
        QVERIFY(!acceptance.contains("reference"));

        // The same display six months later, 20 % darker at every level.
        QString heading;
        QStringList shown;
        answerComparison(&heading, &shown);
        const QVariantMap constancy =
            run({"periodicConstancy", "dentalRk5", "RK3", measured, "2026-03-14", "session-a"}, readings(0.8));
        QCOMPARE(constancy.value("nfailedtestcontents").toInt(), 0);

        // By hand: L'max 0.8 * 400 + 2 = 322 against 402, L'min 0.64 + 2 against 2.8, r' 322 / 2.64 against
        // 402 / 2.8 (0.8495 of it), the darkest reading 0.64 against 0.8: quantity, reference, measured,
        // deviation and the verdict where the limits table gives a tolerance.
        const QList<QStringList> rows{
            {"L'max = Lmax + L_amb", "402.0 cd/m²", "322.0 cd/m²", "-19.9 %", "within +/-30.0 %: passed"},
            {"L'min = Lmin + L_amb", "2.800 cd/m²", "2.640 cd/m²", "-5.7 %", ""},
            {"r' = L'max / L'min", "143.6", "122.0", "-15.0 %", "within +/-30.0 %: passed"},
            {"Ambient luminance L_amb", "2.000 cd/m²", "2.000 cd/m²", "0.0 %", ""},
            {"Luminance uniformity at driving level 26", "20.0 %", "20.0 %", "0.0 %", ""},
            {"Ambient illuminance", "120 lx", "120 lx", "0.0 %", ""},
            {"TG18-LN01 reading", "0.800 cd/m²", "0.640 cd/m²", "-20.0 %", ""},
            {"TG18-LN18 reading", "400.0 cd/m²", "320.0 cd/m²", "-20.0 %", ""}};
        QCOMPARE(heading, "Comparison with the reference values of " + LocalFormats::date({2026, 3, 14}) +
                              " (session session-a)");
        QCOMPARE(shown.size(), 7 + 18);
        for (const QStringList &row : rows)
            QVERIFY2(shown.contains(row.join(" | ")), qPrintable(shown.join('\n')));

        // The report reads as the summary, the quantity's name beside its row (a long name wraps).
        const QString report = reportText(constancy);
        const auto rowText = [](const QStringList &row) {
            return QString("reference %1, measured %2, deviation %3").arg(row[1], row[2], row[3]) +
                   (row[4].isEmpty() ? QString() : "; " + row[4]);
        };
        QVERIFY2(report.contains(heading.toUpper() + " L'max = Lmax + L_amb " + rowText(rows.at(0))),
                 qPrintable(report));
        for (const QStringList &row : rows)
            QVERIFY2(report.contains(rowText(row)), qPrintable(report));
        QVERIFY(!report.contains(PdfProbe::NotFinite));

        const QJsonObject exported =
            QJsonDocument::fromJson(SessionExport::write(constancy, SessionExport::Json)).object();
        // The first row, L'max: its reference and measured value as numbers (the report above has their deviation).
        const QJsonObject first = exported.value("comparison").toArray().at(0).toObject();
        QCOMPARE(first.value("reference").toDouble(), 402.0);
        QCOMPARE(first.value("measured").toDouble(), 322.0);
        QCOMPARE(exported.value("reference").toObject().value("session").toString(), QString("session-a"));
        // The luminance response is analysed on L + L_amb; the dental category judges no GSDF tolerance.
        const QJsonObject response = exported.value("luminanceResponse").toObject();
        QCOMPARE(response.value("luminances").toArray().at(0).toDouble(), 0.64 + 2);
        QVERIFY(response.value("tolerance").isNull());
        const QString csv = SessionExport::write(constancy, SessionExport::Csv);
        QVERIFY2(csv.contains("\r\ncomparison,,,ln18,,TG18-LN18 reading,comparison,320,,true,"), qPrintable(csv));
        QVERIFY(csv.section("\r\n", 0, 0).endsWith(",reference,deviation"));
        QVERIFY(!SessionExport::write(acceptance, SessionExport::Csv).contains("comparison"));
    }

    // L'max 29 % and 31 % below its reference, and references that cannot be compared with.
    void deviationFromReference_data()
    {
        QTest::addColumn<QVariant>("reference");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("failures");
        QTest::newRow("29 % below") << QVariant(402 / 0.71)
                                    << QStringList{"566.2 cd/m²", "-29.0 %", "within +/-30.0 %: passed"} << 0;
        QTest::newRow("31 % below") << QVariant(402 / 0.69)
                                    << QStringList{"582.6 cd/m²", "-31.0 %", "within +/-30.0 %: failed"} << 1;
        const QString notANumber = "not computable: the reference value is not a number";
        QTest::newRow("reference not a number")
            << QVariant("abc") << QStringList{"no number", notANumber, "failed"} << 1;
        QTest::newRow("reference nan") << QVariant("nan") << QStringList{"no number", notANumber, "failed"} << 1;
        QTest::newRow("reference 0") << QVariant(0)
                                     << QStringList{"0.000 cd/m²", "not computable: the reference value is not above 0",
                                                    "failed"}
                                     << 1;
    }

    void deviationFromReference()
    {
        QFETCH(QVariant, reference);
        QFETCH(QStringList, cells);
        QFETCH(int, failures);
        QString heading;
        QStringList shown;
        answerComparison(&heading, &shown);
        if (failures > 0)
            ModalAnswers::clickButton(translated("ok"));
        const QVariantMap record = run(
            {"periodicConstancy", "dentalRk5", "RK3", {{"maxLuminance", reference}}, "2026-03-14", "a"}, readings(1));
        QCOMPARE(record.value("nfailedtestcontents").toInt(), failures);
        // A failed row is shown in the colour of failure, marked "!" here.
        QCOMPARE(shown, QStringList{QString("%1L'max = Lmax + L_amb | %2 | 402.0 cd/m² | %3 | %4")
                                        .arg(failures > 0 ? "! " : "", cells[0], cells[1], cells[2])});
        const QString report = reportText(record);
        const QString row = QString("L'max = Lmax + L_amb reference %1, measured 402.0 cd/m², deviation %2; %3")
                                .arg(cells[0], cells[1], cells[2]);
        QVERIFY2(report.contains(row), qPrintable(report));
        QVERIFY(!report.contains(PdfProbe::NotFinite));
        for (const SessionExport::Format format : {SessionExport::Json, SessionExport::Csv})
            QVERIFY(!QString(SessionExport::write(record, format)).contains(PdfProbe::NotFinite));
        const QJsonObject exported =
            QJsonDocument::fromJson(SessionExport::write(record, SessionExport::Json)).object();
        QCOMPARE(exported.value("comparison").toArray().at(0).toObject().value("passed").toBool(), failures == 0);
    }

    // The dark uniformity level is one value: the grey its fields are painted in is the level the dialog names
    // (and the report prints: tst_report's judged sessions).
    void darkUniformityLevelIsOneValue()
    {
        NSTESTPatter::TestPattern pattern(nullptr, NSTESTPatter::TestPattern::kTestPatternLuminanceDarkMC);
        QCOMPARE(qGray(pattern.toImage(QSize(1366, 768)).pixel(683, 384)), 26);
        QVERIFY2(StepCaption::measurement(pattern).endsWith("driving level 26"),
                 qPrintable(StepCaption::measurement(pattern)));
    }

    // A constancy test read with another meter than its reference warns in the comparison dialog and on the
    // report, which also prints who made the reference by hand, when and why.
    void otherMeterWarns()
    {
        QTemporaryDir meterDir;
        writeBytes(meterDir.filePath("table"), "0.64\n");
        qputenv("FAKE_SPOTREAD_TABLE", meterDir.filePath("table").toUtf8());
        QSettings file(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
        for (auto [key, value] : {std::pair{"program", FAKE_SPOTREAD}, std::pair{"settleMs", "0"},
                                  std::pair{"model", "LS-150"}, std::pair{"serial", "4711"}})
            file.setValue(QString("METER/") + key, value);
        file.sync();

        TestingSession::Context context{"periodicConstancy",       "dentalRk5",  "RK3",
                                        {{"maxLuminance", 402.0}}, "2026-03-14", "session-a"};
        context.referenceMeter = {{"model", "LS-100"}, {"serial", "0815"}};
        context.referenceChoice = {{"by", "dana"}, {"on", "2026-03-15T10:00:00"}, {"reason", "panel replaced"}};
        start(context);
        SessionDriver::runUntil(m_session.get(), readings(0.8), "test_06_03_00");
        TestInputDialog *dialog = m_session->frame()->inputDialog();
        QTest::mouseClick(dialog->findChild<QPushButton *>("measurePushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->meterAssist()->isReading(), Patience);
        QTest::keyClick(dialog, Qt::Key_Return);
        // Typed from here on, as the driver answers: without a meter the steps have no measure buttons.
        QSettings(ConfigurationManager::instance()->fileName(), QSettings::IniFormat).remove("METER");
        QString remarks;
        ModalAnswers::handle([&](QDialog *shown) {
            remarks = shown->findChild<QLabel *>("remarksLabel")->text();
            shown->accept();
        });
        const QVariantMap record = finish(readings(0.8));
        QCOMPARE(record.value("meter").toMap().value("serial").toString(), QString("4711"));

        const QString warning =
            translated("measure_otherMeter").arg("LS-100, serial number 0815", "LS-150, serial number 4711");
        QVERIFY2(remarks.startsWith(warning + '\n'), qPrintable(remarks));
        QVERIFY(remarks.endsWith("panel replaced"));
        const QString report = reportText(record);
        QVERIFY2(report.contains(warning), qPrintable(report));
        QVERIFY(report.contains("panel replaced"));
    }

    // The end of a test lists exactly what failed, each verdict with its measured value and limit, before the
    // test is stored; the report opens with the same list.
    void summaryListsTheFailures()
    {
        QString shown;
        ModalAnswers::clickButton(translated("ok"), &shown);
        const QVariantMap record = run({"acceptance", "dentalRk5", "RK3", {}, "2025-01-01", "older"}, readings(0.1));
        const int failed = record.value("nfailedtestcontents").toInt();
        const QStringList lines = shown.split('\n');
        QCOMPARE(lines.size(), failed + 1);
        QCOMPARE(lines.first(), translated("alertfailedtest").arg(failed));
        const Judgement judgement = Judgement::fromMap(record.value("judgement").toMap());
        const QString report = reportText(record);
        const int judgementSection = report.indexOf(translated("limits_title").toUpper());
        int failedVerdicts = 0;
        for (const Judgement::Verdict &verdict : judgement.verdicts) {
            if (verdict.passed)
                continue;
            ++failedVerdicts;
            const QString outcome = VerdictText::outcome(verdict, verdict.problemSubject);
            QVERIFY2(lines.contains(QString("\u2022 %1: %2").arg(VerdictText::quantity(verdict), outcome)),
                     qPrintable(shown));
            QVERIFY2(report.indexOf(outcome) >= 0 && report.indexOf(outcome) < judgementSection, qPrintable(outcome));
        }
        QVERIFY(failedVerdicts > 0);
    }

private:
    QVariantMap run(const TestingSession::Context &context, const Answers &answers)
    {
        start(context);
        return finish(answers);
    }

    void start(const TestingSession::Context &context)
    {
        m_catalogue = std::make_unique<TestsManager>();
        m_session = std::make_unique<TestingSession>(nullptr, nullptr, m_model.get());
        m_session->setContext(context);
        m_session->setScreenIdentity(std::make_unique<DentalDisplay::Screen>());
        m_session->setGroups(m_catalogue->groups());
        m_session->setTestIndex(0);
        m_session->start(0);
    }

    QVariantMap finish(const Answers &answers)
    {
        SessionDriver::runUntil(m_session.get(), answers);
        return m_store->sessionRecord(m_store->sessions().value(0).toMap());
    }

    // Answers the comparison shown at the end of a constancy test, keeping its heading and its rows with the
    // cells joined by " | ".
    static void answerComparison(QString *heading, QStringList *rows)
    {
        ModalAnswers::handle([=](QDialog *dialog) {
            *heading = dialog->findChild<QLabel *>("headingLabel")->text();
            const QTableWidget *table = dialog->findChild<QTableWidget *>("comparisonTableWidget");
            for (int row = 0; row < table->rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < table->columnCount(); ++column)
                    cells << table->item(row, column)->text();
                const bool failed = table->item(row, 0)->foreground().color() == ReportStyle::failedCountColour;
                *rows << (failed ? "! " : "") + cells.join(" | ");
            }
            dialog->accept();
        });
    }

    QString reportText(const QVariantMap &record)
    {
        const QString pdf = m_dir->filePath(QString("report%1.pdf").arg(++m_reports));
        return ReportGenerator().writePdf(record, pdf) ? PdfProbe::text(PdfProbe::words(pdf)) : QString();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_reports = 0;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<SavedSessionsModel> m_model;
    std::unique_ptr<TestsManager> m_catalogue;
    std::unique_ptr<TestingSession> m_session;
};

QTEST_MAIN(TestConstancy)
#include "tst_constancy.moc"
