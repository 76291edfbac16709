#ifndef ZOOMFACTORVALIDATOR_H
#define ZOOMFACTORVALIDATOR_H

#include "dealsglobal.h"

#include <QDoubleValidator>

// Accepts a zoom percentage such as "125%" or "33.3": the trailing percent
// sign is optional, and typing more than four digits before the decimal
// point is refused at once instead of waiting for the range check.
class DEALS_EXPORT ZoomFactorValidator : public QDoubleValidator
{
    Q_OBJECT

public:
    explicit ZoomFactorValidator(QObject *parent = nullptr);
    ZoomFactorValidator(double bottom, double top, int decimals, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
};

#endif // ZOOMFACTORVALIDATOR_H
