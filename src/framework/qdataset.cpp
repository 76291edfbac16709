#include "qdataset.h"

#include "qdatatable.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>

QDataSet::QDataSet(QObject *parent)
    : QObject(parent)
{
}

QDataSet::~QDataSet() = default;

bool QDataSet::addTable(QDataTable *table)
{
    if (!table)
        return false;
    for (const QDataTable *existing : qAsConst(m_tables)) {
        if (existing->objectName() == table->objectName())
            return false;
    }
    m_tables.append(table);
    return true;
}

QDataTable *QDataSet::getTable(QString name) const
{
    for (QDataTable *table : m_tables) {
        if (table->objectName() == name)
            return table;
    }
    qCDebug(lcTable).noquote() << QStringLiteral("table not found [") + name + QLatin1Char(']');
    return nullptr;
}

QStringList QDataSet::tables() const
{
    QStringList names;
    for (const QDataTable *table : m_tables)
        names.append(table->objectName());
    return names;
}

void QDataSet::createDataLink(QString master, QString masterField, QString detail, QString detailField)
{
    QDataTable *masterTable = getTable(master);
    QDataTable *detailTable = getTable(detail);
    if (!masterTable || !detailTable)
        return;
    m_links.append(dataLink{masterTable, masterField, detailTable, detailField});
    connect(masterTable, &QDataTable::dataChanged, this, &QDataSet::linkedDataChanged);
}

void QDataSet::createDataLink(QString table, QString masterField, QString detailField)
{
    createDataLink(table, masterField, table, detailField);
}

void QDataSet::setChangingOrder(QStringList names)
{
    m_changingOrder = names;
}

bool QDataSet::isModified() const
{
    for (const QDataTable *table : m_tables) {
        if (table->isModified())
            return true;
    }
    return false;
}

void QDataSet::closeAll()
{
    for (QDataTable *table : qAsConst(m_tables))
        table->close();
}

void QDataSet::linkedDataChanged(QString fldName, QVariant oldVal, QVariant newVal, QString tabName)
{
    // A key that stayed what it was (a key the client chose) leaves the details as they are.
    if (oldVal == newVal)
        return;
    // A copy: a handler may add links while the detail rows are updated.
    const QList<dataLink> links = m_links;
    for (const dataLink &link : links) {
        if (!link.masterTable || link.masterTable->objectName() != tabName || link.masterField != fldName)
            continue;
        QDataTable *detail = link.detailTable;
        if (!detail || detail->getTableState() == -2)
            continue;
        while (detail->locate(link.detailField, oldVal) >= 0) {
            if (!detail->setField(link.detailField, newVal))
                break; // a deleted row holds the old value: it cannot change, and must not loop
        }
    }
}

QList<QDataTable *> QDataSet::visitOrder() const
{
    if (m_changingOrder.isEmpty())
        return m_tables;
    QList<QDataTable *> ordered;
    for (const QString &name : m_changingOrder) {
        for (QDataTable *table : m_tables) {
            if (table->objectName() == name) {
                ordered.append(table);
                break;
            }
        }
    }
    return ordered;
}

bool QDataSet::commit(QSqlConnection *connection)
{
    m_lastError = QSqlError();
    m_lastConflict = RowConflict();
    bool transactional = false;
    if (connection && connection->database().isValid()) {
        transactional = connection->beginTransaction();
        // A connection that cannot be made or broke on BEGIN has been reported
        // and re-made: the user saves again, nothing was written.
        if (!transactional && connection->lastError().isValid()) {
            m_lastError = connection->lastError();
            return false;
        }
        if (!transactional)
            qCWarning(lcTable).noquote() << QStringLiteral("QDataSet::commit: no transaction could be started");
    }

    // The database forgets a failed transaction; the tables must forget it too,
    // so that a corrected second commit writes every row again, exactly once.
    // That covers the tables the commit writes and the details their new keys
    // reach. Without a transaction what was written stays written, and so do the rows.
    const QList<QDataTable *> order = visitOrder();
    QList<QDataTable *> touched;
    if (transactional) {
        for (QDataTable *table : order) {
            if (table->hasPendingRows() && !touched.contains(table))
                touched.append(table);
        }
        for (const dataLink &link : qAsConst(m_links)) {
            if (link.detailTable && link.detailTable->getTableState() != -2 && !touched.contains(link.detailTable))
                touched.append(link.detailTable);
        }
    }
    QList<QDataTable::RestorePoint> restorePoints;
    for (QDataTable *table : qAsConst(touched))
        restorePoints.append(table->restorePoint());

    QDataTable *failed = nullptr;
    for (QDataTable *table : order) {
        if (!table->commit(false)) {
            failed = table;
            break;
        }
    }
    if (!failed && (!transactional || connection->commitTransaction()))
        return true;
    if (failed) {
        m_lastError = failed->lastError();
        m_lastConflict = failed->lastConflict();
    } else {
        m_lastError = connection->lastError();
    }
    if (!transactional)
        return false;
    if (failed)
        connection->rollbackTransaction();
    for (int i = 0; i < touched.size(); ++i)
        touched.at(i)->restore(restorePoints.at(i));
    return false;
}

