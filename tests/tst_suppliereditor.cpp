// The supplier editor against the real server, tab by tab: a contractor made
// on every tab and saved in one commit, a save that changes nothing writing
// nothing, types and the production unit, the required-field check, marks
// and dictionaries that are saved at once, bad requisite values refused, and
// the contacts, audits and comments that wait for the editor's save.

#include "suppliersfixture.h"
#include "filetesting.h"

#include "datatabletypes.h"
#include "filewidget.h"
#include "qbubbletip.h"

#include "suppliers/contactdialog.h"
#include "suppliers/contacttypedialog.h"
#include "suppliers/contractorauditdialog.h"
#include "suppliers/contractordataset.h"
#include "suppliers/criteriondialog.h"
#include "suppliers/criterioneditdialog.h"
#include "suppliers/persondialog.h"
#include "suppliers/qcommentdialog.h"
#include "suppliers/requisiteadddialog.h"
#include "suppliers/requisitedialog.h"
#include "suppliers/requisiteeditdialog.h"
#include "suppliers/supplierdirectoryeditor.h"
#include "suppliers/suppliersupport.h"
#include "suppliers/tabauditeditor.h"
#include "suppliers/tabcommenteditor.h"
#include "suppliers/tabcontactinfoeditor.h"
#include "suppliers/tabcontractoreditor.h"
#include "suppliers/tabratingeditor.h"
#include "suppliers/tabrequisiteeditor.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

using namespace SuppliersFixture;

namespace {

void selectText(QComboBox *combo, const QString &text)
{
    combo->setCurrentIndex(combo->findText(text));
    QCOMPARE(combo->currentText(), text);
}

void setChecked(QListWidget *list, const QString &text, bool checked)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    items.first()->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

// The rows the view shows, as "column 0 text|column 1 text".
QStringList shownRows(QDataTable *table)
{
    QStringList rows;
    QTableView *view = table->getView();
    for (int row = 0; row < table->rowCount(); ++row) {
        if (view && view->isRowHidden(row))
            continue;
        rows.append(table->getModel()->index(row, 0).data().toString() + QLatin1Char('|')
                    + table->getModel()->index(row, 1).data().toString());
    }
    return rows;
}

bool struckOut(QDataTable *table, int row)
{
    return table->getModel()->index(row, 0).data(Qt::FontRole).value<QFont>().strikeOut();
}

} // namespace

class TestSupplierEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newContractorOnEveryTab();
    void saveWithoutChanges_data();
    void saveWithoutChanges();
    void concurrentChangeIsNotOverwritten();
    void requiredFields_data();
    void requiredFields();
    void types_data();
    void types();
    void productionUnit_data();
    void productionUnit();

    void contactsFollowThePerson();
    void contactTypesSavedAtOnce();

    void requisiteValues_data();
    void requisiteValues();
    void requisiteKindsSavedOnSave();

    void marksSavedAtOnce_data();
    void marksSavedAtOnce();
    void refusedMarkIsUndone();

    void auditsAndComments();
    void typedCommentIsNotLostToEscape_data();
    void typedCommentIsNotLostToEscape();
    void filesSavedWithTheContractor();

private:
    // The editor over a fresh data set of the variant, showing contractor id.
    SupplierDirectoryEditor *openEditor(qint64 id, ContractorDataSet::Variant variant = ContractorDataSet::Editor);
    qlonglong count(const QString &statement) { return scalar(&m_connection, statement).toLongLong(); }
    QVariant value(const QString &statement) { return scalar(&m_connection, statement); }
    // Every version of the contractor's rows added up: moves with any stored change.
    qlonglong versions(qint64 id);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QObject *m_owner = nullptr;
};

void TestSupplierEditor::initTestCase()
{
    QString error;
    QVERIFY2(prepare(QStringLiteral("tst_suppliereditor"), &m_driver, &m_connection, &error), qPrintable(error));
}

void TestSupplierEditor::init()
{
    QString error;
    QVERIFY2(reset(&m_connection, &error), qPrintable(error));
    m_owner = new QWidget;
}

void TestSupplierEditor::cleanup()
{
    QBubbleTip::hideBubble();
    delete m_owner;
    m_owner = nullptr;
}

SupplierDirectoryEditor *TestSupplierEditor::openEditor(qint64 id, ContractorDataSet::Variant variant)
{
    QDataSet *set = ContractorDataSet::create(variant, m_owner);
    auto *editor = new SupplierDirectoryEditor(set, static_cast<QWidget *>(m_owner));
    editor->setData(contractor(set, id));
    return editor;
}

qlonglong TestSupplierEditor::versions(qint64 id)
{
    return count(QStringLiteral(
            "select (select sum(n_row_version) from jur.t_contractor where id = %1)"
            " + coalesce((select sum(n_row_version) from jur.t_cont_cont_type where id_contractor = %1), 0)"
            " + coalesce((select sum(n_row_version) from jur.t_contractor_requis where id_contractor = %1), 0)"
            " + coalesce((select sum(n_row_version) from jur.t_contact_person where id_contractor = %1), 0)"
            " + coalesce((select sum(c.n_row_version) from jur.t_contact c join jur.t_contact_person p"
            "             on p.id = c.id_contact_person where p.id_contractor = %1), 0)"
            " + coalesce((select sum(n_row_version) from jur.t_contractor_rating where id_contractor = %1), 0)"
            " + coalesce((select sum(n_row_version) from jur.t_contractor_comment where id_contractor = %1), 0)"
            " + coalesce((select sum(n_row_version) from jur.t_contractor_audit where id_contractor = %1), 0)")
                         .arg(id));
}

