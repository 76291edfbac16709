#ifndef PGROWPIPELINE_H
#define PGROWPIPELINE_H

#include "drivertypes.h"

#include <QSqlDatabase>

// Runs one row script for many rows without a round trip per row: the
// script is prepared once with its values as parameters, and the executions
// go to the server in libpq's pipeline mode, a few hundred at a time. A batch
// is all or nothing: it runs inside a savepoint (or a transaction of its own
// when none is open), so a failing or conflicting row leaves no trace of the
// rows sent with it.
class PgRowPipeline
{
public:
    // See DriverApi::ExecRowScriptsFn.
    static int run(QSqlDatabase db, const QString &script, const QStringList &names, const QList<QVariantList> &rows,
                   const QVector<bool> &mustFind, QList<RowScriptResult> *results, int *failed, QSqlError *error);

    // The script with the tokens replaced as bindQueryParam would replace
    // them one after another: by $1, $2 ... for values, by NULL for the name
    // NULL. *sources takes, for each $n, the index of its name.
    static QString parameterised(const QString &script, const QStringList &names, QVector<int> *sources);
};

#endif // PGROWPIPELINE_H
