#include "objvar.h"

QVariant objToVar(const void *pointer)
{
    return QVariant(static_cast<qlonglong>(reinterpret_cast<quintptr>(pointer)));
}

void *varToObj(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return nullptr;
    return reinterpret_cast<void *>(static_cast<quintptr>(value.toLongLong()));
}
