#ifndef DRIVERLOGGING_H
#define DRIVERLOGGING_H

#include <QLoggingCategory>

// The driver's diagnostics, "workplace.driver" like the framework's own lines
// about drivers. The driver does not link the library that declares that
// category, so it has one of its own under the same name: one rule switches both.
Q_DECLARE_LOGGING_CATEGORY(lcPgDriver)

#endif // DRIVERLOGGING_H
