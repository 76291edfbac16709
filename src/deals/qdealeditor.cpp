#include "qdealeditor.h"

#include "appcontext.h"
#include "dealcommit.h"
#include "dealcontractorfield.h"
#include "dealfields.h"
#include "dealheaderform.h"
#include "deallines.h"
#include "dealsheetlinking.h"
#include "dealworkbookexport.h"
#include "filewidget.h"
#include "packinglistpreview.h"
#include "qbubbletip.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSqlQuery>

namespace {

QString field(const char *name)
{
    return QString::fromLatin1(name);
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

// A key of the record as the editor keeps it: -1 for none.
long long keyOf(const QVariant &value)
{
    return value.isNull() ? -1 : value.toLongLong();
}

QVariant keyOrNull(long long id)
{
    return id >= 1 ? QVariant(id) : QVariant(QVariant::LongLong);
}

const char shipped[] = "Отгружен";
const char toBeShipped[] = "Требует отгрузки";

} // namespace

QDealEditor::QDealEditor(QDataSet *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setupUi(this);
    m_recipient = new DealContractorField(cbContractor, btInfo, false, this);
    m_provider = new DealContractorField(cbProvider, btInfoProvider, true, this);
    m_carrier = new DealContractorField(cbTransportCompany, btInfoTransportCompany, true, this);

    const QIcon add(QStringLiteral(":/commonIcon/NEW"));
    const QIcon edit(QStringLiteral(":/commonIcon/EDIT"));
    const QIcon show(QStringLiteral(":/res/preview.png"));
    const QIcon remove(QStringLiteral(":/commonIcon/DELETE"));
    for (QToolButton *button : {btAddPos, btAddOkr})
        button->setIcon(add);
    for (QToolButton *button : {btEditPos, btEditOkr})
        button->setIcon(edit);
    for (QToolButton *button : {btShowPos, btShowOkr})
        button->setIcon(show);
    for (QToolButton *button : {btDelPos, btDelOkr})
        button->setIcon(remove);

    if (m_document) {
        m_positions = bindDetail(table("t_deal_details"), tvDetails, &QDealEditor::onDetailSelect);
        m_requests = bindDetail(table("t_deal_details_okr"), tvOkr, &QDealEditor::onDetailOkrSelect);
        if (QDataTable *links = table("t_deal_link")) {
            links->setView(tvDoc);
            tvDoc->setEditTriggers(QAbstractItemView::NoEditTriggers);
            connect(links, &QDataTable::getDispInfo, this, &QDealEditor::onGetDispInfoLink);
            connect(tvDoc->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                    &QDealEditor::onLinkSelect);
        }
        fillDictionaries();
    }
    connectEdits();

    m_files = new FileWidget(m_document, QStringLiteral("t_deal"), tabFile);
    verticalLayoutFile->addWidget(m_files);
    connect(m_files, &FileWidget::dataChanged, this, &QDealEditor::dataChanged);

    for (DealContractorField *contractor : {m_recipient, m_provider, m_carrier}) {
        connect(contractor->combo()->lineEdit(), &QLineEdit::editingFinished, contractor,
                &DealContractorField::settleText);
        connect(contractor, &DealContractorField::listOutdated, this, &QDealEditor::refreshContractor);
    }
    connect(m_recipient, &DealContractorField::chosenByText, this, &QDealEditor::recipientChosen);
    connect(m_provider, &DealContractorField::chosenByText, this, &QDealEditor::OnChange);
    connect(m_carrier, &DealContractorField::chosenByText, this, &QDealEditor::OnChange);
    gbTransport->setEnabled(false);
    cbState->setEnabled(false);
    onDetailSelect();
    onDetailOkrSelect();
    onLinkSelect();
}

QDataTable *QDealEditor::table(const char *name) const
{
    return m_document ? m_document->getTable(field(name)) : nullptr;
}

DealLines *QDealEditor::lines(bool positions) const
{
    return positions ? m_positions : m_requests;
}

QString QDealEditor::currency() const
{
    // What the form shows: a new deal has no currency stored yet, and lines of
    // a deal whose currency was just changed are priced in the new one.
    const QVariant chosen = cbCurrency->currentData();
    if (m_document && !chosen.isNull()) {
        const QString shortName =
                getValueById(m_document, field("t_currency"), chosen.toLongLong(), field("c_short_name")).toString();
        if (!shortName.isEmpty())
            return shortName;
    }
    return m_record.value(field("c_currency")).toString();
}

DealLines *QDealEditor::bindDetail(QDataTable *table, QTableView *view, void (QDealEditor::*onSelect)())
{
    if (!table)
        return nullptr;
    table->setView(view);
    // A double click opens the line's dialog, never an editor in the cell.
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(table, &QDataTable::getDispInfo, this, &QDealEditor::onGetDispInfo);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, onSelect);
    return new DealLines(m_document, table, view, view == tvDetails, this);
}

