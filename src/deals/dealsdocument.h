#ifndef DEALSDOCUMENT_H
#define DEALSDOCUMENT_H

#include "dealsglobal.h"

class QDataSet;
class QWidget;

// The deals document: the one data set through which the deals module reads
// and writes deals, their positions, development-work requests, attached
// files and shipping-sheet links, and the look-ups its combo boxes and
// display callbacks use, plus the common dictionary of the "comdict" library.
//
// Fills the empty data set `document` with its tables, on the application's
// connection and owned by the data set; `parent` goes to the sibling
// library's own document. No table is loaded. The module's `getDocument`
// creates and remembers the one instance before it is filled.
//
// Tables written by the editor carry a hidden `n_row_version` column after
// their own columns, so that their update and delete scripts can tell a
// stale row from a current one.
DEALS_EXPORT void buildDealsDocument(QDataSet *document, QWidget *parent);

#endif // DEALSDOCUMENT_H
