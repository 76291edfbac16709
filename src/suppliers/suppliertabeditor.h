#ifndef SUPPLIERTABEDITOR_H
#define SUPPLIERTABEDITOR_H

#include "dealsglobal.h"

#include <QObject>

class QDataSet;
class QDataTable;
class SupplierDirectoryEditor;

// What every tab controller of the supplier editor is: an object owned by the
// editor that works on the editor's form widgets and on tables of the
// editor's data set, shows the current contractor on refresh() and reports
// edits through dataChanged(), which the editor passes on.
//
// A tab is replaced by another controller of this kind without touching the
// editor.
class DEALS_EXPORT SupplierTabEditor : public QObject
{
    Q_OBJECT

public:
    explicit SupplierTabEditor(SupplierDirectoryEditor *editor);

    SupplierDirectoryEditor *editor() const { return m_editor; }

public Q_SLOTS:
    // Shows the editor's current contractor.
    virtual void refresh() {}

Q_SIGNALS:
    void dataChanged();

protected:
    QDataSet *dataSet() const;
    // The data set's table of that name, or null.
    QDataTable *table(const QString &name) const;
    qint64 contractorId() const;
    // Whether the editor only shows the contractor.
    bool readOnly() const;

private:
    SupplierDirectoryEditor *m_editor;
};

#endif // SUPPLIERTABEDITOR_H
