#include "answeredcatalogue.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QtTest>

Q_DECLARE_METATYPE(AnsweredCatalogue::Measurements)

// Real readings of three monitors put through the shipped catalogue. The
// expected figures were worked out by hand from the readings, e.g. the dark
// uniformity of the 27-inch monitor: 200 * (9.31 - 7.96) / (9.31 + 7.96) = 15.634 %.
class TestMeasurements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joinedValuesAndVerdicts_data();
    void joinedValuesAndVerdicts();
    void pixelErrorsAboveTheLimitFail();
    void judgedCatalogueSerialisesItsResults();
};

void TestMeasurements::joinedValuesAndVerdicts_data()
{
    QTest::addColumn<AnsweredCatalogue::Measurements>("monitor");
    QTest::addColumn<QStringList>("joined");    // dark max, dark min, light max, light min, uniformity dark, light
    QTest::addColumn<QStringList>("luminance"); // maximum, minimum, ratio
    QTest::addColumn<QList<bool>>("verdicts");  // maximum, minimum, ratio
    QTest::addColumn<unsigned>("failures");
    QTest::addColumn<int>("skipped"); // luminance fields not asked on a small screen

    AnsweredCatalogue::Measurements smallBright = AnsweredCatalogue::brightMonitor();
    smallBright.screenDiagonal = "21";
    QTest::newRow("bright 27 inch") << AnsweredCatalogue::brightMonitor()
                                    << QStringList{"9.31", "7.96", "272.5", "236.2", "15.634", "14.2717"}
                                    << QStringList{"402", "0.52", "773.077"} << QList<bool>{true, true, true} << 0u
                                    << 0;
    QTest::newRow("bright 21 inch") << smallBright << QStringList{"9.12", "8.08", "268.4", "239.9", "12.093", "11.2139"}
                                    << QStringList{"402", "0.52", "773.077"} << QList<bool>{true, true, true} << 0u
                                    << 8;
    QTest::newRow("dim low-contrast 21 inch")
        << AnsweredCatalogue::dimMonitor() << QStringList{"9.12", "8.08", "268.4", "239.9", "12.093", "11.2139"}
        << QStringList{"178", "2.1", "84.7619"} << QList<bool>{false, true, false} << 2u << 8;

    AnsweredCatalogue::Measurements glare = AnsweredCatalogue::brightMonitor();
    glare.ambientLuminance = 380;
    QTest::newRow("bright monitor in glare")
        << glare << QStringList{"9.31", "7.96", "272.5", "236.2", "15.634", "14.2717"}
        << QStringList{"402", "0.52", "773.077"} << QList<bool>{true, false, true} << 1u << 0;
}

void TestMeasurements::joinedValuesAndVerdicts()
{
    QFETCH(AnsweredCatalogue::Measurements, monitor);
    QFETCH(QStringList, joined);
    QFETCH(QStringList, luminance);
    QFETCH(QList<bool>, verdicts);
    QFETCH(unsigned, failures);
    QFETCH(int, skipped);

    TestsManager manager;
    const QList<TestGroup *> groups = *manager.groups();
    AnsweredCatalogue::fill(groups, monitor);
    QCOMPARE(AnsweredCatalogue::judge(groups), failures);

    const TestGroup *luminanceGroup = groups.at(6);
    const QStringList extremes = {"content05050000", "content05050001", "content05050002", "content05050003"};
    for (int i = 0; i < extremes.size(); ++i)
        QCOMPARE(luminanceGroup->contentById(extremes.at(i))->resultText(), joined.at(i));
    const Test *uniformity = luminanceGroup->subgroups()->value(5)->tests()->at(1);
    QCOMPARE(uniformity->content()->at(0)->resultText(), joined.at(4));
    QCOMPARE(uniformity->content()->at(1)->resultText(), joined.at(5));

    const TestContent *maximum = luminanceGroup->contentById("content05070000");
    const TestContent *minimum = luminanceGroup->contentById("content05070001");
    const TestContent *ratio = luminanceGroup->subgroups()->value(7)->tests()->at(1)->content()->first();
    QCOMPARE(maximum->resultText(), luminance.at(0));
    QCOMPARE(minimum->resultText(), luminance.at(1));
    QCOMPARE(ratio->resultText(), luminance.at(2));
    QCOMPARE(maximum->isValid(), verdicts.at(0));
    QCOMPARE(minimum->isValid(), verdicts.at(1));
    QCOMPARE(ratio->isValid(), verdicts.at(2));
    for (int group = 0; group < 6; ++group)
        QCOMPARE(groups.at(group)->failedContentsCount(), 0u);

    const QMap<QString, QString> screen{{"content05010000", monitor.screenDiagonal}};
    int notAsked = 0;
    for (const Test *test : qAsConst(*luminanceGroup->subgroups()->value(2)->tests()))
        notAsked += test->content()->first()->isHiddenFromTest(screen);
    QCOMPARE(notAsked, skipped);
}

void TestMeasurements::pixelErrorsAboveTheLimitFail()
{
    TestsManager manager;
    const QList<TestGroup *> groups = *manager.groups();
    AnsweredCatalogue::Measurements monitor = AnsweredCatalogue::brightMonitor();
    // A = 2 (limit 1), B = 2 (limit 5), C = 1 + 4 (limit 5), D = 0 + 2 (limit 1).
    monitor.pixelErrorsUN10 = {2, 4, 2};
    AnsweredCatalogue::fill(groups, monitor);
    QCOMPARE(AnsweredCatalogue::judge(groups), 2u);
    const TestGroup *visual = groups.at(5);
    QCOMPARE(visual->contentById("content04060000")->resultText(), QStringLiteral("2"));
    QCOMPARE(visual->contentById("content04060001")->resultText(), QStringLiteral("2"));
    QVERIFY(visual->contentById("content04060001")->isValid());
    QCOMPARE(visual->contentById("content04060002")->resultText(), QStringLiteral("5"));
    QVERIFY(!visual->contentById("content04060000")->isValid());
    QVERIFY(visual->contentById("content04060002")->isValid());
    QVERIFY(!visual->contentById("content04060003")->isValid());
    QCOMPARE(visual->contentById("content04060003")->resultText(), QStringLiteral("2"));
    QCOMPARE(visual->failedContentsCount(), 2u);
}

void TestMeasurements::judgedCatalogueSerialisesItsResults()
{
    TestsManager manager;
    const QList<TestGroup *> groups = *manager.groups();
    AnsweredCatalogue::fill(groups, AnsweredCatalogue::brightMonitor());
    AnsweredCatalogue::judge(groups);
    const QVariantMap stored = groups.at(6)->toVariantMap();
    const QVariantMap ratioTest =
        stored.value("subgroups").toMap().value("7").toMap().value("tests").toList().at(1).toMap();
    QCOMPARE(ratioTest.value("content").toList().first().toMap().value("resulttext").toString(),
             QStringLiteral("773.077"));
    // The rebuilt group of a report judges the stored results the same way.
    TestContent::ValueMap values;
    for (const TestContent *content : AnsweredCatalogue::contents(groups))
        values.insert(content->validatorValues());
    TestGroup rebuilt(stored, 6);
    for (TestContent *content : AnsweredCatalogue::contents({&rebuilt}))
        content->setValidatorValues(values);
    QCOMPARE(rebuilt.failedContentsCount(), 0u);
    rebuilt.contentById("content05070000")->setValidatorValues({{"content03030003", "500"}});
    QCOMPARE(rebuilt.failedContentsCount(), 1u);
}

QTEST_MAIN(TestMeasurements)
#include "tst_measurements.moc"
