#include "dealrequisites.h"

#include "qdatatable.h"

#include <QSqlRecord>

DealRequisites::DealRequisites(const QDataTable *requisites)
{
    if (!requisites)
        return;
    for (int row = 0; row < requisites->rowCount(); ++row) {
        const QSqlRecord record = requisites->getRecord(row);
        const QString name = record.value(QStringLiteral("c_sys_name")).toString();
        if (!name.isEmpty() && !m_values.contains(name))
            m_values.insert(name, record.value(QStringLiteral("c_value")).toString());
    }
}

DealRequisites DealRequisites::load(QDataTable *requisites, const QString &ownerParameter, const QVariant &owner)
{
    if (!requisites)
        return DealRequisites();
    requisites->close();
    requisites->setSelectParam(ownerParameter, owner);
    requisites->open(false, false);
    return DealRequisites(requisites);
}

QString DealRequisites::partyLine(const QString &name) const
{
    QString line = name;
    const auto append = [this, &line](const QString &label, const char *sysName) {
        const QString part = value(QLatin1String(sysName));
        if (!part.isEmpty())
            line += label + part;
    };
    append(QStringLiteral(", ИНН "), "CR_INN");
    append(QStringLiteral(", КПП "), "CR_KPP");
    append(QStringLiteral(", "), "CR_JUR_ADDR");
    append(QStringLiteral(", тел.: "), "CR_PHONE");
    return line;
}
