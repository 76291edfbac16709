#ifndef QDATASET_H
#define QDATASET_H

#include "dealsglobal.h"
#include "rowconflict.h"

#include <QList>
#include <QObject>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

class QComboBox;
class QDataTable;
class QSqlConnection;

// One master/detail link: when the master's field changes, detail rows that
// held the old value follow it.
struct dataLink
{
    QDataTable *masterTable = nullptr;
    QString masterField;
    QDataTable *detailTable = nullptr;
    QString detailField;
};

// The tables of one document under their names, linked as master and detail,
// committed together in one database transaction or rolled back together.
class DEALS_EXPORT QDataSet : public QObject
{
    Q_OBJECT

public:
    explicit QDataSet(QObject *parent = nullptr);
    ~QDataSet() override;

    bool addTable(QDataTable *table);
    QDataTable *getTable(QString name) const;
    QStringList tables() const;
    const QList<dataLink> &links() const { return m_links; }

    void createDataLink(QString master, QString masterField, QString detail, QString detailField);
    void createDataLink(QString table, QString masterField, QString detailField);
    void setChangingOrder(QStringList names);
    QStringList changingOrder() const { return m_changingOrder; }

    bool isModified() const;
    void closeAll();
    // All tables in one transaction: on any failure (a script, a conflict, the
    // COMMIT itself, a lost connection) nothing is written and every table is
    // as it was before the call, its edits still pending.
    bool commit(QSqlConnection *connection);
    void rollback();
    // Why the last commit failed; invalid after a successful one.
    // RowConflict::isConflict(lastError()) tells a conflict from other failures.
    QSqlError lastError() const { return m_lastError; }
    // The row that conflicted in the last commit, when that was the failure.
    RowConflict lastConflict() const { return m_lastConflict; }
    void intersect(QDataSet *other);

    // Writes the dump of the named tables (all when none is named) to a file in dir.
    void dump(QString dir, bool fullInfo, QString name = QString(), QStringList tables = QStringList());

public Q_SLOTS:
    void linkedDataChanged(QString fldName, QVariant oldVal, QVariant newVal, QString tabName);

private:
    // The tables a commit or rollback visits, in the order it visits them.
    QList<QDataTable *> visitOrder() const;

    QList<QDataTable *> m_tables;
    QList<dataLink> m_links;
    QStringList m_changingOrder;
    QSqlError m_lastError;
    RowConflict m_lastConflict;
};

DEALS_EXPORT QVariant getValueById(QDataTable *table, qint64 id, QString field);
DEALS_EXPORT QVariant getValueById(QDataSet *set, QString table, qint64 id, QString field);
DEALS_EXPORT void fillComboBox(QComboBox *combo, QDataTable *table, QString displayField, QString dataField,
                               QString emptyText = QString(), QVariant emptyData = QVariant());
DEALS_EXPORT QSqlRecord getCurrentRecord(QDataTable *table);

#endif // QDATASET_H
