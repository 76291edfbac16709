#include "pgvalues.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlField>

#include <libpq-fe.h>

#include <charconv>
#include <cmath>

namespace {

// Server type numbers (pg_type.oid) that the toolkit's driver types apart.
enum : Oid {
    BoolOid = 16,
    ByteaOid = 17,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    RegprocOid = 24,
    XidOid = 28,
    CidOid = 29,
    VoidOid = 2278,
    Float4Oid = 700,
    Float8Oid = 701,
    DateOid = 1082,
    TimeOid = 1083,
    TimestampOid = 1114,
    TimestamptzOid = 1184,
    TimetzOid = 1266,
    NumericOid = 1700
};

template<typename Number>
bool parseWhole(const char *text, int length, Number *number)
{
    const char *end = text + length;
    const auto parsed = std::from_chars(text, end, *number);
    return parsed.ec == std::errc() && parsed.ptr == end;
}

int twoDigits(const char *text)
{
    return (text[0] - '0') * 10 + (text[1] - '0');
}

bool isDigits(const char *text, int count)
{
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

QVariant doubleOf(const char *text, int length)
{
    double number = 0;
    const char *end = text + length;
    const auto parsed = std::from_chars(text, end, number);
    if (parsed.ec == std::errc() && parsed.ptr == end && !std::isnan(number) && !std::isinf(number))
        return QVariant(number);
    // The server's words for what is no ordinary number.
    if (qstricmp(text, "NaN") == 0)
        return QVariant(qQNaN());
    if (qstricmp(text, "Infinity") == 0)
        return QVariant(qInf());
    if (qstricmp(text, "-Infinity") == 0)
        return QVariant(-qInf());
    bool ok = false;
    const double other = QByteArray::fromRawData(text, length).toDouble(&ok);
    return ok ? QVariant(other) : QVariant();
}

QVariant dateOf(const char *text, int length)
{
    // The ISO form the server writes: "2026-12-06". Years past 9999, dates
    // before Christ and infinities take the long way.
    if (length == 10 && text[4] == '-' && text[7] == '-' && isDigits(text, 4) && isDigits(text + 5, 2)
        && isDigits(text + 8, 2)) {
        const int year = twoDigits(text) * 100 + twoDigits(text + 2);
        return QVariant(QDate(year, twoDigits(text + 5), twoDigits(text + 8)));
    }
    return QVariant(QDate::fromString(QString::fromLatin1(text, length), Qt::ISODate));
}

QDateTime timestampOf(QString text, bool withZone)
{
    text.replace(QLatin1Char(' '), QLatin1Char('T'));
    if (withZone) {
        // The server writes "+03" or "+05:30"; ISO wants the minutes.
        const int sign = std::max(text.lastIndexOf(QLatin1Char('+')), text.lastIndexOf(QLatin1Char('-')));
        if (sign > 10 && text.size() - sign == 3)
            text += QStringLiteral(":00");
        return QDateTime::fromString(text, Qt::ISODateWithMs).toLocalTime();
    }
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

} // namespace

void PgValues::ResultDeleter::operator()(pg_result *result) const
{
    PQclear(result);
}

QVariant::Type PgValues::typeOf(unsigned oid)
{
    switch (oid) {
    case BoolOid: return QVariant::Bool;
    case ByteaOid: return QVariant::ByteArray;
    case Int8Oid: return QVariant::LongLong;
    case Int2Oid:
    case Int4Oid:
    case RegprocOid:
    case XidOid:
    case CidOid:
    case VoidOid: return QVariant::Int;
    case Float4Oid:
    case Float8Oid:
    case NumericOid: return QVariant::Double;
    case DateOid: return QVariant::Date;
    case TimeOid:
    case TimetzOid: return QVariant::Time;
    case TimestampOid:
    case TimestamptzOid: return QVariant::DateTime;
    default: return QVariant::String;
    }
}

QVariant PgValues::valueAt(const pg_result *result, int row, int column)
{
    const Oid oid = PQftype(result, column);
    const QVariant::Type type = typeOf(oid);
    if (PQgetisnull(result, row, column))
        return QVariant(type);
    return valueOf(PQgetvalue(result, row, column), PQgetlength(result, row, column), type, oid);
}

QVariant PgValues::valueOf(const char *text, int length, QVariant::Type type, unsigned oid)
{
    switch (type) {
    case QVariant::String: return QVariant(QString::fromUtf8(text, length));
    case QVariant::Int: {
        int number = 0;
        return QVariant(parseWhole(text, length, &number) ? number : atoi(text));
    }
    case QVariant::LongLong:
        // Unsigned unless negative, as the toolkit's driver reads them.
        if (text[0] == '-') {
            qlonglong number = 0;
            return QVariant(parseWhole(text, length, &number) ? number : QByteArray(text, length).toLongLong());
        } else {
            qulonglong number = 0;
            return QVariant(parseWhole(text, length, &number) ? number : QByteArray(text, length).toULongLong());
        }
    case QVariant::Double: return doubleOf(text, length);
    case QVariant::Date: return dateOf(text, length);
    case QVariant::Bool: return QVariant(text[0] == 't');
    case QVariant::Time: return QVariant(QTime::fromString(QString::fromLatin1(text, length), Qt::ISODate));
    case QVariant::DateTime:
        return QVariant(timestampOf(QString::fromLatin1(text, length), oid == TimestamptzOid));
    case QVariant::ByteArray: {
        size_t size = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
        const QByteArray data(reinterpret_cast<const char *>(bytes), static_cast<int>(size));
        PQfreemem(bytes);
        return QVariant(data);
    }
    default: return QVariant(QString::fromUtf8(text, length));
    }
}

QSqlRecord PgValues::shapeOf(const pg_result *result)
{
    QSqlRecord record;
    for (int c = 0; c < PQnfields(result); ++c)
        record.append(QSqlField(QString::fromUtf8(PQfname(result, c)), typeOf(PQftype(result, c))));
    return record;
}

pg_conn *PgValues::connectionOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

QSqlError PgValues::errorOf(pg_conn *connection, const pg_result *result)
{
    const char *code = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(connection));
    return QSqlError(QStringLiteral("QPSQL: Unable to create query"), message.trimmed(),
                     PQstatus(connection) == CONNECTION_OK ? QSqlError::StatementError : QSqlError::ConnectionError,
                     code ? QString::fromLatin1(code) : QString());
}
