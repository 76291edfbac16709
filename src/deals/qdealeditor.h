#ifndef QDEALEDITOR_H
#define QDEALEDITOR_H

#include "celldata.h"
#include "dealsglobal.h"
#include "ui_qdealeditor.h"

#include <QSqlRecord>
#include <QWidget>

class DealContractorField;
class DealLines;
class FileWidget;
class QDataSet;
class QDataTable;

// The editor of one deal in the deals module's edit area: the header (seller
// division, recipient, supplier, transport company, request documents,
// state, currency, delivery details), the positions and development-work
// requests, the attached files and the linked shipping sheets.
//
// Every edit stays in the deals document and in the kept record until the
// frame's "Применить" runs getData(): it checks the input (the missing fields
// in one bubble), writes the header back into t_deals and commits the whole
// document in one transaction. When a colleague saved the same deal or line
// meanwhile, the concurrent-edit dialog lists what they changed and lets the
// user write over it, reload, or go on editing; nothing is lost silently.
//
// The controller relies on the constructor (document, parent), setData(),
// getData(), refresh(), the signals dataChanged() (an unsaved change: the
// frame enables "Применить") and commitData() (the deal was saved or
// reloaded: the module refreshes), and the form's tabWidget with the tabs
// tabDeal, tabDetail, tabFile, tabDoc in that order.
class DEALS_EXPORT QDealEditor : public QWidget, public Ui::QDealEditor
{
    Q_OBJECT

public:
    QDealEditor(QDataSet *document, QWidget *parent = nullptr);

    // The deal being edited, as it was handed over and as getData() wrote it.
    QSqlRecord record() const { return m_record; }
    FileWidget *files() const { return m_files; }

    // The recipient, supplier and transport company chosen: ids (-1 when none) and names.
    DealContractorField *recipient() const { return m_recipient; }
    DealContractorField *provider() const { return m_provider; }
    DealContractorField *carrier() const { return m_carrier; }

    // Lists every missing field in one warning bubble; false when one is missing.
    bool checkData();
    void refreshContractor();

    void addDetail(bool positions);
    void editDetail(bool positions);
    void showDetail(bool positions);
    void deleteDetail(bool positions);
    void onTableDoubleClicked(const QModelIndex &index, bool positions);

signals:
    void commitData();
    void dataChanged();

public slots:
    void setData(QSqlRecord record);
    void getData();
    void refresh();
    void OnChange();
    void onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record, int state);
    void onGetDispInfoLink(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record, int state);
    void onDetailSelect();
    void onDetailOkrSelect();
    void onLinkSelect();

    void on_btSave_clicked();
    void on_btSaveDelivery_clicked();
    void on_btContractor_clicked();
    void on_btInfo_clicked();
    void on_btProvider_clicked();
    void on_btInfoProvider_clicked();
    void on_btTransportCompany_clicked();
    void on_btInfoTransportCompany_clicked();
    void on_tvDetails_doubleClicked(const QModelIndex &index);
    void on_tvOkr_doubleClicked(const QModelIndex &index);
    void on_btAddPos_clicked();
    void on_btEditPos_clicked();
    void on_btShowPos_clicked();
    void on_btDelPos_clicked();
    void on_btAddOkr_clicked();
    void on_btEditOkr_clicked();
    void on_btShowOkr_clicked();
    void on_btDelOkr_clicked();
    void on_buttonLink_clicked();
    void on_buttonUnlink_clicked();
    void on_buttonShippingReport_clicked();
    void on_cbState_currentIndexChanged(int index);
    void on_cbContractor_currentIndexChanged(int index);
    void on_cbProvider_currentIndexChanged(int index);
    void on_cbTransportCompany_currentIndexChanged(int index);

private:
    QDataTable *table(const char *name) const;
    DealLines *lines(bool positions) const;
    QString currency() const;
    DealLines *bindDetail(QDataTable *table, QTableView *view, void (QDealEditor::*onSelect)());
    void reloadTable(QDataTable *table, const QVariant &dealId, const QVariant &developmentWork = QVariant());
    void fillDictionaries();
    void connectEdits();

    void recipientChosen();
    void showContractorHints(long long contractorId);
    void notYet(const QString &what);

    // The form into the kept record.
    void writeRecord();
    void showTotals();
    // After a line was added, changed or deleted.
    void linesChanged(bool positions);

    QDataSet *m_document = nullptr;
    QSqlRecord m_record;
    long long m_id = 0;
    DealContractorField *m_recipient = nullptr;
    DealContractorField *m_provider = nullptr;
    DealContractorField *m_carrier = nullptr;
    DealLines *m_positions = nullptr;
    DealLines *m_requests = nullptr;
    FileWidget *m_files = nullptr;
};

#endif // QDEALEDITOR_H
