#include "workplacelogging.h"

Q_LOGGING_CATEGORY(lcSql, "workplace.sql", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTable, "workplace.table", QtInfoMsg)
Q_LOGGING_CATEGORY(lcModule, "workplace.module", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDriver, "workplace.driver", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFiles, "workplace.files", QtInfoMsg)
Q_LOGGING_CATEGORY(lcShell, "workplace.shell", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSuppliers, "workplace.suppliers", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDeals, "workplace.deals", QtInfoMsg)
Q_LOGGING_CATEGORY(lcReports, "workplace.reports", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSpell, "workplace.spell", QtInfoMsg)
