// Draws every test pattern into an image at full HD and 4K, several times each,
// and prints the median time per pattern next to the median time of one plain
// fill of the same image, the least any pattern can cost.

#include "testpattern.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <functional>

using NSTESTPatter::TestPattern;

namespace {

const int kRuns = 15;
const double kFrameBudgetMs = 16.0;
const double kCompositeFactor = 10.0;

double medianMs(const std::function<void()> &work)
{
    QVector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1.0e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(kRuns / 2);
}

void benchSize(const QSize &size, QTextStream &out)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const double floorMs = medianMs([&] { painter.fillRect(image.rect(), QColor(129, 129, 129)); });
    out << QStringLiteral("%1x%2: plain fill %3 ms\n").arg(size.width()).arg(size.height()).arg(floorMs, 0, 'f', 2);

    TestPattern pattern;
    double slowestMs = 0;
    QString slowest;
    double compositeMs = 0;
    for (int value = TestPattern::kTestPatternEmpty; value < TestPattern::kTestPatternCount; ++value) {
        const auto type = TestPattern::tTestPattern(value);
        pattern.setType(type);
        pattern.setRect(image.rect());
        // The first paint may fill caches (the decoded photograph); it is not timed.
        pattern.paint(&painter);
        const double ms = medianMs([&] { pattern.draw(); });
        pattern.setPainter(nullptr);
        if (type == TestPattern::kTestPatternDefault)
            compositeMs = ms;
        if (ms > slowestMs) {
            slowestMs = ms;
            slowest = TestPattern::typeToString(type);
        }
        out << QStringLiteral("  %1 %2 ms (%3 x fill)\n")
                   .arg(TestPattern::typeToString(type), -40)
                   .arg(ms, 7, 'f', 2)
                   .arg(ms / floorMs, 0, 'f', 1);
    }
    out << QStringLiteral("  slowest: %1 %2 ms (target < %3 ms) %4\n")
               .arg(slowest)
               .arg(slowestMs, 0, 'f', 2)
               .arg(kFrameBudgetMs)
               .arg(slowestMs < kFrameBudgetMs ? QStringLiteral("ok") : QStringLiteral("MISSED"));
    out << QStringLiteral("  composite: %1 ms = %2 x fill (target < %3 x) %4\n")
               .arg(compositeMs, 0, 'f', 2)
               .arg(compositeMs / floorMs, 0, 'f', 1)
               .arg(kCompositeFactor)
               .arg(compositeMs < kCompositeFactor * floorMs ? QStringLiteral("ok") : QStringLiteral("MISSED"));
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    // Each paint logs its geometry; writing that out would be timed as well.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    QTextStream out(stdout);
    out << "Test patterns: median of " << kRuns << " draws per pattern\n";
    for (const QSize &size : {QSize(1920, 1080), QSize(3840, 2160)})
        benchSize(size, out);
    return 0;
}
