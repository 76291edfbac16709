#include "qdealsview.h"

#include "appcontext.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdbsettings.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QCompleter>
#include <QDate>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QSignalBlocker>
#include <QSqlQuery>
#include <QStandardItemModel>

namespace {

const QString allStates = QStringLiteral("Все");
const QString allContractors = QStringLiteral("ВСЕ");
const QString plannedState = QStringLiteral("Запланирован");
const QString headerKey = QStringLiteral("sales/deals/mainheader");

enum DealColumn { ColAttach = 0, ColRequest = 1, ColExecution = 4, ColCreate = 9 };

QList<QAction *> &actionList()
{
    static QList<QAction *> actions;
    return actions;
}

// The table hands the display callback a record in its own column order;
// a record of another shape is looked up by name.
QVariant fieldValue(const QSqlRecord &record, int guess, const QString &name)
{
    if (guess >= 0 && guess < record.count() && record.fieldName(guess) == name)
        return record.value(guess);
    return record.value(name);
}

// Hiding or resizing rows one at a time makes a painting header work out the
// position of every row after each change; paused, it only takes the sizes.
// Leaves alone a view whose updates somebody else has switched off.
// More rows than a screen holds: what the view shows first is fitted at once.
constexpr int rowsFittedAtOnce = 100;
// A batch fitted while the event loop is idle: a few milliseconds.
constexpr int rowsFittedPerBatch = 200;

class UpdatesPaused
{
public:
    explicit UpdatesPaused(QWidget *widget)
        : m_widget(widget)
        , m_paused(!widget->testAttribute(Qt::WA_ForceUpdatesDisabled))
    {
        if (m_paused)
            m_widget->setUpdatesEnabled(false);
    }
    ~UpdatesPaused()
    {
        if (m_paused)
            m_widget->setUpdatesEnabled(true);
    }
    UpdatesPaused(const UpdatesPaused &) = delete;
    UpdatesPaused &operator=(const UpdatesPaused &) = delete;

private:
    QWidget *m_widget;
    bool m_paused;
};

} // namespace

