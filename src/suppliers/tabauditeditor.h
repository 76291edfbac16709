#ifndef TABAUDITEDITOR_H
#define TABAUDITEDITOR_H

#include "celldata.h"
#include "suppliertabeditor.h"

#include <QSqlRecord>
#include <QVariant>

class FileWidget;

// The contractor's audits, carried out or planned, each with its files. At
// most one planned audit at a time: a new one is offered once the planned
// one is carried out or removed.
//
// The file panel shows the files of the current audit. Files added to one
// audit wait for the editor's save; until then the panel stays on that
// audit, since showing another would drop them.
class DEALS_EXPORT TabAuditEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabAuditEditor(SupplierDirectoryEditor *editor);

    // Audit state of a planned, not yet carried out audit.
    static constexpr int plannedState = 1;

    FileWidget *fileWidget() const { return m_files; }
    void setReadOnly(bool readOnly);

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
    qint64 auditId(int row) const;
    // Shows the files of an audit; false when unsaved files of another keep the panel.
    bool showFilesOf(qint64 audit, bool dropPending);

    QDataTable *m_audits;
    FileWidget *m_files;
    qint64 m_shownAudit = 0;
};

#endif // TABAUDITEDITOR_H
