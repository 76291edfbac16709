#ifndef OBJVAR_H
#define OBJVAR_H

#include "dealsglobal.h"

#include <QVariant>

// Object pointers travel between the shell, this library and sibling modules
// as 64-bit integers inside variants (application properties, row identities).
DEALS_EXPORT QVariant objToVar(const void *pointer);
DEALS_EXPORT void *varToObj(const QVariant &value);

#endif // OBJVAR_H
