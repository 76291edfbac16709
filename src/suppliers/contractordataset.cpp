#include "contractordataset.h"

#include "appcontext.h"
#include "colinfo.h"
#include "fileownertable.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QVariant>

namespace {

struct Scripts
{
    QString select;
    QString update;
    QString insert;
    QString remove;
};

class Builder
{
public:
    explicit Builder(QDataSet *set)
        : m_set(set)
        , m_connection(AppContext::connection())
    {
    }

    // A table whose scripts the server keeps under these names.
    QDataTable *named(const QString &name, const Scripts &scripts)
    {
        auto *table = new QDataTable(name, m_connection, m_set);
        table->setScripts(scripts.select, scripts.update, scripts.insert, scripts.remove);
        m_set->addTable(table);
        return table;
    }

    // A table whose statements are given here as text.
    QDataTable *plain(const QString &name, const Scripts &scripts)
    {
        auto *table = new QDataTable(name, m_connection, m_set);
        table->setScripts(scripts.select, scripts.update, scripts.insert, scripts.remove, true);
        m_set->addTable(table);
        return table;
    }

private:
    QDataSet *m_set;
    QSqlConnection *m_connection;
};

// Every table an editor writes compares the version it read when it writes.
void addRowVersion(QDataTable *table)
{
    table->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
}

const Scripts fileOwnerScripts{QStringLiteral("FILE_OWNER_SELECT"), QStringLiteral("FILE_OWNER_UPDATE"),
                               QStringLiteral("FILE_OWNER_INSERT"), QStringLiteral("FILE_OWNER_DELETE")};

} // namespace

