#ifndef SHEETNOTLINKDIALOG_H
#define SHEETNOTLINKDIALOG_H

#include "celldata.h"
#include "dealsglobal.h"
#include "ui_sheetnotlinkdialog.h"

#include <QDialog>
#include <QSqlRecord>
#include <QVector>

class QDataTable;

// The shipping sheets that no deal holds yet and that carry one of a deal's
// items, to choose one for linking. Sheets the deal has already taken in this
// edit are green. A sheet can be kept out of linking ("Привязка": Нет); that
// is saved at once, whatever happens to the deal. The filter shows the sheets
// open for linking ("Привязка") or all of them ("Все").
class DEALS_EXPORT SheetNotLinkDialog : public QDialog, public Ui::SheetNotLinkDialog
{
    Q_OBJECT

public:
    // productIds: the deal's item ids joined by ", ".
    explicit SheetNotLinkDialog(QString productIds, QWidget *parent = nullptr);

    // Marks the sheets with these ids as already taken by the deal.
    void setIdAdd(QVector<long long> ids);
    // The current sheet; empty without one.
    QSqlRecord getShippingSheetRecord() const;
    QDataTable *table() const { return m_table; }

public slots:
    void onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record);
    void updateButtons();
    void filter();
    void on_buttonBlockLink_clicked();
    void on_buttonShippingReport_clicked();

private:
    void load();
    int currentRow() const;
    bool isHidden(int row) const;

    QDataTable *m_table = nullptr;
    QVector<long long> m_added;
};

#endif // SHEETNOTLINKDIALOG_H
