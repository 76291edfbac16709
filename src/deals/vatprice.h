#ifndef VATPRICE_H
#define VATPRICE_H

#include "dealsglobal.h"

// Prices with and without VAT, in whole units of the last decimal a price is
// entered with (kopecks for two decimals). Amounts are taken as the person
// typed them: binary noise below that decimal is dropped before the rate is
// applied, and the result is rounded half away from zero, so that 100.00 at
// 20 % is 120.00 and 120.00 back is 100.00 on every platform.
namespace VatPrice {

// The amount with VAT at ratePercent added.
DEALS_EXPORT double addVat(double net, double ratePercent, int decimals = 2);
// The amount without the VAT at ratePercent that gross includes.
DEALS_EXPORT double removeVat(double gross, double ratePercent, int decimals = 2);

} // namespace VatPrice

#endif // VATPRICE_H
