#ifndef ROWQUEUE_H
#define ROWQUEUE_H

#include <QList>
#include <QSet>
#include <QtGlobal>

// Row identities waiting for one kind of script, in the order they came,
// without duplicates. Membership is a hash look-up so that long commits stay linear.
class RowQueue
{
public:
    bool contains(qint64 id) const { return m_members.contains(id); }
    bool isEmpty() const { return m_order.isEmpty(); }
    int size() const { return m_order.size(); }
    QList<qint64> toList() const { return m_order; }

    void append(qint64 id)
    {
        if (m_members.contains(id))
            return;
        m_members.insert(id);
        m_order.append(id);
    }

    void remove(qint64 id)
    {
        if (m_members.remove(id))
            m_order.removeOne(id);
    }

    void clear()
    {
        m_members.clear();
        m_order.clear();
    }

private:
    QList<qint64> m_order;
    QSet<qint64> m_members;
};

#endif // ROWQUEUE_H
