#include "calfile.h"
#include "calibrationsettings.h"
#include "gsdflookuptable.h"
#include "luminanceresponse.h"
#include "support/patience.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// A display whose luminance follows a power of the driving level and stops
// rising at the clipping level.
struct Display
{
    double gamma = 2.2;
    double black = 0.8;
    double white = 300.0;
    int clip = 255;

    double luminance(int level) const
    {
        return black + (white - black) * std::pow(std::min(level, clip) / 255.0, gamma);
    }
    QVector<double> readings(const QVector<int> &levels) const
    {
        QVector<double> values;
        for (const int level : levels)
            values << luminance(level);
        return values;
    }
};

const double Ambient = 0.2;

// The 18 TG18-LN readings of the display driven through the outputs (none: the levels as they are), as a
// periodic test reads them.
LuminanceResponse verification(const Display &display, const QVector<int> &outputs = {})
{
    QStringList readings;
    for (int i = 0; i < LuminanceResponse::readingCount; ++i) {
        const int level = LuminanceResponse::drivingLevel(i);
        readings << QString::number(display.luminance(outputs.value(level, level)), 'f', 4);
    }
    return LuminanceResponse::analyse(readings, Ambient);
}

} // namespace

// The GSDF look-up table from a measured response, the driving levels it is
// measured at, and the .cal file ArgyllCMS reads.
class TestGsdfLookupTable : public QObject
{
    Q_OBJECT

private slots:
    void drivingLevels_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("beforeLast");
        QTest::newRow("default: steps of 8, 256 clipped") << QString() << 33 << 8 << 248;
        QTest::newRow("17 levels: steps of 16") << "17" << 17 << 16 << 240;
        QTest::newRow("256 levels: 255 measured once") << "256" << 255 << 1 << 254;
        QTest::newRow("too few reads as the default") << "2" << 33 << 8 << 248;
        QTest::newRow("no number reads as the default") << "many" << 33 << 8 << 248;
    }
    void drivingLevels()
    {
        QFETCH(QString, stored);
        QTemporaryDir dir;
        QSettings file(dir.filePath("settings.ini"), QSettings::IniFormat);
        file.setValue("CALIBRATION/program", " /usr/bin/dispwin ");
        if (!stored.isNull())
            file.setValue("CALIBRATION/levels", stored);
        const CalibrationSettings settings = CalibrationSettings::load(file);
        QCOMPARE(settings.program, QString("/usr/bin/dispwin"));
        const QVector<int> levels = settings.drivingLevels();
        QTEST(int(levels.size()), "count");
        QCOMPARE(levels.constFirst(), 0);
        QTEST(levels.at(1), "second");
        QTEST(levels.at(levels.size() - 2), "beforeLast");
        QCOMPARE(levels.constLast(), 255);
    }

    // A gamma display fails the GSDF check; with its table in the card it passes at +/-10 %. A display that
    // clips, or a reading below the one before (the meter's noise on a flat top, counted as the one before): the
    // table stays monotone, never drives past the first level that gives the most light, and names the levels it
    // leaves unused.
    void computedTable_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<double>("gamma");
        QTest::addColumn<int>("clip");
        QTest::addColumn<bool>("dips");
        QTest::addColumn<int>("last"); // the highest output
        QTest::newRow("33 levels, gamma 2.2") << 33 << 2.2 << 255 << false << 255;
        QTest::newRow("17 levels, gamma 2.2") << 17 << 2.2 << 255 << false << 255;
        QTest::newRow("33 levels, gamma 1.8") << 33 << 1.8 << 255 << false << 255;
        QTest::newRow("clips at 230: 232 is the first measured level at the top") << 33 << 2.2 << 230 << false << 232;
        QTest::newRow("dips at readings 10 and 32") << 33 << 2.2 << 255 << true << 248;
    }
    void computedTable()
    {
        QFETCH(int, levels);
        QFETCH(double, gamma);
        QFETCH(int, clip);
        QFETCH(bool, dips);
        QFETCH(int, last);
        const Display display{gamma, 0.8, 300.0, clip};
        CalibrationSettings settings;
        settings.levels = levels;
        QVector<double> readings = display.readings(settings.drivingLevels());
        if (dips) {
            readings[10] = readings.at(8);
            readings[32] = readings.at(31) * 0.99;
        }
        const GsdfLookupTable table = GsdfLookupTable::compute(settings.drivingLevels(), readings, Ambient);
        QVERIFY(table.isValid());
        QCOMPARE(table.outputs.size(), 256);
        QVERIFY(std::is_sorted(table.outputs.cbegin(), table.outputs.cend()));
        QVERIFY(std::is_sorted(table.response.cbegin(), table.response.cend()));
        QCOMPARE(table.maxLuminance, *std::max_element(readings.cbegin(), readings.cend()) + Ambient);
        QCOMPARE(table.outputs.constFirst(), 0);
        QCOMPARE(table.outputs.constLast(), last);
        QCOMPARE(table.unusedTopLevels().value(0, 256), last + 1);
        QCOMPARE(table.unusedTopLevels().size(), 255 - last);

        QVERIFY(!verification(display).isWithin(LuminanceResponse::primaryLimit));
        const LuminanceResponse calibrated = verification(display, table.outputs);
        QVERIFY2(dips || calibrated.isWithin(LuminanceResponse::primaryLimit),
                 qPrintable(QString::number(calibrated.largestDeviation)));
    }

    void unusableResponse_data()
    {
        QTest::addColumn<int>("changedReading");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("ambient");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("problemReading");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("reading no number") << 5 << nan << Ambient << int(GsdfLookupTable::NotANumber) << 5;
        QTest::newRow("black below the GSDF") << 0 << 0.0 << 0.0 << int(GsdfLookupTable::OutsideGsdf) << 0;
        QTest::newRow("white above the GSDF") << 32 << 5000.0 << Ambient << int(GsdfLookupTable::OutsideGsdf) << 32;
        QTest::newRow("ambient no number") << -1 << 0.0 << nan << int(GsdfLookupTable::AmbientNotANumber) << -1;
        QTest::newRow("ambient negative") << -1 << 0.0 << -0.5 << int(GsdfLookupTable::AmbientNotANumber) << -1;
        QTest::newRow("no rise: every reading the same") << -2 << 1.0 << Ambient << int(GsdfLookupTable::NoRise) << 32;
        QTest::newRow("a reading missing") << -3 << 0.0 << Ambient << int(GsdfLookupTable::WrongCount) << 32;
    }
    void unusableResponse()
    {
        QFETCH(int, changedReading);
        QFETCH(double, value);
        QFETCH(double, ambient);
        const QVector<int> levels = CalibrationSettings().drivingLevels();
        QVector<double> readings = Display().readings(levels);
        if (changedReading >= 0)
            readings[changedReading] = value;
        else if (changedReading == -2)
            readings.fill(value);
        else if (changedReading == -3)
            readings.removeLast();
        const GsdfLookupTable table = GsdfLookupTable::compute(levels, readings, ambient);
        QTEST(int(table.problem), "problem");
        QTEST(table.problemReading, "problemReading");
        QVERIFY(table.outputs.isEmpty());
    }

    // The file as written is read by ArgyllCMS's own reader: applycal applies
    // it to an ICC profile without any hardware.
    void calFileReadByArgyll()
    {
        const QString applycal = QStandardPaths::findExecutable("applycal");
        const QString profile = "/usr/share/color/argyll/ref/sRGB.icm";
        if (applycal.isEmpty() || !QFile::exists(profile))
            QSKIP("ArgyllCMS's applycal and sRGB.icm are not installed");
        const QVector<int> levels = CalibrationSettings().drivingLevels();
        const GsdfLookupTable table = GsdfLookupTable::compute(levels, Display().readings(levels), Ambient);
        const QByteArray text =
            CalFile::text(table.outputs, "GSDF \"test\"", QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
        for (const char *line : {"DESCRIPTOR \"GSDF 'test'\"\n", "CREATED \"Mon Dec 7 10:00:00 2026\"\n",
                                 "1.000000 1.000000 1.000000 1.000000\nEND_DATA\n"})
            QVERIFY2(text.contains(line), line);

        QTemporaryDir dir;
        QString error;
        QVERIFY(CalFile::write(dir.filePath("gsdf.cal"), text, &error));
        QProcess process;
        process.start(applycal, {dir.filePath("gsdf.cal"), profile, dir.filePath("gsdf.icc")});
        QVERIFY(process.waitForFinished(Patience));
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 process.readAll().constData());
        QVERIFY(!CalFile::write(dir.filePath("missing/gsdf.cal"), text, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestGsdfLookupTable)
#include "tst_gsdflookuptable.moc"
