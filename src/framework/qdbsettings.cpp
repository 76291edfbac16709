#include "qdbsettings.h"

#include "qdatatable.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableView>

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

// Layouts are stored in the toolkit's binary JSON form; the form is deprecated
// but it is what stored layouts already hold.
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
QByteArray toBinaryJson(const QJsonDocument &document)
{
    return document.toBinaryData();
}

QJsonDocument fromBinaryJson(const QByteArray &bytes)
{
    return QJsonDocument::fromBinaryData(bytes, QJsonDocument::Validate);
}
QT_WARNING_POP

} // namespace

QDbSettings::QDbSettings(QObject *parent)
    : QObject(parent)
    , m_group(QString::fromLatin1(globalGroup))
{
    qCDebug(lcSql) << "QDbSettings::QDbSettings(QObject*)" << m_group;
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

QSqlRecord QDbSettings::address(const QString &path)
{
    const QStringList groupAndKey = splitPath(path);
    m_group = groupAndKey.at(0);
    QSqlRecord record;
    record.append(stringField(QStringLiteral("group"), m_group));
    record.append(stringField(QStringLiteral("key"), groupAndKey.at(1)));
    return record;
}

QVariant QDbSettings::value(QString path, QVariant defaultValue)
{
    QSqlConnection *connection = currentConnection();
    if (!connection)
        return defaultValue;
    const QSqlRecord record = address(path);
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
    QSqlRecord record = address(path);
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
    if (path.isEmpty() || !table || !table->getView())
        return;
    const QTableView *view = table->getView();
    const QHeaderView *header = view->horizontalHeader();
    QJsonArray columns;
    const infoList &list = table->columns();
    for (int i = 0; i < list.size(); ++i) {
        QJsonObject column;
        column.insert(QStringLiteral("name"), list.at(i).fieldName);
        column.insert(QStringLiteral("visible"), list.at(i).visible);
        column.insert(QStringLiteral("width"), view->columnWidth(i));
        column.insert(QStringLiteral("index"), header->visualIndex(i));
        columns.append(column);
    }
    setValue(path, toBinaryJson(QJsonDocument(columns)));
}

void QDbSettings::restoreTableHeader(QString path, QDataTable *table)
{
    if (path.isEmpty() || !table || !table->getView())
        return;
    QTableView *view = table->getView();
    QHeaderView *header = view->horizontalHeader();
    const QJsonArray stored = fromBinaryJson(value(path, QString()).toByteArray()).array();
    const infoList &list = table->columns();
    if (stored.size() != list.size())
        return;

    const QByteArray before = header->saveState();
    QMap<int, int> columnAtPosition;
    for (int i = 0; i < list.size(); ++i) {
        const QJsonObject column = stored.at(i).toObject();
        // A layout saved for other columns would put widths and places on the wrong ones.
        if (column.value(QStringLiteral("name")).toString() != list.at(i).fieldName
            || column.value(QStringLiteral("visible")).toBool() != list.at(i).visible) {
            header->restoreState(before);
            return;
        }
        view->setColumnWidth(i, column.value(QStringLiteral("width")).toInt(0));
        columnAtPosition.insert(column.value(QStringLiteral("index")).toInt(), i);
    }
    for (int position = 0; position < list.size(); ++position) {
        const int column = columnAtPosition.value(position, 0);
        const int current = header->visualIndex(column);
        if (current != position)
            header->moveSection(current, position);
    }
}
