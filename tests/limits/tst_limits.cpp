#include "gsdf.h"
#include "judgement.h"
#include "limitstable.h"
#include "luminanceresponse.h"
#include "referencevalues.h"
#include "sitelimitsfile.h"
#include "support/storefiles.h"
#include "workstationdeviation.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

using Answers = QMap<QString, QString>;

// The content of the TG18-LN level's reading.
QString level(int i)
{
    return QStringLiteral("content0503%1").arg(i, 2, 10, QLatin1Char('0')) + QStringLiteral("00");
}

// A display whose L' = L + L_amb follows the GSDF from minimum to maximum, except that the
// step from reading 8 to 9 may have more contrast by the given factor, brighter readings moving with it.
Answers readings(double minimum, double maximum, double ambient, double steeper = 1)
{
    QVector<double> target;
    for (int i = 0; i < 18; ++i)
        target << Gsdf::luminance(Gsdf::index(minimum) + i * (Gsdf::index(maximum) - Gsdf::index(minimum)) / 17);
    const double contrast = steeper * 2 * (target[9] - target[8]) / (target[9] + target[8]);
    const double factor = target[8] * (2 + contrast) / (2 - contrast) / target[9];
    Answers answers;
    for (int i = 0; i < 18; ++i) {
        const double scaled = target[i] * (i > 8 ? factor : 1);
        answers.insert(level(i), QString::number(scaled - ambient, 'g', 17));
    }
    answers.insert(QStringLiteral("content05060000"), QString::number(ambient));
    return answers;
}

// The quantities of the failed verdicts, each with its problem, or of those not judged.
QString quantities(const Judgement &judgement, bool failedOnes = true)
{
    QStringList names;
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (failedOnes ? !verdict.passed : verdict.comparison == Judgement::Verdict::NotJudged)
            names << verdict.quantity +
                         (!failedOnes || verdict.problem.isEmpty() ? QString() : QLatin1Char(':') + verdict.problem);
    }
    return names.join(QLatin1Char(','));
}

// The table of the eight categories as the issue states it; 0 where a quantity is not judged.
struct CategoryRow
{
    const char *id;
    double maxLuminance;
    double luminanceRatio;
    double gsdfTolerance;
    double uniformity;
    QSize matrix;
    double workstationDeviation;
};

const CategoryRow EightCategories[] = {
    {"mammography", 250, 250, 10, 25, {2048, 2048}, 10},
    {"mammographyStereotaxy", 200, 100, 15, 25, {1024, 1024}, 20},
    {"projectionRadiography", 250, 250, 10, 25, {1600, 1200}, 20},
    {"fluoroscopy", 150, 100, 15, 25, {1024, 1024}, 20},
    {"ct", 150, 100, 15, 25, {1024, 1024}, 20},
    {"dentalRk5", 200, 100, 0, 30, {1024, 768}, 30},
    {"dentalRk6", 300, 100, 0, 30, {1024, 768}, 30},
    {"viewing", 0, 0, 20, 0, {}, 0},
};

// Even dark and light fields in a room of 40 lx.
const Answers EvenFields{{"content05050000", "0.55"},
                         {"content05050001", "0.5"},
                         {"content05050002", "300"},
                         {"content05050003", "250"},
                         {"content03030002", "40"}};

Answers with(Answers answers, const Answers &more)
{
    answers.insert(more);
    return answers;
}

// Readings whose largest deviation from the GSDF is the given per cent, found by halving the steepness's range.
Answers gsdfOff(double percent)
{
    double gentle = 1;
    double steep = 2;
    for (int step = 0; step < 60; ++step) {
        const double middle = (gentle + steep) / 2;
        const Answers answers = readings(1, 300, 0.5, middle);
        QStringList values;
        for (int i = 0; i < 18; ++i)
            values << answers.value(level(i));
        (LuminanceResponse::analyse(values, 0.5).largestDeviation * 100 < percent ? gentle : steep) = middle;
    }
    return readings(1, 300, 0.5, gentle);
}

