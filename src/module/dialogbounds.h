#ifndef DIALOGBOUNDS_H
#define DIALOGBOUNDS_H

#include "dealsglobal.h"

#include <QRect>

// Geometry for this library's dialogs: the shell's main window
// ("WorkplaceWindowWindow" or "ZMAWindow") less a 20-pixel margin on each side,
// or a null rectangle when there is no such window (the dialog keeps its own).
DEALS_EXPORT QRect bounds();

#endif // DIALOGBOUNDS_H