QDealsView::QDealsView(QDataSet *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
    , m_attachIcon(QStringLiteral(":/Icons/ATTACH"))
    , m_toolsIcon(QStringLiteral(":/Icons/TOOLS"))
    , m_readyBrush(Qt::green)
    , m_partlyReadyBrush(Qt::yellow)
    , m_fitTimer(new QTimer(this))
{
    setupUi(this);
    readDateFormats();
    m_fitTimer->setInterval(0);
    connect(m_fitTimer, &QTimer::timeout, this, &QDealsView::fitNextBatch);
    acNew->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    acCopy->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT_COPY")));
    actionList().append(acNew);
    actionList().append(acCopy);

    if (m_document)
        m_table = m_document->getTable(QStringLiteral("t_deals"));
    if (m_table) {
        m_qtyField = m_table->columnIndex(QStringLiteral("n_qty"));
        m_readyField = m_table->columnIndex(QStringLiteral("n_qty_ready"));
        m_table->setView(tvDeals);
        connect(m_table, &QDataTable::getDispInfo, this, &QDealsView::onGetDispInfo);
        trackFittedRows();
    }

    fillStates();

    connect(tvDeals->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &QDealsView::updateButtons);
    connect(cbContractor, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &QDealsView::filter);
    connect(cbState, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &QDealsView::filter);

    // The list opens on the planned deals; without such a state, on all of them.
    cbState->setCurrentIndex(cbState->findText(plannedState, Qt::MatchExactly | Qt::MatchCaseSensitive));
    updateButtons();
}

QDealsView::~QDealsView()
{
    // The shell may still hold the list; it must not hand out dead actions.
    actionList().removeAll(acNew);
    actionList().removeAll(acCopy);
}

QList<QAction *> *QDealsView::toolBarActions()
{
    return &actionList();
}

void QDealsView::fillStates()
{
    const QSignalBlocker blocker(cbState);
    cbState->clear();
    QDataTable *states = m_document ? m_document->getTable(QStringLiteral("t_deal_state")) : nullptr;
    if (!states)
        return;
    states->open(false, false);
    fillComboBox(cbState, states, QStringLiteral("c_name"), QStringLiteral("id"), allStates, QVariant());
}

QSqlRecord QDealsView::currentRow() const
{
    return m_table ? m_table->getViewCurrentRecord() : QSqlRecord();
}

int QDealsView::setCurrentRowByID(long long id)
{
    const int row = m_table ? m_table->locate(QStringLiteral("id"), id) : -1;
    // A deal asked for by id (a reminder) is shown even when the filters hide it.
    if (row >= 0 && tvDeals->isRowHidden(row))
        showAll();
    tvDeals->setCurrentIndex(row < 0 ? QModelIndex() : tvDeals->model()->index(row, 0));
    return row;
}

void QDealsView::showAll()
{
    m_searchText.clear();
    {
        const QSignalBlocker states(cbState);
        const QSignalBlocker contractors(cbContractor);
        cbState->setCurrentIndex(cbState->count() > 0 ? 0 : -1);
        cbContractor->setCurrentIndex(cbContractor->findText(allContractors));
    }
    filter();
}

void QDealsView::search(QString text)
{
    m_searchText = text.toLower();
    filter();
}

void QDealsView::filter()
{
    if (!m_table)
        return;
    const UpdatesPaused paused(tvDeals);
    applyFilters();
    fitShownRows();
}

void QDealsView::applyFilters()
{
    const QVariant state = cbState->currentData();
    if (state.isNull() || state.toString().isEmpty())
        m_table->clearFilter(QStringLiteral("id_state"));
    else
        m_table->setFilter(QStringLiteral("id_state"), state.toString(), fltKeep);

    const QString contractor = cbContractor->currentText();
    if (contractor == allContractors)
        m_table->clearFilter(QStringLiteral("c_contractor"));
    else
        m_table->setFilter(QStringLiteral("c_contractor"), contractor, fltKeep);

    // Every value contains the empty text: nothing more to hide.
    if (m_searchText.isEmpty())
        return;
    const int base = m_table->columnIndex(QStringLiteral("c_base"));
    const int contractorColumn = m_table->columnIndex(QStringLiteral("c_contractor"));
    const int provider = m_table->columnIndex(QStringLiteral("c_provider"));
    const int doc = m_table->columnIndex(QStringLiteral("c_doc"));
    const QAbstractItemModel *model = tvDeals->model();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (tvDeals->isRowHidden(row))
            continue;
        bool found = false;
        for (int column : {base, contractorColumn, provider, doc}) {
            if (model->index(row, column).data(ValueRole).toString().toLower().contains(m_searchText)) {
                found = true;
                break;
            }
        }
        if (!found)
            tvDeals->setRowHidden(row, true);
    }
}

void QDealsView::refresh()
{
    if (!m_document || !m_table)
        return;
    const UpdatesPaused paused(tvDeals);
    readDateFormats();
    m_document->closeAll();
    m_table->close();
    m_table->open(false, false);
    updateButtons();

    rebuildContractors();
    // Fits the rows to their contents once the filters have left the ones to show.
    filter();
}

void QDealsView::readDateFormats()
{
    m_locale = QLocale();
    m_dateFormat = m_locale.dateFormat(QLocale::ShortFormat);
    m_dateTimeFormat = m_locale.dateTimeFormat(QLocale::ShortFormat);
}

void QDealsView::trackFittedRows()
{
    const QStandardItemModel *model = m_table->getModel();
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &parent, int first, int last) {
        if (!parent.isValid())
            m_fitted.insert(first, last - first + 1, false);
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &parent, int first, int last) {
        if (!parent.isValid())
            m_fitted.remove(first, last - first + 1);
    });
    // Sorting moves rows without saying where: fit them all again when shown.
    const auto forgetAll = [this] { m_fitted.fill(false, m_table->rowCount()); };
    connect(model, &QAbstractItemModel::layoutChanged, this, forgetAll);
    connect(model, &QAbstractItemModel::modelReset, this, forgetAll);
    forgetAll();
}

void QDealsView::fitShownRows()
{
    fitRows(qMax(0, tvDeals->rowAt(0)), rowsFittedAtOnce);
    m_nextFit = 0;
    m_fitTimer->start();
}

void QDealsView::fitNextBatch()
{
    m_nextFit = fitRows(m_nextFit, rowsFittedPerBatch);
    if (m_nextFit >= m_fitted.size())
        m_fitTimer->stop();
}

int QDealsView::fitRows(int row, int count)
{
    const UpdatesPaused paused(tvDeals);
    for (; row < m_fitted.size() && count > 0; ++row) {
        if (m_fitted.at(row) || tvDeals->isRowHidden(row))
            continue;
        tvDeals->resizeRowToContents(row);
        m_fitted[row] = true;
        --count;
    }
    return row;
}

