// A sibling module library: each entry point records how it was called in the
// application property "siblingCalls".

#include <QCoreApplication>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#define MODULE_EXPORT extern "C" Q_DECL_EXPORT

namespace {
void record(const QString &call)
{
    qApp->setProperty("siblingCalls", qApp->property("siblingCalls").toStringList() << call);
}

QString parentName(const QWidget *parent)
{
    return parent ? parent->objectName() : QStringLiteral("null");
}
} // namespace

#ifdef HAS_ITEM_HISTORY
MODULE_EXPORT void getItemHistoryReport(long long id, QWidget *parent)
{
    record(QStringLiteral("getItemHistoryReport(%1,%2)").arg(id).arg(parentName(parent)));
}
#endif

#ifdef HAS_FAMILY_PARAMETERS
MODULE_EXPORT QWidget *getFamilyParameters(QWidget *parent)
{
    record(QStringLiteral("getFamilyParameters(%1)").arg(parentName(parent)));
    auto *widget = new QWidget(parent);
    widget->setObjectName(QStringLiteral("familyParameters"));
    return widget;
}

MODULE_EXPORT void setIDFamilyParameters(QWidget *widget, long long id)
{
    record(QStringLiteral("setIDFamilyParameters(%1,%2)").arg(parentName(widget)).arg(id));
}
#endif
