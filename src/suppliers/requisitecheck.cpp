#include "requisitecheck.h"

#include <QRegularExpression>
#include <QVector>

namespace {

bool digitsOnly(const QString &value, int length)
{
    if (value.length() != length)
        return false;
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

int controlDigit(const QString &digits, const QVector<int> &weights)
{
    int sum = 0;
    for (int i = 0; i < weights.size(); ++i)
        sum += digits.at(i).digitValue() * weights.at(i);
    return sum % 11 % 10;
}

} // namespace

namespace RequisiteCheck {

bool innChecksumValid(const QString &inn)
{
    if (digitsOnly(inn, 10))
        return controlDigit(inn, {2, 4, 10, 3, 5, 9, 4, 6, 8}) == inn.at(9).digitValue();
    if (digitsOnly(inn, 12)) {
        return controlDigit(inn, {7, 2, 4, 10, 3, 5, 9, 4, 6, 8}) == inn.at(10).digitValue()
                && controlDigit(inn, {3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8}) == inn.at(11).digitValue();
    }
    return false;
}

QString error(const QString &sysName, const QString &value)
{
    if (sysName == QLatin1String("CR_INN")) {
        if (!digitsOnly(value, 10) && !digitsOnly(value, 12))
            return QStringLiteral("ИНН должен состоять из 10 или 12 цифр");
        if (!innChecksumValid(value))
            return QStringLiteral("Неверный ИНН: не сходится контрольная цифра");
    } else if (sysName == QLatin1String("CR_KPP")) {
        // Positions 5 and 6 are the reason code, which may be a Latin letter.
        static const QRegularExpression kpp(QStringLiteral("^[0-9]{4}[0-9A-Z]{2}[0-9]{3}$"));
        if (!kpp.match(value).hasMatch())
            return QStringLiteral("КПП должен состоять из 9 цифр");
    } else if (sysName == QLatin1String("CR_OGRN")) {
        if (!digitsOnly(value, 13) && !digitsOnly(value, 15))
            return QStringLiteral("ОГРН должен состоять из 13 цифр, ОГРНИП из 15");
    } else if (sysName == QLatin1String("CR_BIC")) {
        if (!digitsOnly(value, 9))
            return QStringLiteral("БИК должен состоять из 9 цифр");
    } else if (sysName == QLatin1String("CR_PAYMENT_ACCOUNT") || sysName == QLatin1String("CR_CORRESPONDENT_ACCOUNT")) {
        if (!digitsOnly(value, 20))
            return QStringLiteral("Номер счёта должен состоять из 20 цифр");
    }
    return QString();
}

} // namespace RequisiteCheck
