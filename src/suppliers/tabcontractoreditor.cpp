#include "tabcontractoreditor.h"

#include "datatabletypes.h"
#include "qbubbletip.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"

#include <QSignalBlocker>

namespace {

constexpr int TypeIdRole = Qt::UserRole;
constexpr int TypeSysNameRole = Qt::UserRole + 1;

// The stored request document: 0 and null both mean none.
QVariant requestDocValue(const QVariant &value)
{
    return value.isNull() || value.toLongLong() == 0 ? QVariant() : QVariant(value.toLongLong());
}

void selectByValue(QComboBox *combo, const QVariant &value)
{
    combo->setCurrentIndex(value.isNull() ? -1 : combo->findData(value));
}

} // namespace

TabContractorEditor::TabContractorEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_sideWorkshops(nullptr)
{
    if (QDataSet *set = dataSet()) {
        if (QDataTable *classes = set->getTable(QStringLiteral("t_contractor_class"))) {
            classes->open();
            for (int row = 0; row < classes->rowCount(); ++row) {
                const QSqlRecord record = classes->getRecord(row);
                editor->cbClass->addItem(record.value(QStringLiteral("c_name")).toString(),
                                         record.value(QStringLiteral("id")).toLongLong());
            }
            editor->cbClass->setCurrentIndex(-1);
        }
        if (QDataTable *types = set->getTable(QStringLiteral("t_contractor_type"))) {
            types->open();
            for (int row = 0; row < types->rowCount(); ++row) {
                const QSqlRecord record = types->getRecord(row);
                auto *item = new QListWidgetItem(record.value(QStringLiteral("c_name")).toString(), editor->lwType);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
                item->setData(TypeIdRole, record.value(QStringLiteral("id")).toLongLong());
                item->setData(TypeSysNameRole, record.value(QStringLiteral("c_sys_name")));
            }
        }
        m_sideWorkshops = set->getTable(QStringLiteral("t_side_workshops"));
        // Only the editor's own data set offers request documents.
        const QString requestDocs = QStringLiteral("t_deal_request_doc");
        if (QDataTable *documents = set->tables().contains(requestDocs) ? set->getTable(requestDocs) : nullptr) {
            // 0 for the empty choice: it clears the document, where null keeps it.
            fillComboBox(editor->cbRequestDoc, documents, QStringLiteral("c_name"), QStringLiteral("id"),
                         QStringLiteral(" "), 0);
        }
    }
    // A data set without request documents offers nothing to choose.
    const bool requestDocs = editor->cbRequestDoc->count() > 0;
    editor->labelRequestDoc->setVisible(requestDocs);
    editor->cbRequestDoc->setVisible(requestDocs);

    connect(editor->leName, &QLineEdit::textChanged, this, &TabContractorEditor::dataChanged);
    connect(editor->cbClass, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &TabContractorEditor::dataChanged);
    connect(editor->teComment, &QTextEdit::textChanged, this, &TabContractorEditor::dataChanged);
    connect(editor->cbRequestDoc, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &TabContractorEditor::dataChanged);
    connect(editor->spinBoxAuditFrequency, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &TabContractorEditor::dataChanged);
    connect(editor->lwType, &QListWidget::itemChanged, this, &TabContractorEditor::onTypeItemChanged);
    connect(editor->comboBoxUnit, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &TabContractorEditor::dataChanged);
}

void TabContractorEditor::onTypeItemChanged(QListWidgetItem *item)
{
    Q_UNUSED(item)
    // Checking the workshop type makes the unit choosable at once.
    updateEditable();
    emit dataChanged();
}

bool TabContractorEditor::hasSideWorkshopType() const
{
    const QListWidget *list = editor()->lwType;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem *item = list->item(i);
        if (item->data(TypeIdRole).toLongLong() == sideWorkshopType)
            return item->checkState() == Qt::Checked;
    }
    return false;
}

