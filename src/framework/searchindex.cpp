#include "searchindex.h"

#include "datatableitem.h"

#include <limits>

bool SearchIndex::numberOfText(const QChar *text, int length, qint64 *number)
{
    // Exactly the text QString::number writes: an optional minus, no leading
    // zeros, no "-0", within 64 bits.
    int i = 0;
    const bool negative = length > 0 && text[0] == QLatin1Char('-');
    if (negative)
        ++i;
    const int digits = length - i;
    if (digits < 1 || digits > 19)
        return false;
    if (text[i] == QLatin1Char('0') && (digits > 1 || negative))
        return false;
    quint64 magnitude = 0;
    for (; i < length; ++i) {
        const ushort c = text[i].unicode();
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
    }
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    if (magnitude > limit)
        return false;
    *number = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return true;
}

bool SearchIndex::numberOf(const QVariant &value, qint64 *number)
{
    if (value.isNull())
        return false;
    switch (value.userType()) {
    case QMetaType::LongLong:
        *number = *static_cast<const qlonglong *>(value.constData());
        return true;
    case QMetaType::Int:
        *number = *static_cast<const int *>(value.constData());
        return true;
    case QMetaType::UInt:
        *number = *static_cast<const uint *>(value.constData());
        return true;
    case QMetaType::QString: {
        const QString &text = *static_cast<const QString *>(value.constData());
        return numberOfText(text.constData(), text.size(), number);
    }
    default: {
        const QString text = DataTableItem::textOf(value);
        return numberOfText(text.constData(), text.size(), number);
    }
    }
}

QString SearchIndex::textOf(const QVariant &value)
{
    return DataTableItem::textOf(value);
}

bool SearchIndex::sameKey(const QVariant &a, const QVariant &b)
{
    qint64 first = 0;
    qint64 second = 0;
    const bool firstIsNumber = numberOf(a, &first);
    const bool secondIsNumber = numberOf(b, &second);
    if (firstIsNumber != secondIsNumber)
        return false;
    return firstIsNumber ? first == second : textOf(a) == textOf(b);
}

void SearchIndex::insert(const QVariant &value, DataTableRowItem *head)
{
    qint64 number = 0;
    if (numberOf(value, &number))
        m_numbers.insert(number, head);
    else
        m_texts.insert(textOf(value), head);
}

void SearchIndex::remove(const QVariant &value, DataTableRowItem *head)
{
    qint64 number = 0;
    if (numberOf(value, &number))
        m_numbers.remove(number, head);
    else
        m_texts.remove(textOf(value), head);
}

void SearchIndex::NumberTable::insert(qint64 key, DataTableRowItem *head)
{
    if ((m_used + 1) * 4 > m_slots.size() * 3)
        rehash(qMax(16, (m_live + 1) * 2));
    const int mask = m_slots.size() - 1;
    int i = slotOf(key, mask);
    while (m_slots.at(i).head && m_slots.at(i).head != removed())
        i = (i + 1) & mask;
    Slot &slot = m_slots[i];
    if (!slot.head)
        ++m_used;
    slot.key = key;
    slot.head = head;
    ++m_live;
}

void SearchIndex::NumberTable::remove(qint64 key, DataTableRowItem *head)
{
    if (m_slots.isEmpty())
        return;
    const int mask = m_slots.size() - 1;
    for (int i = slotOf(key, mask); m_slots.at(i).head; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (slot.key == key && slot.head == head) {
            // Left in place as a marker, so that the probes passing it go on;
            // once markers fill a quarter of the slots, probes would walk
            // them for nothing and the live rows are filed afresh.
            slot.head = removed();
            --m_live;
            if ((m_used - m_live) * 4 > m_slots.size())
                rehash(qMax(16, m_live * 2));
            return;
        }
    }
}

void SearchIndex::NumberTable::clear()
{
    m_slots.clear();
    m_used = 0;
    m_live = 0;
}

void SearchIndex::NumberTable::rehash(int capacity)
{
    int size = 16;
    while (size < capacity)
        size *= 2;
    const QVector<Slot> old = m_slots;
    m_slots = QVector<Slot>(size);
    m_used = 0;
    m_live = 0;
    for (const Slot &slot : old) {
        if (slot.head && slot.head != removed())
            insert(slot.key, slot.head);
    }
}

void SearchIndex::clear()
{
    m_numbers.clear();
    m_texts.clear();
}
