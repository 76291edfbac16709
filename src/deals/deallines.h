#ifndef DEALLINES_H
#define DEALLINES_H

#include "celldata.h"
#include "dealsglobal.h"

#include <QFont>
#include <QObject>
#include <QPair>
#include <QSqlRecord>

class QDataSet;
class QDataTable;
class QModelIndex;
class QTableView;
class QWidget;

// The lines of the deal being edited, either its positions or its
// development-work requests: their table of the deals document shown in a
// view, and the line dialog that adds, edits and shows them. Every change
// stays in the table until the deal is saved.
class DEALS_EXPORT DealLines : public QObject
{
    Q_OBJECT

public:
    DealLines(QDataSet *document, QDataTable *table, QTableView *view, bool positions, QObject *parent = nullptr);

    QDataTable *table() const { return m_table; }
    QTableView *view() const { return m_view; }
    bool isPositions() const { return m_positions; }

    // The row under the view's cursor, -1 for none.
    int currentRow() const;
    // A line is current and not deleted.
    bool hasLiveLine() const;
    // ... and it has a sale price: lines without one come from elsewhere and are only shown.
    bool hasPricedLine() const;

    // Each true when the table changed.
    bool add(long long dealId, const QString &currency);
    bool edit(const QString &currency);
    void show(const QString &currency);
    bool remove(QWidget *questionParent);
    // Column 0 opens the line's web page; any other column edits the line.
    bool activate(const QModelIndex &index, const QString &currency);

    // What a line looks like: yellow when ready to ship, green for the
    // request marked among the positions, struck out once deleted; the URL
    // as an icon, the date short, the cost with the additional cost.
    static void decorate(int column, const QVariant *value, cellData *cell, const QSqlRecord &record, int state,
                         const QFont &viewFont);
    // Lines of the table not deleted.
    static int liveRows(QDataTable *table);
    // Sums of cost and sale price over the lines not deleted.
    static QPair<double, double> totals(QDataTable *table);

private:
    bool runDialog(int row, bool readOnly, long long dealId, const QString &currency);

    QDataSet *m_document;
    QDataTable *m_table;
    QTableView *m_view;
    bool m_positions;
};

#endif // DEALLINES_H
