#include "gsdf.h"
#include "luminanceresponse.h"

#include <QtTest>

#include <cmath>

namespace {

QStringList texts(const QVector<double> &luminances)
{
    QStringList readings;
    for (double luminance : luminances)
        readings << QString::number(luminance, 'g', 17);
    return readings;
}

// The 18 readings of a display that follows the GSDF exactly from 0.8 to 400 cd/m2.
QVector<double> gsdfDisplay()
{
    const double first = Gsdf::index(0.8);
    const double step = (Gsdf::index(400) - first) / 17;
    QVector<double> luminances;
    for (int i = 0; i < 18; ++i)
        luminances << Gsdf::luminance(first + i * step);
    return luminances;
}

} // namespace

class TestLuminanceResponse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gsdfTable_data();
    void gsdfTable();
    void gsdfOutsideItsRange();
    void response_data();
    void response();
    void badReadings_data();
    void badReadings();
};

void TestLuminanceResponse::gsdfTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("luminance");
    // Values of the standard's table, in cd/m2.
    QTest::newRow("darkest") << 1 << 0.0500;
    QTest::newRow("j 100") << 100 << 1.8508;
    QTest::newRow("j 512") << 512 << 130.07;
    QTest::newRow("brightest") << 1023 << 3993.4;
}

void TestLuminanceResponse::gsdfTable()
{
    QFETCH(int, index);
    QFETCH(double, luminance);
    QVERIFY2(std::abs(Gsdf::luminance(index) / luminance - 1) < 5e-4,
             qPrintable(QString::number(Gsdf::luminance(index))));
    QVERIFY2(std::abs(Gsdf::index(Gsdf::luminance(index)) - index) < 0.1, qPrintable(QString::number(index)));
}

void TestLuminanceResponse::gsdfOutsideItsRange()
{
    QCOMPARE(Gsdf::luminance(0.5), -1.0);
    QCOMPARE(Gsdf::luminance(1024), -1.0);
    QCOMPARE(Gsdf::index(0.049), -1.0);
    QCOMPARE(Gsdf::index(4000), -1.0);
    QCOMPARE(Gsdf::index(std::nan("")), -1.0);
}

void TestLuminanceResponse::response_data()
{
    QTest::addColumn<QVector<double>>("luminances");
    QTest::addColumn<QList<int>>("outsidePrimary");
    QTest::addColumn<double>("largest");
    QTest::addColumn<bool>("primary");
    QTest::addColumn<bool>("secondary");

    QTest::newRow("follows the GSDF") << gsdfDisplay() << QList<int>() << 0.0 << true << true;
    QVector<double> gamma;
    for (int i = 0; i < 18; ++i)
        gamma << 0.8 + (400 - 0.8) * std::pow(i / 17.0, 2.2);
    QTest::newRow("gamma 2.2") << gamma << QList<int>{0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 15, 16} << 0.553 << false
                               << false;
    // The step from reading 8 to 9 has 15 % more contrast; every brighter reading moves with it.
    QVector<double> oneStepOff = gsdfDisplay();
    const double contrast = 1.15 * 2 * (oneStepOff[9] - oneStepOff[8]) / (oneStepOff[9] + oneStepOff[8]);
    const double factor = oneStepOff[8] * (2 + contrast) / (2 - contrast) / oneStepOff[9];
    for (int i = 9; i < 18; ++i)
        oneStepOff[i] *= factor;
    QTest::newRow("one interval 15 % off") << oneStepOff << QList<int>{8} << 0.143 << false << true;
}

