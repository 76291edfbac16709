#ifndef DEALFIELDS_H
#define DEALFIELDS_H

#include "dealsglobal.h"

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

class QDataSet;

// The fields of a deal and of its lines as a person knows them: what the
// editor lets one change, under the editor's captions, with keys shown as the
// names they stand for. The concurrent-edit dialog lists a colleague's
// changes with it; the editor uses same() to tell a real change from a value
// merely written back in another form.
class DEALS_EXPORT DealFields
{
public:
    explicit DealFields(QDataSet *document);

    // The fields a person edits in the table ("t_deals", "t_deal_details",
    // "t_deal_details_okr"), in the order the editor shows them; none for
    // any other table.
    static QStringList editable(const QString &table);
    static QString caption(const QString &table, const QString &field);
    // Whether two stored values mean the same: null, an empty text, 0 and
    // false are all "nothing"; numbers compare as numbers, dates as dates.
    static bool same(const QVariant &a, const QVariant &b);
    // The editable fields in which the two records differ.
    static QStringList differences(const QString &table, const QSqlRecord &a, const QSqlRecord &b);

    // The value of the record's field as the editor shows it.
    QString text(const QString &table, const QString &field, const QSqlRecord &record) const;

private:
    QString lookup(const char *table, const QVariant &id, const char *nameField = "c_name") const;

    QDataSet *m_document;
};

#endif // DEALFIELDS_H
