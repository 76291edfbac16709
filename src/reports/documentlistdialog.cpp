#include "documentlistdialog.h"

#include "appcontext.h"
#include "datatabletypes.h"
#include "qdatatable.h"
#include "qdoccreator.h"
#include "workplacelogging.h"

#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QStandardItemModel>

namespace {

enum Column { NameColumn = 0, CreatedColumn = 1 };

} // namespace

DocumentListDialog::DocumentListDialog(QString templateType, long long sourceId, QWidget *parent)
    : QDialog(parent)
    , m_templateType(std::move(templateType))
    , m_sourceId(sourceId)
{
    setupUi(this);

    m_table = new QDataTable(QStringLiteral("t_document"), AppContext::connection(), this);
    m_table->setScripts(QStringLiteral("DOCUMENT_SELECT"), QString(), QStringLiteral("DOCUMENT_INSERT"),
                        QStringLiteral("DOCUMENT_DELETE"));
    m_table->addColumn(QStringLiteral("c_name"), QVariant::String, true, tr("Документ"), 0, 480, QVariant(), colStretch);
    m_table->addColumn(QStringLiteral("d_create"), QVariant::DateTime, true, tr("Составлен"), 0, 150, QVariant(),
                       colResizeToContents);
    m_table->addColumn(QStringLiteral("c_creator"), QVariant::String, true, tr("Составил"), 0, 240, QVariant(),
                       colResizeToContents);
    m_table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    m_table->addColumn(QStringLiteral("c_type"), QVariant::String, false);
    m_table->addColumn(QStringLiteral("n_key"), QVariant::LongLong, false);
    m_table->addColumn(QStringLiteral("id_template"), QVariant::LongLong, false);
    m_table->addColumn(QStringLiteral("id_creator"), QVariant::LongLong, false);
    m_table->addColumn(QStringLiteral("c_html"), QVariant::String, false);
    m_table->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
    m_table->setKeyField(QStringLiteral("id"));
    m_table->setView(tvDocuments);
    connect(m_table, &QDataTable::getDispInfo, this, &DocumentListDialog::onGetDispInfo);

    btCreate->setIcon(QIcon(QStringLiteral(":/Icons/NEW")));
    btOpen->setIcon(QIcon(QStringLiteral(":/Icons/Preview.png")));
    btDelete->setIcon(QIcon(QStringLiteral(":/Icons/DELETE")));
    tvDocuments->verticalHeader()->hide();
    connect(tvDocuments->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &DocumentListDialog::updateButtons);
    connect(tvDocuments, &QAbstractItemView::doubleClicked, this, &DocumentListDialog::openDocument);
    connect(btCreate, &QAbstractButton::clicked, this, &DocumentListDialog::createDocument);
    connect(btOpen, &QAbstractButton::clicked, this, &DocumentListDialog::openDocument);
    connect(btDelete, &QAbstractButton::clicked, this, &DocumentListDialog::deleteDocument);

    refresh();
}

void DocumentListDialog::setSourceDescription(const QString &text)
{
    m_description = text;
    lbSource->setText(text);
    setWindowTitle(text.isEmpty() ? tr("Документы") : tr("Документы: %1").arg(text));
}

void DocumentListDialog::refresh()
{
    m_table->close();
    m_table->setSelectParam(QStringLiteral("c_type"), m_templateType);
    m_table->setSelectParam(QStringLiteral("n_key"), m_sourceId);
    m_table->open();
    if (m_table->rowCount() > 0)
        tvDocuments->setCurrentIndex(m_table->getModel()->index(0, NameColumn));
    updateButtons();
}

int DocumentListDialog::currentRow() const
{
    const int row = tvDocuments->currentIndex().row();
    if (row < 0 || row >= m_table->rowCount() || m_table->getRowState(row) == rsDeleted)
        return -1;
    return row;
}

void DocumentListDialog::updateButtons()
{
    const bool current = currentRow() >= 0;
    btOpen->setEnabled(current);
    btDelete->setEnabled(current);
    btCreate->setEnabled(m_sourceId > 0 && AppContext::connection());
}

