#ifndef QDEALSVIEW_H
#define QDEALSVIEW_H

#include "celldata.h"
#include "dealsglobal.h"
#include "ui_dealsview.h"

#include <QBrush>
#include <QIcon>
#include <QList>
#include <QLocale>
#include <QSqlRecord>
#include <QTimer>
#include <QVector>
#include <QWidget>

class QAction;
class QDataSet;
class QDataTable;

// The list of deals in the deals module's view area: the document's t_deals,
// filtered by state and by recipient, narrowed by the module's find text and
// coloured by readiness (yellow: something is ready to ship, green: all is).
// Its two actions, a new deal and a copy of the current one, go to the
// shell's tool bar through toolBarActions().
class DEALS_EXPORT QDealsView : public QWidget, public Ui::DealsView
{
    Q_OBJECT

public:
    QDealsView(QDataSet *document, QWidget *parent = nullptr);
    ~QDealsView() override;

    // acNew and acCopy of the views built so far, in that order.
    static QList<QAction *> *toolBarActions();

    QDataTable *table() const { return m_table; }
    // The deal under the cursor; empty without a table or a current row.
    QSqlRecord currentRow() const;
    // Moves the cursor to the deal; its row, or -1 when the list does not hold it.
    int setCurrentRowByID(long long id);

    // The header layout, kept in the user's settings under "sales/deals/mainheader".
    void saveUserData();
    void restoreUserData();

signals:
    // A deal was created or copied and wants the editor.
    void autoEdit();

public slots:
    void refresh();
    void filter();
    void search(QString text);
    void onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record);
    void updateButtons();
    void on_acNew_triggered();
    void on_acCopy_triggered();

private:
    void fillStates();
    void rebuildContractors();
    void moveCursorTo(int row);
    // Drops the state, recipient and text filters.
    void showAll();
    void applyFilters();
    // Fits the shown rows that have not been fitted to their contents since
    // they were loaded: a screenful from the top of the view at once, the
    // others a batch at a time while the event loop is idle, so a long list
    // is on the screen before all of it is measured. Rows the filters hide
    // wait until they are shown.
    void fitShownRows();
    void fitNextBatch();
    // Fits up to count unfitted shown rows from row on; returns the row after
    // the last one looked at.
    int fitRows(int row, int count);
    void trackFittedRows();
    void readDateFormats();

    QDataSet *m_document = nullptr;
    QDataTable *m_table = nullptr;
    QString m_searchText;

    // The display callback runs for every visible cell of every loaded row:
    // what it hands out is made once and shared by the cells.
    QIcon m_attachIcon;
    QIcon m_toolsIcon;
    QBrush m_readyBrush;
    // The locale's short formats, asked for once per load rather than per cell.
    QLocale m_locale;
    QString m_dateFormat;
    QString m_dateTimeFormat;
    QBrush m_partlyReadyBrush;
    int m_qtyField = -1;
    int m_readyField = -1;
    // Per model row: fitted to its contents since it was loaded.
    QVector<bool> m_fitted;
    QTimer *m_fitTimer = nullptr;
    int m_nextFit = 0;
};

#endif // QDEALSVIEW_H