namespace ContractorDataSet {

QDataSet *create(Variant variant, QObject *parent)
{
    auto *set = new QDataSet(parent);
    set->setObjectName(QStringLiteral("Contractor_dataset"));
    Builder build(set);
    const QString none;

    QDataTable *contractor = build.named(QStringLiteral("t_contractor"),
            {QStringLiteral("CONTRACTOR_SELECT"), QStringLiteral("CONTRACTOR_UPDATE"),
             QStringLiteral("CONTRACTOR_INSERT"), QStringLiteral("CONTRACTOR_DELETE")});
    contractor->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Контрагент"), 0, 450);
    contractor->addColumn(QStringLiteral("c_inn"), QVariant::String, true, QStringLiteral("ИНН"), 0, 150);
    contractor->addColumn(QStringLiteral("n_rating"), QVariant::Double, true, QStringLiteral("Оценка"), 0, 100);
    contractor->addColumn(QStringLiteral("id_class"), QVariant::LongLong, true, QStringLiteral("Класс"), 0, 200);
    contractor->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    contractor->addColumn(QStringLiteral("id_prev"), QVariant::LongLong, false);
    contractor->addColumn(QStringLiteral("c_comment"), QVariant::String, false);
    contractor->addColumn(QStringLiteral("n_audit_frequency"), QVariant::Int, false);
    if (variant == Editor)
        contractor->addColumn(QStringLiteral("id_request_doc"), QVariant::LongLong, false);
    addRowVersion(contractor);
    contractor->setKeyField(QStringLiteral("id"));

    QDataTable *types = build.named(QStringLiteral("t_cont_cont_type"),
            {QStringLiteral("CONT_CONT_TYPE_SELECT"), none, QStringLiteral("CONT_CONT_TYPE_INSERT"),
             QStringLiteral("CONT_CONT_TYPE_DELETE")});
    types->addColumn(QStringLiteral("id_contractor"), QVariant::LongLong, false);
    types->addColumn(QStringLiteral("id_contractor_type"), QVariant::LongLong, false);
    addRowVersion(types);

    build.plain(QStringLiteral("t_contractor_class"),
                {QStringLiteral("SELECT id, c_name, c_sys_name FROM jur.t_contractor_class;"), none, none, none});
    build.plain(QStringLiteral("t_contractor_type"),
                {QStringLiteral("SELECT id, c_name, c_sys_name FROM jur.t_contractor_type;"), none, none, none});

    QDataTable *items = build.named(QStringLiteral("t_supplier_item"),
            {QStringLiteral("SUP_ITEM_SELECT"), QStringLiteral("SUP_ITEM_UPDATE"), QStringLiteral("SUP_ITEM_INSERT"),
             QStringLiteral("SUP_ITEM_DELETE")});
    items->addColumn(QStringLiteral("c_name_item"), QVariant::String, true, QStringLiteral("Элемент"), 0, 300);
    items->addColumn(QStringLiteral("c_name_family"), QVariant::String, true, QStringLiteral("Семейство"), 0, 300);
    items->addColumn(QStringLiteral("c_name_type"), QVariant::String, true, QStringLiteral("Тип"), 0, 200);
    items->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    items->addColumn(QStringLiteral("id_supplier"), QVariant::LongLong, false);
    items->addColumn(QStringLiteral("id_item"), QVariant::LongLong, false);
    addRowVersion(items);

    QDataTable *requisites = build.named(QStringLiteral("t_contractor_requisite"),
            {QStringLiteral("CONTRACTOR_REQUISITE_SELECT"), QStringLiteral("CONTRACTOR_REQUISITE_UPDATE"),
             QStringLiteral("CONTRACTOR_REQUISITE_INSERT"), QStringLiteral("CONTRACTOR_REQUISITE_DELETE")});
    requisites->addColumn(QStringLiteral("id_requisite"), QVariant::LongLong, true, QStringLiteral("Параметр"), 0, 400);
    requisites->addColumn(QStringLiteral("c_value"), QVariant::String, true, QStringLiteral("Значение"), 0, 400);
    requisites->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    requisites->addColumn(QStringLiteral("id_contractor"), QVariant::LongLong, false);
    addRowVersion(requisites);

    build.named(QStringLiteral("t_requisites"), {QStringLiteral("REQUISITES_SELECT"), none, none, none});

    QDataTable *criteria = build.named(QStringLiteral("t_criterion"),
            {QStringLiteral("CRITERION_SELECT"), QStringLiteral("CRITERION_UPDATE"), QStringLiteral("CRITERION_INSERT"),
             QStringLiteral("CRITERION_DELETE")});
    criteria->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Критерий"), 0, 400);
    criteria->addColumn(QStringLiteral("n_weight"), QVariant::Double, true, QStringLiteral("Вес критерия"), 0, 100);
    criteria->addColumn(QStringLiteral("c_description"), QVariant::String, true, QStringLiteral("Описание"), 0, 400);
    criteria->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    addRowVersion(criteria);

    QDataTable *marks = build.named(QStringLiteral("t_contractor_rating"),
            {QStringLiteral("CONTRACTOR_RATING_SELECT"), QStringLiteral("CONTRACTOR_RATING_UPDATE"),
             QStringLiteral("CONTRACTOR_RATING_INSERT"), none});
    marks->addColumn(QStringLiteral("id_criterion"), QVariant::LongLong, true, QStringLiteral("Критерий"), 0, 400);
    marks->addColumn(QStringLiteral("n_rating"), QVariant::Int, true, QStringLiteral("Оценка"), 0, 100);
    marks->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    marks->addColumn(QStringLiteral("id_contractor"), QVariant::LongLong, false);
    addRowVersion(marks);

    for (const QString &kind : {QStringLiteral("bad"), QStringLiteral("good")}) {
        const QString upper = kind.toUpper();
        QDataTable *threshold = build.named(QStringLiteral("t_%1_contractor_rating").arg(kind),
                {QStringLiteral("CONTRACTOR_%1_RATING_SELECT").arg(upper),
                 QStringLiteral("CONTRACTOR_%1_RATING_UPDATE").arg(upper), none, none});
        threshold->addColumn(QStringLiteral("t_contractor_%1_rating_select").arg(kind), QVariant::String, false);
        threshold->addColumn(QStringLiteral("c_value"), QVariant::Double, false);
        threshold->addColumn(QStringLiteral("id"), QVariant::LongLong, false);
        addRowVersion(threshold);
    }

    // Attachments, with the bytes of new files held until the editor saves.
    FileOwnerTable::addColumns(build.named(QStringLiteral("t_file_owner_contractor"), fileOwnerScripts), true);

    build.plain(QStringLiteral("t_user"), {QStringLiteral("SELECT id, c_name FROM sys.t_user "), none, none, none});

    QDataTable *persons = build.named(QStringLiteral("t_contact_person"),
            {QStringLiteral("CONTACT_PERSON_SELECT"), QStringLiteral("CONTACT_PERSON_UPDATE"),
             QStringLiteral("CONTACT_PERSON_INSERT"), QStringLiteral("CONTACT_PERSON_DELETE")});
    persons->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Имя"), 0, 100, QVariant(),
                       colStretch);
    persons->addColumn(QStringLiteral("c_post"), QVariant::String, true, QStringLiteral("Должность"), 0, 250);
    persons->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    persons->addColumn(QStringLiteral("id_contractor"), QVariant::LongLong, false, QString(), 0, 0, QVariant(),
                       colDisplayLookup);
    addRowVersion(persons);
    persons->setKeyField(QStringLiteral("id"));

