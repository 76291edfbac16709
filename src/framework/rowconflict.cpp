#include "rowconflict.h"

RowConflict::RowConflict(const QString &table, Operation operation, const QString &keyField,
                         const QSqlRecord &record, const QSqlRecord &originalRecord)
    : m_table(table)
    , m_operation(operation)
    , m_keyField(keyField)
    , m_record(record)
    , m_original(originalRecord)
{
}

QVariant RowConflict::key() const
{
    if (m_keyField.isEmpty())
        return QVariant();
    return m_original.contains(m_keyField) ? m_original.value(m_keyField) : m_record.value(m_keyField);
}

QStringList RowConflict::changedFields() const
{
    QStringList fields;
    for (int i = 0; i < m_record.count(); ++i) {
        const QString name = m_record.fieldName(i);
        if (m_original.contains(name) && m_original.value(name) != m_record.value(i))
            fields.append(name);
    }
    return fields;
}

QString RowConflict::message() const
{
    if (!isValid())
        return QString();
    const QString row = m_keyField.isEmpty()
            ? QStringLiteral("строка без ключа")
            : QStringLiteral("%1 = %2").arg(m_keyField, key().toString());
    if (m_operation == Delete) {
        return QStringLiteral("Запись таблицы %1 (%2) изменил или удалил другой пользователь, пока она была открыта. "
                              "Запись не удалена.").arg(m_table, row);
    }
    return QStringLiteral("Запись таблицы %1 (%2) изменил или удалил другой пользователь, пока она была открыта. "
                          "Ваши изменения не записаны и не потеряны.").arg(m_table, row);
}

QSqlError RowConflict::error() const
{
    return QSqlError(QString(), message(), QSqlError::TransactionError, errorCode());
}

QString RowConflict::errorCode()
{
    return QStringLiteral("WP_ROW_CONFLICT");
}

bool RowConflict::isConflict(const QSqlError &error)
{
    return error.type() == QSqlError::TransactionError && error.nativeErrorCode() == errorCode();
}
