#ifndef SEARCHINDEX_H
#define SEARCHINDEX_H

#include <QMultiHash>
#include <QString>
#include <QVariant>
#include <QVector>

class DataTableRowItem;

// A hash search index of one column: the rows filed under the text form of
// their value. A text that is a whole number written plainly ("42", "-7")
// is filed under the number itself, so that the usual integer key is found
// without building its text; "042" or "4.5" stay texts. Two values meet in
// the index exactly when their texts are equal.
class SearchIndex
{
public:
    void insert(const QVariant &value, DataTableRowItem *head);
    void remove(const QVariant &value, DataTableRowItem *head);
    void clear();

    static bool sameKey(const QVariant &a, const QVariant &b);

    // Calls visit(head) for every row filed under the value, in no order.
    template <typename Visit>
    void forEachRow(const QVariant &value, Visit visit) const
    {
        qint64 number = 0;
        if (numberOf(value, &number)) {
            m_numbers.forEachRow(number, visit);
            return;
        }
        const QString text = textOf(value);
        for (auto it = m_texts.constFind(text); it != m_texts.cend() && it.key() == text; ++it)
            visit(it.value());
    }

private:
    // Rows by whole number in one open-addressed array: a look-up reads one
    // slot (and its neighbours) where a node-based hash reads a bucket and
    // then a node allocated somewhere else, among the rows' cells.
    class NumberTable
    {
    public:
        void insert(qint64 key, DataTableRowItem *head);
        void remove(qint64 key, DataTableRowItem *head);
        void clear();

        template <typename Visit>
        void forEachRow(qint64 key, Visit visit) const
        {
            if (m_slots.isEmpty())
                return;
            const int mask = m_slots.size() - 1;
            for (int i = slotOf(key, mask);; i = (i + 1) & mask) {
                const Slot &slot = m_slots.at(i);
                if (!slot.head)
                    return;
                if (slot.key == key && slot.head != removed())
                    visit(slot.head);
            }
        }

    private:
        struct Slot
        {
            qint64 key = 0;
            DataTableRowItem *head = nullptr; // null: never used; removed(): a row left
        };
        static DataTableRowItem *removed() { return reinterpret_cast<DataTableRowItem *>(quintptr(1)); }
        static int slotOf(qint64 key, int mask)
        {
            return int((quint64(key) * Q_UINT64_C(0x9E3779B97F4A7C15)) >> 32) & mask;
        }
        void rehash(int capacity);

        QVector<Slot> m_slots; // a power of two long, never more than three quarters used
        int m_used = 0;        // slots that end a probe later than an empty one would: live and removed
        int m_live = 0;
    };

    // Whether the value's text is a plain whole number, and which.
    static bool numberOf(const QVariant &value, qint64 *number);
    static bool numberOfText(const QChar *text, int length, qint64 *number);
    static QString textOf(const QVariant &value);

    NumberTable m_numbers;
    QMultiHash<QString, DataTableRowItem *> m_texts;
};

#endif // SEARCHINDEX_H
