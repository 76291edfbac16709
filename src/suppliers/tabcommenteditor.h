#ifndef TABCOMMENTEDITOR_H
#define TABCOMMENTEDITOR_H

#include "celldata.h"
#include "suppliertabeditor.h"

#include <QSqlRecord>
#include <QVariant>

// Free-text comments on the contractor; the database signs and dates them.
class DEALS_EXPORT TabCommentEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabCommentEditor(SupplierDirectoryEditor *editor);

public Q_SLOTS:
    void refresh() override;
    void updateButtons();
    void addComment();
    void editComment();
    void deleteComment();
    void onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);

private:
    int currentCommentRow() const;

    QDataTable *m_comments;
};

#endif // TABCOMMENTEDITOR_H
