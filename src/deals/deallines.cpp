#include "deallines.h"

#include "dealfields.h"
#include "dialogbounds.h"
#include "qdatatable.h"
#include "qdealposdialog.h"

#include <QDate>
#include <QDesktopServices>
#include <QLocale>
#include <QMessageBox>
#include <QTableView>
#include <QUrl>

namespace {

QString field(const char *name)
{
    return QString::fromLatin1(name);
}

// A new position's URL column starts with its declared default, "false".
bool hasUrl(const QVariant &url)
{
    const QString text = url.toString();
    return !text.isEmpty() && text != QLatin1String("false");
}

} // namespace

DealLines::DealLines(QDataSet *document, QDataTable *table, QTableView *view, bool positions, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_table(table)
    , m_view(view)
    , m_positions(positions)
{
}

int DealLines::currentRow() const
{
    const int row = m_view->currentIndex().row();
    return m_table && row >= 0 && row < m_table->rowCount() ? row : -1;
}

bool DealLines::hasLiveLine() const
{
    const int row = currentRow();
    return row >= 0 && m_table->getRowState(row) != rsDeleted;
}

bool DealLines::hasPricedLine() const
{
    return hasLiveLine() && !m_table->getRecord(currentRow()).value(field("n_sale_price")).isNull();
}

bool DealLines::add(long long dealId, const QString &currency)
{
    return m_table && runDialog(-1, false, dealId, currency);
}

bool DealLines::edit(const QString &currency)
{
    return hasPricedLine() && runDialog(currentRow(), false, 0, currency);
}

void DealLines::show(const QString &currency)
{
    if (currentRow() >= 0)
        runDialog(currentRow(), true, 0, currency);
}

bool DealLines::remove(QWidget *questionParent)
{
    if (!hasLiveLine())
        return false;
    const int row = currentRow();
    const QString name = m_table->getRecord(row).value(field("c_name")).toString();
    if (QMessageBox::question(questionParent, QStringLiteral("Удаление"), QStringLiteral("Удалить %1 ?").arg(name),
                              QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    return m_table->deleteRow(row);
}

bool DealLines::activate(const QModelIndex &index, const QString &currency)
{
    if (!m_table || !index.isValid())
        return false;
    if (index.column() == 0) {
        const QVariant url = m_table->getRecord(index.row()).value(field("c_url"));
        if (hasUrl(url))
            QDesktopServices::openUrl(QUrl::fromUserInput(url.toString()));
        return false;
    }
    return edit(currency);
}

bool DealLines::runDialog(int row, bool readOnly, long long dealId, const QString &currency)
{
    QDealPosDialog dialog(m_document);
    const QRect geometry = bounds();
    if (geometry.isValid())
        dialog.setGeometry(geometry);
    dialog.setType(m_positions ? QDealPosDialog::Position : QDealPosDialog::DevelopmentWork);
    dialog.setCurrency(currency);
    const bool adding = row < 0;
    QSqlRecord record = adding ? QSqlRecord() : m_table->getRecord(row);
    dialog.setData(record);
    dialog.setReadOnly(readOnly);
    if (dialog.exec() != QDialog::Accepted || readOnly)
        return false;

    if (adding) {
        record = m_table->newRow(true);
        if (record.isEmpty())
            return false;
        record.setValue(field("id_deal"), dealId);
        row = m_table->lastRow();
    }
    const QSqlRecord before = record;
    dialog.getData(&record);
    // Accepting a line as it was is no change to save.
    if (!adding && DealFields::differences(m_table->objectName(), before, record).isEmpty()
        && DealFields::same(before.value(field("id_item")), record.value(field("id_item"))))
        return false;
    m_table->setRow(row, record);
    m_view->setCurrentIndex(m_view->model()->index(row, 1));
    return true;
}

void DealLines::decorate(int column, const QVariant *value, cellData *cell, const QSqlRecord &record, int state,
                         const QFont &viewFont)
{
    if (!cell)
        return;
    if (record.value(field("b_ready_to_ship")).toBool())
        cell->background = QBrush(Qt::yellow);
    if (record.value(field("b_okr")).toBool())
        cell->background = QBrush(Qt::green);
    if (state == rsDeleted) {
        cell->font = viewFont;
        cell->font.setItalic(true);
        cell->font.setStrikeOut(true);
        cell->foreground = QBrush(Qt::gray);
    }
    switch (column) {
    case 0:
        cell->text.clear();
        if (value && hasUrl(*value))
            cell->icon = QIcon(QStringLiteral(":/Icons/WEB"));
        break;
    case 3:
        if (value)
            cell->text = QLocale().toString(value->toDate(), QLocale::ShortFormat);
        break;
    case 4:
        cell->text = QString::number(record.value(field("n_cost")).toDouble()
                                             + record.value(field("n_cost_add")).toDouble(),
                                     'g', 6);
        break;
    default:
        break;
    }
}

int DealLines::liveRows(QDataTable *table)
{
    int count = 0;
    for (int row = 0; table && row < table->rowCount(); ++row)
        count += table->getRowState(row) == rsDeleted ? 0 : 1;
    return count;
}

QPair<double, double> DealLines::totals(QDataTable *table)
{
    QPair<double, double> sums(0, 0);
    if (!table)
        return sums;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->getRowState(row) == rsDeleted)
            continue;
        const QSqlRecord line = table->getRecord(row);
        sums.first += line.value(field("n_cost")).toDouble();
        sums.second += line.value(field("n_sale_price")).toDouble();
    }
    return sums;
}
