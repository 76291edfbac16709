#include "tabrequisiteeditor.h"

#include "datatabletypes.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "requisiteadddialog.h"
#include "requisitedialog.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"

#include <QItemSelectionModel>

namespace {

const QString kindsTable = QStringLiteral("t_requisites");
const QString kindField = QStringLiteral("id_requisite");

} // namespace

TabRequisiteEditor::TabRequisiteEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_values(table(QStringLiteral("t_contractor_requisite")))
{
    editor->buttonAddRequisite->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    editor->buttonEditRequisite->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    editor->buttonDeleteRequisite->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    editor->buttonRequisite->setIcon(QIcon(QStringLiteral(":/Icons/res/requisites.png")));
    SupplierSupport::openLookups(dataSet(), {kindsTable});
    if (m_values) {
        m_values->setView(editor->tvRequisites);
        connect(m_values, &QDataTable::getDispInfo, this, &TabRequisiteEditor::onGetDispInfo);
        connect(editor->tvRequisites->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &TabRequisiteEditor::updateButtons);
    }
    connect(editor->buttonAddRequisite, &QAbstractButton::clicked, this, &TabRequisiteEditor::addRequisite);
    connect(editor->buttonEditRequisite, &QAbstractButton::clicked, this, &TabRequisiteEditor::editRequisite);
    connect(editor->buttonDeleteRequisite, &QAbstractButton::clicked, this, &TabRequisiteEditor::deleteRequisite);
    connect(editor->buttonRequisite, &QAbstractButton::clicked, this, &TabRequisiteEditor::requisites);
    updateButtons();
}

void TabRequisiteEditor::refresh()
{
    SupplierSupport::reload(m_values, QStringLiteral("id_contractor"), contractorId());
    updateButtons();
}

void TabRequisiteEditor::updateButtons()
{
    const QModelIndex current = editor()->tvRequisites->currentIndex();
    const bool usable = !readOnly() && m_values && current.isValid()
            && m_values->getRowState(current.row()) != rsDeleted;
    editor()->buttonEditRequisite->setEnabled(usable);
    editor()->buttonDeleteRequisite->setEnabled(usable);
    editor()->buttonAddRequisite->setEnabled(!readOnly() && m_values);
    editor()->buttonRequisite->setEnabled(!readOnly());
}

QString TabRequisiteEditor::kindName(const QVariant &kindId) const
{
    return getValueById(dataSet(), kindsTable, kindId.toLongLong(), QStringLiteral("c_name")).toString();
}

void TabRequisiteEditor::onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state)
{
    Q_UNUSED(record)
    SupplierSupport::markDeleted(cell, editor()->tvRequisites, state);
    if (column == 0 && value && !value->isNull() && cell)
        cell->text = kindName(*value);
}

void TabRequisiteEditor::addRequisite()
{
    if (!m_values)
        return;
    RequisiteAddDialog dialog(editor());
    dialog.setWindowTitle(QStringLiteral("Новый реквизит"));
    dialog.setKinds(table(kindsTable));
    QSet<qint64> taken;
    for (int row = 0; row < m_values->rowCount(); ++row) {
        const QSqlRecord value = m_values->getRecord(row, true);
        if (!value.isEmpty())
            taken.insert(value.value(kindField).toLongLong());
    }
    dialog.setTaken(taken);
    if (dialog.exec() != QDialog::Accepted || dialog.requisite().isNull())
        return;
    QSqlRecord record = m_values->newRow(true);
    record.setValue(QStringLiteral("id_contractor"), contractorId());
    record.setValue(kindField, dialog.requisite().toLongLong());
    record.setValue(QStringLiteral("c_value"), dialog.value());
    m_values->setRow(m_values->lastRow(), record);
    SupplierSupport::makeCurrent(m_values, m_values->lastRow());
    emit dataChanged();
}

void TabRequisiteEditor::editRequisite()
{
    const int row = editor()->tvRequisites->currentIndex().row();
    QSqlRecord record = m_values ? m_values->getRecord(row, true) : QSqlRecord();
    if (record.isEmpty())
        return;
    QDataTable *kinds = table(kindsTable);
    if (!kinds)
        return;
    const qint64 kind = record.value(kindField).toLongLong();
    kinds->open();
    if (kinds->locate(QStringLiteral("id"), kind) < 0)
        return;
    RequisiteAddDialog dialog(editor());
    dialog.setKinds(kinds, kind);
    dialog.setWindowTitle(kindName(kind));
    dialog.setValueRequired(false);
    dialog.leValue->setText(record.value(QStringLiteral("c_value")).toString());
    if (dialog.exec() != QDialog::Accepted || dialog.value().isEmpty())
        return;
    if (dialog.value() == record.value(QStringLiteral("c_value")).toString())
        return;
    record.setValue(QStringLiteral("c_value"), dialog.value());
    m_values->setRow(row, record);
    emit dataChanged();
}

void TabRequisiteEditor::deleteRequisite()
{
    const int row = editor()->tvRequisites->currentIndex().row();
    const QSqlRecord record = m_values ? m_values->getRecord(row, true) : QSqlRecord();
    if (record.isEmpty())
        return;
    if (!SupplierSupport::confirmDeletion(editor(), QStringLiteral("Вы действительно хотите удалить реквизит"),
                                          kindName(record.value(kindField))))
        return;
    SupplierSupport::removeRow(m_values, row);
    emit dataChanged();
    updateButtons();
}

void TabRequisiteEditor::requisites()
{
    RequisiteDialog dialog(editor());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (QDataTable *kinds = table(kindsTable)) {
        kinds->close();
        kinds->open();
    }
    SupplierSupport::redecorate(m_values);
}
