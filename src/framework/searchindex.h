#ifndef SEARCHINDEX_H
#define SEARCHINDEX_H

#include <QMultiHash>
#include <QString>
#include <QVariant>

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
            for (auto it = m_numbers.constFind(number); it != m_numbers.cend() && it.key() == number; ++it)
                visit(it.value());
            return;
        }
        const QString text = textOf(value);
        for (auto it = m_texts.constFind(text); it != m_texts.cend() && it.key() == text; ++it)
            visit(it.value());
    }

private:
    // Whether the value's text is a plain whole number, and which.
    static bool numberOf(const QVariant &value, qint64 *number);
    static bool numberOfText(const QChar *text, int length, qint64 *number);
    static QString textOf(const QVariant &value);

    QMultiHash<qint64, DataTableRowItem *> m_numbers;
    QMultiHash<QString, DataTableRowItem *> m_texts;
};

#endif // SEARCHINDEX_H
