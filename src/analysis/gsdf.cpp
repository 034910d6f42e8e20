#include "gsdf.h"

#include <cmath>
#include <iterator>

namespace {

// Coefficients published with the function: a rational polynomial in ln(j)
// for log10(L), and a polynomial in log10(L) of degree 8 for j.
constexpr double a = -1.3011877, b = -2.5840191e-2, c = 8.0242636e-2, d = -1.0320229e-1, e = 1.3646699e-1,
                 f = 2.8745620e-2, g = -2.5468404e-2, h = -3.1978977e-3, k = 1.2992634e-4, m = 1.3635334e-3;
constexpr double indexCoefficients[] = {71.498068,  94.593053,   41.912053,  9.8247004,   0.28175407,
                                        -1.1878455, -0.18014349, 0.14710899, -0.017046845};

} // namespace

double Gsdf::luminance(double index)
{
    if (!(index >= minimumIndex && index <= maximumIndex))
        return -1.0;
    const double x = std::log(index);
    const double numerator = a + x * (c + x * (e + x * (g + x * m)));
    const double denominator = 1.0 + x * (b + x * (d + x * (f + x * (h + x * k))));
    return std::pow(10.0, numerator / denominator);
}

double Gsdf::index(double luminance)
{
    if (!covers(luminance))
        return -1.0;
    const double x = std::log10(luminance);
    double result = 0.0;
    for (auto coefficient = std::rbegin(indexCoefficients); coefficient != std::rend(indexCoefficients); ++coefficient)
        result = result * x + *coefficient;
    return result;
}