void TestSupplierEditor::newContractorOnEveryTab()
{
    QDataSet *set = ContractorDataSet::create(ContractorDataSet::Editor, m_owner);
    QDataTable *contractors = set->getTable(QStringLiteral("t_contractor"));
    contractors->newRow(true);
    SupplierDirectoryEditor editor(set);
    editor.setData(contractors->getRecord(contractors->lastRow()));
    QCOMPARE(editor.currentId(), -1LL);

    editor.leName->setText(QStringLiteral("ООО «Омега»"));
    selectText(editor.cbClass, QStringLiteral("Официальный дистрибьютор"));
    editor.teComment->setPlainText(QStringLiteral("Новый поставщик литья"));
    selectText(editor.cbRequestDoc, QStringLiteral("Договор поставки"));
    editor.spinBoxAuditFrequency->setValue(90);
    setChecked(editor.lwType, QStringLiteral("Поставщик"), true);
    QVERIFY(!editor.comboBoxUnit->isEnabled());
    setChecked(editor.lwType, QStringLiteral("Сторонний цех"), true);
    QVERIFY(editor.comboBoxUnit->isEnabled());
    // Unit 1 is bound to another workshop and not offered.
    QCOMPARE(editor.comboBoxUnit->findText(QStringLiteral("Литейный участок")), -1);
    selectText(editor.comboBoxUnit, QStringLiteral("Гальванический участок"));

    ModalAnswerer answerer;
    answer<PersonDialog>(&answerer, [](PersonDialog *dialog) {
        QVERIFY(!dialog->buttonAccept->isEnabled());
        dialog->edName->setText(QStringLiteral("Орлов Пётр"));
        dialog->edRole->setText(QStringLiteral("Технолог"));
        dialog->buttonAccept->click();
    });
    editor.contactTab()->addPerson();
    QVERIFY(editor.buttonAddContact->isEnabled());
    answer<ContactDialog>(&answerer, [](ContactDialog *dialog) {
        QVERIFY(!dialog->buttonAccept->isEnabled());
        selectText(dialog->cbType, QStringLiteral("Мобильный телефон"));
        dialog->leData->setText(QStringLiteral("8(916)100-20-30"));
        dialog->buttonAccept->click();
    });
    editor.contactTab()->addContact();
    for (const auto &requisite : {qMakePair(QStringLiteral("ИНН"), QStringLiteral("5262014754")),
                                  qMakePair(QStringLiteral("Фактический адрес организации"),
                                            QStringLiteral("603000, г. Нижний Новгород, ул. Литейная, д. 1"))}) {
        answer<RequisiteAddDialog>(&answerer, [requisite](RequisiteAddDialog *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Новый реквизит"));
            selectText(dialog->cbRequisite, requisite.first);
            dialog->leValue->setText(requisite.second);
            dialog->accept();
        });
        editor.requisiteTab()->addRequisite();
    }
    // A contractor not saved yet keeps its marks until it is saved.
    editor.tvRating->setCurrentIndex(editor.tvRating->model()->index(0, 0));
    answerNumber(&answerer, 7);
    editor.ratingTab()->editRating();
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contractor_rating")), 5LL);
    answer<ContractorAuditDialog>(&answerer, [](ContractorAuditDialog *dialog) {
        QCOMPARE(dialog->dateEdit->date(), QDate::currentDate());
        QCOMPARE(dialog->labelContractor->text(), QStringLiteral("ООО «Омега»"));
        dialog->checkBoxComplete->setChecked(true);
        dialog->plainTextEditComment->setPlainText(QStringLiteral("Проверили литейку"));
        dialog->pushButtonAccept->click();
    });
    editor.auditTab()->addAudit();
    answer<QCommentDialog>(&answerer, [](QCommentDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Add comment"));
        dialog->teComment->setPlainText(QStringLiteral("Нашли на выставке"));
        dialog->buttonBox->button(QDialogButtonBox::Ok)->click();
    });
    editor.commentTab()->addComment();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contractor")), 4LL);

    QSignalSpy committed(&editor, &SupplierDirectoryEditor::commitData);
    QVERIFY(editor.commit());
    QCOMPARE(committed.count(), 1);
    const qint64 id = editor.currentId();
    QVERIFY(id > 100);

    // Everything reached the database under the new key.
    QCOMPARE(row(&m_connection, QStringLiteral(
                     "select c.c_name, c.id_class, c.c_comment, c.n_audit_frequency, c.id_request_doc,"
                     " (select string_agg(id_contractor_type::text, ',' order by 1) from jur.t_cont_cont_type t"
                     "   where t.id_contractor = c.id),"
                     " (select id_unit from prod.tl_side_workshops w where w.id_contractor = c.id),"
                     " (select p.c_name || '/' || p.c_post || '/' || t.c_contact from jur.t_contact t"
                     "   join jur.t_contact_person p on p.id = t.id_contact_person where p.id_contractor = c.id),"
                     " (select count(*) from jur.t_contractor_requis r where r.id_contractor = c.id),"
                     " (select n_rating::int from jur.t_contractor_rating r where r.id_contractor = c.id"
                     "   and r.id_criterion = 1),"
                     " (select b_complete from jur.t_contractor_audit a where a.id_contractor = c.id),"
                     " (select u.c_login from jur.t_contractor_comment m join sys.t_user u on u.id = m.id_creator"
                     "   where m.id_contractor = c.id)"
                     " from jur.t_contractor c where c.id = %1").arg(id)),
             QStringLiteral("ООО «Омега»|2|Новый поставщик литья|90|2|1,3|2|Орлов Пётр/Технолог/8(916)100-20-30|2|7|true|admin"));

    // The directory's list shows the INN and the rating.
    const QSqlRecord listed = contractor(openEditor(id)->dataSet(), id);
    QCOMPARE(listed.value(QStringLiteral("c_inn")).toString(), QStringLiteral("5262014754"));
    QCOMPARE(listed.value(QStringLiteral("n_rating")).toDouble(), 7.0);
}

void TestSupplierEditor::saveWithoutChanges_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<bool>("rename");
    QTest::newRow("editor variant, nothing changed") << int(ContractorDataSet::Editor) << false;
    QTest::newRow("picker variant, nothing changed") << int(ContractorDataSet::Directory) << false;
    QTest::newRow("picker variant, renamed") << int(ContractorDataSet::Directory) << true;
    QTest::newRow("editor variant, renamed") << int(ContractorDataSet::Editor) << true;
}

