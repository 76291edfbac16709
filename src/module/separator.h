#ifndef SEPARATOR_H
#define SEPARATOR_H

#include "dealsglobal.h"

class QAction;
class QObject;

// A separator action owned by `parent`, placed between groups of tool-bar actions.
DEALS_EXPORT QAction *separator(QObject *parent);

#endif // SEPARATOR_H
