#include "qdealeditor.h"

#include "appcontext.h"
#include "filewidget.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "workplacelogging.h"

#include <QDate>
#include <QFont>
#include <QLocale>
#include <QSignalBlocker>

namespace {

QString text(const QSqlRecord &record, const char *field)
{
    return record.value(QString::fromLatin1(field)).toString();
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

QDealEditor::QDealEditor(QDataSet *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setupUi(this);
    bindTable("t_deal_details", tvDetails);
    bindTable("t_deal_details_okr", tvOkr);
    bindTable("t_deal_link", tvDoc);

    m_files = new FileWidget(m_document, QStringLiteral("t_deal"), tabFile);
    verticalLayoutFile->addWidget(m_files);
    connect(m_files, &FileWidget::dataChanged, this, &QDealEditor::dataChanged);
}

void QDealEditor::bindTable(const char *name, QTableView *view)
{
    QDataTable *table = m_document ? m_document->getTable(QString::fromLatin1(name)) : nullptr;
    if (!table)
        return;
    table->setView(view);
    connect(table, &QDataTable::getDispInfo, this, &QDealEditor::onGetDispInfo);
}

void QDealEditor::reloadDetail(const char *name, const QString &param, const QVariant &value, const QString &param2,
                               const QVariant &value2)
{
    QDataTable *table = m_document ? m_document->getTable(QString::fromLatin1(name)) : nullptr;
    if (!table)
        return;
    table->close();
    table->setSelectParam(param, value);
    if (!param2.isEmpty())
        table->setSelectParam(param2, value2);
    table->open(false, false);
}

QString QDealEditor::lookup(const char *table, const char *idField, const char *nameField) const
{
    const QVariant id = m_record.value(QString::fromLatin1(idField));
    if (id.isNull())
        return QString();
    return getValueById(m_document, QString::fromLatin1(table), id.toLongLong(), QString::fromLatin1(nameField))
            .toString();
}

void QDealEditor::setData(QSqlRecord record)
{
    if (!m_document)
        return;
    m_record = record;
    const long long id = record.value(QStringLiteral("id")).toLongLong();

    {
        const QSignalBlocker blocker(this);
        reloadDetail("t_deal_details", QStringLiteral("id_deal"), id, QStringLiteral("b_okr"), false);
        reloadDetail("t_deal_details_okr", QStringLiteral("id_deal"), id, QStringLiteral("b_okr"), true);
        reloadDetail("t_deal_link", QStringLiteral("id_deal"), id);
        m_files->setData(id);

        leDivision->setText(lookup("t_division", "id_division"));
        leContractor->setText(text(record, "c_contractor"));
        leProvider->setText(text(record, "c_provider"));
        leRequestDoc->setText(lookup("t_deal_request_doc", "id_request_doc"));
        leState->setText(text(record, "c_state"));
        lePayerForDelivery->setText(lookup("t_payer_for_delivery", "id_payer_for_delivery"));
        leCurrency->setText(lookup("t_currency", "id_currency"));
        leExecution->setText(QLocale().toString(record.value(QStringLiteral("d_execution")).toDate(),
                                                QLocale::ShortFormat));
        lineEditAddress->setText(text(record, "c_address"));
        lineEditINN->setText(text(record, "c_inn"));
        lineEditContactPerson->setText(text(record, "c_contact_person"));
        lineEditPhone->setText(text(record, "c_phone"));
        leTransportCompanyName->setText(text(record, "c_transport_company_name"));
        leTransportCompany->setText(text(record, "c_transport_company"));
        leSendingNumber->setText(text(record, "c_sending_number"));
        teBase->setPlainText(text(record, "c_base"));
        teComment->setPlainText(text(record, "c_comment"));
        showTotals();
    }

    // A deal that exists only in the list is an unsaved change of its own.
    if (id < 1)
        emit dataChanged();
}

void QDealEditor::showTotals()
{
    double cost = 0;
    double sale = 0;
    if (QDataTable *details = m_document->getTable(QStringLiteral("t_deal_details"))) {
        for (int row = 0; row < details->rowCount(); ++row) {
            const QSqlRecord position = details->getRecord(row);
            cost += position.value(QStringLiteral("n_cost")).toDouble();
            sale += position.value(QStringLiteral("n_sale_price")).toDouble();
        }
    }
    labelTotalPrice->setText(QStringLiteral("Общая себестоимость: %1 руб. Общая продажная цена: %2 %3")
                                     .arg(number(cost), number(sale), text(m_record, "c_currency")));
}

void QDealEditor::getData()
{
    QDataTable *deals = m_document ? m_document->getTable(QStringLiteral("t_deals")) : nullptr;
    if (!deals || deals->locate(QStringLiteral("id"), m_record.value(QStringLiteral("id"))) < 0)
        return;
    m_files->saveFiles();
    if (!m_document->commit(AppContext::connection()))
        qCWarning(lcDeals) << "the deal was not saved";
    m_files->deleteFiles();
    emit commitData();
}

void QDealEditor::refresh()
{
    if (!m_document)
        return;
    for (const char *name : {"t_division", "t_currency", "t_deal_request_doc", "t_payer_for_delivery", "t_user"}) {
        if (QDataTable *table = m_document->getTable(QString::fromLatin1(name)))
            table->close();
    }
}

void QDealEditor::onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record, int state)
{
    if (!cData || !record)
        return;
    const auto *table = qobject_cast<QDataTable *>(sender());
    const QString name = table ? table->objectName() : QString();

    if (state == rsDeleted) {
        cData->font.setItalic(true);
        cData->font.setStrikeOut(true);
        cData->foreground = QBrush(Qt::gray);
    }

    if (name == QLatin1String("t_deal_link")) {
        if (colNum == 3 && data)
            cData->text = QLocale().toString(data->toDate(), QLocale::ShortFormat);
        return;
    }

    // Positions and development-work requests.
    if (record->value(QStringLiteral("b_ready_to_ship")).toBool())
        cData->background = QBrush(Qt::yellow);
    if (record->value(QStringLiteral("b_okr")).toBool())
        cData->background = QBrush(Qt::green);
    switch (colNum) {
    case 0:
        cData->text.clear();
        if (data && !data->toString().isEmpty() && data->toString() != QLatin1String("false"))
            cData->icon = QIcon(QStringLiteral(":/Icons/WEB"));
        break;
    case 3:
        if (data)
            cData->text = QLocale().toString(data->toDate(), QLocale::ShortFormat);
        break;
    case 4:
        cData->text = number(record->value(QStringLiteral("n_cost")).toDouble()
                             + record->value(QStringLiteral("n_cost_add")).toDouble());
        break;
    default:
        break;
    }
}
