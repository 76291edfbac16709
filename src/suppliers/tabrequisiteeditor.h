#ifndef TABREQUISITEEDITOR_H
#define TABREQUISITEEDITOR_H

#include "celldata.h"
#include "suppliertabeditor.h"

#include <QSqlRecord>
#include <QVariant>

// The contractor's requisites (tax numbers, addresses, bank details) as
// values of named kinds. Values wait for the editor's commit; the
// dictionary of kinds has a dialog of its own.
class DEALS_EXPORT TabRequisiteEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabRequisiteEditor(SupplierDirectoryEditor *editor);

public Q_SLOTS:
    void refresh() override;
    void updateButtons();
    void addRequisite();
    void editRequisite();
    void deleteRequisite();
    void requisites();
    void onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);

private:
    QString kindName(const QVariant &kindId) const;

    QDataTable *m_values;
};

#endif // TABREQUISITEEDITOR_H
