#ifndef REQUISITECHECK_H
#define REQUISITECHECK_H

#include "dealsglobal.h"

#include <QString>

// Checks a requisite value by the system name of its kind, so that a typo in
// a tax number or an account does not reach the invoices.
namespace RequisiteCheck {

// What is wrong with the value, in words for the user; empty when it is
// acceptable. Kinds without a known format accept any text.
DEALS_EXPORT QString error(const QString &sysName, const QString &value);

// The control digits of a 10- or 12-digit INN.
DEALS_EXPORT bool innChecksumValid(const QString &inn);

} // namespace RequisiteCheck

#endif // REQUISITECHECK_H