void QDealEditor::fillDictionaries()
{
    const QSignalBlocker state(cbState);
    fillComboBox(cbState, table("t_deal_state"), field("c_name"), field("id"));
    cbState->setCurrentIndex(-1);
    const QSignalBlocker request(cbRequestDoc);
    fillComboBox(cbRequestDoc, table("t_deal_request_doc"), field("c_name"), field("id"));
    cbRequestDoc->setCurrentIndex(-1);
    const QSignalBlocker payer(cbPayerForDelivery);
    fillComboBox(cbPayerForDelivery, table("t_payer_for_delivery"), field("c_name"), field("id"),
                 QStringLiteral(" "), QVariant());
}

void QDealEditor::connectEdits()
{
    connect(teBase, &QTextEdit::textChanged, this, &QDealEditor::OnChange);
    connect(teComment, &QPlainTextEdit::textChanged, this, &QDealEditor::OnChange);
    for (QComboBox *combo : {static_cast<QComboBox *>(cbDivision), static_cast<QComboBox *>(cbRequestDoc),
                             static_cast<QComboBox *>(cbState), static_cast<QComboBox *>(cbPayerForDelivery),
                             static_cast<QComboBox *>(cbCurrency)})
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &QDealEditor::OnChange);
    connect(cbCurrency, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &QDealEditor::showTotals);
    for (QLineEdit *edit : {lineEditAddress, lineEditINN, lineEditContactPerson, lineEditPhone, leTransportCompany,
                            leSendingNumber})
        connect(edit, &QLineEdit::textChanged, this, &QDealEditor::OnChange);
}

void QDealEditor::OnChange()
{
    emit dataChanged();
}

void QDealEditor::refresh()
{
    const QSignalBlocker blocker(this);
    {
        const QSignalBlocker division(cbDivision);
        fillComboBox(cbDivision, table("t_division"), field("c_name"), field("id"), QStringLiteral(" "), QVariant());
        const QSignalBlocker currency(cbCurrency);
        fillComboBox(cbCurrency, table("t_currency"), field("c_name"), field("id"));
    }
    refreshContractor();
}

void QDealEditor::refreshContractor()
{
    QDataTable *contractors = table("t_contractor");
    if (!contractors)
        return;
    const QSignalBlocker blocker(this);
    contractors->close();
    contractors->setSelectParam(field("id_type"), 2);
    contractors->open(false, false);

    QVector<DealContractorField::Entry> entries;
    entries.reserve(contractors->rowCount());
    for (int row = 0; row < contractors->rowCount(); ++row) {
        const QSqlRecord record = contractors->getRecord(row);
        entries.append({record.value(field("c_name")).toString(), record.value(field("id"))});
    }
    for (DealContractorField *contractor : {m_recipient, m_provider, m_carrier})
        contractor->setContractors(entries);
}

