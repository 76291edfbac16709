#include "tabcontactinfoeditor.h"

#include "contactdialog.h"
#include "datatabletypes.h"
#include "persondialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace {

const QString personField = QStringLiteral("id_contact_person");

} // namespace

TabContactInfoEditor::TabContactInfoEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_persons(table(QStringLiteral("t_contact_person")))
    , m_contacts(table(QStringLiteral("t_contact")))
{
    const QIcon add(QStringLiteral(":/commonIcon/NEW"));
    const QIcon edit(QStringLiteral(":/commonIcon/EDIT"));
    const QIcon remove(QStringLiteral(":/commonIcon/DELETE"));
    editor->buttonAddPerson->setIcon(add);
    editor->buttonEditPerson->setIcon(edit);
    editor->buttonDeletePerson->setIcon(remove);
    editor->buttonAddContact->setIcon(add);
    editor->buttonEditContact->setIcon(edit);
    editor->buttonDeleteContact->setIcon(remove);

    // Full names with patronymics are long: they wrap rather than lose their end.
    editor->tvPerson->setWordWrap(true);
    editor->tvPerson->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    SupplierSupport::openLookups(dataSet(), {QStringLiteral("t_contact_type")});
    if (m_persons) {
        m_persons->setView(editor->tvPerson);
        connect(m_persons, &QDataTable::getDispInfo, this, &TabContactInfoEditor::onGetDispInfo);
        connect(editor->tvPerson->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TabContactInfoEditor::onPersonSelected);
    }
    if (m_contacts) {
        m_contacts->setView(editor->tvContact);
        connect(m_contacts, &QDataTable::getDispInfo, this, &TabContactInfoEditor::onGetDispInfoContact);
        connect(editor->tvContact->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &TabContactInfoEditor::onContactSelected);
    }
    connect(editor->buttonAddPerson, &QAbstractButton::clicked, this, &TabContactInfoEditor::addPerson);
    connect(editor->buttonEditPerson, &QAbstractButton::clicked, this, &TabContactInfoEditor::editPerson);
    connect(editor->buttonDeletePerson, &QAbstractButton::clicked, this, &TabContactInfoEditor::deletePerson);
    connect(editor->buttonAddContact, &QAbstractButton::clicked, this, &TabContactInfoEditor::addContact);
    connect(editor->buttonEditContact, &QAbstractButton::clicked, this, &TabContactInfoEditor::editContact);
    connect(editor->buttonDeleteContact, &QAbstractButton::clicked, this, &TabContactInfoEditor::deleteContact);
    onPersonSelected();
}

void TabContactInfoEditor::refresh()
{
    SupplierSupport::reload(m_persons, QStringLiteral("id_contractor"), contractorId());
    if (m_contacts) {
        m_contacts->close();
        m_contacts->setSelectParam(QStringLiteral("id_contractor"), contractorId());
        m_contacts->setSelectParam(personField, -1);
        m_contacts->open();
    }
    // Contact kinds are short and known once loaded: fit them, so that the
    // contact data themselves get the rest of the width.
    editor()->tvContact->resizeColumnToContents(0);
    // Start on the first person, so that the contacts show without a click.
    if (m_persons && m_persons->rowCount() > 0)
        SupplierSupport::makeCurrent(m_persons, 0);
    onPersonSelected();
}

int TabContactInfoEditor::usablePersonRow() const
{
    const int row = editor()->tvPerson->currentIndex().row();
    if (!m_persons || row < 0 || m_persons->getRowState(row) == rsDeleted)
        return -1;
    return row;
}

void TabContactInfoEditor::showContactsOf(const QVariant &personId)
{
    if (!m_contacts)
        return;
    // An empty text matches no contact: every contact belongs to a person.
    m_contacts->setFilter(personField, personId.isNull() ? QString() : personId.toString(), fltKeep);
}

void TabContactInfoEditor::onPersonSelected()
{
    const bool usable = !readOnly() && usablePersonRow() >= 0;
    SupplierDirectoryEditor *ed = editor();
    ed->buttonAddPerson->setEnabled(!readOnly() && m_persons);
    ed->buttonEditPerson->setEnabled(usable);
    ed->buttonDeletePerson->setEnabled(usable);
    ed->buttonAddContact->setEnabled(usable);
    const int row = ed->tvPerson->currentIndex().row();
    showContactsOf(m_persons && row >= 0 ? m_persons->getRecord(row).value(QStringLiteral("id")) : QVariant());
    ed->tvContact->setCurrentIndex(QModelIndex());
    onContactSelected();
}

void TabContactInfoEditor::onContactSelected()
{
    const QModelIndex current = editor()->tvContact->currentIndex();
    const bool usable = !readOnly() && m_contacts && current.isValid() && !editor()->tvContact->isRowHidden(current.row())
            && m_contacts->getRowState(current.row()) != rsDeleted;
    editor()->buttonEditContact->setEnabled(usable);
    editor()->buttonDeleteContact->setEnabled(usable);
}

