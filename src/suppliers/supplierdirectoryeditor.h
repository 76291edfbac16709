#ifndef SUPPLIERDIRECTORYEDITOR_H
#define SUPPLIERDIRECTORYEDITOR_H

#include "dealsglobal.h"
#include "ui_supplierdirectoryeditor.h"

#include <QSqlRecord>
#include <QWidget>

class FileWidget;
class QDataSet;
class TabAuditEditor;
class TabCommentEditor;
class TabContactInfoEditor;
class TabContractorEditor;
class TabItemEditor;
class TabRatingEditor;
class TabRequisiteEditor;

// Edits one contractor of a contractor data set on eight tabs: its own data,
// supplied items, requisites, rating, files, contacts, comments and audits.
// Edits wait in the data set's tables until commit() saves them all in one
// transaction; the marks and the dictionaries (contact types, requisite
// kinds, criteria) are saved as soon as they are given. Rolling back is the
// business of whoever shows the editor (ContractorEditDialog).
class DEALS_EXPORT SupplierDirectoryEditor : public QWidget, public Ui::SupplierDirectoryEditor
{
    Q_OBJECT

public:
    explicit SupplierDirectoryEditor(QDataSet *dataSet, QWidget *parent = nullptr);
    ~SupplierDirectoryEditor() override;

    QDataSet *dataSet() const { return m_dataSet; }
    QSqlRecord currentRecord() const { return m_record; }
    // -1 until a contractor is shown; negative for one not saved yet.
    qint64 currentId() const { return m_id; }

    TabContractorEditor *contractorTab() const { return m_contractorTab; }
    TabItemEditor *itemTab() const { return m_itemTab; }
    TabRequisiteEditor *requisiteTab() const { return m_requisiteTab; }
    TabRatingEditor *ratingTab() const { return m_ratingTab; }
    TabContactInfoEditor *contactTab() const { return m_contactTab; }
    TabCommentEditor *commentTab() const { return m_commentTab; }
    TabAuditEditor *auditTab() const { return m_auditTab; }
    FileWidget *fileWidget() const { return m_fileWidget; }

    // Shows the contractor without offering any change, marks included.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

public Q_SLOTS:
    void setData(QSqlRecord record);
    // True when the contractor was checked and everything was saved. A
    // refused check or a refused save keeps every edit where it is.
    bool commit();
    void on_tabWidget_currentChanged(int index);

Q_SIGNALS:
    void dataChanged();
    void commitData();
    void showStatus(bool);
    void setStatusMess(QString);

protected:
    void changeEvent(QEvent *event) override;

private:
    QDataSet *m_dataSet;
    QSqlRecord m_record;
    qint64 m_id = -1;
    bool m_readOnly = false;
    FileWidget *m_fileWidget = nullptr;
    TabContractorEditor *m_contractorTab;
    TabItemEditor *m_itemTab;
    TabRequisiteEditor *m_requisiteTab;
    TabRatingEditor *m_ratingTab;
    TabContactInfoEditor *m_contactTab;
    TabCommentEditor *m_commentTab;
    TabAuditEditor *m_auditTab;
};

#endif // SUPPLIERDIRECTORYEDITOR_H
