#ifndef TABCONTRACTOREDITOR_H
#define TABCONTRACTOREDITOR_H

#include "suppliertabeditor.h"

#include <QString>

class QListWidgetItem;

// The contractor's own data: name, class, comment, the document its deals
// start with, audit frequency, its types and, for an outside workshop, the
// production unit it stands for. Checked and written back into the data set
// by getData(); saved by the editor's commit.
class DEALS_EXPORT TabContractorEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabContractorEditor(SupplierDirectoryEditor *editor);

    // Loads the widgets from the editor's current record.
    void setData();
    // True when the input is complete; errorText() lists what is missing.
    bool checkData();
    // Checks, then writes the widgets into the data set's tables.
    bool getData();
    QString errorText() const { return m_errors; }
    // Enables what may be edited: everything but the unit of a contractor
    // that is not a workshop, nothing when the editor only shows.
    void updateEditable();

    // The type whose contractors are bound to a production unit.
    static constexpr qint64 sideWorkshopType = 3;

private:
    void onTypeItemChanged(QListWidgetItem *item);
    bool hasSideWorkshopType() const;
    void writeTypes();
    void writeProductionUnit();
    void addError(const QString &field, const QString &problem);

    QDataTable *m_sideWorkshops;
    QString m_errors;
};

#endif // TABCONTRACTOREDITOR_H