void QDealEditor::setData(QSqlRecord record)
{
    // The check's bubble waits to be clicked away; over another deal, or the
    // same one reloaded, its errors would be somebody else's.
    QBubbleTip::hideBubble();
    {
        const QSignalBlocker contractorBlocker(cbContractor);
        const QSignalBlocker providerBlocker(cbProvider);
        cbContractor->setCurrentIndex(-1);
        cbProvider->setCurrentIndex(-1);
    }
    QDataTable *details = table("t_deal_details");
    QDataTable *requests = table("t_deal_details_okr");
    QDataTable *links = table("t_deal_link");
    if (!details || !requests || !links)
        return;

    {
        const QSignalBlocker blocker(this);
        m_record = record;
        m_id = record.value(field("id")).toLongLong();
        m_recipient->setChoice(keyOf(record.value(field("id_contractor"))),
                               record.value(field("c_contractor")).toString());
        m_provider->setChoice(keyOf(record.value(field("id_provider"))), record.value(field("c_provider")).toString());
        m_carrier->setChoice(keyOf(record.value(field("id_transport_company"))),
                             record.value(field("c_transport_company_name")).toString());

        reloadTable(details, m_id, false);
        reloadTable(requests, m_id, true);
        reloadTable(links, m_id);
        // Numbers, dates and names of sheets are short: shown whole with their
        // captions; the names of lines and the list of items take the rest.
        for (QTableView *view : {tvDetails, tvOkr}) {
            for (int column = 2; view->model() && column < view->model()->columnCount(); ++column)
                view->resizeColumnToContents(column);
        }
        for (int column : {0, 1, 3})
            tvDoc->resizeColumnToContents(column);
        onDetailSelect();
        onDetailOkrSelect();
        onLinkSelect();

        DealHeaderForm(this, m_document).show(record);
        cbState->setEnabled(m_id > 0);
        // The file list names each file's signer from t_user as it loads its
        // rows: the users are read first, not in the middle of that load.
        QDataTable *users = table("t_user");
        if (users && users->getTableState() == -2)
            users->open();
        m_files->setData(m_id);
        showContractorHints(m_recipient->id());
    }
    on_cbState_currentIndexChanged(cbState->currentIndex());
    showTotals();

    // A deal that exists only in the list is an unsaved change of its own.
    if (m_id < 1)
        emit dataChanged();
}

void QDealEditor::reloadTable(QDataTable *table, const QVariant &dealId, const QVariant &developmentWork)
{
    table->close();
    table->setSelectParam(field("id_deal"), dealId);
    if (developmentWork.isValid())
        table->setSelectParam(field("b_okr"), developmentWork);
    table->open(false, false);
}

void QDealEditor::showContractorHints(long long contractorId)
{
    QLineEdit *const edits[] = {lineEditAddress, lineEditINN, lineEditContactPerson, lineEditPhone};
    QSqlConnection *connection = AppContext::connection();
    QSqlRecord hints;
    if (contractorId > 0 && connection) {
        QSqlQuery query = connection->execScript(connection->getScript(QStringLiteral("DEAL_RECIPIENT_HINT_SELECT")),
                                                 QList<QVariant>{contractorId});
        if (query.isSelect() && query.isValid())
            hints = query.record();
    }
    for (int i = 0; i < 4; ++i)
        edits[i]->setPlaceholderText(hints.isEmpty() ? QString() : hints.value(i).toString());
}

void QDealEditor::showTotals()
{
    const QPair<double, double> sums = DealLines::totals(table("t_deal_details"));
    labelTotalPrice->setText(QStringLiteral("Общая себестоимость: %1 руб. Общая продажная цена: %2 %3")
                                     .arg(number(sums.first), number(sums.second), currency()));
}

void QDealEditor::on_cbState_currentIndexChanged(int index)
{
    Q_UNUSED(index)
    const QString state = cbState->currentText();
    gbTransport->setEnabled(state == QString::fromUtf8(shipped) || state == QString::fromUtf8(toBeShipped));
}

