#include "zoomfactorvalidator.h"

ZoomFactorValidator::ZoomFactorValidator(QObject *parent)
    : QDoubleValidator(parent)
{
}

ZoomFactorValidator::ZoomFactorValidator(double bottom, double top, int decimals, QObject *parent)
    : QDoubleValidator(bottom, top, decimals, parent)
{
}

QValidator::State ZoomFactorValidator::validate(QString &input, int &pos) const
{
    const bool hadPercent = input.endsWith(QLatin1Char('%'));
    if (hadPercent)
        input.chop(1);
    State state = QDoubleValidator::validate(input, pos);
    if (hadPercent)
        input.append(QLatin1Char('%'));

    constexpr int maxIntegerDigits = 4;
    if (state == Intermediate) {
        const int point = input.indexOf(QLocale::system().decimalPoint());
        const int integerPart = point < 0 ? input.size() : point;
        if (integerPart > maxIntegerDigits)
            return Invalid;
    }
    return state;
}
