#ifndef DEALREQUISITES_H
#define DEALREQUISITES_H

#include "dealsglobal.h"

#include <QHash>
#include <QString>
#include <QVariant>

class QDataTable;

// The requisites of one party of a deal (the seller's division or the buyer),
// by system name ("CR_INN", "CR_BANK"...), as the document's requisite tables
// list them: rows of c_sys_name and c_value.
class DEALS_EXPORT DealRequisites
{
public:
    DealRequisites() = default;
    // Reads every row of the table; the first row of a name counts.
    explicit DealRequisites(const QDataTable *requisites);

    // Reloads the table for one owner (close, select parameter, open) and reads it.
    static DealRequisites load(QDataTable *requisites, const QString &ownerParameter, const QVariant &owner);

    // Empty for a requisite the party does not have.
    QString value(const QString &sysName) const { return m_values.value(sysName); }
    bool isEmpty() const { return m_values.isEmpty(); }

    // "name, ИНН …, КПП …, legal address, тел.: …", each part only when it is filled.
    QString partyLine(const QString &name) const;

private:
    QHash<QString, QString> m_values;
};

#endif // DEALREQUISITES_H
