#ifndef DOCUMENTLISTDIALOG_H
#define DOCUMENTLISTDIALOG_H

#include "celldata.h"
#include "dealsglobal.h"
#include "ui_documentlistdialog.h"

#include <QDialog>
#include <QSqlRecord>
#include <QString>

class QDataTable;
class QDocCreator;

// The documents kept for one record (a deal, ...): when and by whom each was
// made, a way to make a new one from the templates of the record's kind and
// keep it ("Save to DB" in the document window), to open a kept one as it
// was made, and to delete one. Kept documents never change: a new version is
// a new document.
class DEALS_EXPORT DocumentListDialog : public QDialog, public Ui::DocumentListDialog
{
    Q_OBJECT

public:
    DocumentListDialog(QString templateType, long long sourceId, QWidget *parent = nullptr);

    // What the documents are about ("Сделка № 152 от 03.12.2026, ООО «Ромашка»"),
    // shown above the list and in the titles of the document windows.
    void setSourceDescription(const QString &text);

    QDataTable *table() const { return m_table; }
    // The row of the current document in the table, -1 without one.
    int currentRow() const;

public Q_SLOTS:
    void refresh();
    // A document window over the templates of the kind, or null (the user is
    // told) when the kind has none.
    QDocCreator *createDocument();
    QDocCreator *openDocument();
    bool deleteDocument();
    // Keeps what a document window hands over; true when it is stored.
    bool keepDocument(QDocCreator *creator, const QString &html);
    void updateButtons();
    void onGetDispInfo(int column, QVariant *value, QCellData *cell, QSqlRecord *record, int state);

private:
    void selectDocument(long long id);

    QString m_templateType;
    long long m_sourceId = 0;
    QString m_description;
    QDataTable *m_table = nullptr;
};

#endif // DOCUMENTLISTDIALOG_H