void QDataSet::rollback()
{
    for (QDataTable *table : visitOrder()) {
        if (table->isModified())
            table->rollback();
    }
}

void QDataSet::intersect(QDataSet *other)
{
    if (!other || other == this)
        return;
    for (QDataTable *table : qAsConst(other->m_tables)) {
        if (tables().contains(table->objectName()))
            continue;
        auto *copy = new QDataTable(table);
        copy->setParent(this);
        addTable(copy);
    }
    for (const dataLink &link : qAsConst(other->m_links)) {
        if (!link.masterTable || !link.detailTable)
            continue;
        const QString masterName = link.masterTable->objectName();
        const QString detailName = link.detailTable->objectName();
        const bool known = std::any_of(m_links.cbegin(), m_links.cend(), [&](const dataLink &mine) {
            return mine.masterTable && mine.detailTable && mine.masterTable->objectName() == masterName
                    && mine.detailTable->objectName() == detailName;
        });
        if (known)
            continue;
        QDataTable *master = nullptr;
        QDataTable *detail = nullptr;
        for (QDataTable *table : qAsConst(m_tables)) {
            if (table->objectName() == masterName)
                master = table;
            if (table->objectName() == detailName)
                detail = table;
        }
        if (master && detail)
            m_links.append(dataLink{master, link.masterField, detail, link.detailField});
    }
}

void QDataSet::dump(QString dir, bool fullInfo, QString name, QStringList tables)
{
    QString text;
    for (QDataTable *table : qAsConst(m_tables)) {
        if (!tables.isEmpty() && !tables.contains(table->objectName()))
            continue;
        text += QStringLiteral("\"TABLE:\";\"%1\";\n").arg(table->objectName());
        text += table->prepareDump(fullInfo);
        text += QStringLiteral(";\n;\n;\n");
    }
    QDir().mkpath(dir);
    const QString fileName = QStringLiteral("dataset_%1_%2.csv")
            .arg(name.isEmpty() ? objectName() : name,
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd hh_mm")));
    QFile file(QDir(dir).filePath(fileName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toLocal8Bit());
}

QVariant getValueById(QDataTable *table, qint64 id, QString field)
{
    if (!table)
        return QVariant();
    if (table->getTableState() == -2)
        table->open();
    const int row = table->locate(QStringLiteral("id"), id);
    if (row < 0)
        return QVariant();
    return table->getField(field, row);
}

QVariant getValueById(QDataSet *set, QString table, qint64 id, QString field)
{
    if (!set)
        return QVariant();
    return getValueById(set->getTable(table), id, field);
}

void fillComboBox(QComboBox *combo, QDataTable *table, QString displayField, QString dataField,
                  QString emptyText, QVariant emptyData)
{
    if (!combo || !table || displayField.isEmpty())
        return;
    combo->clear();
    table->close();
    table->open();
    if (!emptyText.isEmpty())
        combo->addItem(emptyText, emptyData);
    if (table->getTableState() != 0)
        return;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QSqlRecord record = table->getRecord(row, false);
        combo->addItem(record.value(displayField).toString(), record.value(dataField));
    }
}

QSqlRecord getCurrentRecord(QDataTable *table)
{
    return table ? table->getViewCurrentRecord() : QSqlRecord();
}
