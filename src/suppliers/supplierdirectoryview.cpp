#include "supplierdirectoryview.h"

#include "appcontext.h"
#include "datatabletypes.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qinputdialogex.h"
#include "qsqlconnection.h"
#include "ratingthresholds.h"
#include "separator.h"
#include "suppliersupport.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStandardItemModel>

namespace {

const QString badTable = QStringLiteral("t_bad_contractor_rating");
const QString goodTable = QStringLiteral("t_good_contractor_rating");
const QString ratingTitle = QStringLiteral("Оценка поставщика");

enum Column { NameColumn = 0, InnColumn = 1, RatingColumn = 2, ClassColumn = 3 };

} // namespace

SupplierDirectoryView::SupplierDirectoryView(QDataSet *dataSet, QWidget *parent)
    : QWidget(parent)
    , m_dataSet(dataSet)
{
    setupUi(this);
    actNew->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    actDel->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    m_toolBarActions = {actNew, actDel, separator(this), actBadRating, actGoodRating};

    if (!m_dataSet) {
        updateButtons();
        return;
    }
    loadThresholds();
    SupplierSupport::openLookups(m_dataSet, {QStringLiteral("t_contractor_class")});

    m_table = m_dataSet->getTable(QStringLiteral("t_contractor"));
    if (m_table) {
        m_table->setView(tvContent);
        tvContent->horizontalHeader()->setStretchLastSection(true);
        connect(tvContent->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &SupplierDirectoryView::updateButtons);
        connect(m_table, &QDataTable::getDispInfo, this, &SupplierDirectoryView::onGetDispInfo);
    }

    cbType->addItem(QStringLiteral("Все"), QVariant());
    if (QDataTable *types = m_dataSet->getTable(QStringLiteral("t_contractor_type"))) {
        types->open();
        for (int row = 0; row < types->rowCount(); ++row) {
            const QSqlRecord type = types->getRecord(row);
            if (!type.isEmpty())
                cbType->addItem(type.value(QStringLiteral("c_name")).toString(), type.value(QStringLiteral("id")));
        }
    }
    connect(cbType, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SupplierDirectoryView::refresh);
    updateButtons();
}

SupplierDirectoryView::~SupplierDirectoryView()
{
    if (m_table && m_table->getView() == tvContent)
        m_table->setView(nullptr);
}

void SupplierDirectoryView::loadThresholds()
{
    const auto load = [this](const QString &name, void (*store)(double)) {
        QDataTable *table = m_dataSet->getTable(name);
        if (!table)
            return;
        table->open();
        const QSqlRecord row = table->getRecord(0);
        if (!row.isEmpty())
            store(row.value(0).toDouble());
    };
    load(badTable, &RatingThresholds::setBad);
    load(goodTable, &RatingThresholds::setExcellent);
}

QSqlRecord SupplierDirectoryView::currentRow() const
{
    return m_table ? m_table->getViewCurrentRecord() : QSqlRecord();
}

int SupplierDirectoryView::setCurrentRowByID(long long id)
{
    if (!m_table)
        return -1;
    const int row = m_table->locate(QStringLiteral("id"), id);
    if (row >= 0)
        tvContent->setCurrentIndex(m_table->getModel()->index(row, NameColumn));
    return row;
}

void SupplierDirectoryView::refresh()
{
    if (m_table) {
        // The same contractor stays current when it is still listed.
        const QVariant current = currentRow().value(QStringLiteral("id"));
        m_table->close();
        m_table->setSelectParam(QStringLiteral("id_type"), cbType->currentData());
        m_table->open();
        if (!current.isNull())
            setCurrentRowByID(current.toLongLong());
    }
    filter(m_filterText);
    updateButtons();
}

void SupplierDirectoryView::filter(QString text)
{
    if (!m_table)
        return;
    m_filterText = text;
    const int nameColumn = m_table->columnIndex(QStringLiteral("c_name"));
    const int innColumn = m_table->columnIndex(QStringLiteral("c_inn"));
    QStandardItemModel *model = m_table->getModel();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const bool shown = text.isEmpty()
                || model->index(row, nameColumn).data(ValueRole).toString().contains(text, Qt::CaseSensitive)
                || model->index(row, innColumn).data(ValueRole).toString().contains(text, Qt::CaseSensitive);
        tvContent->setRowHidden(row, !shown);
    }
}

