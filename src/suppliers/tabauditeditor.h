#ifndef TABAUDITEDITOR_H
#define TABAUDITEDITOR_H

#include "celldata.h"
#include "suppliertabeditor.h"

#include <QSqlRecord>
#include <QVariant>

// The contractor's audits, carried out or planned, each with its files. At
// most one planned audit at a time: a new one is offered once the planned
// one is carried out or removed.
class DEALS_EXPORT TabAuditEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabAuditEditor(SupplierDirectoryEditor *editor);

    // Audit state of a planned, not yet carried out audit.
    static constexpr int plannedState = 1;

public Q_SLOTS:
    void refresh() override;
    void selectAudit();
    void updateButtons();
    void addAudit();
    void editAudit();
    void deleteAudit();
    // Around the editor's commit: new files stored before, removed ones after.
    void saveFiles();
    void deleteFiles();
    void onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);

private:
    int currentAuditRow() const;
    void runAuditDialog(int row);

    QDataTable *m_audits;
};

#endif // TABAUDITEDITOR_H
