#ifndef DEALCOMMIT_H
#define DEALCOMMIT_H

#include "dealsglobal.h"
#include "rowconflict.h"

#include <QSqlRecord>

class FileWidget;
class QDataSet;
class QDataTable;
class QSqlConnection;
class QWidget;

// Saves the deals document the way the deal editor does: new file contents
// into the storage, the document in one transaction, then the retirement of
// contents nobody uses any more. A save that meets a colleague's newer
// version of a row asks the person in the concurrent-edit dialog and goes on
// as answered; any other failure is told in a message box. Whatever happens,
// the person's edits stay in the document until saved or given up.
class DEALS_EXPORT DealCommit
{
public:
    enum Outcome {
        Saved,    // everything is written
        Reloaded, // the person gave up the edits: the document is rolled back
        Kept      // nothing is written; the edits wait in the document
    };

    DealCommit(QDataSet *document, FileWidget *files, QWidget *dialogParent);

    Outcome run(QSqlConnection *connection);

    // The conflicting row as the server stores it now; empty when it is gone
    // or when the table has no script to read one row.
    static QSqlRecord storedRow(QSqlConnection *connection, const RowConflict &conflict);
    // The row with this key, deleted rows included; -1 when none.
    static int rowOfKey(QDataTable *table, const QString &keyField, const QVariant &key);

private:
    QDataSet *m_document;
    FileWidget *m_files;
    QWidget *m_dialogParent;
};

#endif // DEALCOMMIT_H
