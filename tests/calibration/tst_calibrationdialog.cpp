#include "calibrationdialog.h"
#include "calibrationlauncher.h"
#include "calibrationpatch.h"
#include "calibrationrun.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "displayrecord.h"
#include "dispwin.h"
#include "judgement.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "sessiondatabase.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/storefiles.h"
#include "support/translated.h"
#include "translator.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList lines(const QString &path)
{
    return QString::fromUtf8(fileBytes(path)).split('\n', Qt::SkipEmptyParts);
}

// The meter's answers in the order the calibration reads: the ambient
// luminance, the response at the 33 driving levels, the 18 TG18-LN levels.
QStringList meterAnswers(const QStringList &verification = {})
{
    QStringList answers{"0.2"};
    for (int level = 0; level <= 256; level += 8)
        answers << QString("level:%1").arg(std::min(level, 255));
    if (!verification.isEmpty())
        return answers + verification;
    for (int level = 0; level <= 255; level += 15)
        answers << QString("level:%1").arg(level);
    return answers;
}

} // namespace

// A display calibrated through the dialog with the fake dispwin and the fake
// spotread, whose gamma-2.2 display shows what the loaded table makes of each level.
class TestCalibrationDialog : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ConfigurationManager> m_store;
    DisplayRecord m_display;

    QString path(const char *name) const { return m_dir->filePath(name); }

    // Starts the calibration; the operator uses the black screen for the
    // ambient luminance when the calibration gets that far.
    std::unique_ptr<CalibrationDialog> calibrate(const QStringList &answers, int timeLimitMs = Patience,
                                                 bool readsAmbient = true)
    {
        writeBytes(path("meter"), answers.join('\n').toUtf8() + '\n');
        CalibrationDialog::Choices choices;
        choices.meter.program = FAKE_SPOTREAD;
        choices.meter.settleMs = 0;
        choices.meter.timeLimitMs = timeLimitMs;
        choices.calibration.program = FAKE_DISPWIN;
        // No tester named, as when the displays page starts the calibration of a display never tested before.
        choices.monitorInfo = "MAKER MD27 (SN A-1)";
        auto dialog = std::make_unique<CalibrationDialog>(m_store.get(), m_display, choices);
        if (readsAmbient)
            ModalAnswers::clickButton(translated("meter_useBlack"));
        dialog->show();
        return dialog;
    }

    static bool judged(const CalibrationDialog *dialog) { return dialog->run()->stage() == CalibrationRun::Judged; }
    static QPushButton *button(const CalibrationDialog *dialog, const char *name)
    {
        return dialog->findChild<QPushButton *>(name);
    }

