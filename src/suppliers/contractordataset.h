#ifndef CONTRACTORDATASET_H
#define CONTRACTORDATASET_H

#include "dealsglobal.h"

class QDataSet;
class QObject;

// The contractor data set: the directory's contractors and every table the
// supplier editor works on (types, requisites, marks, contact persons and
// contacts, comments, audits and their files, the production unit), linked
// so that a new contractor's key reaches all its details when it is saved.
//
// Only t_contractor is opened here; each view and tab opens what it shows.
// The tables live as children of the data set.
namespace ContractorDataSet {

enum Variant {
    // The picker's variant.
    Directory,
    // The editor dialog's own variant: t_contractor also carries
    // id_request_doc, and t_deal_request_doc lists the documents to choose from.
    Editor
};

// Built on the shell's connection (the "Connection" application property);
// without one, the tables have no scripts and stay empty.
DEALS_EXPORT QDataSet *create(Variant variant, QObject *parent);

} // namespace ContractorDataSet

#endif // CONTRACTORDATASET_H