void QDealsView::rebuildContractors()
{
    QStringList names = m_table->getValuesList(QStringLiteral("c_contractor"));
    names.removeAll(QString());
    std::sort(names.begin(), names.end());

    {
        const QSignalBlocker blocker(cbContractor);
        const QString remembered = cbContractor->currentText();
        cbContractor->clear();
        cbContractor->addItem(allContractors, QVariant());
        cbContractor->addItems(names);
        const int index = remembered.isEmpty()
                ? -1 : cbContractor->findText(remembered, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            cbContractor->setCurrentIndex(index);
    }

    auto *completer = new QCompleter(names, cbContractor);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    if (QCompleter *old = cbContractor->completer())
        old->deleteLater();
    cbContractor->setCompleter(completer);
}

void QDealsView::updateButtons()
{
    acNew->setEnabled(false);
    acCopy->setEnabled(false);
    if (!m_table)
        return;

    // One unsaved new deal at a time.
    const int idColumn = m_table->columnIndex(QStringLiteral("id"));
    bool hasNew = false;
    for (int row = 0; row < m_table->rowCount() && !hasNew; ++row)
        hasNew = m_table->getModel()->index(row, idColumn).data(ValueRole).toLongLong() < 0;
    acNew->setEnabled(!hasNew);

    const QSqlRecord record = currentRow();
    acCopy->setEnabled(!record.isEmpty() && record.value(QStringLiteral("id")).toLongLong() > 0);
}

void QDealsView::moveCursorTo(int row)
{
    const QModelIndex index = tvDeals->model()->index(row, 0);
    tvDeals->setCurrentIndex(index);
    tvDeals->scrollTo(index);
}

void QDealsView::on_acNew_triggered()
{
    if (!m_table)
        return;
    m_table->newRow(true);
    // A filtered list would hide the new deal from its own author.
    tvDeals->setRowHidden(m_table->lastRow(), false);
    moveCursorTo(m_table->lastRow());
    updateButtons();
    emit autoEdit();
}

void QDealsView::on_acCopy_triggered()
{
    const QSqlRecord record = currentRow();
    const long long id = record.value(QStringLiteral("id")).toLongLong();
    if (record.isEmpty() || id <= 0)
        return;
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return;

    QSqlQuery query = connection->execScript(connection->getScript(QStringLiteral("DEAL_COPY")), {id});
    if (!query.isValid() || query.value(0).isNull())
        return;
    const long long copy = query.value(0).toLongLong();
    qCDebug(lcDeals) << "deal" << id << "copied as" << copy;

    refresh();
    const int row = m_table->locate(QStringLiteral("id"), copy);
    if (row < 0)
        return;
    // The copy starts in the first state: show it whatever the filters say.
    tvDeals->setRowHidden(row, false);
    moveCursorTo(row);
    emit autoEdit();
}

void QDealsView::onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record)
{
    if (!record || !cData)
        return;
    static const QString qtyName = QStringLiteral("n_qty");
    static const QString readyName = QStringLiteral("n_qty_ready");
    const int qty = fieldValue(*record, m_qtyField, qtyName).toInt();
    const int ready = fieldValue(*record, m_readyField, readyName).toInt();
    if (qty >= 1 && ready > 0)
        cData->background = qty == ready ? m_readyBrush : m_partlyReadyBrush;

    switch (colNum) {
    case ColAttach:
        cData->text.clear();
        if (data && data->toBool())
            cData->icon = m_attachIcon;
        break;
    case ColRequest:
        cData->text.clear();
        if (data && data->toBool())
            cData->icon = m_toolsIcon;
        break;
    case ColExecution:
        if (data)
            cData->text = m_locale.toString(data->toDate(), m_dateFormat);
        break;
    case ColCreate:
        if (data)
            cData->text = m_locale.toString(data->toDateTime(), m_dateTimeFormat);
        break;
    default:
        break;
    }
}

void QDealsView::saveUserData()
{
    if (QDbSettings *settings = AppContext::userSettings())
        settings->saveTableHeader(headerKey, m_table);
}

void QDealsView::restoreUserData()
{
    if (QDbSettings *settings = AppContext::userSettings())
        settings->restoreTableHeader(headerKey, m_table);
}
