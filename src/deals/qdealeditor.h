#ifndef QDEALEDITOR_H
#define QDEALEDITOR_H

#include "celldata.h"
#include "dealsglobal.h"
#include "ui_qdealeditor.h"

#include <QSqlRecord>
#include <QWidget>

class FileWidget;
class QDataSet;

// The editor of the current deal in the deals module's edit area, for now a
// read-only one: it shows the header, the positions, the development-work
// requests, the attached files (which can be added and removed) and the
// linked shipping sheets of a deal, and saves what is pending (a new deal from
// the list, its files) when "Применить" is pressed.
//
// What the controller relies on, and what a full editor must keep:
// the constructor (document, parent); setData(), getData() and refresh();
// the signals dataChanged() (an unsaved change: the frame enables
// "Применить") and commitData() (after every save: the module refreshes);
// the form's tabWidget with the tabs tabDeal, tabDetail, tabFile, tabDoc in
// that order, and the tables tvDetails and tvOkr (for the help context).
class DEALS_EXPORT QDealEditor : public QWidget, public Ui::QDealEditor
{
    Q_OBJECT

public:
    QDealEditor(QDataSet *document, QWidget *parent = nullptr);

    // The deal being shown, as the list gave it.
    QSqlRecord record() const { return m_record; }

signals:
    void dataChanged();
    void commitData();

public slots:
    // Shows the deal and reloads its positions, requests, files and links.
    void setData(QSqlRecord record);
    // Saves the document: the shown deal and whatever else is pending.
    void getData();
    // Reloads the look-ups the header is shown with.
    void refresh();
    void onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record, int state);

private:
    void bindTable(const char *name, QTableView *view);
    void reloadDetail(const char *name, const QString &param, const QVariant &value,
                      const QString &param2 = QString(), const QVariant &value2 = QVariant());
    QString lookup(const char *table, const char *idField, const char *nameField = "c_name") const;
    void showTotals();

    QDataSet *m_document = nullptr;
    QSqlRecord m_record;
    FileWidget *m_files = nullptr;
};

#endif // QDEALEDITOR_H
