#include "driverlogging.h"

Q_LOGGING_CATEGORY(lcPgDriver, "workplace.driver", QtInfoMsg)