    QDataTable *contacts = build.named(QStringLiteral("t_contact"),
            {QStringLiteral("CONTACT_SELECT"), QStringLiteral("CONTACT_UPDATE"), QStringLiteral("CONTACT_INSERT"),
             QStringLiteral("CONTACT_DELETE")});
    contacts->addColumn(QStringLiteral("id_contact_type"), QVariant::LongLong, true, QStringLiteral("Контакт"), 0, 250);
    contacts->addColumn(QStringLiteral("c_contact"), QVariant::String, true, QStringLiteral("Данные"), 0, 100, QVariant(),
                        colStretch);
    contacts->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    contacts->addColumn(QStringLiteral("id_contact_person"), QVariant::LongLong, false, QString(), 0, 0, QVariant(),
                        colDisplayLookup);
    addRowVersion(contacts);

    build.named(QStringLiteral("t_contact_type"), {QStringLiteral("CONTACT_TYPE_SELECT"), none, none, none});

    QDataTable *comments = build.named(QStringLiteral("t_contractor_comment"),
            {QStringLiteral("CONTRACTOR_COMMENT_SELECT"), QStringLiteral("CONTRACTOR_COMMENT_UPDATE"),
             QStringLiteral("CONTRACTOR_COMMENT_INSERT"), QStringLiteral("CONTRACTOR_COMMENT_DELETE")});
    comments->addColumn(QStringLiteral("id_creator"), QVariant::LongLong, true, QStringLiteral("Подпись"), 0, 200);
    comments->addColumn(QStringLiteral("d_create"), QVariant::DateTime, true, QStringLiteral("Создан"), 0, 150);
    comments->addColumn(QStringLiteral("c_comment"), QVariant::String, true, QStringLiteral("Коментарий"), 0, 500,
                        QVariant(), colStretch);
    comments->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    comments->addColumn(QStringLiteral("id_contractor"), QVariant::LongLong, false);
    addRowVersion(comments);

    QDataTable *workshops = build.plain(QStringLiteral("t_side_workshops"),
            {QStringLiteral("SELECT sw.id_unit, ru.c_name, sw.id_contractor FROM prod.tl_side_workshops sw JOIN "
                            "prod.t_reference_units ru ON ru.id = sw.id_unit WHERE sw.id_contractor = :id_contractor ;"),
             QStringLiteral("UPDATE prod.tl_side_workshops SET id_unit = :id_unit WHERE id_contractor = :id_contractor ;"),
             QStringLiteral("INSERT INTO prod.tl_side_workshops(id_unit, id_contractor) VALUES( :id_unit, :id_contractor );"),
             QStringLiteral("DELETE FROM prod.tl_side_workshops WHERE id_unit = :id_unit AND id_contractor = "
                            ":id_contractor ;")});
    workshops->addColumn(QStringLiteral("id_unit"), QVariant::LongLong, false);
    workshops->addColumn(QStringLiteral("c_name"), QVariant::String, false);
    workshops->addColumn(QStringLiteral("id_contractor"), QVariant::LongLong, false);