void TestSupplierEditor::saveWithoutChanges()
{
    QFETCH(int, variant);
    QFETCH(bool, rename);

    const qlonglong before = versions(1);
    SupplierDirectoryEditor *editor = openEditor(1, ContractorDataSet::Variant(variant));
    if (rename)
        editor->leName->setText(QStringLiteral("ООО «Альфа-Н»"));
    QVERIFY(editor->contractorTab()->getData());
    QCOMPARE(editor->dataSet()->isModified(), rename);
    QVERIFY(editor->commit());
    QCOMPARE(versions(1), before + (rename ? 1 : 0));
    // The picker's data set does not carry the request document; saving there keeps it.
    QCOMPARE(count(QStringLiteral("select id_request_doc from jur.t_contractor where id = 1")), 1LL);
}

void TestSupplierEditor::concurrentChangeIsNotOverwritten()
{
    SupplierDirectoryEditor *editor = openEditor(1);
    editor->leName->setText(QStringLiteral("ООО «Альфа-Групп»"));
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("update jur.t_contractor set c_comment = 'Сменили адрес' where id = 1")));

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!editor->commit());
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Ошибка")});
    QVERIFY2(answerer.texts.value(0).contains(QStringLiteral("другой пользователь")), qPrintable(answerer.texts.value(0)));
    // Theirs stays, ours waits in the editor.
    QCOMPARE(value(QStringLiteral("select c_name || '/' || c_comment from jur.t_contractor where id = 1")).toString(),
             QStringLiteral("ООО «Альфа»/Сменили адрес"));
    QCOMPARE(editor->leName->text(), QStringLiteral("ООО «Альфа-Групп»"));
    QVERIFY(editor->dataSet()->isModified());
}

void TestSupplierEditor::requiredFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("withClass");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("neither") << "" << false << QStringList{"Поставщик", "Класс поставщика"};
    QTest::newRow("no name") << "" << true << QStringList{"Поставщик"};
    QTest::newRow("name of blanks") << "   " << true << QStringList{"Поставщик"};
    QTest::newRow("no class") << "ООО «Кси»" << false << QStringList{"Класс поставщика"};
    QTest::newRow("complete") << "ООО «Кси»" << true << QStringList();
}

void TestSupplierEditor::requiredFields()
{
    QFETCH(QString, name);
    QFETCH(bool, withClass);
    QFETCH(QStringList, fields);

    QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, m_owner);
    QDataTable *contractors = set->getTable(QStringLiteral("t_contractor"));
    contractors->newRow(true);
    SupplierDirectoryEditor editor(set);
    editor.setData(contractors->getRecord(contractors->lastRow()));
    editor.tabWidget->setCurrentWidget(editor.tabComment);
    editor.leName->setText(name);
    if (withClass)
        editor.cbClass->setCurrentIndex(0);

    QCOMPARE(editor.commit(), fields.isEmpty());
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contractor")), fields.isEmpty() ? 5LL : 4LL);
    if (fields.isEmpty())
        return;
    // One bubble lists every missing field, in the order of the form.
    const QString errors = editor.contractorTab()->errorText();
    QCOMPARE(errors.count(QStringLiteral("<p ")), fields.size());
    int at = -1;
    for (const QString &field : fields) {
        const int found = errors.indexOf(QStringLiteral("\t-") + field + QStringLiteral("</b> - не указан"));
        QVERIFY2(found > at, qPrintable(errors));
        at = found;
    }
    QVERIFY(QBubbleTip::currentBubble());
    QCOMPARE(editor.tabWidget->currentWidget(), editor.tabContractor);
    QCOMPARE(editor.leName->text(), name);
}

void TestSupplierEditor::types_data()
{
    QTest::addColumn<QStringList>("check");
    QTest::addColumn<QStringList>("uncheck");
    QTest::addColumn<int>("saves");
    QTest::addColumn<QString>("stored");
    // Contractor 2 is a supplier and a buyer.
    QTest::newRow("one on, one off") << QStringList{"Транспортная компания"} << QStringList{"Поставщик"} << 1 << "2,4";
    QTest::newRow("all off") << QStringList() << QStringList{"Поставщик", "Покупатель"} << 1 << "";
    QTest::newRow("checked, checked again") << QStringList{"Сервисная организация"} << QStringList() << 2 << "1,2,5";
    QTest::newRow("checked, then unchecked") << QStringList{"Поставщик"} << QStringList{"Поставщик"} << 1 << "2";
}

void TestSupplierEditor::types()
{
    QFETCH(QStringList, check);
    QFETCH(QStringList, uncheck);
    QFETCH(int, saves);
    QFETCH(QString, stored);

    SupplierDirectoryEditor *editor = openEditor(2);
    for (const QString &type : check)
        setChecked(editor->lwType, type, true);
    for (const QString &type : uncheck)
        setChecked(editor->lwType, type, false);
    for (int save = 1; save < saves; ++save)
        QVERIFY(editor->contractorTab()->getData());
    QVERIFY(editor->commit());
    QCOMPARE(value(QStringLiteral("select coalesce(string_agg(id_contractor_type::text, ',' order by 1), '')"
                                  " from jur.t_cont_cont_type where id_contractor = 2")).toString(), stored);
}

void TestSupplierEditor::productionUnit_data()
{
    QTest::addColumn<qlonglong>("id");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("choose");
    QTest::addColumn<bool>("keepWorkshopType");
    QTest::addColumn<qlonglong>("stored"); // 0: no binding
    QTest::newRow("bound unit shown though not free") << 4LL << "Литейный участок" << true << "" << true << 1LL;
    QTest::newRow("moved to another unit") << 4LL << "Литейный участок" << true << "Гальванический участок" << true << 2LL;
    QTest::newRow("unbound") << 4LL << "Литейный участок" << true << "не задан" << true << 0LL;
    QTest::newRow("written though the type is off") << 4LL << "Литейный участок" << true << "Гальванический участок"
                                                    << false << 2LL;
    QTest::newRow("not a workshop") << 3LL << "не задан" << false << "" << true << 0LL;
}