void DocumentListDialog::onGetDispInfo(int column, QVariant *value, QCellData *cell, QSqlRecord *, int)
{
    if (column == CreatedColumn && cell && value && !value->isNull())
        cell->text = value->toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
}

QDocCreator *DocumentListDialog::createDocument()
{
    if (m_sourceId < 1)
        return nullptr;
    auto *creator = new QDocCreator(m_templateType, this);
    creator->setAttribute(Qt::WA_DeleteOnClose);
    creator->setWindowTitle(m_description.isEmpty() ? tr("Новый документ")
                                                    : tr("Новый документ: %1").arg(m_description));
    connect(creator, &QDocCreator::saveToBase, this,
            [this, creator](const QString &html) { keepDocument(creator, html); });
    creator->makeDocument(m_sourceId, true);
    if (creator->templateTable()->rowCount() == 0) {
        delete creator;
        QMessageBox::information(this, tr("Внимание"), tr("Шаблонов документов для этой записи нет."));
        return nullptr;
    }
    creator->show();
    return creator;
}

QDocCreator *DocumentListDialog::openDocument()
{
    const int row = currentRow();
    if (row < 0)
        return nullptr;
    const QSqlRecord record = m_table->getRecord(row);
    auto *creator = new QDocCreator(m_templateType, this);
    creator->setAttribute(Qt::WA_DeleteOnClose);
    creator->setWindowTitle(QStringLiteral("%1 (%2)").arg(
            record.value(QStringLiteral("c_name")).toString(),
            record.value(QStringLiteral("d_create")).toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"))));
    creator->setDocument(record.value(QStringLiteral("c_html")).toString());
    creator->setDocumentSaved(true);
    creator->show();
    return creator;
}

bool DocumentListDialog::deleteDocument()
{
    const int row = currentRow();
    if (row < 0)
        return false;
    const QString name = m_table->getRecord(row).value(QStringLiteral("c_name")).toString();
    if (QMessageBox::question(this, tr("Удаление"), tr("Вы действительно хотите удалить документ «%1»?").arg(name),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes) {
        return false;
    }
    m_table->deleteRow(row);
    if (!m_table->commit()) {
        m_table->rollback();
        refresh();
        QMessageBox::warning(this, tr("Ошибка"),
                             tr("Документ «%1» не удалён: его уже удалили или изменили. Список обновлён.").arg(name));
        return false;
    }
    refresh();
    return true;
}

bool DocumentListDialog::keepDocument(QDocCreator *creator, const QString &html)
{
    if (!creator || html.isEmpty() || m_sourceId < 1)
        return false;
    QSqlRecord record = m_table->newRow(true);
    record.setValue(QStringLiteral("c_type"), m_templateType);
    record.setValue(QStringLiteral("n_key"), m_sourceId);
    record.setValue(QStringLiteral("id_template"),
                    creator->currentTemplateId() > 0 ? QVariant(creator->currentTemplateId()) : QVariant());
    record.setValue(QStringLiteral("c_name"), creator->documentTitle());
    record.setValue(QStringLiteral("c_html"), html);
    m_table->setRow(m_table->lastRow(), record);
    if (!m_table->commit()) {
        // The document stays in its window, so the user can try again or save it as a file.
        m_table->rollback();
        qCWarning(lcReports) << "Document" << creator->documentTitle() << "not kept for" << m_templateType
                             << m_sourceId;
        QMessageBox::warning(creator, tr("Ошибка"),
                             tr("Документ не сохранён в базе данных. Он остаётся открытым: "
                                "попробуйте сохранить его ещё раз или сохраните в файл."));
        return false;
    }
    const long long id = m_table->getField(QStringLiteral("id"), m_table->lastRow()).toLongLong();
    creator->setDocumentSaved(true);
    refresh();
    selectDocument(id);
    return true;
}

void DocumentListDialog::selectDocument(long long id)
{
    const int row = m_table->locate(QStringLiteral("id"), id);
    if (row >= 0)
        tvDocuments->setCurrentIndex(m_table->getModel()->index(row, NameColumn));
    updateButtons();
}
