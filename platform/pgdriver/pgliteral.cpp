#include "pgliteral.h"

#include "driverlogging.h"
#include "sqllexer.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QUuid>

#include <cmath>
#include <limits>

namespace PgLiteral {

namespace {

// Negative numbers get parentheses: "-:x" bound to -1 must not become a comment.
QString signedNumber(const QString &digits, bool negative)
{
    return negative ? QLatin1Char('(') + digits + QLatin1Char(')') : digits;
}

QString doubleLiteral(double value, int precision)
{
    if (std::isnan(value))
        return QStringLiteral("CAST('NaN' AS float8)");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("CAST('Infinity' AS float8)") : QStringLiteral("CAST('-Infinity' AS float8)");
    return signedNumber(QString::number(value, 'g', precision), value < 0);
}

// Years the toolkit's own formats leave out: before year 1 (the toolkit has no
// year 0, so -44 is 44 BC, as the server counts too) and after 9999.
QString dateText(const QDate &date)
{
    const int year = date.year();
    return QStringLiteral("%1-%2-%3%4")
            .arg(std::abs(year), 4, 10, QLatin1Char('0'))
            .arg(date.month(), 2, 10, QLatin1Char('0'))
            .arg(date.day(), 2, 10, QLatin1Char('0'))
            .arg(year < 0 ? QStringLiteral(" BC") : QString());
}

QString dateTimeLiteral(const QDateTime &value)
{
    const QDate date = value.date();
    QString text = dateText(date);
    const QString era = date.year() < 0 ? QStringLiteral(" BC") : QString();
    text.chop(era.size());
    text += value.time().toString(QStringLiteral(" HH:mm:ss.zzz"));
    if (value.timeSpec() == Qt::LocalTime)
        return QStringLiteral("TIMESTAMP '%1%2'").arg(text, era);
    const int offset = value.offsetFromUtc();
    const QString zone = QStringLiteral("%1%2:%3")
            .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
            .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
            .arg((std::abs(offset) % 3600) / 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("TIMESTAMPTZ '%1%2%3'").arg(text, zone, era);
}

// The type the server gives a numeric constant written this way: integer
// digits are int4, int8 or numeric by size, anything with a point or an
// exponent is numeric.
unsigned numberConstantOid(const QByteArray &digits)
{
    enum : unsigned { int4Oid = 23, int8Oid = 20, numericOid = 1700 };
    bool integral = false;
    const qlonglong number = digits.toLongLong(&integral);
    if (!integral)
        return numericOid;
    return number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max() ? int4Oid : int8Oid;
}

bool writeList(const QVariantList &values, QString *literal, QString *error)
{
    if (values.isEmpty()) {
        *literal = QStringLiteral("'{}'");
        return true;
    }
    QStringList items;
    for (const QVariant &item : values) {
        QString itemLiteral;
        if (!write(item, &itemLiteral, error))
            return false;
        items.append(itemLiteral);
    }
    *literal = QStringLiteral("ARRAY[") + items.join(QLatin1Char(',')) + QLatin1Char(']');
    return true;
}

} // namespace

QString quoteText(const QString &text)
{
    QString body = text;
    body.replace(QLatin1Char('\''), QLatin1String("''"));
    if (!body.contains(QLatin1Char('\\')))
        return QLatin1Char('\'') + body + QLatin1Char('\'');
    // An E'' constant reads backslashes the same way whatever standard_conforming_strings says.
    body.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return QStringLiteral("E'") + body + QLatin1Char('\'');
}

QString quoteIdentifier(const QString &name)
{
    QString body = name;
    body.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + body + QLatin1Char('"');
}

bool write(const QVariant &value, QString *literal, QString *error)
{
    if (!value.isValid() || value.isNull()) {
        *literal = QStringLiteral("NULL");
        return true;
    }
    switch (static_cast<int>(value.type())) {
    case QMetaType::Bool:
        *literal = value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        return true;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        *literal = signedNumber(QString::number(value.toLongLong()), value.toLongLong() < 0);
        return true;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        *literal = QString::number(value.toULongLong());
        return true;
    case QMetaType::Double:
        *literal = doubleLiteral(value.toDouble(), 17);
        return true;
    case QMetaType::Float:
        *literal = doubleLiteral(value.toFloat(), 9);
        return true;
    case QMetaType::QDate:
        *literal = QStringLiteral("DATE '%1'").arg(dateText(value.toDate()));
        return true;
    case QMetaType::QTime:
        *literal = QStringLiteral("TIME '%1'").arg(value.toTime().toString(QStringLiteral("HH:mm:ss.zzz")));
        return true;
    case QMetaType::QDateTime:
        *literal = dateTimeLiteral(value.toDateTime());
        return true;
    case QMetaType::QByteArray:
        // Typed, so that bytes meant for a text column are a type error there
        // (the schema allows bytea into text columns only by an explicit cast).
        *literal = QStringLiteral("'\\x%1'::bytea").arg(QString::fromLatin1(value.toByteArray().toHex()));
        return true;
    case QMetaType::QUuid:
        *literal = quoteText(value.toUuid().toString(QUuid::WithoutBraces));
        return true;
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        return writeList(value.toList(), literal, error);
    default:
        break;
    }
    // A map, a point or any value without a text form would otherwise go out as ''.
    if (!value.canConvert<QString>()) {
        *error = QStringLiteral("a value of type %1 has no form the database can store")
                         .arg(QString::fromLatin1(value.typeName()));
        return false;
    }
    const QString text = value.toString();
    if (text.contains(QChar(0))) {
        *error = QStringLiteral("a text value holds a NUL character, which the database cannot store");
        return false;
    }
    *literal = quoteText(text);
    return true;
}

bool parameter(const QVariant &value, QByteArray *text, unsigned *typeOid, bool *isNull, QString *error)
{
    // Types as the literals of write() have them, so that a statement means
    // the same whichever way its values travel.
    enum : unsigned { boolOid = 16, byteaOid = 17, dateOid = 1082, timeOid = 1083, timestampOid = 1114,
                      timestamptzOid = 1184 };
    *isNull = !value.isValid() || value.isNull();
    *typeOid = 0;
    text->clear();
    if (*isNull)
        return true;
    switch (static_cast<int>(value.type())) {
    case QMetaType::Bool:
        *typeOid = boolOid;
        *text = value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
        return true;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        *text = QByteArray::number(value.toLongLong());
        *typeOid = numberConstantOid(*text);
        return true;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        // Unsigned 64-bit values may not fit int8; a numeric constant holds them all.
        *text = QByteArray::number(value.toULongLong());
        *typeOid = numberConstantOid(*text);
        return true;
    case QMetaType::Double:
    case QMetaType::Float: {
        // A decimal literal is a numeric constant; NaN and the infinities are float8 casts.
        const double number = value.type() == QVariant::Double ? value.toDouble() : value.toFloat();
        if (std::isnan(number) || std::isinf(number)) {
            *typeOid = 701;
            *text = std::isnan(number) ? QByteArrayLiteral("NaN")
                                       : (number > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity"));
            return true;
        }
        *text = QByteArray::number(number, 'g', value.type() == QVariant::Double ? 17 : 9);
        *typeOid = numberConstantOid(*text);
        return true;
    }
    case QMetaType::QDate:
        *typeOid = dateOid;
        *text = dateText(value.toDate()).toLatin1();
        return true;
    case QMetaType::QTime:
        *typeOid = timeOid;
        *text = value.toTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
        return true;
    case QMetaType::QDateTime: {
        // The literal without its type keyword and quotes.
        const QString literal = dateTimeLiteral(value.toDateTime());
        const int quote = literal.indexOf(QLatin1Char('\''));
        *typeOid = literal.startsWith(QLatin1String("TIMESTAMPTZ")) ? timestamptzOid : timestampOid;
        *text = literal.mid(quote + 1, literal.size() - quote - 2).toLatin1();
        return true;
    }
    case QMetaType::QByteArray:
        *typeOid = byteaOid;
        *text = QByteArrayLiteral("\\x") + value.toByteArray().toHex();
        return true;
    case QMetaType::QUuid:
        *text = value.toUuid().toString(QUuid::WithoutBraces).toLatin1();
        return true;
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        *error = QStringLiteral("a list travels only as a literal");
        return false;
    default:
        break;
    }
    if (!value.canConvert<QString>()) {
        *error = QStringLiteral("a value of type %1 has no form the database can store")
                         .arg(QString::fromLatin1(value.typeName()));
        return false;
    }
    const QString string = value.toString();
    if (string.contains(QChar(0))) {
        *error = QStringLiteral("a text value holds a NUL character, which the database cannot store");
        return false;
    }
    *text = string.toUtf8();
    return true;
}

QString bind(const QString &script, const QString &name, const QVariant &value)
{
    const int pos = SqlLexer::findParameter(script, name);
    if (pos < 0)
        return script;
    QString literal;
    if (name == QLatin1String("NULL")) {
        literal = QStringLiteral("NULL");
    } else {
        QString error;
        if (!write(value, &literal, &error)) {
            QString shownName = name;
            shownName.remove(QLatin1Char('$'));
            const QString message = QStringLiteral("Parameter :%1 cannot be bound: %2").arg(shownName, error);
            qCWarning(lcPgDriver).noquote() << message;
            // Run nothing of the original statement, and let the caller see why.
            return QStringLiteral("DO $bind_error$ BEGIN RAISE EXCEPTION '%', %1; END $bind_error$")
                    .arg(quoteText(message));
        }
    }
    QString result = script;
    result.replace(pos, name.size() + 1, literal);
    return result;
}

} // namespace PgLiteral