// Typed as an operator types them: three decimals at most, the C locale's point.
QString typed(double value)
{
    return QString::number(value, 'f', 3);
}

// GSDF readings from 10 to 100 cd/m2 with L_amb 0.5, whose ends are then typed so that L'max and L'min are
// exact and stay the brightest and the darkest.
Answers luminances(double maxLuminance, double minLuminance)
{
    return with(readings(10, 100, 0.5),
                {{level(17), typed(maxLuminance - 0.5)}, {level(0), typed(minLuminance - 0.5)}});
}

QString outcome(const Judgement::Verdict &verdict)
{
    if (verdict.comparison == Judgement::Verdict::NotJudged)
        return QStringLiteral("notJudged");
    return verdict.passed ? QStringLiteral("passed") : QStringLiteral("failed");
}

} // namespace

class TestLimits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void judged_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("roomClass");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QVariantMap>("reference");
        QTest::addColumn<QString>("failures");
        const auto row = [](const char *name, const char *category, const char *roomClass, const Answers &answers,
                            const QString &failures, const QVariantMap &reference = {}) {
            QTest::newRow(name) << category << roomClass << answers << reference << failures;
        };
        const Answers good = with(readings(1, 300, 0.5), EvenFields);
        row("mammography within every limit", "mammography", "RK1", good, "");
        Answers withoutAmbient = with(readings(0.99, 250.01, 0.5), EvenFields);
        withoutAmbient.remove("content05060000");
        row("without L_amb the same readings fail", "mammography", "RK1", withoutAmbient, "maxLuminance,gsdfDeviation");
        row("dental GSDF not judged", "dentalRk5", "RK3", with(readings(1, 300, 0.5, 1.5), EvenFields), "");
        row("uniformity 25.1 % fails 25 %", "mammography", "RK3",
            with(good, {{"content05050000", "225.3"}, {"content05050001", "175"}}), "uniformityLow");
        row("illuminance at RK2's 100 lx", "dentalRk5", "RK2", with(good, {{"content03030002", "100"}}), "");
        row("illuminance above RK2", "dentalRk5", "RK2", with(good, {{"content03030002", "101"}}), "illuminance");
        row("constancy 29 % below", "mammography", "RK1", good, "", {{"maxLuminance", 300.0 / 0.71}});
        row("constancy 31 % below", "mammography", "RK1", good, "constancy/maxLuminance",
            {{"maxLuminance", 300.0 / 0.69}});
        row("constancy reference below 0", "mammography", "RK1", good, "constancy/maxLuminance:notPositive",
            {{"maxLuminance", -300.0}});
        row("constancy reference no number", "mammography", "RK1", good, "constancy/maxLuminance:notANumber",
            {{"maxLuminance", "abc"}});
        // A reading missing: every value computed from the readings is unanswered, its constancy check too.
        row("constancy L'max not computable", "dentalRk5", "RK1", with(good, {{"content05030400", ""}}),
            "maxLuminance:unanswered,luminanceRatio:unanswered,gsdfDeviation:unanswered,constancy/"
            "maxLuminance:unanswered",
            {{"maxLuminance", 300.0}});
        row("constancy of what the session does not measure", "dentalRk5", "RK1", EvenFields, "",
            {{"maxLuminance", 300.0}});
        row("category unknown", "none", "RK1", good,
            "maxLuminance:noCategory,luminanceRatio:noCategory,gsdfDeviation:noCategory,uniformityLow:noCategory,"
            "uniformityHigh:noCategory");
        row("diagonal text leaves uniformity uncomputed", "dentalRk5", "RK9",
            with(good, {{"content05050000", "24 Zoll"}, {"content03030002", ""}}),
            "uniformityLow:notANumber,illuminance:unanswered");
    }

    void judged()
    {
        QFETCH(QString, category);
        QFETCH(QString, roomClass);
        QFETCH(Answers, answers);
        QFETCH(QVariantMap, reference);
        QFETCH(QString, failures);
        const Judgement judgement = Judgement::judge(answers, {category, roomClass, reference}, LimitsTable::load());
        QCOMPARE(quantities(judgement), failures);
        // Only the dental categories leave a computed GSDF deviation unjudged.
        const bool gsdfComputed = answers.contains("content05031700") && !failures.contains("gsdfDeviation");
        QCOMPARE(quantities(judgement, false), category == "dentalRk5" && gsdfComputed ? "gsdfDeviation" : "");
        QCOMPARE(judgement.failedCount(), failures.isEmpty() ? 0 : failures.count(',') + 1);
        // What the record keeps reads back the same, with no value for what was not computed.
        QCOMPARE(quantities(Judgement::fromMap(judgement.toMap())), failures);
        QVERIFY(!QJsonDocument::fromVariant(judgement.toMap()).toJson().contains("null"));
    }

    // Each limit of the eight categories met just inside, exactly and just outside.
    void eightCategories_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("expected");
        const QSize fullHd(1920, 1080);
        const auto verdict = [](bool judged, bool passes) {
            return QString(!judged ? "notJudged" : passes ? "passed" : "failed");
        };
        // A limit of 0 is not judged: its rows are met around a stand-in value.
        const auto given = [](double limit, double standIn) { return limit > 0 ? limit : standIn; };
        for (const CategoryRow &row : EightCategories) {
            const auto add = [&row](const QString &what, const Answers &answers, const QSize &screen,
                                    const char *quantity, const QString &expected) {
                QTest::newRow(qPrintable(QLatin1String(row.id) + ' ' + what))
                    << row.id << answers << screen << quantity << expected;
            };
            // The answers for a value a step inside the limit, at it (where a typed reading reaches it) and outside.
            const auto bounds = [&](const QString &name, const char *quantity, double limit, double value,
                                    double inside, const auto &answers) {
                add(name + " just inside", answers(value + inside), fullHd, quantity, verdict(limit > 0, true));
                if (quantity != QLatin1String("gsdfDeviation"))
                    add(name + " at the limit", answers(value), fullHd, quantity, verdict(limit > 0, true));
                add(name + " just outside", answers(value - inside), fullHd, quantity, verdict(limit > 0, false));
            };
            bounds("L'max", "maxLuminance", row.maxLuminance, given(row.maxLuminance, 200), 0.1,
                   [](double value) { return luminances(value, 1); });
            // L'max 500 over L'min 2 is r' 250 exactly; over 5, r' 100.
            bounds("r'", "luminanceRatio", row.luminanceRatio, 500 / given(row.luminanceRatio, 100), -0.01,
                   [](double value) { return luminances(500, value); });
            // Exactly at the limit is a computed value no typed reading reaches: the rows stay a tenth either side.
            bounds("GSDF", "gsdfDeviation", row.gsdfTolerance, given(row.gsdfTolerance, 10), -0.1, gsdfOff);
            // 200 (a - b) / (a + b) with a + b = 200 is a - b.
            const double low = 100 - given(row.uniformity, 25) / 2;
            bounds("uniformity", "uniformityHigh", row.uniformity, 200 - low, -0.1, [low](double high) {
                return Answers{{"content05050002", typed(high)}, {"content05050003", typed(low)}};
            });
            const QSize matrix = row.matrix.isValid() ? row.matrix : QSize(1024, 768);
            const bool judged = row.matrix.isValid();
            add("matrix just inside", {}, matrix + QSize(1, 1), "pixelMatrix", verdict(judged, true));
            add("matrix at the limit", {}, matrix, "pixelMatrix", verdict(judged, true));
            add("matrix turned upright", {}, matrix.transposed(), "pixelMatrix", verdict(judged, true));
            add("matrix a column short", {}, matrix - QSize(1, 0), "pixelMatrix", verdict(judged, false));
            add("matrix a row short", {}, matrix - QSize(0, 1), "pixelMatrix", verdict(judged, false));
        }
    }

    void eightCategories()
    {
        QFETCH(QString, category);
        QFETCH(Answers, answers);
        QFETCH(QSize, screen);
        QFETCH(QString, quantity);
        QFETCH(QString, expected);
        const LimitsTable table = LimitsTable::load();
        const Judgement judgement = Judgement::judge(answers, {category, "RK1", {}, screen}, table);
        const auto verdict =
            std::find_if(judgement.verdicts.cbegin(), judgement.verdicts.cend(),
                         [&quantity](const Judgement::Verdict &verdict) { return verdict.quantity == quantity; });
        QVERIFY(verdict != judgement.verdicts.cend());
        QCOMPARE(outcome(*verdict), expected);
        // Every figure prints its source, which names the 2014 table and asks for the edition in force.
        QVERIFY(verdict->source.contains("DIN 6868-157:2014"));
        QVERIFY(verdict->source.contains("check against the edition in force"));
        QCOMPARE(outcome(Judgement::Verdict::fromMap(verdict->toMap())), expected);
    }

    // Two displays of one workstation: at, just inside and just outside the strictest of their limits.
    void workstationDeviation_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<double>("brighter");
        QTest::addColumn<double>("darker");
        QTest::addColumn<int>("monthsOld");
        QTest::addColumn<QString>("expected");
        for (const CategoryRow &row : EightCategories) {
            const double limit = row.workstationDeviation > 0 ? row.workstationDeviation : 20;
            const QString passed = row.workstationDeviation > 0 ? "passed" : "notJudged";
            const QString failed = row.workstationDeviation > 0 ? "failed" : "notJudged";
            const auto add = [&](const char *what, double difference, const QString &expected) {
                QTest::newRow(qPrintable(QLatin1String(row.id) + ' ' + what))
                    << row.id << row.id << 100 + difference / 2 << 100 - difference / 2 << 0 << expected;
            };
            add("just inside", limit - 0.1, passed);
            add("at the limit", limit, passed);
            add("just outside", limit + 0.1, failed);
        }
        const auto pair = [](const char *name, const char *first, const char *second, double brighter, double darker,
                             int monthsOld, const char *expected) {
            QTest::newRow(name) << first << second << brighter << darker << monthsOld << expected;
        };
        pair("strictest of two categories", "ct", "mammography", 106, 94, 0, "failed");
        pair("viewing beside CT judged at CT's", "viewing", "ct", 110, 90, 0, "passed");
        pair("six months old still counts", "ct", "ct", 150, 50, 6, "failed");
        pair("older than six months: not judged", "ct", "ct", 150, 50, 7, "notJudged");
        pair("no L'max: not judged", "ct", "ct", 150, 0, 0, "notJudged");
        pair("unknown category fails", "ct", "gone", 100, 100, 0, "failed");
    }

    void workstationDeviation()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(double, brighter);
        QFETCH(double, darker);
        QFETCH(int, monthsOld);
        QFETCH(QString, expected);
        const QDate today(2026, 8, 31);
        const QList<WorkstationDeviation::Member> members{
            {"A", first, true, brighter, today}, {"B", second, darker > 0, darker, today.addMonths(-monthsOld)}};
        const LimitsTable table = LimitsTable::load();
        const std::optional<Judgement::Verdict> verdict = WorkstationDeviation::judge(members, today, table);
        QVERIFY(verdict);
        QCOMPARE(outcome(*verdict), expected);
        QVERIFY(!WorkstationDeviation::judge(members.mid(0, 1), today, table));
    }

    // What a record keeps as its measured values: L'max, L'min, r', L_amb, both uniformities, the
    // illuminance and the 18 readings, no verdict's deviation.
    void measuredValues()
    {
        const Answers answers = with(readings(1, 300, 0.5), EvenFields);
        const LimitsTable table = LimitsTable::load();
        const Judgement judgement = Judgement::judge(answers, {"mammography", "RK1", {}}, table);
        const QVariantMap measured = ReferenceValues::measured(answers, judgement.verdicts, table);
        QStringList quantities = ReferenceValues::quantities();
        quantities.sort();
        QCOMPARE(measured.keys(), quantities);
        // L'min is the darkest reading, not the brightest, with the ambient luminance; the values themselves are
        // checked by hand in tst_report's constancy comparison.
        QCOMPARE(measured.value("minLuminance").toDouble(), answers.value("content05030000").toDouble() + 0.5);
    }

    // A row for each quantity both hold; a reference that is no positive number gives no deviation.
    void comparedWithReference()
    {
        const QList<ReferenceValues::Row> rows =
            ReferenceValues::compare({{"maxLuminance", 400.0}, {"ln01", "abc"}, {"illuminance", 0}, {"ln02", -1}},
                                     {{"maxLuminance", 300.0}, {"ln01", 0.5}, {"illuminance", 40.0}});
        QStringList shown;
        for (const ReferenceValues::Row &row : rows)
            shown << QStringLiteral("%1 %2 %3 %4")
                         .arg(row.quantity)
                         .arg(row.hasReference)
                         .arg(row.hasMeasured)
                         .arg(row.hasDeviation ? QString::number(row.deviation) : QStringLiteral("-"));
        QCOMPARE(shown, QStringList({"maxLuminance 1 1 -25", "illuminance 1 1 -", "ln01 0 1 -"}));
    }

    // A site file judged against the built-in table (the first category and room class, whatever their ids),
    // and where the file lies and how large it is, refused before a byte of it is judged.
    void siteFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("source");
        const auto row = [](const char *name, const QString &file, const QString &problem,
                            const QString &source = QString(), int fileMode = 0644, int folderMode = 0755) {
            QTest::newRow(name) << file.toUtf8() << fileMode << folderMode << problem << source;
        };

        const LimitsTable builtIn = LimitsTable::load(QString());
        const LimitsTable::Category &category = builtIn.categories().first();
        const LimitsTable::RoomClass &room = builtIn.roomClasses().first();
        const auto limit = [](double value, const QString &more = QString()) {
            return QStringLiteral(R"({"value":%1,"source":"DIN 6868-157:2014"%2})").arg(value).arg(more);
        };
        const auto inCategory = [&](const QString &entries) {
            return QStringLiteral(R"({"version":"s2","categories":[{"id":"%1",%2}]})").arg(category.id, entries);
        };
        const auto inRoom = [&](const QString &entries) {
            return QStringLiteral(R"({"version":"s2","roomClasses":[{"id":"%1",%2}]})").arg(room.id, entries);
        };
        const QString lenient = QStringLiteral(R"(,"lenient":true,"reason":"old lamps")");
        const QString newCategory =
            QStringLiteral(R"("id":"ophthalmology","title":"Ophthalmology","maxLuminance":%1,)"
                           R"("luminanceRatio":%1,"gsdfTolerance":%1,"uniformity":%1,)"
                           R"("pixelMatrix":{"value":{"width":1024,"height":1024},"source":"s"},)"
                           R"("workstationDeviation":%1,"periodicMonths":%1)")
                .arg(limit(10));
        const QString stricter = "DIN 6868-157:2014 (site)";
        const QString marked = "DIN 6868-157:2014 (site, more lenient: old lamps)";
        const QString lessStrict = "\" is less strict";
        const double matrix = category.pixelMatrix.width;

        row("stricter L'max taken", inCategory("\"maxLuminance\":" + limit(category.maxLuminance.value + 50)), "",
            stricter);
        row("looser illuminance refused", inRoom("\"maxIlluminance\":" + limit(room.maxIlluminance.value * 100)),
            "maxIlluminance" + lessStrict);
        row("looser without a reason refused",
            inRoom("\"maxIlluminance\":" + limit(room.maxIlluminance.value * 100, R"(,"lenient":true)")),
            "needs \"lenient\": true and a \"reason\"");
        row("looser with a reason taken and marked",
            inRoom("\"maxIlluminance\":" + limit(room.maxIlluminance.value * 100, lenient)), "", marked);
        row("lower L'max refused", inCategory("\"maxLuminance\":" + limit(category.maxLuminance.value - 1)),
            "maxLuminance" + lessStrict);
        row("not judged refused", inCategory(R"("uniformity":{"value":null,"source":"x"})"), "uniformity" + lessStrict);
        // The plan's limits: a smaller deviation, a larger matrix and a shorter interval are stricter.
        row("smaller workstation deviation taken",
            inCategory("\"workstationDeviation\":" + limit(category.workstationDeviation.value - 1)), "");
        row("larger workstation deviation refused",
            inCategory("\"workstationDeviation\":" + limit(category.workstationDeviation.value + 1)),
            "workstationDeviation" + lessStrict);
        row("longer interval refused", inCategory("\"periodicMonths\":" + limit(category.periodicMonths.value + 1)),
            "periodicMonths" + lessStrict);
        const auto matrixOf = [&](double width, double height) {
            return inCategory(QStringLiteral(R"("pixelMatrix":{"value":{"width":%1,"height":%2},"source":"s"})")
                                  .arg(width)
                                  .arg(height));
        };
        row("larger matrix taken", matrixOf(matrix + 1, category.pixelMatrix.height + 1), "");
        row("narrower matrix refused", matrixOf(matrix - 1, category.pixelMatrix.height), "pixelMatrix" + lessStrict);
        row("lower matrix refused", matrixOf(matrix, category.pixelMatrix.height - 1), "pixelMatrix" + lessStrict);
        row("new category refused", QStringLiteral(R"({"version":"s2","categories":[{%1}]})").arg(newCategory),
            "\"ophthalmology\" is new to the limits table");
        row("new category with a reason taken",
            QStringLiteral(R"({"version":"s2","categories":[{%1%2}]})").arg(newCategory, lenient), "", marked);
        row("wider constancy tolerance refused",
            QStringLiteral(R"({"version":"s2","constancy":{"maxLuminance":%1}})").arg(limit(90)),
            "constancy/maxLuminance" + lessStrict);
        row("new constancy quantity taken",
            QStringLiteral(R"({"version":"s2","constancy":{"ln18":%1}})").arg(limit(20)), "", stricter);
        row("room classes as an object", R"({"version":"s2","roomClasses":{"id":"RK1"}})",
            "\"roomClasses\" must be a list");
        row("unknown key", R"({"version":"s2","categorie":[]})", "\"categorie\" is not a key");
        row("unknown key in a limit", inCategory(R"("maxLuminance":{"valeu":500,"source":"x"})"),
            "maxLuminance/valeu\" is not a key");
        row("text for a number", inCategory(R"("maxLuminance":{"value":"500","source":"x"})"), "must be a number");
        row("negative", inCategory("\"gsdfTolerance\":" + limit(-5)), "must not be negative");
        row("absurd even when lenient", inRoom("\"maxIlluminance\":" + limit(1e9, lenient)),
            "beyond any plausible limit");
        row("inputs", R"({"version":"s2","inputs":{"illuminance":"content05060000"}})", "\"inputs\" is not a key");
        row("a list", "[]", "one JSON object");
        row("not JSON", "{\"version\":", "limits: ");
        row("limit without source", inCategory(R"("maxLuminance":{"value":350})"), "and a \"source\" text");
        row("new category lacking limits",
            R"({"version":"s2","categories":[{"id":"own","lenient":true,"reason":"r","maxLuminance":)" + limit(1) +
                "}]}",
            "\"own\" lacks");
        row("no version", R"({"categories":[]})", "needs a \"version\" text");
        row("matrix without height", inCategory(R"("pixelMatrix":{"value":{"width":4096},"source":"site"})"),
            "needs {\"width\", \"height\"}");
        row("categories not a list", inRoom(R"("categories":{"value":"ct","source":"site"})"),
            "categories/value\" must be a list");
        row("new room class lacking its categories",
            R"({"version":"s2","roomClasses":[{"id":"RK7","lenient":true,"reason":"r","maxIlluminance":)" + limit(20) +
                "}]}",
            "\"RK7\" lacks");
        const QString valid = R"({"version":"s2"})";
        row("file writable by others", valid, "others than its owner may write it", "", 0666, 0700);
        row("folder writable by others", valid, "may write its folder", "", 0644, 0777);
        row("folder writable by its group", valid, "may write its folder", "", 0644, 0770);
        row("over 1 MB", valid + QString(SiteLimitsFile::MaxBytes, ' '), "larger than 1048576 bytes", "", 0600, 0700);
    }

    void siteFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, problem);
        QFETCH(QString, source);
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QTemporaryDir dir;
        const QString path = dir.filePath("limits.json");
        writeBytes(path, file);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(fileMode)), 0);
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(folderMode)), 0);
        const LimitsTable table = LimitsTable::load(path);
        QVERIFY2(table.siteProblem().contains(problem), qPrintable(table.siteProblem()));
        QCOMPARE(table.hasSiteFile(), problem.isEmpty());
        if (!problem.isEmpty()) {
            QCOMPARE(table.version(), LimitsTable::load(QString()).version());
            return;
        }
        const QString hash = QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex();
        QVERIFY2(table.version().endsWith("limits.json s2 (SHA-256 " + hash + ")"), qPrintable(table.version()));
        QStringList sources;
        for (const LimitsTable::Category &category : table.categories())
            sources << category.maxLuminance.source;
        for (const LimitsTable::RoomClass &room : table.roomClasses())
            sources << room.maxIlluminance.source;
        sources << table.constancyTolerance("ln18").source;
        QVERIFY2(source.isEmpty() || sources.contains(source), qPrintable(sources.join('|')));
    }

    // Which categories a site file's new room class takes (the built-in pairs are the displays test's).
    void pairs()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("limits.json"),
                   R"({"version":"s4","roomClasses":[{"id":"RK7","lenient":true,"reason":"r",)"
                   R"("maxIlluminance":{"value":20,"source":"s"},"categories":{"value":["ct"],"source":"site"}}]})");
        const LimitsTable table = LimitsTable::load(dir.filePath("limits.json"));
        QVERIFY2(table.hasSiteFile(), qPrintable(table.siteProblem()));
        QCOMPARE(table.roomClass("RK7")->categoriesSource, QStringLiteral("site (site, more lenient: r)"));
        QVERIFY(table.belongTogether("RK7", "ct"));
        QVERIFY(!table.belongTogether("RK7", "viewing"));
        QVERIFY(!table.belongTogether("RK9", "ct"));
    }

    void plausibility_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("verdict");
        using P = LimitsTable::Plausibility;
        QTest::newRow("1.000 typed for L'max") << "content05031700" << 1.0 << int(P::OutOfRange);
        QTest::newRow("L'max 400") << "content05031700" << 400.0 << int(P::Plausible);
        QTest::newRow("0 luminance") << "content05020000" << 0.0 << int(P::NotPositive);
        QTest::newRow("0.532 L'min") << "content05030000" << 0.532 << int(P::Plausible);
        QTest::newRow("0 ambient") << "content05060000" << 0.0 << int(P::Plausible);
        QTest::newRow("pixel count 1.5") << "content04050000" << 1.5 << int(P::NotWhole);
        QTest::newRow("pixel count -1") << "content04050000" << -1.0 << int(P::Negative);
        QTest::newRow("illuminance 20000") << "content03030002" << 20000.0 << int(P::OutOfRange);
    }

    void plausibility()
    {
        QFETCH(QString, content);
        QFETCH(double, value);
        QTEST(int(LimitsTable::load().plausibility(content)->check(value)), "verdict");
    }
};

QTEST_GUILESS_MAIN(TestLimits)
#include "tst_limits.moc"