void TestLuminanceResponse::response()
{
    QFETCH(QVector<double>, luminances);
    QFETCH(QList<int>, outsidePrimary);
    QFETCH(double, largest);
    QFETCH(bool, primary);
    QFETCH(bool, secondary);

    const LuminanceResponse response = LuminanceResponse::analyse(texts(luminances));
    QVERIFY(response.isValid());
    QCOMPARE(response.luminances, luminances);
    QCOMPARE(response.deviations.size(), 17);
    QVERIFY2(std::abs(response.largestDeviation - largest) < 1e-3,
             qPrintable(QString::number(response.largestDeviation)));
    QCOMPARE(response.isWithin(LuminanceResponse::primaryLimit), primary);
    QCOMPARE(response.isWithin(LuminanceResponse::secondaryLimit), secondary);
    for (int i = 0; i < 17; ++i) {
        QCOMPARE(std::abs(response.deviations.at(i)) > LuminanceResponse::primaryLimit, outsidePrimary.contains(i));
        QVERIFY(std::abs(response.measuredContrasts.at(i) / response.targetContrasts.at(i) - 1 -
                         response.deviations.at(i)) < 1e-12);
    }
    QVERIFY(std::abs(response.targetLuminances.constFirst() / luminances.constFirst() - 1) < 1e-3);
    QVERIFY(std::abs(response.targetLuminances.constLast() / luminances.constLast() - 1) < 1e-3);
}

void TestLuminanceResponse::badReadings_data()
{
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<int>("problem");
    QTest::addColumn<int>("reading");

    const QStringList good = texts(gsdfDisplay());
    const auto with = [&good](int index, const QString &text) {
        QStringList readings = good;
        readings[index] = text;
        return readings;
    };
    QTest::newRow("no readings") << QStringList() << int(LuminanceResponse::WrongCount) << 0;
    QTest::newRow("17 readings") << QStringList(good.mid(1)) << int(LuminanceResponse::WrongCount) << 17;
    QTest::newRow("19 readings") << (QStringList(good) << QStringLiteral("500")) << int(LuminanceResponse::WrongCount)
                                 << 19;
    QTest::newRow("empty reading") << with(4, QString()) << int(LuminanceResponse::NotANumber) << 4;
    QTest::newRow("text") << with(5, QStringLiteral("bright")) << int(LuminanceResponse::NotANumber) << 5;
    QTest::newRow("decimal comma") << with(6, QStringLiteral("19,5")) << int(LuminanceResponse::NotANumber) << 6;
    QTest::newRow("not a number") << with(7, QStringLiteral("nan")) << int(LuminanceResponse::NotANumber) << 7;
    QTest::newRow("infinite") << with(17, QStringLiteral("inf")) << int(LuminanceResponse::NotANumber) << 17;
    QTest::newRow("zero") << with(0, QStringLiteral("0")) << int(LuminanceResponse::NotPositive) << 0;
    QTest::newRow("negative") << with(0, QStringLiteral("-0.3")) << int(LuminanceResponse::NotPositive) << 0;
    QTest::newRow("below the GSDF") << with(0, QStringLiteral("0.04")) << int(LuminanceResponse::OutsideGsdf) << 0;
    QTest::newRow("above the GSDF") << with(17, QStringLiteral("4000")) << int(LuminanceResponse::OutsideGsdf) << 17;
    QTest::newRow("equal neighbours") << with(3, good.at(2)) << int(LuminanceResponse::NotIncreasing) << 3;
    QTest::newRow("falling") << with(10, QStringLiteral("1")) << int(LuminanceResponse::NotIncreasing) << 10;
}

void TestLuminanceResponse::badReadings()
{
    QFETCH(QStringList, readings);
    QFETCH(int, problem);
    QFETCH(int, reading);
    const LuminanceResponse response = LuminanceResponse::analyse(readings);
    QVERIFY(!response.isValid());
    QCOMPARE(int(response.problem), problem);
    QCOMPARE(response.problemReading, reading);
    QVERIFY(!response.isWithin(LuminanceResponse::secondaryLimit));
    QVERIFY(response.deviations.isEmpty());
}

QTEST_GUILESS_MAIN(TestLuminanceResponse)
#include "tst_luminanceresponse.moc"
