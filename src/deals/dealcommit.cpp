#include "dealcommit.h"

#include "dealconflictdialog.h"
#include "filewidget.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QMessageBox>
#include <QSqlQuery>

DealCommit::DealCommit(QDataSet *document, FileWidget *files, QWidget *dialogParent)
    : m_document(document)
    , m_files(files)
    , m_dialogParent(dialogParent)
{
}

QSqlRecord DealCommit::storedRow(QSqlConnection *connection, const RowConflict &conflict)
{
    if (!connection || !conflict.isValid())
        return QSqlRecord();
    QString script;
    if (conflict.table() == QLatin1String("t_deals"))
        script = QStringLiteral("DEAL_ROW_SELECT");
    else if (conflict.table() == QLatin1String("t_deal_details")
             || conflict.table() == QLatin1String("t_deal_details_okr"))
        script = QStringLiteral("DEAL_DETAILS_ROW_SELECT");
    if (script.isEmpty())
        return QSqlRecord();
    QSqlQuery query = connection->execScript(connection->getScript(script), QList<QVariant>{conflict.key()});
    // The connection leaves a query on its first row.
    if (!query.isSelect() || !query.isValid())
        return QSqlRecord();
    return query.record();
}

int DealCommit::rowOfKey(QDataTable *table, const QString &keyField, const QVariant &key)
{
    if (!table || keyField.isEmpty())
        return -1;
    // locate() passes over deleted rows, and a deleted row may be the one in conflict.
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->getRecord(row).value(keyField) == key)
            return row;
    }
    return -1;
}

DealCommit::Outcome DealCommit::run(QSqlConnection *connection)
{
    if (!m_document)
        return Kept;
    for (;;) {
        if (m_files)
            m_files->saveFiles();
        if (m_document->commit(connection)) {
            if (m_files)
                m_files->deleteFiles();
            return Saved;
        }

        const QSqlError error = m_document->lastError();
        if (!RowConflict::isConflict(error)) {
            qCWarning(lcDeals) << "the deal was not saved:" << error.text();
            QMessageBox::warning(m_dialogParent, QStringLiteral("Ошибка"),
                                 QStringLiteral("Сделка не сохранена:\n%1\n\nВаши изменения остались в редакторе: "
                                                "исправьте их и нажмите «Применить» ещё раз.")
                                         .arg(error.text().trimmed()));
            return Kept;
        }

        const RowConflict conflict = m_document->lastConflict();
        const QSqlRecord stored = storedRow(connection, conflict);
        qCInfo(lcDeals) << "save met a newer version:" << conflict.table() << conflict.key();
        DealConflictDialog dialog(m_document, m_dialogParent);
        dialog.setConflict(conflict, stored);
        const int answer = dialog.exec();
        if (answer == DealConflictDialog::Reload) {
            m_document->rollback();
            return Reloaded;
        }
        if (answer != DealConflictDialog::Overwrite)
            return Kept;

        QDataTable *table = m_document->getTable(conflict.table());
        const int row = rowOfKey(table, conflict.keyField(), conflict.key());
        if (row < 0)
            return Kept;
        // The row the person deleted is gone already: nothing is left to delete.
        if (stored.isEmpty() && conflict.operation() == RowConflict::Delete)
            table->killRow(row);
        else if (stored.isEmpty() || !table->rebaseRow(row, stored))
            return Kept;
    }
}
