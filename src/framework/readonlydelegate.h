#ifndef READONLYDELEGATE_H
#define READONLYDELEGATE_H

#include "dealsglobal.h"

#include <QItemDelegate>

// Lets a value in a bound view be selected and copied, never changed.
class DEALS_EXPORT ReadOnlyDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit ReadOnlyDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    // Leaving the editor writes nothing back: the value was never editable.
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
};

#endif // READONLYDELEGATE_H
