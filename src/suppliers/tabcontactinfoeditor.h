#ifndef TABCONTACTINFOEDITOR_H
#define TABCONTACTINFOEDITOR_H

#include "celldata.h"
#include "suppliertabeditor.h"

#include <QSqlRecord>
#include <QVariant>

// Contact persons of the contractor and, beside them, the contacts of the
// chosen person. All the contractor's contacts are loaded at once and the
// list shows those of the current person, so that unsaved contacts of one
// person survive choosing another.
class DEALS_EXPORT TabContactInfoEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabContactInfoEditor(SupplierDirectoryEditor *editor);

public Q_SLOTS:
    void refresh() override;
    void onPersonSelected();
    void onContactSelected();
    void addPerson();
    void editPerson();
    void deletePerson();
    void addContact();
    void editContact();
    void deleteContact();
    void onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);
    void onGetDispInfoContact(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);

private:
    // The current person's row when it is not marked for deletion, else -1.
    int usablePersonRow() const;
    void showContactsOf(const QVariant &personId);
    void dropPendingContactsOf(const QVariant &personId);
    void runContactDialog(int row);

    QDataTable *m_persons;
    QDataTable *m_contacts;
};

#endif // TABCONTACTINFOEDITOR_H
