#ifndef RATINGTHRESHOLDS_H
#define RATINGTHRESHOLDS_H

#include "dealsglobal.h"

#include <QVariant>

// The two ratings that paint the supplier directory, shared by every view of
// the process: a contractor rated at or below the bad-supplier threshold is a
// bad supplier, one at or above the excellent-supplier threshold an excellent
// one. Views load them from the database and store what a user sets.
class DEALS_EXPORT RatingThresholds
{
public:
    static double bad();
    static double excellent();
    static void setBad(double value);
    static void setExcellent(double value);

    // An empty rating counts as 0.
    static bool isBad(const QVariant &rating);
    static bool isExcellent(const QVariant &rating);

    // The scale of the threshold dialogs.
    static constexpr double minimum = 0.0;
    static constexpr double maximum = 10.0;
};

#endif // RATINGTHRESHOLDS_H
