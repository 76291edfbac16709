#include "siblingmodules.h"

#include "appcontext.h"
#include "liblist.h"
#include "modulelibrary.h"
#include "qdataset.h"
#include "qsqlconnection.h"

#include <QLibrary>
#include <QString>

namespace {

const QString itemHistoryReport = QStringLiteral("ItemHistoryReport");
const QString designDocumentation = QStringLiteral("DesignDocumentation");
const QString familyParameters = QStringLiteral("FamilyParameters");
const QString processTechnologyEditor = QStringLiteral("ProcessTechnologyEditor");

template<typename Func>
Func siblingFunction(const QString &library, const char *symbol)
{
    return reinterpret_cast<Func>(resolveLibDirFunction(library, symbol));
}

using WidgetFunc = QWidget *(*)(QWidget *parent);
using IdParentFunc = void (*)(long long id, QWidget *parent);
using WidgetIdFunc = void (*)(QWidget *widget, long long id);
using TwoIdsParentFunc = void (*)(long long id1, long long id2, QWidget *parent);

} // namespace

void showItemHistoryReport(long long id, QWidget *parent)
{
    if (const auto show = siblingFunction<IdParentFunc>(itemHistoryReport, "getItemHistoryReport"))
        show(id, parent);
}

void showItemHistoryReportByItem(long long itemId, QWidget *parent)
{
    QSqlConnection *connection = currentConnection();
    if (!connection)
        return;
    const QString statement = connection->parseQuery(
        QStringLiteral("SELECT id_item_family FROM dirs.t_item WHERE id = :id ;"), QStringLiteral("id"), itemId);
    const QVariant family = connection->execScript(statement);
    // An unknown item has no family to report on.
    if (family.isNull())
        return;
    showItemHistoryReport(family.toLongLong(), parent);
}

QWidget *getDesignDocumentation(QWidget *parent)
{
    const auto create = siblingFunction<WidgetFunc>(designDocumentation, "getDesignDocumentation");
    return create ? create(parent) : nullptr;
}

void setIDVersionDesignDocumentation(QWidget *widget, long long id)
{
    if (const auto set = siblingFunction<WidgetIdFunc>(designDocumentation, "setIDVersionDesignDocumentation"))
        set(widget, id);
}

void setIDProductDesignDocumentation(QWidget *widget, long long id)
{
    if (const auto set = siblingFunction<WidgetIdFunc>(designDocumentation, "setIDProductDesignDocumentation"))
        set(widget, id);
}

QWidget *getFamilyParameters(QWidget *parent)
{
    const auto create = siblingFunction<WidgetFunc>(familyParameters, "getFamilyParameters");
    return create ? create(parent) : nullptr;
}

void setIDFamilyParameters(QWidget *widget, long long id)
{
    if (const auto set = siblingFunction<WidgetIdFunc>(familyParameters, "setIDFamilyParameters"))
        set(widget, id);
}

void showFamilyDetailDialog(long long id, QWidget *parent)
{
    if (const auto show = siblingFunction<IdParentFunc>(familyParameters, "showFamilyDetailDialog"))
        show(id, parent);
}

void showProcessTechnologyEditor(long long id1, long long id2, QWidget *parent)
{
    if (const auto show = siblingFunction<TwoIdsParentFunc>(processTechnologyEditor, "showProcessTechnologyDialog"))
        show(id1, id2, parent);
}

bool mergeDocument(QString libName, QDataSet *dataSet, QWidget *parent)
{
    libList *libraries = AppContext::libraries();
    if (!libraries || !dataSet)
        return false;
    QLibrary *library = libraries->getLibrary(libName, true);
    if (!library)
        return false;
    using GetDocumentFunc = QDataSet *(*)(QWidget *parent);
    const auto getDocument = reinterpret_cast<GetDocumentFunc>(library->resolve("getDocument"));
    if (!getDocument)
        return false;
    dataSet->intersect(getDocument(parent));
    return true;
}
