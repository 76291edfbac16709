#ifndef DEALCONTRACTORFIELD_H
#define DEALCONTRACTORFIELD_H

#include "dealsglobal.h"

#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QComboBox;
class QDataTable;
class QToolButton;
class QWidget;

// One contractor of a deal (the recipient, the supplier or the transport
// company): the contractor chosen, the editable combo box that shows it and
// completes names as they are typed, and the button that opens its card.
// The choice changes when the person picks a list entry, a completion, or a
// contractor from the directory; typed text that names no contractor goes
// back to the contractor chosen, so what is saved is what is shown.
class DEALS_EXPORT DealContractorField : public QObject
{
    Q_OBJECT

public:
    using Entry = QPair<QString, QVariant>; // name, id

    // An optional field starts its list with an empty entry that chooses nobody.
    DealContractorField(QComboBox *combo, QToolButton *info, bool optional, QObject *parent = nullptr);

    // The contractor chosen: -1 and an empty name for none.
    long long id() const { return m_id; }
    QString name() const { return m_name; }
    QComboBox *combo() const { return m_combo; }

    // Shows a contractor as chosen, without telling anybody.
    void setChoice(long long id, const QString &name);
    // Refills the list; the choice stays.
    void setContractors(const QVector<Entry> &contractors);

    // Lets the person pick a contractor from the directory; true when one
    // was picked, and it is then the choice.
    bool pick(QWidget *dialogParent);
    // Shows the card of the contractor chosen, for reading; `contractors` is
    // reloaded with every type of contractor to find it.
    void showCard(QDataTable *contractors, QWidget *dialogParent) const;

public Q_SLOTS:
    // The combo box's current entry became the choice.
    void takeIndex(int index);
    // The person left the box: its text names a contractor of the list, or
    // goes back to the one chosen.
    void settleText();

Q_SIGNALS:
    // A contractor picked in the directory is not in the list: reload it.
    void listOutdated();
    // The person chose another contractor by typing in the box.
    void chosenByText();

private:
    void showChoice();
    void select(int index);

    QComboBox *m_combo;
    QToolButton *m_info;
    bool m_optional;
    long long m_id = -1;
    QString m_name;
};

#endif // DEALCONTRACTORFIELD_H