    build.plain(QStringLiteral("t_reference_units"),
                {QStringLiteral("SELECT id, c_name FROM prod.t_reference_units WHERE b_is_side AND id NOT IN "
                                "(SELECT id_unit FROM prod.tl_side_workshops) ORDER BY c_name;"),
                 none, none, none});

    QDataTable *audits = build.named(QStringLiteral("t_contractor_audit"),
            {QStringLiteral("CONTRACTOR_AUDIT_SELECT"), QStringLiteral("CONTRACTOR_AUDIT_UPDATE"),
             QStringLiteral("CONTRACTOR_AUDIT_INSERT"), QStringLiteral("CONTRACTOR_AUDIT_DELETE")});
    audits->addColumn(QStringLiteral("id_user"), QVariant::LongLong, true, QStringLiteral("Автор"), 0, 200);
    audits->addColumn(QStringLiteral("d_date"), QVariant::DateTime, true, QStringLiteral("Дата"), 0, 150);
    // A flag, shown by the audit tab as words.
    audits->addColumn(QStringLiteral("b_complete"), QVariant::Bool, true, QStringLiteral("Заершен"), 0, 150);
    audits->addColumn(QStringLiteral("c_comment"), QVariant::String, true, QStringLiteral("Коментарий"), 0, 500,
                      QVariant(), colStretch);
    audits->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    audits->addColumn(QStringLiteral("id_contractor"), QVariant::LongLong, false);
    audits->addColumn(QStringLiteral("id_state"), QVariant::Int, false);
    addRowVersion(audits);
    audits->setKeyField(QStringLiteral("id"));

    FileOwnerTable::addColumns(build.named(QStringLiteral("t_file_owner_contractor_audit"), fileOwnerScripts), true);

    if (variant == Editor) {
        build.plain(QStringLiteral("t_deal_request_doc"),
                    {QStringLiteral("SELECT * FROM jur.t_deal_request_doc;"), none, none, none});
    }

    const QString id = QStringLiteral("id");
    const QString master = QStringLiteral("t_contractor");
    set->createDataLink(master, id, QStringLiteral("t_cont_cont_type"), QStringLiteral("id_contractor"));
    set->createDataLink(master, id, QStringLiteral("t_supplier_item"), QStringLiteral("id_supplier"));
    set->createDataLink(master, id, QStringLiteral("t_contractor_requisite"), QStringLiteral("id_contractor"));
    set->createDataLink(master, id, QStringLiteral("t_contractor_rating"), QStringLiteral("id_contractor"));
    set->createDataLink(master, id, QStringLiteral("t_file_owner_contractor"), QStringLiteral("n_key"));
    set->createDataLink(master, id, QStringLiteral("t_contact_person"), QStringLiteral("id_contractor"));
    set->createDataLink(QStringLiteral("t_contact_person"), id, QStringLiteral("t_contact"),
                        QStringLiteral("id_contact_person"));
    set->createDataLink(master, id, QStringLiteral("t_contractor_comment"), QStringLiteral("id_contractor"));
    set->createDataLink(master, id, QStringLiteral("t_side_workshops"), QStringLiteral("id_contractor"));
    set->createDataLink(master, id, QStringLiteral("t_contractor_audit"), QStringLiteral("id_contractor"));
    set->createDataLink(QStringLiteral("t_contractor_audit"), id, QStringLiteral("t_file_owner_contractor_audit"),
                        QStringLiteral("n_key"));

    contractor->open();
    return set;
}

} // namespace ContractorDataSet