void TestSupplierEditor::productionUnit()
{
    QFETCH(qlonglong, id);
    QFETCH(QString, shown);
    QFETCH(bool, enabled);
    QFETCH(QString, choose);
    QFETCH(bool, keepWorkshopType);
    QFETCH(qlonglong, stored);

    SupplierDirectoryEditor *editor = openEditor(id);
    QCOMPARE(editor->comboBoxUnit->currentText(), shown);
    QCOMPARE(editor->comboBoxUnit->isEnabled(), enabled);
    if (!choose.isEmpty())
        selectText(editor->comboBoxUnit, choose);
    if (!keepWorkshopType) {
        setChecked(editor->lwType, QStringLiteral("Сторонний цех"), false);
        QVERIFY(!editor->comboBoxUnit->isEnabled());
    }
    QVERIFY(editor->commit());
    QCOMPARE(count(QStringLiteral("select coalesce(max(id_unit), 0) from prod.tl_side_workshops where id_contractor = %1")
                           .arg(id)),
             stored);
}

void TestSupplierEditor::contactsFollowThePerson()
{
    SupplierDirectoryEditor *editor = openEditor(1);
    QDataTable *persons = editor->dataSet()->getTable(QStringLiteral("t_contact_person"));
    QDataTable *contacts = editor->dataSet()->getTable(QStringLiteral("t_contact"));
    // The first person is chosen at once: Григорьев, one contact.
    QCOMPARE(shownRows(contacts), QStringList{QStringLiteral("Рабочий телефон|8(495)235-14-80")});
    const int smirnova = persons->locate(QStringLiteral("id"), 1);
    editor->tvPerson->setCurrentIndex(persons->getModel()->index(smirnova, 0));
    QCOMPARE(shownRows(contacts).size(), 2);

    ModalAnswerer answerer;
    answer<ContactDialog>(&answerer, [](ContactDialog *dialog) {
        selectText(dialog->cbType, QStringLiteral("Факс"));
        dialog->leData->setText(QStringLiteral("8(495)235-14-89"));
        dialog->buttonAccept->click();
    });
    editor->contactTab()->addContact();
    QCOMPARE(shownRows(contacts).size(), 3);
    // One added and removed again before saving never reaches the database.
    answer<ContactDialog>(&answerer, [](ContactDialog *dialog) {
        selectText(dialog->cbType, QStringLiteral("Мессенджер"));
        dialog->leData->setText(QStringLiteral("@smirnova"));
        dialog->buttonAccept->click();
    });
    editor->contactTab()->addContact();
    QCOMPARE(shownRows(contacts).size(), 4);
    answerer.pressButton(QMessageBox::Ok);
    editor->contactTab()->deleteContact();
    QCOMPARE(shownRows(contacts).size(), 3);
    // Choosing another person and coming back keeps the unsaved contact.
    const int grigoriev = persons->locate(QStringLiteral("id"), 2);
    editor->tvPerson->setCurrentIndex(persons->getModel()->index(grigoriev, 0));
    QCOMPARE(shownRows(contacts).size(), 1);
    editor->tvPerson->setCurrentIndex(persons->getModel()->index(smirnova, 0));
    QVERIFY(shownRows(contacts).contains(QStringLiteral("Факс|8(495)235-14-89")));

    // A person marked for deletion stays listed, struck out, and takes no contacts.
    editor->tvPerson->setCurrentIndex(persons->getModel()->index(grigoriev, 0));
    answerer.pressButton(QMessageBox::Ok);
    editor->contactTab()->deletePerson();
    QCOMPARE(answerer.texts.last(), QStringLiteral("Вы действительно хотите удалить контактное лицо\n\"Григорьев Павел\" ?"));
    QCOMPARE(persons->getRowState(grigoriev), int(rsDeleted));
    QVERIFY(struckOut(persons, grigoriev));
    QVERIFY(!editor->buttonAddContact->isEnabled());
    QVERIFY(!editor->buttonEditPerson->isEnabled());
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contact_person where id_contractor = 1")), 2LL);

    QVERIFY(editor->commit());
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(value(QStringLiteral("select string_agg(p.c_name || ':' || c.c_contact, ';' order by c.id) from jur.t_contact c"
                                  " join jur.t_contact_person p on p.id = c.id_contact_person where p.id_contractor = 1"))
                     .toString(),
             QStringLiteral("Смирнова Ольга:8(495)235-14-81;Смирнова Ольга:smirnova@alfa.ru;Смирнова Ольга:8(495)235-14-89"));
}