void TabContactInfoEditor::addPerson()
{
    if (!m_persons)
        return;
    PersonDialog dialog(editor());
    if (dialog.exec() != QDialog::Accepted)
        return;
    QSqlRecord record = m_persons->newRow(true);
    record.setValue(QStringLiteral("id_contractor"), contractorId());
    record.setValue(QStringLiteral("c_name"), dialog.edName->text().trimmed());
    record.setValue(QStringLiteral("c_post"), dialog.edRole->text().trimmed());
    m_persons->setRow(m_persons->lastRow(), record);
    SupplierSupport::makeCurrent(m_persons, m_persons->lastRow());
    emit dataChanged();
}

void TabContactInfoEditor::editPerson()
{
    const int row = usablePersonRow();
    if (row < 0)
        return;
    QSqlRecord record = m_persons->getRecord(row);
    PersonDialog dialog(editor());
    dialog.edName->setText(record.value(QStringLiteral("c_name")).toString());
    dialog.edRole->setText(record.value(QStringLiteral("c_post")).toString());
    if (dialog.exec() != QDialog::Accepted)
        return;
    record.setValue(QStringLiteral("c_name"), dialog.edName->text().trimmed());
    record.setValue(QStringLiteral("c_post"), dialog.edRole->text().trimmed());
    m_persons->setRow(row, record);
    emit dataChanged();
}

void TabContactInfoEditor::dropPendingContactsOf(const QVariant &personId)
{
    // The database takes a person's contacts with the person; what is
    // pending for them would only fail after the person is gone.
    for (int row = m_contacts ? m_contacts->rowCount() - 1 : -1; row >= 0; --row) {
        if (m_contacts->getRecord(row).value(personField) != personId)
            continue;
        if (m_contacts->getRowState(row) == rsNew)
            m_contacts->killRow(row);
        else if (m_contacts->getRowState(row) != rsUnchanged)
            m_contacts->resetOriginalData(row, false);
    }
}

void TabContactInfoEditor::deletePerson()
{
    const int row = editor()->tvPerson->currentIndex().row();
    const QSqlRecord record = m_persons ? m_persons->getRecord(row) : QSqlRecord();
    if (record.isEmpty())
        return;
    if (!SupplierSupport::confirmDeletion(editor(), QStringLiteral("Вы действительно хотите удалить контактное лицо"),
                                          record.value(QStringLiteral("c_name")).toString()))
        return;
    dropPendingContactsOf(record.value(QStringLiteral("id")));
    SupplierSupport::removeRow(m_persons, row);
    emit dataChanged();
    onPersonSelected();
}

void TabContactInfoEditor::runContactDialog(int row)
{
    const int person = usablePersonRow();
    if (!m_contacts || person < 0)
        return;
    ContactDialog dialog(editor());
    QSqlRecord record;
    if (row >= 0) {
        record = m_contacts->getRecord(row);
        dialog.setData(record.value(QStringLiteral("id_contact_type")),
                       record.value(QStringLiteral("c_contact")).toString());
    }
    const int accepted = dialog.exec();
    if (dialog.typesEdited()) {
        // The names come from the dictionary the dialog may have changed.
        if (QDataTable *types = table(QStringLiteral("t_contact_type"))) {
            types->close();
            types->open();
        }
        SupplierSupport::redecorate(m_contacts);
    }
    if (accepted != QDialog::Accepted)
        return;
    if (row < 0) {
        record = m_contacts->newRow(true);
        record.setValue(personField, m_persons->getRecord(person).value(QStringLiteral("id")));
        row = m_contacts->lastRow();
    }
    record.setValue(QStringLiteral("id_contact_type"), dialog.typeId().toLongLong());
    record.setValue(QStringLiteral("c_contact"), dialog.contact().trimmed());
    m_contacts->setRow(row, record);
    SupplierSupport::makeCurrent(m_contacts, row);
    emit dataChanged();
}

void TabContactInfoEditor::addContact()
{
    runContactDialog(-1);
}

void TabContactInfoEditor::editContact()
{
    const QModelIndex current = editor()->tvContact->currentIndex();
    if (!current.isValid() || !m_contacts || m_contacts->getRowState(current.row()) == rsDeleted)
        return;
    runContactDialog(current.row());
}

void TabContactInfoEditor::deleteContact()
{
    const int row = editor()->tvContact->currentIndex().row();
    const QSqlRecord record = m_contacts ? m_contacts->getRecord(row) : QSqlRecord();
    if (record.isEmpty())
        return;
    if (!SupplierSupport::confirmDeletion(editor(), QStringLiteral("Вы действительно хотите удалить контакт"),
                                          record.value(QStringLiteral("c_contact")).toString()))
        return;
    SupplierSupport::removeRow(m_contacts, row);
    emit dataChanged();
    onContactSelected();
}

void TabContactInfoEditor::onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state)
{
    Q_UNUSED(column)
    Q_UNUSED(value)
    Q_UNUSED(record)
    SupplierSupport::markDeleted(cell, editor()->tvPerson, state);
}

void TabContactInfoEditor::onGetDispInfoContact(int column, QVariant *value, cellData *cell, QSqlRecord *record,
                                                int state)
{
    Q_UNUSED(record)
    SupplierSupport::markDeleted(cell, editor()->tvContact, state);
    if (column == 0 && value && !value->isNull() && cell) {
        cell->text = getValueById(dataSet(), QStringLiteral("t_contact_type"), value->toLongLong(),
                                  QStringLiteral("c_name"))
                             .toString();
    }
}
