#include "gsdf.h"
#include "luminanceresponse.h"

#include <QtTest>

#include <cmath>

using Response = LuminanceResponse;

namespace {

// The readings of a display that follows the GSDF exactly from 0.8 to 400 cd/m2, except that the step
// from reading 8 to 9 may have more contrast by the given factor: every brighter reading moves with it.
QStringList gsdfDisplay(double steeper = 1)
{
    QVector<double> luminances;
    for (int i = 0; i < 18; ++i)
        luminances << Gsdf::luminance(Gsdf::index(0.8) + i * (Gsdf::index(400) - Gsdf::index(0.8)) / 17);
    const double contrast = steeper * 2 * (luminances[9] - luminances[8]) / (luminances[9] + luminances[8]);
    const double factor = luminances[8] * (2 + contrast) / (2 - contrast) / luminances[9];
    QStringList readings;
    for (int i = 0; i < 18; ++i)
        readings << QString::number(luminances[i] * (i > 8 ? factor : 1), 'g', 17);
    return readings;
}

} // namespace

class TestLuminanceResponse : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void gsdf_data()
    {
        QTest::addColumn<double>("index");
        QTest::addColumn<double>("luminance"); // from the standard's table
        QTest::newRow("darkest") << 1.0 << 0.0500;
        QTest::newRow("j 100") << 100.0 << 1.8508;
        QTest::newRow("j 512") << 512.0 << 130.07;
        QTest::newRow("brightest") << 1023.0 << 3993.4;
    }

    void gsdf()
    {
        QFETCH(double, index);
        QFETCH(double, luminance);
        QVERIFY(std::abs(Gsdf::luminance(index) / luminance - 1) < 5e-4 &&
                std::abs(Gsdf::index(Gsdf::luminance(index)) - index) < 0.1);
    }

    void analyse_data()
    {
        QTest::addColumn<QStringList>("readings");
        QTest::addColumn<int>("problem"); // with the reading it names
        QTest::addColumn<int>("reading");
        QTest::addColumn<double>("largest");
        QTest::addColumn<QList<int>>("outsidePrimary"); // the intervals beyond +/-10 %
        QTest::addColumn<bool>("secondary");
        const QStringList good = gsdfDisplay();
        QTest::newRow("follows the GSDF") << good << int(Response::NoProblem) << -1 << 0.0 << QList<int>() << true;
        QTest::newRow("one interval 15 % off")
            << gsdfDisplay(1.15) << int(Response::NoProblem) << -1 << 0.143 << QList<int>{8} << true;
        const auto bad = [&good](const char *name, int index, const QString &text, Response::Problem problem) {
            QStringList readings = good;
            readings[index] = text;
            QTest::newRow(name) << readings << int(problem) << index << 0.0 << QList<int>() << false;
        };
        QTest::newRow("17 readings") << QStringList(good.mid(1)) << int(Response::WrongCount) << 17 << 0.0
                                     << QList<int>() << false;
        bad("text", 5, "bright", Response::NotANumber);
        bad("infinite", 17, "inf", Response::NotANumber);
        bad("zero", 0, "0", Response::NotPositive);
        bad("below the GSDF", 0, "0.04", Response::OutsideGsdf);
        bad("above the GSDF", 17, "4000", Response::OutsideGsdf);
        bad("equal neighbours", 3, good.at(2), Response::NotIncreasing);
    }

    void analyse()
    {
        QFETCH(QStringList, readings);
        QFETCH(int, problem);
        QFETCH(int, reading);
        QFETCH(double, largest);
        QFETCH(QList<int>, outsidePrimary);
        QFETCH(bool, secondary);
        const Response response = Response::analyse(readings);
        QCOMPARE(int(response.problem), problem);
        QCOMPARE(response.problemReading, reading);
        QVERIFY(std::abs(response.largestDeviation - largest) < 1e-3);
        QCOMPARE(response.isWithin(Response::primaryLimit), secondary && outsidePrimary.isEmpty());
        QCOMPARE(response.isWithin(Response::secondaryLimit), secondary);
        QCOMPARE(response.deviations.size(), problem == Response::NoProblem ? 17 : 0);
        for (int i = 0; i < response.deviations.size(); ++i)
            QCOMPARE(std::abs(response.deviations.at(i)) > Response::primaryLimit, outsidePrimary.contains(i));
    }
};

QTEST_GUILESS_MAIN(TestLuminanceResponse)
#include "tst_luminanceresponse.moc"