bool QDealEditor::checkData()
{
    struct Rule
    {
        bool failed;
        const char *field;
        const char *reason;
    };
    const Rule rules[] = {
        {cbRequestDoc->currentIndex() < 0, " Запрос документов", "не указан"},
        {cbCurrency->currentIndex() < 0, " Валюта", "не указана"},
        {cbState->currentIndex() < 0 && m_id > 0, " Состояние", "не указано"},
        // Lines deleted but not yet saved are no subject either.
        {DealLines::liveRows(table("t_deal_details")) == 0 && DealLines::liveRows(table("t_deal_details_okr")) == 0,
         " Предмет сделки", "отсутствует"},
    };
    QString lines;
    for (const Rule &rule : rules) {
        if (!rule.failed)
            continue;
        lines += QStringLiteral("<p style=\" font-size:12pt; margin-top:0px; margin-bottom:0px; margin-left:0px; "
                                "margin-right:0px; -qt-block-indent:0; text-indent:0px\"><span "
                                "style=\"color:#ff0000;\"><b>\t-%1</b></span> - %2</p>")
                         .arg(tr(rule.field), tr(rule.reason));
    }
    if (lines.isEmpty())
        return true;
    QBubbleTip::warning(QStringLiteral("Ошибки"),
                        QStringLiteral("<style type=\"text/css\">p, li { white-space: pre-wrap; }</style>") + lines,
                        mapToGlobal(QPoint(10, 10)), 0, true, true);
    return false;
}

void QDealEditor::writeRecord()
{
    DealHeaderForm(this, m_document).write(&m_record);
    m_record.setValue(field("id_contractor"), keyOrNull(m_recipient->id()));
    m_record.setValue(field("c_contractor"), m_recipient->name());
    m_record.setValue(field("id_provider"), keyOrNull(m_provider->id()));
    m_record.setValue(field("c_provider"), m_provider->name());
    m_record.setValue(field("id_transport_company"), keyOrNull(m_carrier->id()));
    m_record.setValue(field("c_transport_company_name"), m_carrier->name());
}

void QDealEditor::getData()
{
    if (!checkData()) {
        // "Применить" stays on: leaving the deal now must still ask first.
        emit dataChanged();
        return;
    }
    QSqlConnection *connection = AppContext::connection();
    QDataTable *deals = table("t_deals");
    if (!m_document || !connection || !deals)
        return;
    const int row = deals->locate(field("id"), m_id);
    if (row < 0)
        return;

    writeRecord();
    const QSqlRecord stored = deals->getRecord(row);
    if (!DealFields::differences(QStringLiteral("t_deals"), m_record, stored).isEmpty())
        deals->setRow(row, m_record, false);

    DealCommit commit(m_document, m_files, this);
    switch (commit.run(connection)) {
    case DealCommit::Saved:
    case DealCommit::Reloaded:
        emit commitData();
        break;
    case DealCommit::Kept:
        // Nothing was written and nothing is lost: the edits wait for the next try.
        emit dataChanged();
        break;
    }
}

void QDealEditor::onDetailSelect()
{
    btAddPos->setEnabled(m_positions != nullptr);
    btShowPos->setEnabled(m_positions && m_positions->hasLiveLine());
    btEditPos->setEnabled(m_positions && m_positions->hasPricedLine());
    btDelPos->setEnabled(m_positions && m_positions->hasPricedLine());
    btSave->setEnabled(m_id >= 1);
}

void QDealEditor::onDetailOkrSelect()
{
    const bool live = m_requests && m_requests->hasLiveLine();
    btAddOkr->setEnabled(m_requests != nullptr);
    btEditOkr->setEnabled(live);
    btShowOkr->setEnabled(live);
    btDelOkr->setEnabled(live);

    QDataTable *details = table("t_deal_details");
    if (!details)
        return;
    const QVariant current = live ? m_requests->table()->getRecord(m_requests->currentRow()).value(field("id"))
                                  : QVariant();
    for (int row = 0; row < details->rowCount(); ++row) {
        QSqlRecord position = details->getRecord(row);
        const bool marked = current.isValid() && position.value(field("id")) == current;
        if (position.value(field("b_okr")).toBool() == marked)
            continue;
        // A marking for the eye only: the row keeps the state it had.
        const int state = details->getRowState(row);
        position.setValue(field("b_okr"), marked);
        details->setRow(row, position, false);
        details->setRowState(row, rowState(state));
    }
}

