#include "qdbsettings.h"

#include "qsqlconnection.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const char globalGroup[] = "GLOBAL";

QSqlField stringField(const QString &name, const QString &value)
{
    QSqlField field(name, QVariant::String);
    field.setValue(value);
    return field;
}

QString valueText(const QVariant &value)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray().toHex());
    default:
        return value.toString();
    }
}

QVariant fromText(const QString &text, int typeCode)
{
    switch (typeCode) {
    case QMetaType::Bool:
        return text.toLongLong() > 0;
    case QMetaType::Int:
    case QMetaType::LongLong:
        return text.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return text.toULongLong();
    case QMetaType::Double:
        return text.toDouble();
    case QMetaType::QByteArray:
        return QByteArray::fromHex(text.toLatin1());
    default:
        return text;
    }
}

} // namespace

QDbSettings::QDbSettings(QObject *parent)
    : QObject(parent)
    , m_group(QString::fromLatin1(globalGroup))
{
    qDebug() << "QDbSettings::QDbSettings(QObject*)" << m_group;
}

void QDbSettings::beginGroup(QString group)
{
    m_group = group;
}

void QDbSettings::endGroup()
{
    m_group = QString::fromLatin1(globalGroup);
}

QStringList QDbSettings::splitPath(QString path) const
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::KeepEmptyParts);
    if (parts.size() < 2)
        return {QString::fromLatin1(globalGroup), parts.value(0)};
    QString group;
    for (int i = 0; i < parts.size() - 1; ++i) {
        if (!group.isEmpty())
            group += QLatin1Char('/');
        group += parts.at(i);
    }
    return {group, parts.last()};
}

QVariant QDbSettings::value(QString path, QVariant defaultValue)
{
    QSqlConnection *connection = currentConnection();
    if (!connection)
        return defaultValue;
    const QStringList groupAndKey = splitPath(path);
    m_group = groupAndKey.at(0);

    QSqlRecord record;
    record.append(stringField(QStringLiteral("group"), m_group));
    record.append(stringField(QStringLiteral("key"), groupAndKey.at(1)));
    const QString script = connection->getScript(QStringLiteral("USER_ATTR_READ"));
    if (script.isEmpty())
        return defaultValue;
    QSqlQuery query = connection->execScript(script, record);
    if (!query.isSelect() || !query.isValid() || query.value(0).isNull())
        return defaultValue;
    const QString text = query.value(0).toString();
    if (text.isEmpty())
        return defaultValue;
    return fromText(text, query.value(1).toInt());
}

bool QDbSettings::setValue(QString path, QVariant value)
{
    QSqlConnection *connection = currentConnection();
    if (!connection)
        return false;
    const QStringList groupAndKey = splitPath(path);
    m_group = groupAndKey.at(0);

    QSqlRecord record;
    record.append(stringField(QStringLiteral("group"), m_group));
    record.append(stringField(QStringLiteral("key"), groupAndKey.at(1)));
    record.append(stringField(QStringLiteral("value"), valueText(value)));
    QSqlField type(QStringLiteral("type"), QVariant::Int);
    type.setValue(static_cast<int>(value.type()));
    record.append(type);

    const QString script = connection->getScript(QStringLiteral("USER_ATTR_WRITE"));
    if (script.isEmpty())
        return false;
    const QSqlQuery query = connection->execScript(script, record);
    return query.lastError().type() == QSqlError::NoError;
}

void QDbSettings::saveTableHeader(QString path, QDataTable *table)
{
    Q_UNUSED(path)
    Q_UNUSED(table)
}

void QDbSettings::restoreTableHeader(QString path, QDataTable *table)
{
    Q_UNUSED(path)
    Q_UNUSED(table)
}
