#ifndef ROWCONFLICT_H
#define ROWCONFLICT_H

#include "dealsglobal.h"

#include <QMetaType>
#include <QSqlError>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

// A row that somebody else changed or deleted after it was loaded: its update
// or delete script affected no row. The commit that met it failed and wrote
// nothing; the row keeps the user's edits. An editor can re-read the stored
// row by key() and compare it field by field with originalRecord() (what the
// user started from) and record() (what the user made of it).
class DEALS_EXPORT RowConflict
{
public:
    enum Operation {
        NoOperation,
        Update,
        Delete
    };

    RowConflict() = default;
    RowConflict(const QString &table, Operation operation, const QString &keyField,
                const QSqlRecord &record, const QSqlRecord &originalRecord);

    bool isValid() const { return m_operation != NoOperation; }
    Operation operation() const { return m_operation; }
    QString table() const { return m_table; }
    QString keyField() const { return m_keyField; }
    // The key as loaded, which is what the script looked for.
    QVariant key() const;
    QSqlRecord record() const { return m_record; }
    QSqlRecord originalRecord() const { return m_original; }
    // Fields whose value the user changed since the row was loaded.
    QStringList changedFields() const;

    // A sentence for the user, naming the table and the row.
    QString message() const;
    // The error that commits report for a conflict: a transaction error whose
    // native code is errorCode(), so that callers holding only lastError()
    // can tell a conflict from any other failure.
    QSqlError error() const;
    static QString errorCode();
    static bool isConflict(const QSqlError &error);

private:
    QString m_table;
    Operation m_operation = NoOperation;
    QString m_keyField;
    QSqlRecord m_record;
    QSqlRecord m_original;
};

Q_DECLARE_METATYPE(RowConflict)

#endif // ROWCONFLICT_H