void TestSupplierEditor::contactTypesSavedAtOnce()
{
    ContactTypeDialog dialog;
    QDataTable *types = dialog.table();
    const auto rowOf = [types](const QString &name) { return types->locate(QStringLiteral("c_name"), name); };
    const QString stored = QStringLiteral("select count(*) from jur.t_contact_type where c_name = '%1'");
    const QString version = QStringLiteral("select n_row_version from jur.t_contact_type where c_name = '%1'");
    const auto answerText = [](ModalAnswerer *answerer, const QString &text) {
        answerer->enqueue([text](QWidget *widget) {
            widget->findChild<QLineEdit *>()->setText(text);
            qobject_cast<QDialog *>(widget)->accept();
        });
    };

    ModalAnswerer answerer;
    answerText(&answerer, QStringLiteral("Телеграм"));
    dialog.buttonNew->click();
    QCOMPARE(count(stored.arg(QStringLiteral("Телеграм"))), 1LL);

    // Its own name again: nothing to write.
    dialog.tvContent->setCurrentIndex(types->getModel()->index(rowOf(QStringLiteral("Телеграм")), 0));
    answerText(&answerer, QStringLiteral("Телеграм"));
    dialog.buttonEdit->click();
    QCOMPARE(count(version.arg(QStringLiteral("Телеграм"))), 1LL);
    // A name another type has is refused before it reaches the database.
    answerText(&answerer, QStringLiteral("факс"));
    answerer.pressButton(QMessageBox::Ok);
    dialog.buttonEdit->click();
    QCOMPARE(answerer.texts.last(), QStringLiteral("Тип контакта \"факс\" уже есть"));
    answerText(&answerer, QStringLiteral("Телеграм-канал"));
    dialog.buttonEdit->click();
    QCOMPARE(count(version.arg(QStringLiteral("Телеграм-канал"))), 2LL);

    // A type still used by contacts: the database refuses, the list shows it again.
    const int used = rowOf(QStringLiteral("Рабочий телефон"));
    dialog.tvContent->setCurrentIndex(types->getModel()->index(used, 0));
    answerer.pressButton(QMessageBox::Yes);
    answerer.pressButton(QMessageBox::Ok);
    dialog.buttonDel->click();
    QCOMPARE(answerer.titles.last(), QStringLiteral("Ошибка"));
    QVERIFY2(answerer.texts.last().endsWith(
                     QStringLiteral("Тип контакта \"Рабочий телефон\" используется в контактах и не может быть удалён")),
             qPrintable(answerer.texts.last()));
    QCOMPARE(count(stored.arg(QStringLiteral("Рабочий телефон"))), 1LL);
    QCOMPARE(types->getRowState(rowOf(QStringLiteral("Рабочий телефон"))), int(rsUnchanged));
    QVERIFY(!types->hasPendingRows());

    // Renamed by somebody else meanwhile: the rename is refused, not written
    // over theirs, and the list shows their name.
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("update jur.t_contact_type set c_name = 'Телеграм-чат' where c_name = 'Телеграм-канал'")));
    dialog.tvContent->setCurrentIndex(types->getModel()->index(rowOf(QStringLiteral("Телеграм-канал")), 0));
    answerText(&answerer, QStringLiteral("Телега"));
    answerer.pressButton(QMessageBox::Ok);
    dialog.buttonEdit->click();
    QVERIFY(answerer.texts.last().contains(QStringLiteral("другой пользователь")));
    QCOMPARE(count(stored.arg(QStringLiteral("Телеграм-чат"))), 1LL);
    QVERIFY(rowOf(QStringLiteral("Телеграм-чат")) >= 0);

    dialog.tvContent->setCurrentIndex(types->getModel()->index(rowOf(QStringLiteral("Телеграм-чат")), 0));
    answerer.pressButton(QMessageBox::Yes);
    dialog.buttonDel->click();
    QCOMPARE(count(stored.arg(QStringLiteral("Телеграм-чат"))), 0LL);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
}

void TestSupplierEditor::requisiteValues_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");
    // Contractor 1 has its INN already.
    QTest::newRow("KPP") << "КПП" << "770501001" << "";
    QTest::newRow("INN with letters") << "ИНН" << "77O5260184" << "ИНН должен состоять из 10 или 12 цифр";
    QTest::newRow("second INN") << "ИНН" << "7705260184" << "Реквизит \"ИНН\" у контрагента уже задан";
    QTest::newRow("BIC too short") << "БИК" << "04452571" << "БИК должен состоять из 9 цифр";
    QTest::newRow("no value") << "Банк" << "   " << "Не задано значение реквизита";
    QTest::newRow("nothing chosen or typed") << "" << "" << "";
    QTest::newRow("value without a kind") << "" << "что-нибудь" << "Не задан реквизит";
}

void TestSupplierEditor::requisiteValues()
{
    QFETCH(QString, kind);
    QFETCH(QString, value);
    QFETCH(QString, refusal);

    SupplierDirectoryEditor *editor = openEditor(1);
    QDataTable *values = editor->dataSet()->getTable(QStringLiteral("t_contractor_requisite"));
    const int before = values->rowCount();
    ModalAnswerer answerer;
    answer<RequisiteAddDialog>(&answerer, [&](RequisiteAddDialog *dialog) {
        if (kind.isEmpty())
            QCOMPARE(dialog->cbRequisite->currentIndex(), -1);
        else
            selectText(dialog->cbRequisite, kind);
        dialog->leValue->setText(value);
        acceptLater(dialog);
    });
    if (!refusal.isEmpty()) {
        answerer.pressButton(QMessageBox::Ok);
        // Refused, the dialog stays open for a correction; here the user gives up.
        answerer.enqueue([](QWidget *widget) { qobject_cast<QDialog *>(widget)->reject(); });
    }
    editor->requisiteTab()->addRequisite();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.texts, refusal.isEmpty() ? QStringList() : QStringList{refusal});

    const bool added = refusal.isEmpty() && !kind.isEmpty();
    QCOMPARE(values->rowCount(), before + (added ? 1 : 0));
    QVERIFY(editor->commit());
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contractor_requis where id_contractor = 1")),
             qlonglong(before + (added ? 1 : 0)));
}

