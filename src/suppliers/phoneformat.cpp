#include "phoneformat.h"

QString formatPhone(QString text)
{
    const auto part = [&text](int from, int length) { return text.mid(from, length); };
    const QChar dash = QLatin1Char('-');
    switch (text.length()) {
    case 4:
        return part(0, 2) + dash + part(2, 2);
    case 5:
        return part(0, 3) + dash + part(3, 2);
    case 6:
        return part(0, 3) + dash + part(3, 3);
    case 7:
        return part(0, 3) + dash + part(3, 2) + dash + part(5, 2);
    case 11:
        return part(0, 1) + QLatin1Char('(') + part(1, 3) + QLatin1Char(')') + part(4, 3) + dash + part(7, 2) + dash
                + part(9, 2);
    default:
        return text;
    }
}
