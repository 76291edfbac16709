#ifndef PGLITERAL_H
#define PGLITERAL_H

#include <QString>
#include <QVariant>

// Writes values as PostgreSQL literals. The only place in the system where
// SQL constants are written, so the only place that has to get quoting right.
namespace PgLiteral {

// The literal for a value; false with a message when the value cannot be
// written without changing it (text holding a NUL character).
bool write(const QVariant &value, QString *literal, QString *error);

// The same value as a statement parameter: its text form and the type the
// server is told (0 lets the server take the type from where the parameter
// stands, as it does for a quoted literal). False where write() would fail,
// and for lists, which only travel as literals.
bool parameter(const QVariant &value, QByteArray *text, unsigned *typeOid, bool *isNull, QString *error);

// A text constant, E'' form when the text holds backslashes.
QString quoteText(const QString &text);

// A quoted identifier.
QString quoteIdentifier(const QString &name);

// The script with the first ":name" token in code replaced by the value's literal.
// The name NULL always binds the keyword NULL. A value that cannot be written
// turns the whole statement into one that fails with a clear message.
QString bind(const QString &script, const QString &name, const QVariant &value);

} // namespace PgLiteral

#endif // PGLITERAL_H