void TestSupplierEditor::requisiteKindsSavedOnSave()
{
    SupplierDirectoryEditor *editor = openEditor(1);
    const QString kinds = QStringLiteral("select count(*) from jur.t_requisites");
    const qlonglong before = count(kinds);
    const auto addKind = [](ModalAnswerer *answerer, const QString &name, const QString &sysName) {
        answer<RequisiteEditDialog>(answerer, [name, sysName](RequisiteEditDialog *dialog) {
            QVERIFY(dialog->leSysName->isEnabled());
            dialog->leName->setText(name);
            dialog->leSysName->setText(sysName);
            acceptLater(dialog);
        });
    };

    ModalAnswerer answerer;
    answer<RequisiteDialog>(&answerer, [&](RequisiteDialog *dialog) {
        // A kind the programs rely on cannot be deleted.
        dialog->tvContent->setCurrentIndex(dialog->table()->getModel()->index(0, 0));
        QVERIFY(dialog->buttonEdit->isEnabled());
        QVERIFY(!dialog->buttonDel->isEnabled());
        ModalAnswerer inner;
        addKind(&inner, QStringLiteral("Код ОКПО"), QString());
        inner.pressButton(QMessageBox::Ok);
        addKind(&inner, QStringLiteral("Код ОКПО"), QStringLiteral("cr_okpo"));
        dialog->buttonNew->click();
        QCOMPARE(inner.texts, QStringList{QStringLiteral("Не задано системное имя реквизита")});
        QCOMPARE(inner.pending(), 0);
        dialog->buttonReject->click();
    });
    editor->requisiteTab()->requisites();
    QCOMPARE(count(kinds), before);

    answer<RequisiteDialog>(&answerer, [&](RequisiteDialog *dialog) {
        ModalAnswerer inner;
        addKind(&inner, QStringLiteral("Код ОКПО"), QStringLiteral("cr_okpo"));
        dialog->buttonNew->click();
        // An existing kind keeps its system name.
        const int inn = dialog->table()->locate(QStringLiteral("c_sys_name"), QStringLiteral("CR_INN"));
        dialog->tvContent->setCurrentIndex(dialog->table()->getModel()->index(inn, 0));
        answer<RequisiteEditDialog>(&inner, [](RequisiteEditDialog *edit) {
            QVERIFY(!edit->leSysName->isEnabled());
            edit->leName->setText(QStringLiteral("ИНН организации"));
            acceptLater(edit);
        });
        dialog->buttonEdit->click();
        QCOMPARE(inner.pending(), 0);
        QCOMPARE(count(kinds), before);
        dialog->buttonAccept->click();
    });
    editor->requisiteTab()->requisites();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(count(kinds), before + 1);
    QCOMPARE(value(QStringLiteral("select c_sys_name from jur.t_requisites where c_name = 'Код ОКПО'")).toString(),
             QStringLiteral("CR_OKPO"));
    // The tab shows the new name at once.
    QCOMPARE(shownRows(editor->dataSet()->getTable(QStringLiteral("t_contractor_requisite"))).first(),
             QStringLiteral("ИНН организации|7705260184"));
}

void TestSupplierEditor::marksSavedAtOnce_data()
{
    QTest::addColumn<qlonglong>("id");
    QTest::addColumn<int>("row"); // 0 "Качество" (weight 1), 1 "Сроки" (weight 0.5)
    QTest::addColumn<int>("mark");
    QTest::addColumn<QString>("stored"); // criterion:mark, by criterion
    QTest::addColumn<double>("rating");
    QTest::newRow("first mark of a criterion") << 4LL << 1 << 10 << "1:6,2:10" << (6 * 1.0 + 10 * 0.5) / 1.5;
    QTest::newRow("a mark changed") << 1LL << 0 << 10 << "1:10,2:4" << (10 * 1.0 + 4 * 0.5) / 1.5;
    QTest::newRow("the old mark confirmed") << 1LL << 0 << 4 << "1:4,2:4" << 4.0;
    QTest::newRow("no marks yet, 0 given") << 2LL << 0 << 0 << "1:0" << 0.0;
}

void TestSupplierEditor::marksSavedAtOnce()
{
    QFETCH(qlonglong, id);
    QFETCH(int, row);
    QFETCH(int, mark);
    QFETCH(QString, stored);
    QFETCH(double, rating);

    const QString marks = QStringLiteral("select string_agg(id_criterion || ':' || n_rating, ',' order by id_criterion)"
                                         " from jur.t_contractor_rating where id_contractor = %1").arg(id);
    const QString markVersions = QStringLiteral("select coalesce(sum(n_row_version), 0) from jur.t_contractor_rating"
                                                " where id_contractor = %1").arg(id);
    const qlonglong versionsBefore = count(markVersions);
    const bool unchanged = value(marks).toString() == stored;

    SupplierDirectoryEditor *editor = openEditor(id);
    QSignalSpy changed(editor, &SupplierDirectoryEditor::dataChanged);
    QString label;
    ModalAnswerer answerer;
    answerer.enqueue([&](QWidget *widget) {
        label = widget->findChild<QLabel *>()->text();
        widget->findChild<QSpinBox *>()->setValue(mark);
        qobject_cast<QDialog *>(widget)->accept();
    });
    editor->tvRating->setCurrentIndex(editor->tvRating->model()->index(row, 0));
    editor->ratingTab()->editRating();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(label.startsWith(QStringLiteral("Оцените поставщика \n ") + editor->leName->text() + QStringLiteral(" \n по критерию \n ")));

    // Written without the editor's save; the editor has nothing pending.
    QCOMPARE(value(marks).toString(), stored);
    QCOMPARE(count(markVersions) == versionsBefore, unchanged);
    QCOMPARE(changed.count(), 0);
    QVERIFY(!editor->dataSet()->isModified());
    QCOMPARE(editor->tvRating->model()->index(row, 1).data().toInt(), mark);
    // The rating is the weighted mean of the marks.
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("select n_rating from jur.v_contractor_rating where id_contractor = %1").arg(id)));
    QVERIFY(query.next());
    QVERIFY(qAbs(query.value(0).toDouble() - rating) < 1e-9);
}

void TestSupplierEditor::refusedMarkIsUndone()
{
    SupplierDirectoryEditor *editor = openEditor(4);
    QDataTable *marks = editor->dataSet()->getTable(QStringLiteral("t_contractor_rating"));
    // Past the dialog's bounds, as another client might send it: the database
    // refuses, the change is undone and the user told.
    QSqlRecord record = marks->getRecord(0);
    record.setValue(QStringLiteral("n_rating"), 11);
    marks->setRow(0, record);
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!SupplierSupport::commitNow(marks, editor));
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Ошибка")});
    QCOMPARE(count(QStringLiteral("select n_rating from jur.t_contractor_rating where id_contractor = 4 and id_criterion = 1")), 6LL);
    QVERIFY(!marks->hasPendingRows());
    QCOMPARE(marks->getRecord(0).value(QStringLiteral("n_rating")).toInt(), 6);
    // Nothing refused stays behind to break the editor's own save.
    QVERIFY(editor->commit());
}