bool SupplierDirectoryView::canDelete(const QSqlRecord &record) const
{
    QSqlConnection *connection = AppContext::connection();
    if (record.isEmpty() || !connection)
        return false;
    const QString check = connection->parseQuery(QStringLiteral("SELECT jur.b_can_contractor_delete( :id );"),
                                                 QStringLiteral("id"), record.value(QStringLiteral("id")));
    if (check.isEmpty())
        return false;
    return connection->execScript(check).toBool();
}

void SupplierDirectoryView::updateButtons()
{
    bool pendingNew = false;
    if (m_table) {
        for (int row = 0; row < m_table->rowCount() && !pendingNew; ++row)
            pendingNew = m_table->getRowState(row) == rsNew;
    }
    actNew->setEnabled(!m_table.isNull() && !pendingNew);
    actDel->setEnabled(!m_table.isNull() && canDelete(currentRow()));
    const bool bigDaddy = AppContext::bigDaddy();
    actBadRating->setEnabled(bigDaddy);
    actGoodRating->setEnabled(bigDaddy);
}

void SupplierDirectoryView::onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state)
{
    Q_UNUSED(state)
    if (!cell || !record)
        return;
    const QVariant rating = record->value(QStringLiteral("n_rating"));
    if (RatingThresholds::isBad(rating))
        cell->background = QBrush(Qt::red);
    else if (RatingThresholds::isExcellent(rating))
        cell->background = QBrush(Qt::green);

    if (!value)
        return;
    switch (column) {
    case RatingColumn:
        // No mark yet: nothing to show, though it is painted as 0.
        cell->text = value->isNull() ? QString() : QString::number(value->toDouble(), 'g', 3);
        break;
    case ClassColumn:
        if (!value->isNull()) {
            cell->text = getValueById(m_dataSet, QStringLiteral("t_contractor_class"), value->toLongLong(),
                                      QStringLiteral("c_name")).toString();
        }
        break;
    default:
        break;
    }
}

void SupplierDirectoryView::on_actNew_triggered()
{
    if (!m_table)
        return;
    m_table->newRow(true);
    tvContent->setCurrentIndex(m_table->getModel()->index(m_table->lastRow(), NameColumn));
    emit autoEdit();
    updateButtons();
}

void SupplierDirectoryView::on_actDel_triggered()
{
    const int row = tvContent->currentIndex().row();
    if (!m_table || row < 0)
        return;
    // One click would otherwise take the contractor with all its contacts,
    // requisites, marks and history.
    const QString name = m_table->getRecord(row).value(QStringLiteral("c_name")).toString();
    if (!SupplierSupport::confirmDeletion(this, QStringLiteral("Вы действительно хотите удалить контрагента"), name))
        return;
    m_table->deleteRow(row);
    SupplierSupport::commitNow(m_table, this);
    updateButtons();
}

bool SupplierDirectoryView::storeThreshold(const QString &tableName, double value)
{
    QDataTable *table = m_dataSet ? m_dataSet->getTable(tableName) : nullptr;
    if (!table)
        return false;
    QSqlRecord row = table->getRecord(0);
    if (row.isEmpty())
        return false;
    row.setValue(QStringLiteral("c_value"), value);
    table->setRow(0, row);
    return SupplierSupport::commitNow(table, this);
}

void SupplierDirectoryView::on_actBadRating_triggered()
{
    QDataTable *table = m_dataSet ? m_dataSet->getTable(badTable) : nullptr;
    if (!table || table->getRecord(0).isEmpty())
        return;
    bool ok = false;
    const double value = QInputDialogEx::getDouble(this, ratingTitle, QStringLiteral("Введите признак плохого поставщика "),
                                                   RatingThresholds::bad(), 2, RatingThresholds::minimum,
                                                   RatingThresholds::excellent(), &ok);
    if (!ok || value == RatingThresholds::bad())
        return;
    if (!storeThreshold(badTable, value))
        return;
    RatingThresholds::setBad(value);
    refresh();
}

void SupplierDirectoryView::on_actGoodRating_triggered()
{
    QDataTable *table = m_dataSet ? m_dataSet->getTable(goodTable) : nullptr;
    if (!table || table->getRecord(0).isEmpty())
        return;
    bool ok = false;
    const double value = QInputDialogEx::getDouble(this, ratingTitle, QStringLiteral("Введите признак отличного поставщика "),
                                                   RatingThresholds::excellent(), 2, RatingThresholds::bad(),
                                                   RatingThresholds::maximum, &ok);
    if (!ok || value == RatingThresholds::excellent())
        return;
    if (!storeThreshold(goodTable, value))
        return;
    RatingThresholds::setExcellent(value);
    refresh();
}
