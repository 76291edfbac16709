#ifndef FILEUSETABLEVIEW_H
#define FILEUSETABLEVIEW_H

#include "dealsglobal.h"

#include <QTableView>

class QDataTable;

// Where one file is attached: owner table, key, the kind of owner and its name.
class DEALS_EXPORT FileUseTableView : public QTableView
{
    Q_OBJECT

public:
    explicit FileUseTableView(QWidget *parent = nullptr);

    void setData(long long fileId);
    QDataTable *table() const { return m_table; }

private:
    QDataTable *m_table;
};

#endif // FILEUSETABLEVIEW_H