void TestSupplierEditor::auditsAndComments()
{
    // Contractor 1 has a planned audit: no second one.
    SupplierDirectoryEditor *alpha = openEditor(1);
    QVERIFY(!alpha->buttonAddAudit->isEnabled());

    SupplierDirectoryEditor *editor = openEditor(3);
    QDataTable *audits = editor->dataSet()->getTable(QStringLiteral("t_contractor_audit"));
    QVERIFY(editor->buttonAddAudit->isEnabled());
    // The comment column takes what the others leave, never more: nothing of
    // the list hides past the right edge.
    editor->tabWidget->setCurrentWidget(editor->tabAudit);
    editor->window()->resize(1000, 600);
    editor->resize(1000, 600);
    editor->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor->window()));
    QTRY_VERIFY(editor->tvAudit->horizontalHeader()->length() <= editor->tvAudit->viewport()->width());
    ModalAnswerer answerer;
    answer<ContractorAuditDialog>(&answerer, [](ContractorAuditDialog *dialog) {
        QCOMPARE(dialog->dateEdit->date(), QDate::currentDate());
        QVERIFY(!dialog->checkBoxComplete->isChecked());
        dialog->pushButtonAccept->click();
    });
    editor->auditTab()->addAudit();
    QCOMPARE(audits->rowCount(), 2);
    QVERIFY(!editor->buttonAddAudit->isEnabled());
    QCOMPARE(shownRows(audits).contains(QStringLiteral("Администратор|") + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)),
             true);

    // The carried-out audit, marked for deletion, stays listed until the save.
    const int done = audits->locate(QStringLiteral("b_complete"), true);
    editor->tvAudit->setCurrentIndex(audits->getModel()->index(done, 0));
    answerer.pressButton(QMessageBox::Yes);
    editor->auditTab()->deleteAudit();
    QVERIFY(answerer.texts.last().startsWith(QStringLiteral("Вы действительно хотите удалить аудит от\n\"")));
    QVERIFY(struckOut(audits, done));
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contractor_audit where id_contractor = 3")), 1LL);

    // A comment's OK waits for a changed, non-empty text.
    QDataTable *comments = editor->dataSet()->getTable(QStringLiteral("t_contractor_comment"));
    answer<QCommentDialog>(&answerer, [](QCommentDialog *dialog) {
        QPushButton *ok = dialog->buttonBox->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());
        dialog->teComment->setPlainText(QStringLiteral("   "));
        QVERIFY(!ok->isEnabled());
        dialog->teComment->setPlainText(QStringLiteral("Сменили банк"));
        QVERIFY(ok->isEnabled());
        ok->click();
    });
    editor->commentTab()->addComment();
    QCOMPARE(comments->rowCount(), 1);

    QVERIFY(editor->commit());
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(value(QStringLiteral("select string_agg(b_complete::text || '@' || d_date, ',') from jur.t_contractor_audit"
                                  " where id_contractor = 3")).toString(),
             QStringLiteral("false@") + QDate::currentDate().toString(Qt::ISODate));
    QCOMPARE(value(QStringLiteral("select c_comment from jur.t_contractor_comment where id_contractor = 3")).toString(),
             QStringLiteral("Сменили банк"));
    // Once saved, the new planned audit blocks another.
    QVERIFY(!editor->buttonAddAudit->isEnabled());

    // Editing keeps the author the database signed with.
    SupplierDirectoryEditor *again = openEditor(1);
    again->tvComment->setCurrentIndex(again->tvComment->model()->index(0, 0));
    answer<QCommentDialog>(&answerer, [](QCommentDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit comment"));
        QVERIFY(!dialog->buttonBox->button(QDialogButtonBox::Ok)->isEnabled());
        dialog->teComment->appendPlainText(QStringLiteral("Дополнение."));
        dialog->buttonBox->button(QDialogButtonBox::Ok)->click();
    });
    again->commentTab()->editComment();
    QVERIFY(again->commit());
    QCOMPARE(value(QStringLiteral("select c_comment || '/' || n_row_version from jur.t_contractor_comment where id_contractor = 1"))
                     .toString(),
             QStringLiteral("Первый комментарий\nДополнение./2"));
}

void TestSupplierEditor::typedCommentIsNotLostToEscape_data()
{
    QTest::addColumn<QString>("dialog");    // "comment", "audit" or "criterion"
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how");       // "escape", "close" or "cancel"
    QTest::addColumn<int>("answer");        // to the question; 0 when none is expected
    QTest::addColumn<QString>("saved");     // the text stored after the editor's save

    const QString text = QStringLiteral("Первая поставка прошла без замечаний");
    for (const char *dialog : {"comment", "audit", "criterion"}) {
        const auto row = [dialog](const char *name) -> QTestData & {
            return QTest::newRow(QByteArray(dialog).append(": ").append(name).constData());
        };
        row("escape, keep the text and confirm") << QString::fromLatin1(dialog) << text << "escape" << int(QMessageBox::No) << text;
        row("window closed, keep the text") << QString::fromLatin1(dialog) << text << "close" << int(QMessageBox::No) << text;
        row("escape, drop the text") << QString::fromLatin1(dialog) << text << "escape" << int(QMessageBox::Yes) << QString();
        row("cancel drops without asking") << QString::fromLatin1(dialog) << text << "cancel" << 0 << QString();
        row("nothing typed, escape asks nothing") << QString::fromLatin1(dialog) << QString() << "escape" << 0 << QString();
    }
}

