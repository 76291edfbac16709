#ifndef SUPPLIERDIRECTORYVIEW_H
#define SUPPLIERDIRECTORYVIEW_H

#include "celldata.h"
#include "dealsglobal.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "ui_supplierdirectoryview.h"

#include <QList>
#include <QPointer>
#include <QSqlRecord>
#include <QWidget>

class QAction;

// The list of contractors: filtered by type, painted by rating (red for bad
// suppliers, green for excellent ones), with actions to add and delete a
// contractor and to move the two rating thresholds. It shows the
// t_contractor table of a contractor data set it does not own.
class DEALS_EXPORT SupplierDirectoryView : public QWidget, public Ui::SupplierDirectoryView
{
    Q_OBJECT

public:
    explicit SupplierDirectoryView(QDataSet *dataSet, QWidget *parent = nullptr);
    ~SupplierDirectoryView() override;

    // actNew, actDel, a separator, actBadRating, actGoodRating.
    QList<QAction *> toolBarActions() const { return m_toolBarActions; }
    QSqlRecord currentRow() const;
    int setCurrentRowByID(long long id);
    QDataTable *table() const { return m_table.data(); }
    QString filterText() const { return m_filterText; }

public Q_SLOTS:
    void refresh();
    void filter(QString text);
    void updateButtons();
    void onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);
    void on_actNew_triggered();
    void on_actDel_triggered();
    void on_actBadRating_triggered();
    void on_actGoodRating_triggered();

Q_SIGNALS:
    // A new contractor was added: a host with an editor opens it.
    void autoEdit();

private:
    void loadThresholds();
    bool storeThreshold(const QString &tableName, double value);
    bool canDelete(const QSqlRecord &record) const;

    // Guarded: a dialog may destroy the data set before the view.
    QPointer<QDataSet> m_dataSet;
    QPointer<QDataTable> m_table;
    QString m_filterText;
    QList<QAction *> m_toolBarActions;
};

#endif // SUPPLIERDIRECTORYVIEW_H
