#include "canvaswidget.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "dialogplacement.h"
#include "measureallrun.h"
#include "meterassist.h"
#include "meterplace.h"
#include "meterreader.h"
#include "metersettings.h"
#include "metersettingspage.h"
#include "readingsource.h"
#include "savedsessionsmodel.h"
#include "spotreadoutput.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/storefiles.h"
#include "support/translated.h"
#include "test.h"
#include "testcontent.h"
#include "testframe.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "testpattern.h"
#include "testsmanager.h"
#include "translator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every pixel of the area, as the screen shows it now, has that colour.
bool screenShows(const QRect &area, QRgb colour)
{
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    QImage expected(shown.size(), QImage::Format_RGB32);
    expected.fill(colour);
    return !shown.isNull() && shown == expected;
}

QString xyzLine(const QString &y)
{
    return QString(" Result is XYZ: 95.041000 %1 108.883000, Yxy: %1 0.312700 0.329000").arg(y);
}

} // namespace

// The meter through ArgyllCMS's spotread, played by a script: its answers, its faults and its
// hangs, read by one call and by "Measure all" in the questions dialog of a real session.
class TestMeter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TR::Translator::instance()->setModel(TR::defaultDictionary());
        qRegisterMetaType<MeterReply>();
    }

    void init() { ModalAnswers::rejectUnexpectedDialogs(); }

    void cleanup()
    {
        m_session.reset();
        m_model.reset();
        QSettings(ConfigurationManager::instance()->fileName(), QSettings::IniFormat).remove("METER");
        QCOMPARE(ModalAnswers::finish().unanswered, 0);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("ambient");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("message");
        const QString noReading = translated("meter_garbage").section("%1", 0, 0);
        const QString failed = translated("meter_failed").section("%1", 0, 0);
        const QString implausible = translated("meter_implausible").section("%1", 0, 0);
        QTest::newRow("luminance is the second XYZ number") << xyzLine("412.5") << false << 412.5 << "";
        QTest::newRow("ambient XYZ line in lux") << xyzLine("250") << true << 250.0 << "";
        QTest::newRow("Y-only line is no luminance") << " Result is Y: 180.5, L*: 51.2" << false << 0.0 << noReading;
        QTest::newRow("needs calibration")
            << "Spot read needs a calibration before continuing" << false << 0.0 << failed;
        QTest::newRow("garbage") << "\x01\x02 qwerty 12" << false << 0.0 << noReading;
        QTest::newRow("number not a number") << xyzLine("12,5") << false << 0.0 << noReading;
        QTest::newRow("empty") << "\n  \n" << false << 0.0 << translated("meter_noAnswer");
        QTest::newRow("negative") << xyzLine("-3.2") << false << 0.0 << implausible;
        QTest::newRow("absurd") << xyzLine("1e9") << false << 0.0 << implausible;
        QTest::newRow("not finite") << xyzLine("nan") << false << 0.0 << implausible;
    }

    void parse()
    {
        QFETCH(QString, output);
        QFETCH(bool, ambient);
        QFETCH(double, value);
        QFETCH(QString, message);
        const MeterReply reply =
            SpotreadOutput::parse(output.toUtf8(), ambient ? MeterQuantity::Illuminance : MeterQuantity::Luminance);
        QCOMPARE(reply.ok, message.isEmpty());
        QCOMPARE(reply.value, value);
        QVERIFY2(message.isEmpty() ? reply.message.isEmpty() : reply.message.startsWith(message),
                 qPrintable(reply.message));
    }

    // Damaged and out-of-range values read as the defaults.
    void damagedSettingsReadAsDefaults()
    {
        setMeter({{"instrument", "0"}, {"displayType", "-x; rm"}, {"settleMs", "600000"}});
        const MeterSettings settings = MeterSettings::load();
        QCOMPARE(QString("%1 %2 %3").arg(settings.instrument).arg(settings.displayType).arg(settings.settleMs),
                 "1  1000");
    }

    // Every key of the group survives the page: shown, used by the trial reading, written back as it
    // was; a value the page cannot read is named when it opens.
    void settingsPageKeepsTheFile()
    {
        useTable({"hang"});
        setMeter({{"program", FAKE_SPOTREAD},
                  {"instrument", 2},
                  {"displayType", "l"},
                  {"timeLimitMs", 1500},
                  {"settleMs", "soon"},
                  {"laterKey", "kept"}});
        MeterSettingsPage page;
        auto *status = page.findChild<QLabel *>("meterStatusLabel");
        QVERIFY2(status->text().contains("settleMs=soon"), qPrintable(status->text()));
        QCOMPARE(page.findChild<QSpinBox *>("timeLimitSpinBox")->value(), 1500);
        page.tryReading();
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), translated("meter_timeOut").arg(1.5, 0, 'f', 1), Patience);
        QCOMPARE(callArguments(), QStringList{"-e -x -O -N -c 2 -y l"});
        page.findChild<QLineEdit *>("serialLineEdit")->setText(" 4711 ");
        QVERIFY(page.save());
        QCOMPARE(status->text(), translated("meter_saved"));
        QCOMPARE(MeterSettings::load().serial, QStringLiteral("4711"));
        QSettings file(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
        QCOMPARE(file.value("METER/timeLimitMs").toInt(), 1500);
        QCOMPARE(file.value("METER/laterKey").toString(), QStringLiteral("kept"));
        QCOMPARE(file.value("METER/settleMs").toInt(), MeterSettings().settleMs);
    }

    // One reading, and the helpers the meter program starts ending with it, after a time-out and after a
    // reading alike.
    void oneReading_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ambient");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("arguments");
        QTest::newRow("reading") << FAKE_SPOTREAD << "412.5" << false << QString() << "-e -x -O -N -c 2 -y l";
        QTest::newRow("ambient mode") << FAKE_SPOTREAD << "y:180" << true << QString() << "-a -x -O -N -c 2";
        QTest::newRow("failure and its exit code")
            << FAKE_SPOTREAD << "fail" << false << "Spot read failed" << QString();
        QTest::newRow("exit code without a word")
            << FAKE_SPOTREAD << "exit:3" << false << translated("meter_exitCode").arg(3) << QString();
        QTest::newRow("hangs") << FAKE_SPOTREAD << "hang" << false << translated("meter_timeOut").arg("0.8")
                               << QString();
        QTest::newRow("missing program") << QString("/nonexistent/spotread") << "412" << false
                                         << translated("meter_notStarted").section("%1", 0, 0) << QString();
        QTest::newRow("no meter set up") << QString() << "412" << false << translated("meter_notSetUp") << QString();
        QTest::newRow("helpers, then hangs")
            << FAKE_SPOTREAD << "forkhang" << false << translated("meter_timeOut").section("%1", 0, 0) << QString();
        QTest::newRow("reads, leaving a helper") << FAKE_SPOTREAD << "forkread:412" << false << QString() << QString();
    }

    void oneReading()
    {
        QFETCH(QString, program);
        QFETCH(QString, answer);
        QFETCH(bool, ambient);
        QFETCH(QString, message);
        QFETCH(QString, arguments);
        useTable({answer});
        MeterSettings settings;
        settings.program = program;
        settings.instrument = 2;
        settings.displayType = "l";
        // A hang ends at the limit; an answer never meets it. The hang with helpers meets its limit once they
        // run, however long they take to start.
        settings.timeLimitMs = answer == "hang" ? 800 : Patience;
        MeterReader reader(settings);
        QSignalSpy finished(&reader, &MeterReader::finished);
        reader.start(ambient ? MeterQuantity::Illuminance : MeterQuantity::Luminance);
        if (answer == "forkhang") {
            QTRY_COMPARE_WITH_TIMEOUT(startedProcesses().size(), 3, Patience);
            reader.findChild<QTimer *>()->start(0);
        }
        QVERIFY(finished.wait(Patience) && !reader.isBusy());
        const MeterReply reply = finished.first().first().value<MeterReply>();
        QCOMPARE(reply.ok, message.isEmpty());
        QVERIFY2(reply.message.contains(message), qPrintable(reply.message));
        if (!arguments.isEmpty())
            QCOMPARE(callArguments(), QStringList{arguments});
        const QStringList started = startedProcesses();
        QCOMPARE(started.size(), answer == "forkhang" ? 3 : answer.startsWith("fork") ? 2 : 0);
        for (const QString &pid : started)
            QTRY_VERIFY2_WITH_TIMEOUT(!isRunning(pid.trimmed()), qPrintable(pid), Patience);
    }

    // The whole TG18-LN series read by the meter: each reading with the right pattern on screen. A pause
    // holds the series before its next reading; going on reads the rest. Then the ambient luminance.
    void measureAllLevels()
    {
        QStringList table;
        QStringList expectedPatterns;
        for (int level = 1; level <= 18; ++level) {
            table << QString::number(level * 20.5);
            expectedPatterns << QString("kTestPatternTG18LN%1").arg(level, 2, 10, QChar('0'));
        }
        TestInputDialog *dialog = startAt("test_06_03_00", table << "0.42", 40);
        QStringList patterns;
        QVector<int> settlingTimes;
        connect(dialog->meterAssist(), &MeterAssist::readingStarted, this, [&] {
            patterns << NSTESTPatter::TestPattern::typeToString(
                m_session->frame()->findChild<CanvasWidget *>("canvasWidget")->pattern()->type());
            settlingTimes << dialog->meterAssist()->run()->findChild<QTimer *>()->interval();
        });
        QTest::mouseClick(dialog->findChild<QPushButton *>("measureAllPushButton"), Qt::LeftButton);
        QCOMPARE(dialog->findChild<QLabel *>("meterProgressLabel")->text(),
                 translated("meter_progress").arg(1).arg(18));
        auto *pause = dialog->findChild<QPushButton *>("pausePushButton");
        QTest::mouseClick(pause, Qt::LeftButton);
        // Paused, nothing is left that would start a reading: no settling under way, no meter called.
        QVERIFY(!dialog->meterAssist()->run()->findChild<QTimer *>()->isActive());
        QCoreApplication::processEvents();
        QVERIFY(callArguments().isEmpty());
        QTest::mouseClick(pause, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->meterAssist()->run()->isRunning(), Patience);
        // Every pattern had its settling time before it was read; the time it took says nothing on a busy machine.
        QCOMPARE(settlingTimes, QVector<int>(18, 40));

        for (int level = 1; level <= 18; ++level) {
            const TestContent *content =
                m_session->contentById(QString("content0503%1").arg(level - 1, 2, 10, QChar('0')) + "00");
            QCOMPARE(content->resultText(), ReadingSource::valueText(level * 20.5));
            QVERIFY(ReadingSource::isMeterReading(content->readingSource(), content->resultText()));
            QCOMPARE(content->toVariantMap().value("readingsource").toMap().value("instrument").toInt(), 1);
        }
        QCOMPARE(patterns, expectedPatterns);
        QCOMPARE(m_session->frame()->test()->id(), QString("test_06_06_00"));

        // The ambient luminance is read on a black screen with no window of the program on it, after the
        // operator was asked to switch the display off; the dialog comes back with the value.
        bool black = false;
        connect(dialog->meterAssist(), &MeterAssist::readingStarted, this,
                [&] { black = !dialog->isVisible() && screenShows(m_session->frame()->geometry(), qRgb(0, 0, 0)); });
        QString asked;
        ModalAnswers::clickButton(translated("meter_useBlack"), &asked);
        QTest::mouseClick(dialog->findChild<QPushButton *>("measurePushButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->findChild<QLineEdit *>()->text(), QString("0.420"), Patience);
        QVERIFY(black);
        QCOMPARE(asked, translated("meter_ambientPrompt"));
        QVERIFY(!m_session->frame()->findChild<QWidget *>("meterBlackCover"));
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->findChild<QPushButton *>("measureAllPushButton")->isHidden());
    }

    // Nine readings, then the meter fails twice: the nine are kept, the operator types the tenth and goes on.
    void failureAfterNine()
    {
        TestInputDialog *dialog =
            startAt("test_06_03_00", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "fail", "garbage", "11"});
        QTest::mouseClick(dialog->findChild<QPushButton *>("measureAllPushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->meterAssist()->run()->isRunning(), Patience);
        QCOMPARE(m_session->frame()->test()->id(), QString("test_06_03_09"));
        QVERIFY(dialog->findChild<QLabel *>("meterMessageLabel")->text().contains("lots of noise"));
        QCOMPARE(m_session->contentById("content05030800")->resultText(), QString("9.000"));
        QVERIFY(!dialog->findChild<QPushButton *>("measureAllPushButton")->isHidden());

        QTest::keyClicks(dialog->findChild<QLineEdit *>(), "10.5");
        QTest::keyClick(dialog, Qt::Key_Return);
        const TestContent *typed = m_session->contentById("content05030900");
        QCOMPARE(typed->resultText(), QString("10.5"));
        QVERIFY(!ReadingSource::isMeterReading(typed->readingSource(), typed->resultText()));
        QCOMPARE(m_session->frame()->test()->id(), QString("test_06_03_10"));
        // One button beside the field reads the next level by itself.
        QTest::mouseClick(dialog->findChild<QPushButton *>("measurePushButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->findChild<QLineEdit *>()->text(), QString("11.00"), Patience);
        // Typed over, the reading is no longer the meter's.
        QTest::keyClick(dialog->findChild<QLineEdit *>(), Qt::Key_Backspace);
        QTest::keyClick(dialog, Qt::Key_Return);
        const TestContent *changed = m_session->contentById("content05031000");
        QCOMPARE(changed->resultText(), QString("11.0"));
        QVERIFY(!ReadingSource::isMeterReading(changed->readingSource(), changed->resultText()));
    }

    // "Measure all" over the uniformity fields waits at each new field until the operator says the
    // meter is there, the field outlined and the dialog off it; the record names the field.
    void measureAllStopsAtEachField()
    {
        TestInputDialog *dialog = startAt("test_06_02_00", {"200", "20", "210", "21"});
        auto *placed = dialog->findChild<QPushButton *>("placedPushButton");
        auto *request = dialog->findChild<QLabel *>("placementLabel");
        auto *canvas = m_session->frame()->findChild<CanvasWidget *>("canvasWidget");
        QTest::mouseClick(dialog->findChild<QPushButton *>("measureAllPushButton"), Qt::LeftButton);
        QVERIFY(placed->isVisible());
        QCOMPARE(request->text(), translated("measure_placeOnField").arg(1).arg(translated("position_topLeft")));
        QCOMPARE(canvas->outlined().size(), 1);
        QVERIFY(!dialog->findChild<QScrollArea *>("scrollArea")->isVisible());
        QCOMPARE(DialogPlacement::coveredArea(dialog->frameGeometry(), canvas->outlined()), 0);
        QCoreApplication::processEvents();
        QVERIFY(!dialog->meterAssist()->isReading());

        // Dragged onto the field, the dialog leaves the screen while the meter reads there.
        const QRect field = canvas->outlined().constFirst();
        const QRect middle(field.center() - QPoint(field.width() / 4, field.height() / 4), field.size() / 2);
        dialog->move(field.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
        QStringList seen;
        connect(dialog->meterAssist(), &MeterAssist::readingStarted, this, [&] {
            const bool windowOver = dialog->isVisible() && dialog->frameGeometry().intersects(field);
            seen << (screenShows(middle, qRgb(204, 204, 204)) && !windowOver ? "light field" : "covered");
        });
        // Space reads here; the dark field at the same place follows without a stop.
        QTest::keyClick(dialog, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(placed->isVisible(), Patience);
        QCOMPARE(callArguments().size(), 2);
        QCOMPARE(seen.value(0), QString("light field"));
        QVERIFY(dialog->isVisible());
        QVERIFY(canvas->outlined().size() == 1 && m_session->frame()->test()->id() != "test_06_02_01");
        const int next = MeterAssist::placeOf(m_session->frame()->test());
        QVERIFY(next > 0);
        QCOMPARE(request->text(), translated("measure_placeOnField").arg(next + 1).arg(MeterPlace::positionName(next)));
        for (const char *id : {"content05020000", "content05020100"}) {
            const QString described = ReadingSource::describe(m_session->contentById(id)->readingSource());
            QVERIFY2(described.endsWith(MeterPlace::fieldName(0) + ", LS-150, serial number 4711"),
                     qPrintable(described));
        }
        QCOMPARE(m_session->contentById("content05020100")->resultText(), QString("20.00"));

        // The button reads as Space does, both fields there; a stop ends the request and takes the ring off.
        QTest::mouseClick(placed, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(callArguments().size() == 4 && placed->isVisible(), Patience);
        QTest::mouseClick(dialog->findChild<QPushButton *>("stopPushButton"), Qt::LeftButton);
        QVERIFY(!placed->isVisible());
        QVERIFY(canvas->outlined().isEmpty());
        QVERIFY(dialog->findChild<QScrollArea *>("scrollArea")->isVisible());
    }

private:
    // The meter program and the helpers it started, as it wrote them down.
    QStringList startedProcesses() const
    {
        return QString(fileBytes(m_table + ".pids")).split(' ', Qt::SkipEmptyParts);
    }

    // A process that ended but was not yet reaped by its new parent is no longer running.
    static bool isRunning(const QString &pid)
    {
        const QByteArray line = fileBytes("/proc/" + pid + "/stat");
        return !line.isEmpty() && line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
    }

    void useTable(const QStringList &answers)
    {
        m_table = m_dir.filePath(QString("table%1").arg(++m_tables));
        writeBytes(m_table, (answers.join('\n') + '\n').toUtf8());
        qputenv("FAKE_SPOTREAD_TABLE", m_table.toUtf8());
    }

    // Writes the keys to the meter's group of the program's settings file.
    static void setMeter(const QVariantMap &keys)
    {
        QSettings file(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
        for (auto key = keys.cbegin(); key != keys.cend(); ++key)
            file.setValue("METER/" + key.key(), key.value());
    }

    QStringList callArguments() const { return QString(fileBytes(m_table + ".args")).split('\n', Qt::SkipEmptyParts); }

    TestInputDialog *startAt(const QString &testId, const QStringList &answers, int settleMs = 0)
    {
        useTable(answers);
        setMeter({{"program", FAKE_SPOTREAD},
                  {"settleMs", settleMs},
                  {"timeLimitMs", Patience},
                  {"model", "LS-150"},
                  {"serial", "4711"}});
        m_model = std::make_unique<SavedSessionsModel>(ConfigurationManager::instance());
        m_session = std::make_unique<TestingSession>(nullptr, nullptr, m_model.get());
        m_catalogue = std::make_unique<TestsManager>();
        m_session->setGroups(m_catalogue->groups());
        int step = 0;
        while (m_session->testAt(step)->id() != testId)
            ++step;
        m_session->setTestIndex(step);
        m_session->start(0);
        return m_session->frame()->inputDialog();
    }

    QTemporaryDir m_dir;
    QString m_table;
    int m_tables = 0;
    std::unique_ptr<TestsManager> m_catalogue;
    std::unique_ptr<SavedSessionsModel> m_model;
    std::unique_ptr<TestingSession> m_session;
};

QTEST_MAIN(TestMeter)
#include "tst_meter.moc"