void QDealEditor::onLinkSelect()
{
    QDataTable *links = table("t_deal_link");
    const int row = tvDoc->currentIndex().row();
    const bool current = links && row >= 0 && row < links->rowCount();
    buttonLink->setEnabled(links != nullptr);
    buttonUnlink->setEnabled(current);
    buttonShippingReport->setEnabled(current && !links->getRecord(row).value(field("c_form")).isNull());
}

void QDealEditor::linesChanged(bool positions)
{
    if (positions)
        onDetailSelect();
    else
        onDetailOkrSelect();
    showTotals();
    emit dataChanged();
}

void QDealEditor::addDetail(bool positions)
{
    if (lines(positions) && lines(positions)->add(m_id, currency()))
        linesChanged(positions);
}

void QDealEditor::editDetail(bool positions)
{
    if (lines(positions) && lines(positions)->edit(currency()))
        linesChanged(positions);
}

void QDealEditor::showDetail(bool positions)
{
    if (lines(positions))
        lines(positions)->show(currency());
}

void QDealEditor::deleteDetail(bool positions)
{
    if (lines(positions) && lines(positions)->remove(this))
        linesChanged(positions);
}

void QDealEditor::onTableDoubleClicked(const QModelIndex &index, bool positions)
{
    if (lines(positions) && lines(positions)->activate(index, currency()))
        linesChanged(positions);
}

void QDealEditor::on_tvDetails_doubleClicked(const QModelIndex &index)
{
    onTableDoubleClicked(index, true);
}

void QDealEditor::on_tvOkr_doubleClicked(const QModelIndex &index)
{
    onTableDoubleClicked(index, false);
}

void QDealEditor::on_btAddPos_clicked()
{
    addDetail(true);
}

void QDealEditor::on_btEditPos_clicked()
{
    editDetail(true);
}

void QDealEditor::on_btShowPos_clicked()
{
    showDetail(true);
}

void QDealEditor::on_btDelPos_clicked()
{
    deleteDetail(true);
}

void QDealEditor::on_btAddOkr_clicked()
{
    addDetail(false);
}

void QDealEditor::on_btEditOkr_clicked()
{
    editDetail(false);
}

void QDealEditor::on_btShowOkr_clicked()
{
    showDetail(false);
}

void QDealEditor::on_btDelOkr_clicked()
{
    deleteDetail(false);
}

void QDealEditor::on_cbContractor_currentIndexChanged(int index)
{
    m_recipient->takeIndex(index);
    recipientChosen();
}

void QDealEditor::recipientChosen()
{
    const long long id = m_recipient->id();
    QSqlConnection *connection = AppContext::connection();
    if (id > 0 && connection) {
        // The recipient's card names the documents it asks for.
        QSqlQuery query = connection->execScript(
            QStringLiteral("SELECT id_request_doc FROM jur.t_contractor WHERE id = :id ;"), QList<QVariant>{id});
        if (query.isSelect() && query.isValid() && query.value(0).toLongLong() > 0)
            cbRequestDoc->setCurrentIndex(cbRequestDoc->findData(query.value(0)));
    }
    showContractorHints(id);
    emit dataChanged();
}

void QDealEditor::on_cbProvider_currentIndexChanged(int index)
{
    m_provider->takeIndex(index);
    emit dataChanged();
}

void QDealEditor::on_cbTransportCompany_currentIndexChanged(int index)
{
    m_carrier->takeIndex(index);
    emit dataChanged();
}

