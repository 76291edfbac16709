#ifndef DEALSGLOBAL_H
#define DEALSGLOBAL_H

#include <QtCore/qglobal.h>

#if defined(DEALS_LIBRARY)
#  define DEALS_EXPORT Q_DECL_EXPORT
#else
#  define DEALS_EXPORT Q_DECL_IMPORT
#endif

#endif // DEALSGLOBAL_H
