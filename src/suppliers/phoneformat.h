#ifndef PHONEFORMAT_H
#define PHONEFORMAT_H

#include "dealsglobal.h"

#include <QString>

// Groups a phone number by its length, as written here: 4 characters as
// 12-34, 5 as 123-45, 6 as 123-456, 7 as 123-45-67 and 11 as 8(495)123-45-67.
// Nothing is removed first, so only plain digits give a sensible result; any
// other length comes back unchanged.
DEALS_EXPORT QString formatPhone(QString text);

#endif // PHONEFORMAT_H