void TabContractorEditor::setData()
{
    SupplierDirectoryEditor *ed = editor();
    const QSignalBlocker blockTab(this);
    const QSignalBlocker blockTypes(ed->lwType);
    const QSqlRecord record = ed->currentRecord();

    ed->leName->setText(record.value(QStringLiteral("c_name")).toString());
    selectByValue(ed->cbClass, record.value(QStringLiteral("id_class")));
    ed->teComment->setPlainText(record.value(QStringLiteral("c_comment")).toString());
    if (ed->cbRequestDoc->count() > 0) {
        const QVariant document = requestDocValue(record.value(QStringLiteral("id_request_doc")));
        ed->cbRequestDoc->setCurrentIndex(document.isNull() ? 0 : ed->cbRequestDoc->findData(document));
    }
    ed->spinBoxAuditFrequency->setValue(record.value(QStringLiteral("n_audit_frequency")).toInt());

    QDataTable *types = table(QStringLiteral("t_cont_cont_type"));
    SupplierSupport::reload(types, QStringLiteral("id_contractor"), contractorId());
    for (int i = 0; i < ed->lwType->count(); ++i) {
        QListWidgetItem *item = ed->lwType->item(i);
        const bool has = types && types->locate(QStringLiteral("id_contractor_type"), item->data(TypeIdRole)) >= 0;
        item->setCheckState(has ? Qt::Checked : Qt::Unchecked);
    }

    ed->comboBoxUnit->clear();
    if (QDataTable *units = table(QStringLiteral("t_reference_units")))
        fillComboBox(ed->comboBoxUnit, units, QStringLiteral("c_name"), QStringLiteral("id"),
                     QStringLiteral("не задан"));
    qint64 unit = 0;
    if (SupplierSupport::reload(m_sideWorkshops, QStringLiteral("id_contractor"), contractorId())) {
        const QSqlRecord binding = m_sideWorkshops->getRecord(0);
        unit = binding.value(QStringLiteral("id_unit")).toLongLong();
        // The free-unit list leaves out units already bound, this one included.
        if (unit >= 1 && ed->comboBoxUnit->findData(unit) < 0)
            ed->comboBoxUnit->addItem(binding.value(QStringLiteral("c_name")).toString(), unit);
    }
    ed->comboBoxUnit->setCurrentIndex(unit >= 1 ? ed->comboBoxUnit->findData(unit) : 0);
    updateEditable();
}

void TabContractorEditor::updateEditable()
{
    SupplierDirectoryEditor *ed = editor();
    const bool editable = !readOnly();
    ed->leName->setReadOnly(!editable);
    ed->teComment->setReadOnly(!editable);
    for (QWidget *field : {static_cast<QWidget *>(ed->cbClass), static_cast<QWidget *>(ed->cbRequestDoc),
                           static_cast<QWidget *>(ed->spinBoxAuditFrequency), static_cast<QWidget *>(ed->lwType)})
        field->setEnabled(editable);
    ed->comboBoxUnit->setEnabled(editable && hasSideWorkshopType());
}

void TabContractorEditor::addError(const QString &field, const QString &problem)
{
    m_errors += QStringLiteral("<p style=\"font-size:12pt; margin-top:0px; margin-bottom:0px; margin-left:0px; "
                               "margin-right:0px; -qt-block-indent:0; text-indent:0px\">"
                               "<span style=\"color:#ff0000;\"><b>\t-%1</b> - %2</span></p>")
                        .arg(field.toHtmlEscaped(), problem.toHtmlEscaped());
}

bool TabContractorEditor::checkData()
{
    m_errors.clear();
    // The database refuses a name of blanks with its own English message.
    if (editor()->leName->text().trimmed().isEmpty())
        addError(QStringLiteral("Поставщик"), QStringLiteral("не указан"));
    if (editor()->cbClass->currentIndex() < 0)
        addError(QStringLiteral("Класс поставщика"), QStringLiteral("не указан"));
    return m_errors.isEmpty();
}

