#ifndef DATATABLEITEM_H
#define DATATABLEITEM_H

#include "celldata.h"
#include "datatabletypes.h"
#include "dealsglobal.h"

#include <QStandardItem>
#include <QtAlgorithms>

#include <memory>

// One cell of a data table. It keeps the value and, only while they differ
// from what the value alone implies, the original value and the decoration:
// a loaded cell that nobody decorated holds nothing but its value.
class DEALS_EXPORT DataTableItem : public QStandardItem
{
public:
    explicit DataTableItem(const QVariant &value = QVariant());
    ~DataTableItem() override;

    int type() const override { return UserType + 1; }
    QVariant data(int role = Qt::UserRole + 1) const override;
    void setData(const QVariant &value, int role = Qt::UserRole + 1) override;
    QStandardItem *clone() const override;

    const QVariant &value() const { return m_value; }
    QVariant originalValue() const;

    // These change the cell silently; announce() tells the model afterwards.
    bool storeValue(const QVariant &value);
    void acceptValue();
    bool restoreOriginal();
    void applyCell(const cellData &cell, const cellData &defaults);
    // Whether a cell the callbacks filled shows no more than its value does.
    static bool showsValueOnly(const cellData &cell, const cellData &defaults);
    void clearDecoration();
    void announce() { emitDataChanged(); }

    QString displayText() const;

    // The text form of a value as cells and search indexes use it: empty for null.
    static QString textOf(const QVariant &value);
    // "yyyy-MM-dd", with "THH:mm:ss.zzz" when a time is given; null outside years 0 to 9999.
    static QString isoText(const QDate &date, const QTime *time);
    static bool sameValue(const QVariant &a, const QVariant &b);

    // The item a table's model makes for a cell that so far had its value
    // packed in its row's head: the model's prototype. A copy of it takes the
    // packed value when it is first read or written in its slot.
    static DataTableItem *makePrototype();
    virtual void adoptPackedValue() const {}

protected:
    void copyCellInto(DataTableItem *copy) const;
    void adoptValue(const QVariant &value) const { m_value = value; }

private:
    struct Extra;
    Extra &extra();
    void dropExtraWhenEmpty();

    // Mutable for adoptPackedValue(): a cell made by a read takes its value then.
    mutable QVariant m_value;
    std::unique_ptr<Extra> m_extra;
};

// The first cell of a row: it also carries the row's state and lock, and its
// address is the row's identity while the row is pending.
class DEALS_EXPORT DataTableRowItem : public DataTableItem
{
public:
    explicit DataTableRowItem(const QVariant &value = QVariant());
    ~DataTableRowItem() override;

    int type() const override { return UserType + 2; }
    QVariant data(int role = Qt::UserRole + 1) const override;
    void setData(const QVariant &value, int role = Qt::UserRole + 1) override;
    QStandardItem *clone() const override;

    int state() const { return m_state; }
    void setState(int state) { m_state = state; }
    int lock() const { return m_lock; }
    void setLock(int lock) { m_lock = lock; }

    // Values of the row's other cells that have no item of their own: a
    // loaded cell is an item only once something needs more than its value.
    bool hasPacked(int column) const { return column < 64 && (m_packedLive >> column) & 1; }
    const QVariant &packed(int column) const { return packedValues()[slotOf(column)]; }
    // Packs the values of the columns whose bit is set in mask (column 0 never is).
    void setPacked(const QVariant *values, int count, quint64 mask);
    QVariant takePacked(int column);

    // The row number as last seen, while the table's count of row moves is
    // still the one it was seen at; -1 when the rows may have moved since.
    int rowHint(quint32 moves) const { return m_hintMoves == moves ? m_rowHint : -1; }
    void setRowHint(int row, quint32 moves)
    {
        m_rowHint = row;
        m_hintMoves = moves;
    }

private:
    Q_DISABLE_COPY(DataTableRowItem)

    // One block holds the bits of the columns packed when the row was loaded
    // and then their values side by side, with no slot for other columns: a
    // loaded row of a wide table is three allocations, this the largest.
    quint64 packedLayout() const { return m_packed ? m_packed[0] : 0; }
    QVariant *packedValues() const { return reinterpret_cast<QVariant *>(m_packed + 1); }
    int slotOf(int column) const { return qPopulationCount(packedLayout() & ((quint64(1) << column) - 1)); }
    void freePacked();

    int m_state = rsUnchanged;
    int m_lock = 0;
    int m_rowHint = -1;
    quint32 m_hintMoves = 0;
    quint64 *m_packed = nullptr;
    quint64 m_packedLive = 0; // the packed columns that have no item yet
};

#endif // DATATABLEITEM_H
