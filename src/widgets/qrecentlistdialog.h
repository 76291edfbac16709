#ifndef QRECENTLISTDIALOG_H
#define QRECENTLISTDIALOG_H

#include "dealsglobal.h"

#include <QDialog>

class QAbstractItemModel;
class QDataTable;
class QTimer;

namespace Ui {
class QRecentListDialog;
}

// Picks one entry from a list of recently used values, with a quick search
// that jumps to the first entry containing what was typed.
class DEALS_EXPORT QRecentListDialog : public QDialog
{
    Q_OBJECT

public:
    QRecentListDialog(QDataTable *table, const QString &title, int column, QWidget *parent = nullptr);
    // The same over any item model, for lists that do not come from a table.
    QRecentListDialog(QAbstractItemModel *model, const QString &title, int column, QWidget *parent = nullptr);
    ~QRecentListDialog() override;

    // The chosen row's text in the shown column; empty while nothing is chosen.
    QString chosenValue;

public slots:
    void selectionChanged();
    void onFindChanged();
    void onDblClick();
    void onTimeout();

private:
    Ui::QRecentListDialog *ui;
    QAbstractItemModel *m_model;
    int m_column;
    QTimer *m_searchTimer;
};

#endif // QRECENTLISTDIALOG_H
