#include "gsdf.h"
#include "luminanceresponse.h"

#include <QtTest>

#include <cmath>

using Response = LuminanceResponse;

namespace {

// The readings of a display that follows the GSDF exactly from 0.8 to 400 cd/m2.
QVector<double> gsdfDisplay()
{
    QVector<double> luminances;
    for (int i = 0; i < 18; ++i)
        luminances << Gsdf::luminance(Gsdf::index(0.8) + i * (Gsdf::index(400) - Gsdf::index(0.8)) / 17);
    return luminances;
}

QStringList texts(const QVector<double> &luminances)
{
    QStringList readings;
    for (double luminance : luminances)
        readings << QString::number(luminance, 'g', 17);
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
        QVERIFY(std::abs(Gsdf::luminance(index) / luminance - 1) < 5e-4);
        QVERIFY(std::abs(Gsdf::index(Gsdf::luminance(index)) - index) < 0.1);
    }

    void response_data()
    {
        QTest::addColumn<QVector<double>>("luminances");
        QTest::addColumn<QList<int>>("outsidePrimary");
        QTest::addColumn<double>("largest");
        QTest::addColumn<bool>("secondary");
        QTest::newRow("follows the GSDF") << gsdfDisplay() << QList<int>() << 0.0 << true;
        QVector<double> gamma;
        for (int i = 0; i < 18; ++i)
            gamma << 0.8 + (400 - 0.8) * std::pow(i / 17.0, 2.2);
        QTest::newRow("gamma 2.2") << gamma << QList<int>{0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 15, 16} << 0.553
                                   << false;
        // The step from reading 8 to 9 has 15 % more contrast; every brighter reading moves with it.
        QVector<double> oneStepOff = gsdfDisplay();
        const double contrast = 1.15 * 2 * (oneStepOff[9] - oneStepOff[8]) / (oneStepOff[9] + oneStepOff[8]);
        const double factor = oneStepOff[8] * (2 + contrast) / (2 - contrast) / oneStepOff[9];
        for (int i = 9; i < 18; ++i)
            oneStepOff[i] *= factor;
        QTest::newRow("one interval 15 % off") << oneStepOff << QList<int>{8} << 0.143 << true;
    }

    void response()
    {
        QFETCH(QVector<double>, luminances);
        QFETCH(QList<int>, outsidePrimary);
        QFETCH(double, largest);
        QFETCH(bool, secondary);
        const Response response = Response::analyse(texts(luminances));
        QVERIFY(std::abs(response.largestDeviation - largest) < 1e-3);
        QCOMPARE(response.isWithin(Response::primaryLimit), outsidePrimary.isEmpty());
        QCOMPARE(response.isWithin(Response::secondaryLimit), secondary);
        QCOMPARE(response.deviations.size(), 17);
        for (int i = 0; i < 17; ++i)
            QCOMPARE(std::abs(response.deviations.at(i)) > Response::primaryLimit, outsidePrimary.contains(i));
    }

    void badReadings_data()
    {
        QTest::addColumn<QStringList>("readings");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("reading");
        const QStringList good = texts(gsdfDisplay());
        const auto row = [&good](const char *name, int index, const QString &text, Response::Problem problem) {
            QStringList readings = good;
            readings[index] = text;
            QTest::newRow(name) << readings << int(problem) << index;
        };
        QTest::newRow("17 readings") << QStringList(good.mid(1)) << int(Response::WrongCount) << 17;
        row("text", 5, "bright", Response::NotANumber);
        row("decimal comma", 6, "19,5", Response::NotANumber);
        row("infinite", 17, "inf", Response::NotANumber);
        row("zero", 0, "0", Response::NotPositive);
        row("below the GSDF", 0, "0.04", Response::OutsideGsdf);
        row("above the GSDF", 17, "4000", Response::OutsideGsdf);
        row("equal neighbours", 3, good.at(2), Response::NotIncreasing);
    }

    void badReadings()
    {
        QFETCH(QStringList, readings);
        QFETCH(int, problem);
        QFETCH(int, reading);
        const Response response = Response::analyse(readings);
        QCOMPARE(int(response.problem), problem);
        QCOMPARE(response.problemReading, reading);
        QVERIFY(!response.isWithin(Response::secondaryLimit) && response.deviations.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLuminanceResponse)
#include "tst_luminanceresponse.moc"
