#include "dealsentrypoints.h"

#include "dealsdocument.h"
#include "eventhandler.h"
#include "qdataset.h"
#include "qdeals.h"
#include "qdealeditor.h"
#include "qdealsview.h"
#include "workplacelogging.h"

#include <QPointer>

namespace {

// Guarded: the shell owns the controller through its parent, and the
// document belongs to the controller.
QPointer<QDeals> &controller()
{
    static QPointer<QDeals> deals;
    return deals;
}

QPointer<QDataSet> &document()
{
    static QPointer<QDataSet> dataSet;
    return dataSet;
}

} // namespace

QUserInterface *getInterface(QWidget *parent)
{
    if (!controller())
        controller() = new QDeals(parent);
    return controller();
}

QDataSet *getDocument(QWidget *parent)
{
    if (!document()) {
        // Remembered before it is filled, so that whatever the filling calls
        // finds this document and does not start another one.
        document() = new QDataSet(parent);
        buildDealsDocument(document(), parent);
    }
    return document();
}

QWidget *getView(QDataSet *document, QWidget *parent)
{
    return new QDealsView(document, parent);
}

QWidget *getEditor(QDataSet *document, QWidget *parent)
{
    return new QDealEditor(document, parent);
}

QIcon getIcon()
{
    registerEventHandler(QStringLiteral("t_deals"), reminderEventHandler, QStringLiteral("deals"));
    return QIcon(QStringLiteral(":/Icons/DEALMAIN"));
}

QStringList getContent()
{
    return {QStringLiteral("getInterface"), QStringLiteral("getToolBarActions")};
}

QList<QAction *> *getToolBarActions()
{
    return QDeals::toolBarActions();
}

void reminderEventHandler(QString table, long long id)
{
    if (!controller())
        return;
    if (table.toLower() != QLatin1String("t_deals")) {
        qCDebug(lcDeals) << "reminder for" << table << "is not for the deals module";
        return;
    }
    controller()->setCurrentRowByID(id);
}
