#ifndef SUPPLIERSFIXTURE_H
#define SUPPLIERSFIXTURE_H

// The supplier directory suites' database: the schema on a fresh database, a
// few contractors put back before every test, and small helpers that play
// the user in the directory's dialogs.

#include "appcontext.h"
#include "modalanswerer.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include "suppliers/ratingthresholds.h"

#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLibrary>
#include <QMessageBox>
#include <QSpinBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace SuppliersFixture {

// Contractors 1-4: "ООО «Альфа»" (supplier, INN, marks 4 and 4), "ООО «Бета»"
// (supplier and buyer, successor of 1, no marks), "АО «ГАММА»" (buyer, marks
// 8 and 8), "ИП Дельтин" (outside workshop bound to unit 1, mark 6).
inline const char *seed()
{
    return R"(
truncate jur.t_contractor, jur.t_cont_cont_type, jur.t_contractor_requis, jur.t_contractor_rating,
         jur.t_contact_person, jur.t_contact, jur.t_contractor_comment, jur.t_contractor_audit,
         prod.tl_side_workshops, prod.t_reference_units, jur.t_criterion, jur.t_deal_request_doc
    restart identity cascade;
truncate lrg.t_file_owner, lrg.t_file, lrg.t_file_bytea restart identity cascade;
delete from jur.t_requisites where id > 100;
delete from jur.t_contact_type where id > 5;
update jur.t_rating_threshold set n_value = 0 where c_sys_name = 'BAD_SUPPLIER';
update jur.t_rating_threshold set n_value = 10 where c_sys_name = 'EXCELLENT_SUPPLIER';
insert into jur.t_deal_request_doc (id, c_name) values (1, 'Счёт на оплату'), (2, 'Договор поставки');
insert into prod.t_reference_units (id, c_name, b_is_side) values
    (1, 'Литейный участок', true), (2, 'Гальванический участок', true), (3, 'Сборочный цех', false);
insert into jur.t_criterion (id, c_name, n_weight) values (1, 'Качество', 1.0), (2, 'Сроки', 0.5);
select setval(pg_get_serial_sequence('jur.t_criterion', 'id'), 10);
insert into jur.t_contractor (id, c_name, id_class, n_audit_frequency, id_request_doc) values
    (1, 'ООО «Альфа»', 1, 180, 1), (2, 'ООО «Бета»', 2, 0, null),
    (3, 'АО «ГАММА»', 1, 0, null), (4, 'ИП Дельтин', 4, 30, null);
update jur.t_contractor set id_prev = 1 where id = 2;
select setval(pg_get_serial_sequence('jur.t_contractor', 'id'), 100);
insert into jur.t_cont_cont_type (id_contractor, id_contractor_type) values
    (1, 1), (2, 1), (2, 2), (3, 2), (4, 3);
insert into prod.tl_side_workshops (id_unit, id_contractor) values (1, 4);
insert into jur.t_contractor_requis (id_contractor, id_requisite, c_value) values
    (1, 1, '7705260184'), (3, 1, '6601590838');
insert into jur.t_contractor_rating (id_contractor, id_criterion, n_rating) values
    (1, 1, 4), (1, 2, 4), (3, 1, 8), (3, 2, 8), (4, 1, 6);
insert into jur.t_contact_person (id, id_contractor, c_name, c_post) values
    (1, 1, 'Смирнова Ольга', 'Менеджер'), (2, 1, 'Григорьев Павел', 'Директор');
select setval(pg_get_serial_sequence('jur.t_contact_person', 'id'), 100);
insert into jur.t_contact (id_contact_person, id_contact_type, c_contact) values
    (1, 1, '8(495)235-14-81'), (1, 3, 'smirnova@alfa.ru'), (2, 1, '8(495)235-14-80');
insert into jur.t_contractor_audit (id_contractor, d_date, b_complete, c_comment) values
    (1, '2024-10-14', false, 'Плановый аудит'), (3, '2024-02-01', true, 'Проведён');
insert into jur.t_contractor_comment (id_contractor, c_comment) values (1, 'Первый комментарий');
)";
}

// Connects, creates the schema and publishes the connection as the shell would.
inline bool prepare(const QString &database, QLibrary *driver, QSqlConnection *connection, QString *error)
{
    if (!TestServer::openMainConnection(database, driver, connection, false, error))
        return false;
    AppContext::setBigDaddy(true);
    return true;
}

inline bool reset(QSqlConnection *connection, QString *error)
{
    QSqlQuery query(connection->database());
    if (!query.exec(QString::fromUtf8(seed()))) {
        *error = query.lastError().text();
        return false;
    }
    RatingThresholds::setBad(0);
    RatingThresholds::setExcellent(10);
    return true;
}

inline QVariant scalar(QSqlConnection *connection, const QString &statement)
{
    QSqlQuery query(connection->database());
    if (!query.exec(statement) || !query.next())
        return QVariant();
    return query.value(0);
}

// The first row of the statement's result, its columns joined by "|".
inline QString row(QSqlConnection *connection, const QString &statement)
{
    QSqlQuery query(connection->database());
    QStringList columns;
    if (query.exec(statement) && query.next()) {
        for (int i = 0; i < query.record().count(); ++i)
            columns << query.value(i).toString();
    }
    return columns.join(QLatin1Char('|'));
}

// The record of a t_contractor row of the data set.
inline QSqlRecord contractor(QDataSet *set, qint64 id)
{
    QDataTable *table = set->getTable(QStringLiteral("t_contractor"));
    const int row = table ? table->locate(QStringLiteral("id"), id) : -1;
    return row < 0 ? QSqlRecord() : table->getRecord(row);
}

// Answers the next one-value input dialog with a number.
inline void answerNumber(ModalAnswerer *answerer, double value, bool accept = true)
{
    answerer->enqueue([value, accept](QWidget *widget) {
        auto *dialog = qobject_cast<QDialog *>(widget);
        if (auto *spin = dialog->findChild<QSpinBox *>())
            spin->setValue(static_cast<int>(value));
        if (auto *spin = dialog->findChild<QDoubleSpinBox *>())
            spin->setValue(value);
        accept ? dialog->accept() : dialog->reject();
    });
}

// Accepts the dialog once the answer that fills it has returned, so that a
// refusal it shows is answered like any other dialog.
inline void acceptLater(QDialog *dialog)
{
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}

// Answers the next dialog of class Dialog with a function that fills it in.
template <typename Dialog, typename Fill>
void answer(ModalAnswerer *answerer, Fill fill)
{
    answerer->enqueue([fill](QWidget *widget) {
        auto *dialog = qobject_cast<Dialog *>(widget);
        if (!dialog) {
            if (auto *other = qobject_cast<QDialog *>(widget))
                other->reject();
            return;
        }
        fill(dialog);
    });
}

} // namespace SuppliersFixture

#endif // SUPPLIERSFIXTURE_H
