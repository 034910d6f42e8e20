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

struct Figures
{
    double firstPaintMs;
    double repaintMs;
};

// A first paint uses a fresh pattern object, as when a test shows a new
// pattern; a repaint draws the same pattern again at the same size.
Figures benchPattern(TestPattern::tTestPattern type, QImage *image, QPainter *painter)
{
    const double firstPaintMs = medianMs([&] {
        TestPattern pattern(nullptr, type);
        pattern.setType(type);
        pattern.setRect(image->rect());
        pattern.paint(painter);
        pattern.setPainter(nullptr);
    });
    TestPattern pattern(nullptr, type);
    pattern.setType(type);
    pattern.setRect(image->rect());
    pattern.paint(painter);
    const double repaintMs = medianMs([&] { pattern.draw(); });
    pattern.setPainter(nullptr);
    return {firstPaintMs, repaintMs};
}

QString verdict(bool met)
{
    return met ? QStringLiteral("ok") : QStringLiteral("MISSED");
}

void benchSize(const QSize &size, QTextStream &out)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const double floorMs = medianMs([&] { painter.fillRect(image.rect(), QColor(129, 129, 129)); });
    out << QStringLiteral("%1x%2: plain fill %3 ms\n").arg(size.width()).arg(size.height()).arg(floorMs, 0, 'f', 2);
    out << QStringLiteral("  %1 %2 %3\n")
               .arg(QStringLiteral("pattern"), -40)
               .arg(QStringLiteral("first paint"), 20)
               .arg(QStringLiteral("repaint"), 20);

    double slowestMs = 0;
    QString slowest;
    Figures composite{0, 0};
    for (int value = TestPattern::kTestPatternEmpty; value < TestPattern::kTestPatternCount; ++value) {
        const auto type = TestPattern::tTestPattern(value);
        const Figures figures = benchPattern(type, &image, &painter);
        if (type == TestPattern::kTestPatternDefault)
            composite = figures;
        if (figures.firstPaintMs > slowestMs) {
            slowestMs = figures.firstPaintMs;
            slowest = TestPattern::typeToString(type);
        }
        out << QStringLiteral("  %1 %2 ms (%3 x) %4 ms (%5 x)\n")
                   .arg(TestPattern::typeToString(type), -40)
                   .arg(figures.firstPaintMs, 7, 'f', 2)
                   .arg(figures.firstPaintMs / floorMs, 5, 'f', 1)
                   .arg(figures.repaintMs, 7, 'f', 2)
                   .arg(figures.repaintMs / floorMs, 5, 'f', 1);
    }
    out << QStringLiteral("  slowest first paint: %1 %2 ms (target < %3 ms) %4\n")
               .arg(slowest)
               .arg(slowestMs, 0, 'f', 2)
               .arg(kFrameBudgetMs)
               .arg(verdict(slowestMs < kFrameBudgetMs));
    out << QStringLiteral("  composite first paint: %1 ms = %2 x fill (target < %3 x) %4\n")
               .arg(composite.firstPaintMs, 0, 'f', 2)
               .arg(composite.firstPaintMs / floorMs, 0, 'f', 1)
               .arg(kCompositeFactor)
               .arg(verdict(composite.firstPaintMs < kCompositeFactor * floorMs));
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
    out << "Test patterns: median of " << kRuns << " draws per pattern, in ms and as a multiple of the plain fill\n";
    for (const QSize &size : {QSize(1920, 1080), QSize(3840, 2160)})
        benchSize(size, out);
    return 0;
}
