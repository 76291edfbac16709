#ifndef TABRATINGEDITOR_H
#define TABRATINGEDITOR_H

#include "celldata.h"
#include "suppliertabeditor.h"

#include <QSqlRecord>
#include <QVariant>

// The contractor's marks (0 to 10), one per criterion. A saved contractor's
// marks are written as soon as they are given; a contractor not saved yet
// has nowhere to hang them, so its marks wait for the editor's save.
class DEALS_EXPORT TabRatingEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabRatingEditor(SupplierDirectoryEditor *editor);

public Q_SLOTS:
    void refresh() override;
    void updateButtons();
    void onGetDispInfo(int column, QVariant *value, cellData *cell);
    void editRating();
    void openCriterion();

private:
    QDataTable *m_marks;
};

#endif // TABRATINGEDITOR_H
