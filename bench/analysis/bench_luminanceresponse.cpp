// Analyses one set of 18 TG18-LN readings many times and prints the median
// time of one analysis in microseconds.

#include "luminanceresponse.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int runs = 2001;

} // namespace

int main()
{
    // A display with a gamma of 2.2 between 0.8 and 400 cd/m2, typed with two decimals.
    QStringList readings;
    for (int i = 0; i < LuminanceResponse::readingCount; ++i)
        readings << QString::number(0.8 + (400 - 0.8) * std::pow(i / 17.0, 2.2), 'f', 2);

    QVector<qint64> times;
    double sink = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        sink += LuminanceResponse::analyse(readings).largestDeviation;
        times.append(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    std::printf("luminance response of 18 readings: median %.1f us over %d runs (largest deviation %.1f %%)\n",
                times.at(runs / 2) / 1e3, runs, 100 * sink / runs);
    return 0;
}
