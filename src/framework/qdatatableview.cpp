// The bound view and the filters that hide its rows.

#include "qdatatable.h"
#include "qdatatable_p.h"

#include "datatableitem.h"
#include "readonlydelegate.h"

#include <QHeaderView>
#include <QMessageBox>
#include <QShortcut>
#include <QTableView>

// ---------------------------------------------------------------- views

void QDataTable::setView(QTableView *view)
{
    if (d->shortcut) {
        d->shortcut->setEnabled(false);
        d->shortcut->disconnect(this);
        d->shortcut->deleteLater();
        d->shortcut = nullptr;
    }
    d->view = view;
    if (!view)
        return;

    view->setModel(d->model);
    QHeaderView *horizontal = view->horizontalHeader();
    horizontal->setSectionsMovable(true);
    horizontal->setHighlightSections(false);
    QHeaderView *vertical = view->verticalHeader();
    vertical->setDefaultSectionSize(view->fontMetrics().height() + 2);
    vertical->setHighlightSections(false);
    vertical->hide();
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Enabling sorting sorts at once by the header's indicator, which starts
    // on column 0 descending; rows keep their loaded order until a user sorts.
    if (!view->isSortingEnabled())
        horizontal->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);

    if (d->state != tsClosed)
        prepareView(view);

    d->shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_I), view);
    d->shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(d->shortcut, &QShortcut::activated, this, &QDataTable::onIDRequest);

    view->setEditTriggers(QAbstractItemView::DoubleClicked);
    if (!qobject_cast<ReadOnlyDelegate *>(view->itemDelegate()))
        view->setItemDelegate(new ReadOnlyDelegate(view));
}

void QDataTable::prepareView(QTableView *view)
{
    if (!view || view->property("isPrepared").toBool())
        return;
    QHeaderView *header = view->horizontalHeader();
    for (int c = 0; c < d->columns.size(); ++c) {
        const colInfo &column = d->columns.at(c);
        view->setColumnWidth(c, column.width);
        if (!column.visible)
            view->setColumnHidden(c, true);
        // Applied in this order so that the last applicable mode wins.
        if (column.flags & colFixedSize)
            header->setSectionResizeMode(c, QHeaderView::Fixed);
        if (column.flags & colStretch)
            header->setSectionResizeMode(c, QHeaderView::Stretch);
        if (column.flags & colResizeToContents)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    view->setProperty("isPrepared", true);
}

int QDataTable::getViewCurrentRow() const
{
    if (!d->view)
        return -1;
    return d->view->currentIndex().row();
}

QSqlRecord QDataTable::getViewCurrentRecord() const
{
    const int row = getViewCurrentRow();
    if (row < 0)
        return QSqlRecord();
    return getRecord(row, false);
}

void QDataTable::onIDRequest()
{
    const int row = getViewCurrentRow();
    if (row < 0)
        return;
    const qint64 id = getRecord(row, false).value(QStringLiteral("id")).toLongLong();
    QMessageBox::information(d->view, QStringLiteral("Отладка"),
                             QStringLiteral("Таблица '%1'\nID = %2").arg(objectName()).arg(id));
}

// ---------------------------------------------------------------- filters

void QDataTable::setFilter(const QString &fieldName, const QStringList &values, filterType type)
{
    const int column = columnIndex(fieldName);
    if (column < 0)
        return;
    filterStruct filter;
    filter.type = type;
    filter.values = values;
    d->filters.insert(column, filter);
    applyFilters();
}

void QDataTable::setFilter(const QString &fieldName, const QString &value, filterType type)
{
    setFilter(fieldName, QStringList{value}, type);
}

void QDataTable::clearFilter(const QString &fieldName)
{
    const int column = columnIndex(fieldName);
    if (column < 0)
        return;
    d->filters.remove(column);
    applyFilters();
}

void QDataTable::clearFilter(const QStringList &fieldNames)
{
    for (const QString &name : fieldNames)
        clearFilter(name);
}

void QDataTable::clearAllFilters()
{
    d->filters.clear();
    applyFilters();
}

void QDataTable::applyFilters()
{
    d->hiddenRows = 0;
    if (!d->view)
        return;

    struct Pass {
        bool keep;
        QSet<DataTableRowItem *> rows;
    };
    if (!d->filters.isEmpty())
        makeDisplayLookups();
    QVector<Pass> passes;
    for (auto it = d->filters.cbegin(); it != d->filters.cend(); ++it) {
        Pass pass;
        pass.keep = it.value().type == fltKeep;
        const QDataTablePrivate::DisplayLookup lookup = d->displayLookups.value(static_cast<int>(it.key()));
        for (const QString &text : it.value().values)
            pass.rows.unite(lookup.value(text));
        passes.append(pass);
    }

    // Each hidden or shown row is a section resize of the vertical header,
    // and a header that paints asks for the section's position after every
    // resize: one pass over all sections per row, seconds for a long table.
    // With its updates suspended the header only records the sizes; the
    // positions are worked out once, when the view next lays the rows out.
    QHeaderView *header = d->view->verticalHeader();
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    for (int row = 0; row < rowCount(); ++row) {
        DataTableRowItem *head = rowItem(row);
        bool visible = true;
        for (const Pass &pass : qAsConst(passes)) {
            if (pass.rows.contains(head) != pass.keep) {
                visible = false;
                break;
            }
        }
        if (d->view->isRowHidden(row) == visible)
            d->view->setRowHidden(row, !visible);
        if (!visible)
            ++d->hiddenRows;
    }
    header->setUpdatesEnabled(updates);
}

QStringList QDataTable::getValuesList(int column) const
{
    makeDisplayLookups();
    const auto lookup = d->displayLookups.constFind(column);
    if (lookup == d->displayLookups.cend())
        return QStringList();
    return lookup->keys();
}

QStringList QDataTable::getValuesList(const QString &fieldName) const
{
    const int column = columnIndex(fieldName);
    return column < 0 ? QStringList() : getValuesList(column);
}
