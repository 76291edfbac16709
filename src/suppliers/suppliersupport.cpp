#include "suppliersupport.h"

#include "datatabletypes.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "rowconflict.h"
#include "workplacelogging.h"

#include <QMessageBox>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>
#include <QTableView>

namespace SupplierSupport {

void markDeleted(cellData *cell, const QTableView *view, int state)
{
    if (!cell || state != rsDeleted)
        return;
    QFont font = view ? view->font() : QFont();
    font.setItalic(true);
    font.setStrikeOut(true);
    cell->font = font;
    cell->foreground = QBrush(Qt::gray);
}

bool confirmDeletion(QWidget *parent, const QString &question, const QString &name, bool yesNo)
{
    const QMessageBox::StandardButton accept = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const QMessageBox::StandardButton refuse = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    const QString text = question + QLatin1Char('\n') + QLatin1Char('"') + name + QStringLiteral("\" ?");
    return QMessageBox::question(parent, QStringLiteral("Удаление"), text, accept | refuse, refuse) == accept;
}

void warn(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, QStringLiteral("Внимание!"), text);
}

void removeRow(QDataTable *table, int row)
{
    if (!table || row < 0)
        return;
    if (table->getRowState(row) == rsNew)
        table->killRow(row);
    else
        table->deleteRow(row);
}

void openLookups(QDataSet *set, const QStringList &tables)
{
    if (!set)
        return;
    for (const QString &name : tables) {
        if (QDataTable *table = set->getTable(name))
            table->open();
    }
}

bool reload(QDataTable *table, const QString &param, const QVariant &value)
{
    if (!table)
        return false;
    table->close();
    table->setSelectParam(param, value);
    return table->open();
}

QString reason(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    // The server's own wording: "ERROR:  message", then where in a function it
    // was raised and the code, which tell the user nothing.
    static const QRegularExpression severity(QStringLiteral("^(ERROR|ОШИБКА):\\s*"));
    static const QRegularExpression trailer(QStringLiteral("^(CONTEXT|КОНТЕКСТ):|^\\([0-9A-Z]{5}\\)"));
    static const QRegularExpression code(QStringLiteral("\\s*\\([0-9A-Z]{5}\\)$"));
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.contains(trailer))
            break;
        line.remove(severity);
        line.remove(code);
        if (!line.isEmpty())
            lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

bool commitNow(QDataTable *table, QWidget *parent)
{
    if (!table)
        return false;
    if (table->commit())
        return true;
    const QSqlError error = table->lastError();
    qCWarning(lcSuppliers) << "commit refused, changes of" << table->objectName() << "undone:" << error.text();
    table->rollback();
    QString text = QStringLiteral("База данных не приняла изменения, они отменены.");
    const QString why = reason(error);
    if (!why.isEmpty())
        text += QStringLiteral("\n\n") + why;
    if (RowConflict::isConflict(error)) {
        table->close();
        table->open();
        text += QStringLiteral("\nСписок показан заново, как он записан сейчас.");
    }
    QMessageBox::warning(parent, QStringLiteral("Ошибка"), text);
    return false;
}

void redecorate(QDataTable *table)
{
    if (!table)
        return;
    for (int row = 0; row < table->rowCount(); ++row) {
        switch (table->getRowState(row)) {
        case rsUnchanged:
            table->resetOriginalData(row, false);
            break;
        case rsNew:
        case rsChanged:
            table->setRow(row, table->getRecord(row), false);
            break;
        default:
            break;
        }
    }
}

void makeCurrent(QDataTable *table, int row)
{
    QTableView *view = table ? table->getView() : nullptr;
    if (!view || row < 0)
        return;
    int column = 0;
    while (column < table->columns().size() && view->isColumnHidden(column))
        ++column;
    view->setCurrentIndex(view->model()->index(row, column));
}

QPoint bubblePoint(const QWidget *widget)
{
    if (!widget)
        return QPoint();
    return widget->mapToGlobal(QPoint(widget->width() / 4, widget->height() / 2));
}

} // namespace SupplierSupport