private slots:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<ConfigurationManager>(m_dir->filePath("settings.ini"));
        m_display = DisplayRecord::fromIdentity({{"maker", "MAKER"}, {"model", "MD27"}, {"serial", "A-1"}});
        m_display.category = "projectionRadiography";
        m_display.roomClass = "RK1";
        qputenv("FAKE_SPOTREAD_TABLE", path("meter").toUtf8());
        qputenv("FAKE_DISPLAY_MODEL", "2.2 0.8 300");
        qputenv("FAKE_DISPWIN_LOG", path("dispwin.log").toUtf8());
        qputenv("FAKE_DISPWIN_STATE", path("loaded").toUtf8());
        qunsetenv("FAKE_DISPWIN_FAIL");
        ModalAnswers::rejectUnexpectedDialogs();
    }

    void cleanup()
    {
        m_store.reset();
        const ModalAnswers::Leftovers left = ModalAnswers::finish();
        QCOMPARE(left.unanswered, 0);
        QCOMPARE(left.pending, 0);
    }

    // Keep installs the verified file and stores it with the display; Discard unloads it. No Keep without a
    // passed check: a verification that fails, a table that cannot be computed, a dispwin that cannot load; Keep
    // asked for anyway installs nothing. Either way the calibration is recorded as a session.
    void keepOrDiscard_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QByteArray>("dispwinFails");
        QTest::addColumn<QString>("message"); // why the check failed
        QTest::addColumn<bool>("keep");
        // A reading that fails once is read again.
        QStringList failingOnce = meterAnswers();
        failingOnce.insert(5, "fail");
        QTest::newRow("kept") << failingOnce << QByteArray() << QString() << true;
        QTest::newRow("discarded") << failingOnce << QByteArray() << QString() << false;
        QStringList linear;
        for (int i = 0; i < 18; ++i)
            linear << QString::number(1 + 17 * i);
        QTest::newRow("verification fails") << meterAnswers(linear) << QByteArray() << "largest deviation" << true;
        QStringList flat{"0.2"};
        for (int i = 0; i < 33; ++i)
            flat << "5";
        QTest::newRow("response does not rise") << flat << QByteArray() << "no brighter" << true;
        QTest::newRow("dispwin cannot load") << meterAnswers() << QByteArray("load") << "VideoLUT" << true;
        QTest::newRow("meter fails twice")
            << QStringList{"0.2", "level:0", "fail", "fail"} << QByteArray() << "also when tried again" << true;
    }
    void keepOrDiscard()
    {
        QFETCH(QStringList, answers);
        QFETCH(QByteArray, dispwinFails);
        QFETCH(QString, message);
        QFETCH(bool, keep);
        const bool passed = message.isEmpty();
        const bool kept = keep && passed;
        if (!dispwinFails.isEmpty())
            qputenv("FAKE_DISPWIN_FAIL", dispwinFails);
        auto dialog = calibrate(answers);
        QTRY_VERIFY_WITH_TIMEOUT(judged(dialog.get()), Patience);
        QCOMPARE(button(dialog.get(), "keepPushButton")->isEnabled(), passed);
        const QString shown = dialog->findChild<QLabel *>("resultLabel")->text();
        QVERIFY2(shown.contains(message), qPrintable(shown));
        const QString levels = dialog->findChild<QLabel *>("levelsLabel")->text();
        QVERIFY2(!passed || levels.contains(QString("%1 of 256").arg(dialog->run()->table().distinctOutputs())),
                 qPrintable(levels));
        if (keep && !passed) {
            dialog->run()->keep();
            QCOMPARE(dialog->run()->stage(), CalibrationRun::Judged);
        }

        const QString calFile = lines(path("loaded")).value(0);
        QTest::mouseClick(button(dialog.get(), kept ? "keepPushButton" : "discardPushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->run()->stage() == CalibrationRun::Finished, Patience);
        const QStringList log = lines(path("dispwin.log"));
        const QString last = kept ? "-d 1 -I " + calFile : QString("-d 1 -c");
        if (passed)
            QCOMPARE(log, (QStringList{"-d 1 -c", "-d 1 " + calFile, last}));
        QCOMPARE(log.constLast(), last);
        QCOMPARE(lines(path("loaded")), kept ? QStringList{calFile} : QStringList());

        SessionDatabase *database = m_store->database();
        const QVariantMap stored = database->sessionRecord(dialog->storedSession());
        QCOMPARE(stored.value("testtype").toString(), QString("calibration"));
        QCOMPARE(stored.value("nfailedtestcontents").toInt(), passed ? 0 : 1);
        const QVariantMap calibration = stored.value("calibration").toMap();
        QCOMPARE(calibration.value("kept").toBool(), kept);
        const auto installed = database->displayCalibration(m_display.key());
        QCOMPARE(installed.has_value(), kept);
        if (!passed) {
            QCOMPARE(calibration.value("message").toString(), shown.section('\n', 0, 0));
            return;
        }
        QCOMPARE(calibration.value("response").toList().size(), 33);
        QCOMPARE(calibration.value("verification").toList().size(), 18);
        QCOMPARE(calibration.value("table").toList().size(), 256);
        if (kept)
            QCOMPARE(installed->calFile.toUtf8(), fileBytes(calFile));

        // The report shows both responses, the levels kept, the verdict and what became of the file.
        ReportGenerator generator;
        QVERIFY(generator.writePdf(stored, path("report.pdf")));
        const QString report = PdfProbe::text(PdfProbe::words(path("report.pdf")));
        for (const QString &expected : {QString("before the calibration"), QString("with the calibration loaded"),
                                        QString("levels remain distinct"), QString("check with the calibration"),
                                        QString(kept ? "Kept: installed" : "Not kept:")})
            QVERIFY2(report.contains(expected), qPrintable(expected + " not in: " + report));
    }

    // After a session the calibration is offered only when its GSDF check
    // failed and the settings name dispwin; "Later" starts nothing.
    void offeredAfterFailedGsdfCheck_data()
    {
        QTest::addColumn<bool>("configured");
        QTest::addColumn<bool>("gsdfPassed");
        QTest::addColumn<bool>("offered");
        QTest::newRow("failed check") << true << false << true;
        QTest::newRow("passed check") << true << true << false;
        QTest::newRow("no dispwin set up") << false << false << false;
    }
    void offeredAfterFailedGsdfCheck()
    {
        QFETCH(bool, configured);
        QFETCH(bool, gsdfPassed);
        QFETCH(bool, offered);
        m_store->database()->classifyDisplay(m_display.identity(), m_display.category, m_display.roomClass,
                                             QDate::currentDate());
        if (configured) {
            QSettings settings(m_store->fileName(), QSettings::IniFormat);
            settings.setValue("CALIBRATION/program", FAKE_DISPWIN);
        }
        Judgement::Verdict verdict;
        verdict.quantity = "gsdfDeviation";
        verdict.computable = true;
        verdict.passed = gsdfPassed;
        Judgement judgement;
        judgement.verdicts << verdict;
        const QVariantMap details{{"display", m_display.identity()}, {"judgement", judgement.toMap()}};
        QString shown;
        if (offered)
            ModalAnswers::clickButton(translated("calibration_later"), &shown);
        QVERIFY(!CalibrationLauncher(m_store.get(), nullptr).offerAfter(details, 0));
        QCOMPARE(shown, offered ? translated("calibration_offer") : QString());
        QVERIFY(lines(path("dispwin.log")).isEmpty());
    }

    // A dispwin that hangs is stopped at the meter's time limit and the calibration fails with the reason; closing
    // the dialog during a dispwin call waits for that call, closing it while the meter reads stops the meter and
    // records nothing. Either way the display is unloaded.
    void hangsAndClosing_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("timeLimitMs");
        QTest::addColumn<int>("stage"); // at which the operator acts
        QTest::newRow("dispwin hangs") << meterAnswers() << 500 << int(CalibrationRun::Judged);
        QTest::newRow("closed during a dispwin call") << meterAnswers() << Patience << int(CalibrationRun::Unloading);
        QTest::newRow("closed while measuring")
            << QStringList{"0.2", "hang"} << Patience << int(CalibrationRun::ReadingResponse);
    }
    void hangsAndClosing()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, timeLimitMs);
        QFETCH(int, stage);
        const bool measuring = stage == CalibrationRun::ReadingResponse;
        if (!measuring)
            qputenv("FAKE_DISPWIN_FAIL", "hang");
        auto dialog = calibrate(answers, timeLimitMs, measuring);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->run()->stage() == stage, Patience);
        if (stage == CalibrationRun::Judged) {
            QVERIFY(!button(dialog.get(), "keepPushButton")->isEnabled());
            QCOMPARE(dialog->findChild<QLabel *>("resultLabel")->text(), translated("calibration_timeOut").arg("0.5"));
            QTest::mouseClick(button(dialog.get(), "discardPushButton"), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(dialog->run()->stage() == CalibrationRun::Finished, Patience);
        } else if (measuring) {
            // The patch covers the dialog while the meter reads: Escape on it closes.
            QVERIFY(dialog->run()->patch()->isVisible());
            QTest::keyClick(dialog->run()->patch(), Qt::Key_Escape);
        } else {
            // The stage changes as the call is started; its process logs once it runs. Ended before that,
            // a busy machine's call would leave no line.
            QTRY_COMPARE_WITH_TIMEOUT(lines(path("dispwin.log")).size(), 1, Patience);
            QTest::mouseClick(button(dialog.get(), "closePushButton"), Qt::LeftButton);
            // The call under way, then the unloading after it, meet their limit now rather than after a set time.
            QTimer *limit = dialog->run()->findChild<Dispwin *>()->findChild<QTimer *>();
            limit->start(0);
            QTRY_COMPARE_WITH_TIMEOUT(lines(path("dispwin.log")).size(), 2, Patience);
            limit->start(0);
        }
        QTRY_VERIFY_WITH_TIMEOUT(stage == CalibrationRun::Judged || !dialog->isVisible(), Patience);
        QCOMPARE(lines(path("dispwin.log")), QStringList({"-d 1 -c", "-d 1 -c"}));
        if (measuring)
            QCOMPARE(dialog->storedSession() + m_store->database()->sessionSummaries().size(), 0);
    }
};

QTEST_MAIN(TestCalibrationDialog)
#include "tst_calibrationdialog.moc"
