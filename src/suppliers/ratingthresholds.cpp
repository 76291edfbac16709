#include "ratingthresholds.h"

namespace {

double badThreshold = RatingThresholds::minimum;
double excellentThreshold = RatingThresholds::maximum;

} // namespace

double RatingThresholds::bad()
{
    return badThreshold;
}

double RatingThresholds::excellent()
{
    return excellentThreshold;
}

void RatingThresholds::setBad(double value)
{
    badThreshold = value;
}

void RatingThresholds::setExcellent(double value)
{
    excellentThreshold = value;
}

bool RatingThresholds::isBad(const QVariant &rating)
{
    return badThreshold >= rating.toDouble();
}

bool RatingThresholds::isExcellent(const QVariant &rating)
{
    return !isBad(rating) && rating.toDouble() >= excellentThreshold;
}
