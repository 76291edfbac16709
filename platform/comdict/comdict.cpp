// The common dictionary: look-up tables that several modules share and merge
// into their own documents. Today the units of measure, with the number of
// decimals a quantity in each unit is entered with (n_precission).

#include "appcontext.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QPointer>
#include <QWidget>

extern "C" Q_DECL_EXPORT QDataSet *getDocument(QWidget *parent)
{
    // One per process; its tables are copied, not shared, by the modules
    // that merge it, so the owner may go with its parent.
    static QPointer<QDataSet> document;
    if (document)
        return document;

    document = new QDataSet(parent);
    auto *units = new QDataTable(QStringLiteral("t_meas_unit"), AppContext::connection(), document);
    units->setScripts(QStringLiteral("MEAS_UNIT_SELECT"), QString(), QString(), QString());
    units->addColumn(QStringLiteral("id"), QVariant::LongLong, false);
    units->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Единица измерения"), 0, 200);
    units->addColumn(QStringLiteral("c_short_name"), QVariant::String, true, QStringLiteral("Обозначение"), 0, 100);
    units->addColumn(QStringLiteral("c_okei_code"), QVariant::String, false);
    units->addColumn(QStringLiteral("n_precission"), QVariant::Int, false);
    units->setKeyField(QStringLiteral("id"));
    document->addTable(units);
    return document;
}