void QDealEditor::on_btContractor_clicked()
{
    if (m_recipient->pick(this))
        recipientChosen();
}

void QDealEditor::on_btProvider_clicked()
{
    if (m_provider->pick(this))
        emit dataChanged();
}

void QDealEditor::on_btTransportCompany_clicked()
{
    if (m_carrier->pick(this))
        emit dataChanged();
}

void QDealEditor::on_btInfo_clicked()
{
    m_recipient->showCard(table("t_contractor"), this);
}

void QDealEditor::on_btInfoProvider_clicked()
{
    m_provider->showCard(table("t_contractor"), this);
}

void QDealEditor::on_btInfoTransportCompany_clicked()
{
    m_carrier->showCard(table("t_contractor"), this);
}

void QDealEditor::onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record, int state)
{
    if (!record)
        return;
    const auto *source = qobject_cast<QDataTable *>(sender());
    const QFont font = source && source->getView() ? source->getView()->font() : tvDetails->font();
    DealLines::decorate(colNum, data, cData, *record, state, font);
}

void QDealEditor::onGetDispInfoLink(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record, int state)
{
    Q_UNUSED(record)
    if (!cData)
        return;
    if (state == rsDeleted) {
        cData->font = tvDoc->font();
        cData->font.setItalic(true);
        cData->font.setStrikeOut(true);
        cData->foreground = QBrush(Qt::gray);
    }
    if (colNum == 3 && data)
        cData->text = QLocale().toString(data->toDate(), QLocale::ShortFormat);
    if (colNum == 4)
        cData->text = data && data->toBool() ? QStringLiteral("Да") : QString();
}

void QDealEditor::on_buttonUnlink_clicked()
{
    QDataTable *links = table("t_deal_link");
    const int row = tvDoc->currentIndex().row();
    if (!links || row < 0 || links->getRowState(row) == rsDeleted)
        return;
    QSqlRecord link = links->getRecord(row);
    if (QMessageBox::question(this, QStringLiteral("Разрыв связи"),
                              QStringLiteral("Отвязать отгрузку %1?").arg(link.value(field("c_name")).toString()),
                              QMessageBox::Ok | QMessageBox::Cancel)
        != QMessageBox::Ok)
        return;
    link.setValue(field("id_deal"), m_id);
    links->setRow(row, link);
    links->deleteRow(row);
    onLinkSelect();
    emit dataChanged();
}

DealExportFields QDealEditor::exportFields() const
{
    DealExportFields fields;
    fields.deal = m_record;
    fields.seller = cbDivision->currentText();
    fields.buyer = cbContractor->currentText();
    fields.currency = cbCurrency->currentText();
    fields.transportCompany = cbTransportCompany->currentText();
    fields.payerForDelivery = cbPayerForDelivery->currentText();
    fields.inn = DealExportFields::shownText(lineEditINN);
    fields.address = DealExportFields::shownText(lineEditAddress);
    fields.contactPerson = DealExportFields::shownText(lineEditContactPerson);
    fields.phone = DealExportFields::shownText(lineEditPhone);
    return fields;
}

void QDealEditor::on_btSave_clicked()
{
    DealWorkbookExport(m_document, this).exportInvoice(exportFields());
}

void QDealEditor::on_btSaveDelivery_clicked()
{
    DealWorkbookExport(m_document, this).exportRecipientSheet(exportFields());
}

void QDealEditor::on_buttonLink_clicked()
{
    if (!DealSheetLinking(m_document, this).linkSheet(m_id))
        return;
    onLinkSelect();
    emit dataChanged();
}

void QDealEditor::on_buttonShippingReport_clicked()
{
    QDataTable *links = table("t_deal_link");
    const int row = tvDoc->currentIndex().row();
    if (!links || row < 0 || row >= links->rowCount())
        return;
    PackingListPreview::exec(links->getRecord(row).value(field("c_form")).toString());
}