void TestSupplierEditor::typedCommentIsNotLostToEscape()
{
    QFETCH(QString, dialog);
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(QString, saved);

    const bool audit = dialog == QLatin1String("audit");
    const bool criterion = dialog == QLatin1String("criterion");
    const QString editName = audit ? QStringLiteral("plainTextEditComment")
            : criterion            ? QStringLiteral("teDescription")
                                   : QStringLiteral("teComment");
    // Contractor 3 has no planned audit, so a new one may be added.
    SupplierDirectoryEditor *editor = openEditor(audit ? 3 : 2);

    ModalAnswerer answerer;
    if (criterion) {
        // The list of criteria first; its "Добавить параметр" opens the one to type in.
        SuppliersFixture::answer<CriterionDialog>(&answerer, [](CriterionDialog *list) {
            QMetaObject::invokeMethod(list->buttonNew, &QPushButton::click, Qt::QueuedConnection);
        });
    }
    answerer.enqueue([&](QWidget *widget) {
        auto *edit = widget->findChild<QWidget *>(editName);
        QVERIFY(edit);
        if (auto *criterionDialog = qobject_cast<CriterionEditDialog *>(widget); criterionDialog && !typed.isEmpty())
            criterionDialog->leName->setText(QStringLiteral("Гарантийный срок"));
        edit->setProperty("plainText", typed);
        QMetaObject::invokeMethod(widget, [widget, edit, how] {
            if (how == QLatin1String("escape"))
                QTest::keyClick(edit, Qt::Key_Escape);
            else if (how == QLatin1String("close"))
                widget->close();
            else if (auto *box = widget->findChild<QDialogButtonBox *>())
                box->button(QDialogButtonBox::Cancel)->click();
            else if (auto *reject = widget->findChild<QPushButton *>(QStringLiteral("buttonReject")))
                reject->click();
            else
                widget->findChild<QPushButton *>(QStringLiteral("pushButtonReject"))->click();
        }, Qt::QueuedConnection);
    });
    if (answer)
        answerer.pressButton(answer);
    if (answer == QMessageBox::No) {
        // Still open with the text: the user confirms it after all.
        answerer.enqueue([&](QWidget *widget) {
            QCOMPARE(widget->findChild<QWidget *>(editName)->property("plainText").toString(), typed);
            qobject_cast<QDialog *>(widget)->accept();
        });
    }
    if (criterion)
        SuppliersFixture::answer<CriterionDialog>(&answerer, [](CriterionDialog *list) { list->buttonClose->click(); });
    if (audit)
        editor->auditTab()->addAudit();
    else if (criterion)
        editor->ratingTab()->openCriterion();
    else
        editor->commentTab()->addComment();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(answerer.texts.size(), answer ? 1 : 0);

    QVERIFY(editor->commit());
    const QString stored = audit ? QStringLiteral("select string_agg(c_comment, ',') from jur.t_contractor_audit"
                                                  " where id_contractor = 3 and not b_complete")
            : criterion ? QStringLiteral("select string_agg(c_description, ',') from jur.t_criterion"
                                         " where c_name = 'Гарантийный срок'")
                        : QStringLiteral("select string_agg(c_comment, ',') from jur.t_contractor_comment"
                                         " where id_contractor = 2");
    QCOMPARE(value(stored).toString(), saved);
}

void TestSupplierEditor::filesSavedWithTheContractor()
{
    QTemporaryDir storage;
    QTemporaryDir disk;
    FileTesting::useStorage(&m_connection, storage.path());
    const QString contract = disk.filePath(QStringLiteral("dogovor.txt"));
    const QString report = disk.filePath(QStringLiteral("otchet-audita.txt"));
    QVERIFY(FileTesting::writeFile(contract, "Договор поставки № 7"));
    QVERIFY(FileTesting::writeFile(report, "Замечаний нет"));
    const QString links = QStringLiteral("select count(*) from lrg.t_file_owner where c_table = '%1'");

    SupplierDirectoryEditor *editor = openEditor(3);
    ModalAnswerer answerer;
    FileTesting::chooseFile(&answerer, contract);
    FileTesting::enterText(&answerer, QStringLiteral("Договор"));
    editor->fileWidget()->addFile();
    QTRY_COMPARE(answerer.pending(), 0);

    // A new audit with a report; its files hold the panel until the save.
    answer<ContractorAuditDialog>(&answerer, [](ContractorAuditDialog *dialog) { dialog->pushButtonAccept->click(); });
    editor->auditTab()->addAudit();
    FileWidget *auditFiles = editor->auditTab()->fileWidget();
    QCOMPARE(auditFiles->getKey(), -1LL);
    FileTesting::chooseFile(&answerer, report);
    FileTesting::enterText(&answerer, QStringLiteral("Отчёт"));
    auditFiles->addFile();
    QTRY_COMPARE(answerer.pending(), 0);
    QDataTable *audits = editor->dataSet()->getTable(QStringLiteral("t_contractor_audit"));
    const int older = audits->locate(QStringLiteral("id"), count(QStringLiteral(
            "select id from jur.t_contractor_audit where id_contractor = 3")));
    answerer.pressButton(QMessageBox::Ok);
    editor->tvAudit->setCurrentIndex(audits->getModel()->index(older, 0));
    QCOMPARE(answerer.titles.value(0), QStringLiteral("Внимание!"));
    QCOMPARE(editor->tvAudit->currentIndex().row(), audits->lastRow());
    QCOMPARE(auditFiles->getKey(), -1LL);
    QCOMPARE(count(links.arg(QStringLiteral("t_contractor"))) + count(links.arg(QStringLiteral("t_contractor_audit"))), 0LL);

    QVERIFY(editor->commit());
    QCOMPARE(answerer.unexpected, 0);
    const qlonglong audit = count(QStringLiteral("select id from jur.t_contractor_audit where id_contractor = 3"
                                                 " and d_date = current_date"));
    QCOMPARE(value(QStringLiteral("select string_agg(f.c_comment || '@' || o.c_table || ':' || o.n_key, ';' order by o.c_table)"
                                  " from lrg.t_file_owner o join lrg.t_file f on f.id = o.id_file")).toString(),
             QStringLiteral("Договор@t_contractor:3;Отчёт@t_contractor_audit:%1").arg(audit));
    QCOMPARE(FileTesting::fileCount(storage.path()), 2);

    // Opened again, both panels show their file.
    SupplierDirectoryEditor *again = openEditor(3);
    QCOMPARE(again->fileWidget()->getTable()->rowCount(), 1);
    QCOMPARE(again->auditTab()->fileWidget()->getKey(), audit);
    QCOMPARE(again->auditTab()->fileWidget()->getTable()->rowCount(), 1);
}

QTEST_MAIN(TestSupplierEditor)
#include "tst_suppliereditor.moc"