bool TabContractorEditor::getData()
{
    SupplierDirectoryEditor *ed = editor();
    if (!checkData()) {
        ed->tabWidget->setCurrentWidget(ed->tabContractor);
        QWidget *first = ed->leName->text().trimmed().isEmpty() ? static_cast<QWidget *>(ed->leName) : ed->cbClass;
        QBubbleTip::warning(QStringLiteral("Ошибки:"), m_errors, SupplierSupport::bubblePoint(first));
        return false;
    }
    QDataTable *contractors = table(QStringLiteral("t_contractor"));
    if (!contractors)
        return false;
    const int row = contractors->locate(QStringLiteral("id"), contractorId());
    if (row < 0)
        return false;
    QSqlRecord record = contractors->getRecord(row);
    if (record.isEmpty())
        return false;

    const QString name = ed->leName->text().trimmed();
    const QVariant classId = ed->cbClass->currentData();
    const QString comment = ed->teComment->toPlainText();
    const int frequency = ed->spinBoxAuditFrequency->value();
    const bool hasDocument = record.indexOf(QStringLiteral("id_request_doc")) >= 0 && ed->cbRequestDoc->count() > 0;
    const QVariant document = ed->cbRequestDoc->currentData();
    const bool changed = record.value(QStringLiteral("c_name")).toString() != name
            || record.value(QStringLiteral("id_class")).toLongLong() != classId.toLongLong()
            || record.value(QStringLiteral("c_comment")).toString() != comment
            || record.value(QStringLiteral("n_audit_frequency")).toInt() != frequency
            || (hasDocument
                && requestDocValue(record.value(QStringLiteral("id_request_doc"))) != requestDocValue(document));
    if (changed) {
        record.setValue(QStringLiteral("c_name"), name);
        record.setValue(QStringLiteral("id_class"), classId.toLongLong());
        record.setValue(QStringLiteral("c_comment"), comment);
        record.setValue(QStringLiteral("n_audit_frequency"), frequency);
        if (hasDocument)
            record.setValue(QStringLiteral("id_request_doc"), document.isNull() ? 0 : document.toLongLong());
        contractors->setRow(row, record);
    }
    writeTypes();
    writeProductionUnit();
    return true;
}

void TabContractorEditor::writeTypes()
{
    QDataTable *types = table(QStringLiteral("t_cont_cont_type"));
    if (!types)
        return;
    const QListWidget *list = editor()->lwType;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem *item = list->item(i);
        const qint64 type = item->data(TypeIdRole).toLongLong();
        const int row = types->locate(QStringLiteral("id_contractor_type"), type);
        const bool checked = item->checkState() == Qt::Checked;
        if (checked && row < 0) {
            QSqlRecord record = types->newRow(true);
            record.setValue(QStringLiteral("id_contractor"), contractorId());
            record.setValue(QStringLiteral("id_contractor_type"), type);
            types->setRow(types->lastRow(), record);
        } else if (!checked && row >= 0) {
            SupplierSupport::removeRow(types, row);
        }
    }
}

void TabContractorEditor::writeProductionUnit()
{
    if (!m_sideWorkshops)
        return;
    const QComboBox *units = editor()->comboBoxUnit;
    const qint64 unit = units->currentData().toLongLong();
    const QString unitName = units->currentText();
    // The binding as it stands, whatever an earlier refused save left marked.
    int bound = -1;
    for (int row = 0; row < m_sideWorkshops->rowCount() && bound < 0; ++row) {
        if (m_sideWorkshops->getRowState(row) != rsDeleted)
            bound = row;
    }
    if (bound < 0) {
        if (unit >= 1) {
            QSqlRecord record = m_sideWorkshops->newRow(true);
            record.setValue(QStringLiteral("id_unit"), unit);
            record.setValue(QStringLiteral("c_name"), unitName);
            record.setValue(QStringLiteral("id_contractor"), contractorId());
            m_sideWorkshops->setRow(m_sideWorkshops->lastRow(), record);
        }
        return;
    }
    if (unit > 0) {
        QSqlRecord record = m_sideWorkshops->getRecord(bound);
        if (record.value(QStringLiteral("id_unit")).toLongLong() != unit) {
            record.setValue(QStringLiteral("id_unit"), unit);
            record.setValue(QStringLiteral("c_name"), unitName);
            m_sideWorkshops->setRow(bound, record);
        }
        return;
    }
    SupplierSupport::removeRow(m_sideWorkshops, bound);
}
