#include "vatprice.h"

#include <cmath>

namespace {

// 10^decimals as an exact long double for the decimals a spin box allows.
long double scaleOf(int decimals)
{
    long double scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return scale;
}

// amount × numerator / denominator in units of the last decimal. The long
// double's 64-bit mantissa holds every product of kopecks and a percentage
// below 10^17 exactly, so a result on a half is seen as one.
double scaled(double amount, long double numerator, long double denominator, int decimals)
{
    if (denominator <= 0)
        return amount;
    const long double scale = scaleOf(decimals);
    const long double units = std::roundl(static_cast<long double>(amount) * scale);
    return static_cast<double>(std::roundl(units * numerator / denominator) / scale);
}

} // namespace

double VatPrice::addVat(double net, double ratePercent, int decimals)
{
    return scaled(net, 100.0L + ratePercent, 100.0L, decimals);
}

double VatPrice::removeVat(double gross, double ratePercent, int decimals)
{
    return scaled(gross, 100.0L, 100.0L + ratePercent, decimals);
}
