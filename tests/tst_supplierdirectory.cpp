// The supplier directory against the real server: the list filtered by type
// and text, painted by the rating thresholds, the thresholds stored for
// everybody, deletion only where the database allows it, and the picker
// dialogs that create, edit and cancel through the shared data set.

#include "suppliersfixture.h"

#include "qbubbletip.h"

#include "suppliers/contractordataset.h"
#include "suppliers/contractordialog.h"
#include "suppliers/contractoreditdialog.h"
#include "suppliers/phoneformat.h"
#include "suppliers/qcommentdialog.h"
#include "suppliers/requisitecheck.h"
#include "suppliers/supplierdirectoryeditor.h"
#include "suppliers/supplierdirectoryview.h"
#include "suppliers/tabcommenteditor.h"
#include "suppliers/tabcontractoreditor.h"
#include "suppliers/tabratingeditor.h"

#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QStandardItemModel>
#include <QtTest>

using namespace SuppliersFixture;

class TestSupplierDirectory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formatPhone_data();
    void formatPhone();
    void requisiteCheck_data();
    void requisiteCheck();

    void typeFilterAndSearch_data();
    void typeFilterAndSearch();
    void ratingColours_data();
    void ratingColours();
    void thresholds_data();
    void thresholds();
    void deletion_data();
    void deletion();

    void pickerCreatesEditsAndCancels_data();
    void pickerCreatesEditsAndCancels();
    void pickerTypeAndChoice();
    void editorDialogAsksBeforeDroppingChanges();
    void readOnlyEditorDialog();
    void catalogWindows_data();
    void catalogWindows();

private:
    QStringList visibleNames(const SupplierDirectoryView &view) const;
    qlonglong count(const QString &statement) { return scalar(&m_connection, statement).toLongLong(); }

    QLibrary m_driver;
    QSqlConnection m_connection;
    QObject *m_owner = nullptr;
};

void TestSupplierDirectory::initTestCase()
{
    QString error;
    QVERIFY2(prepare(QStringLiteral("tst_supplierdirectory"), &m_driver, &m_connection, &error), qPrintable(error));
}

void TestSupplierDirectory::init()
{
    QString error;
    QVERIFY2(reset(&m_connection, &error), qPrintable(error));
    AppContext::setBigDaddy(true);
    m_owner = new QObject;
}

void TestSupplierDirectory::cleanup()
{
    QBubbleTip::hideBubble();
    delete m_owner;
    m_owner = nullptr;
}

QStringList TestSupplierDirectory::visibleNames(const SupplierDirectoryView &view) const
{
    QStringList names;
    QDataTable *table = view.table();
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!view.tvContent->isRowHidden(row))
            names.append(table->getRecord(row).value(QStringLiteral("c_name")).toString());
    }
    names.sort();
    return names;
}

void TestSupplierDirectory::formatPhone_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("4") << "1234" << "12-34";
    QTest::newRow("5") << "12345" << "123-45";
    QTest::newRow("6") << "123456" << "123-456";
    QTest::newRow("7: three groups") << "2351480" << "235-14-80";
    QTest::newRow("11: bracketed area code") << "84952351480" << "8(495)235-14-80";
    QTest::newRow("10: unchanged") << "4952351480" << "4952351480";
    QTest::newRow("3: unchanged") << "112" << "112";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("nothing removed first") << "8 495 2" << "8 4-95- 2";
}

void TestSupplierDirectory::formatPhone()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(::formatPhone(input), expected);
}

void TestSupplierDirectory::requisiteCheck_data()
{
    QTest::addColumn<QString>("sysName");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("error");
    const QString innLength = QStringLiteral("ИНН должен состоять из 10 или 12 цифр");
    QTest::newRow("INN of an organisation") << "CR_INN" << "7705260184" << "";
    QTest::newRow("INN of an entrepreneur") << "CR_INN" << "690846563200" << "";
    QTest::newRow("INN with letters") << "CR_INN" << "77052601AB" << innLength;
    QTest::newRow("INN too short") << "CR_INN" << "770526018" << innLength;
    QTest::newRow("INN with a typo") << "CR_INN" << "7705260185" << "Неверный ИНН: не сходится контрольная цифра";
    QTest::newRow("12-digit INN, second digit wrong") << "CR_INN" << "690846563201"
                                                      << "Неверный ИНН: не сходится контрольная цифра";
    QTest::newRow("KPP") << "CR_KPP" << "770501001" << "";
    QTest::newRow("KPP with a reason letter") << "CR_KPP" << "7705AB001" << "";
    QTest::newRow("KPP too long") << "CR_KPP" << "7705010011" << "КПП должен состоять из 9 цифр";
    QTest::newRow("BIC") << "CR_BIC" << "04452571" << "БИК должен состоять из 9 цифр";
    QTest::newRow("account") << "CR_PAYMENT_ACCOUNT" << "40702810400000012345" << "";
    QTest::newRow("account with a blank") << "CR_CORRESPONDENT_ACCOUNT" << "3010181014525000071 "
                                          << "Номер счёта должен состоять из 20 цифр";
    QTest::newRow("OGRN of 14 digits") << "CR_OGRN" << "11577468123451" << "ОГРН должен состоять из 13 цифр, ОГРНИП из 15";
    QTest::newRow("free text kind") << "CR_JUR_ADDR" << "г. Москва" << "";
}

void TestSupplierDirectory::requisiteCheck()
{
    QFETCH(QString, sysName);
    QFETCH(QString, value);
    QFETCH(QString, error);
    QCOMPARE(RequisiteCheck::error(sysName, value), error);
}

void TestSupplierDirectory::typeFilterAndSearch_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    const QStringList all = {"АО «ГАММА»", "ИП Дельтин", "ООО «Альфа»", "ООО «Бета»"};
    QTest::newRow("all types") << "Все" << "" << all;
    QTest::newRow("suppliers") << "Поставщик" << "" << QStringList{"ООО «Альфа»", "ООО «Бета»"};
    QTest::newRow("buyers") << "Покупатель" << "" << QStringList{"АО «ГАММА»", "ООО «Бета»"};
    QTest::newRow("workshops") << "Сторонний цех" << "" << QStringList{"ИП Дельтин"};
    QTest::newRow("carriers: none") << "Транспортная компания" << "" << QStringList();
    QTest::newRow("small letters miss capitals") << "Все" << "гамма" << QStringList();
    QTest::newRow("capitals") << "Все" << "ГАММА" << QStringList{"АО «ГАММА»"};
    QTest::newRow("by INN") << "Все" << "6601" << QStringList{"АО «ГАММА»"};
    QTest::newRow("type and text") << "Поставщик" << "Бет" << QStringList{"ООО «Бета»"};
}

void TestSupplierDirectory::typeFilterAndSearch()
{
    QFETCH(QString, type);
    QFETCH(QString, text);
    QFETCH(QStringList, shown);

    QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, m_owner);
    SupplierDirectoryView view(set);
    view.refresh();
    view.filter(text);
    view.cbType->setCurrentIndex(view.cbType->findText(type));
    QCOMPARE(view.cbType->currentText(), type);
    // The filter text survives reloading for another type.
    QCOMPARE(view.filterText(), text);
    QCOMPARE(visibleNames(view), shown);
    // "Все" sends no type at all: the script reads a null.
    QCOMPARE(view.table()->selectParams().contains(QStringLiteral("id_type")), type != QStringLiteral("Все"));
}

void TestSupplierDirectory::ratingColours_data()
{
    QTest::addColumn<double>("bad");
    QTest::addColumn<double>("excellent");
    QTest::addColumn<QStringList>("colours"); // contractors 1 to 4: rating 4, none, 8, 6
    QTest::newRow("thresholds equal to ratings") << 4.0 << 8.0 << QStringList{"red", "red", "green", ""};
    QTest::newRow("defaults: only the unrated is red") << 0.0 << 10.0 << QStringList{"", "red", "", ""};
    QTest::newRow("just beside") << 3.99 << 8.01 << QStringList{"", "red", "", ""};
    QTest::newRow("everything bad") << 8.0 << 10.0 << QStringList{"red", "red", "red", "red"};
}

void TestSupplierDirectory::ratingColours()
{
    QFETCH(double, bad);
    QFETCH(double, excellent);
    QFETCH(QStringList, colours);

    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("update jur.t_rating_threshold set n_value = %1 where c_sys_name = 'BAD_SUPPLIER';"
                                      "update jur.t_rating_threshold set n_value = %2 where c_sys_name = 'EXCELLENT_SUPPLIER'")
                               .arg(bad)
                               .arg(excellent)));
    QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, m_owner);
    SupplierDirectoryView view(set);
    // Every view loads the thresholds the database holds.
    QCOMPARE(RatingThresholds::bad(), bad);
    QCOMPARE(RatingThresholds::excellent(), excellent);
    view.refresh();

    QDataTable *table = view.table();
    for (int id = 1; id <= 4; ++id) {
        const int row = view.setCurrentRowByID(id);
        QVERIFY(row >= 0);
        const QString expected = colours.at(id - 1);
        for (int column : {0, 2}) {
            const QVariant brush = table->getModel()->index(row, column).data(Qt::BackgroundRole);
            const QString colour = !brush.isValid() || brush.value<QBrush>().style() == Qt::NoBrush
                    ? QString()
                    : brush.value<QBrush>().color() == QColor(Qt::red) ? QStringLiteral("red")
                    : brush.value<QBrush>().color() == QColor(Qt::green) ? QStringLiteral("green")
                                                                         : QStringLiteral("other");
            QCOMPARE(colour, expected);
        }
    }
    // The rating in three significant digits, the class by name.
    const int gamma = view.setCurrentRowByID(3);
    QCOMPARE(table->getModel()->index(gamma, 2).data().toString(), QStringLiteral("8"));
    QCOMPARE(table->getModel()->index(gamma, 3).data().toString(), QStringLiteral("Производитель"));
    QCOMPARE(table->getModel()->index(view.setCurrentRowByID(2), 2).data().toString(), QString());
}

void TestSupplierDirectory::thresholds_data()
{
    QTest::addColumn<bool>("badOne");
    QTest::addColumn<double>("entered");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("written");
    QTest::newRow("bad supplier below 4.5") << true << 4.5 << true << true;
    QTest::newRow("excellent from 9") << false << 9.0 << true << true;
    QTest::newRow("the value in force") << true << 0.0 << true << false;
    QTest::newRow("cancelled") << false << 7.0 << false << false;
}

void TestSupplierDirectory::thresholds()
{
    QFETCH(bool, badOne);
    QFETCH(double, entered);
    QFETCH(bool, accept);
    QFETCH(bool, written);

    const QString sysName = badOne ? QStringLiteral("BAD_SUPPLIER") : QStringLiteral("EXCELLENT_SUPPLIER");
    const QString stored = QStringLiteral("select %1 from jur.t_rating_threshold where c_sys_name = '%2'");
    const qlonglong version = count(stored.arg(QStringLiteral("n_row_version"), sysName));
    const double before = scalar(&m_connection, stored.arg(QStringLiteral("n_value"), sysName)).toDouble();

    QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, m_owner);
    SupplierDirectoryView view(set);
    view.refresh();
    ModalAnswerer answerer;
    answerNumber(&answerer, entered, accept);
    (badOne ? view.actBadRating : view.actGoodRating)->trigger();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);

    const double now = scalar(&m_connection, stored.arg(QStringLiteral("n_value"), sysName)).toDouble();
    QCOMPARE(now, written ? entered : before);
    QCOMPARE(count(stored.arg(QStringLiteral("n_row_version"), sysName)), version + (written ? 1 : 0));
    QCOMPARE(badOne ? RatingThresholds::bad() : RatingThresholds::excellent(), now);

    // Only the chief may move them.
    AppContext::setBigDaddy(false);
    view.updateButtons();
    QVERIFY(!view.actBadRating->isEnabled());
    QVERIFY(!view.actGoodRating->isEnabled());
}

void TestSupplierDirectory::deletion_data()
{
    QTest::addColumn<qlonglong>("id");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("successor refers to it") << 1LL << false << false;
    QTest::newRow("free, confirmed") << 3LL << true << true;
    QTest::newRow("free, cancelled") << 4LL << true << false;
}

void TestSupplierDirectory::deletion()
{
    QFETCH(qlonglong, id);
    QFETCH(bool, allowed);
    QFETCH(bool, confirm);

    QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, m_owner);
    SupplierDirectoryView view(set);
    view.refresh();
    QVERIFY(view.setCurrentRowByID(id) >= 0);
    view.updateButtons();
    QCOMPARE(view.actDel->isEnabled(), allowed);
    QCOMPARE(scalar(&m_connection, QStringLiteral("select jur.b_can_contractor_delete(%1)").arg(id)).toBool(), allowed);
    if (!allowed)
        return;

    // A file of the contractor and one of its audit.
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral(
            "insert into lrg.t_file (c_file, n_crc, n_size) values ('akt.txt', 1, 1);"
            "insert into lrg.t_file_owner (id_file, c_table, n_key)"
            " select f.id, 't_contractor', %1 from lrg.t_file f where f.c_file = 'akt.txt'"
            " union all select f.id, 't_contractor_audit', a.id from lrg.t_file f, jur.t_contractor_audit a"
            "  where f.c_file = 'akt.txt' and a.id_contractor = %1").arg(id)));

    ModalAnswerer answerer;
    answerer.pressButton(confirm ? QMessageBox::Ok : QMessageBox::Cancel);
    view.actDel->trigger();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(answerer.texts.value(0).startsWith(QStringLiteral("Вы действительно хотите удалить контрагента\n")));
    const QString exists = QStringLiteral("select count(*) from %1 where %2 = ") + QString::number(id);
    QCOMPARE(count(exists.arg(QStringLiteral("jur.t_contractor"), QStringLiteral("id"))), confirm ? 0 : 1);
    // Its details go with it.
    const qlonglong marks = count(exists.arg(QStringLiteral("jur.t_contractor_rating"), QStringLiteral("id_contractor")));
    QCOMPARE(marks == 0, confirm);
    // So do the links of its files and of its audits' files; the file records stay.
    QCOMPARE(count(QStringLiteral("select count(*) from lrg.t_file_owner o join lrg.t_file f on f.id = o.id_file"
                                  " where f.c_file = 'akt.txt'")),
             confirm ? 0LL : (id == 3 ? 2LL : 1LL));
    QCOMPARE(count(QStringLiteral("select count(*) from lrg.t_file where c_file = 'akt.txt'")), 1LL);
    QCOMPARE(view.setCurrentRowByID(id) >= 0, !confirm);
}

void TestSupplierDirectory::pickerCreatesEditsAndCancels_data()
{
    QTest::addColumn<bool>("create");
    QTest::addColumn<bool>("save");
    QTest::newRow("new contractor cancelled") << true << false;
    QTest::newRow("new contractor saved") << true << true;
    QTest::newRow("edit cancelled") << false << false;
    QTest::newRow("edit saved") << false << true;
}

void TestSupplierDirectory::pickerCreatesEditsAndCancels()
{
    QFETCH(bool, create);
    QFETCH(bool, save);

    ContractorDialog picker;
    QCOMPARE(picker.windowTitle(), QStringLiteral("Справочник контрагентов"));
    QDataTable *contractors = picker.view()->table();
    QCOMPARE(contractors->rowCount(), 4);
    QVERIFY(picker.view()->setCurrentRowByID(1) >= 0);

    QString title;
    ModalAnswerer answerer;
    answer<ContractorEditDialog>(&answerer, [&](ContractorEditDialog *dialog) {
        title = dialog->windowTitle();
        QCOMPARE(dialog->dataSet(), picker.dataSet());
        SupplierDirectoryEditor *editor = dialog->editor();
        editor->leName->setText(QStringLiteral("ООО «Новая фирма»"));
        if (editor->cbClass->currentIndex() < 0)
            editor->cbClass->setCurrentIndex(2);
        // A comment on another tab goes or stays with everything else.
        ModalAnswerer inner;
        inner.enqueue([](QWidget *widget) {
            auto *comment = qobject_cast<QCommentDialog *>(widget);
            comment->teComment->setPlainText(QStringLiteral("Записано в диалоге"));
            comment->accept();
        });
        editor->commentTab()->addComment();
        QCOMPARE(inner.pending(), 0);
        (save ? dialog->buttonAccept : dialog->buttonReject)->click();
    });
    if (create)
        picker.buttonAdd->click();
    else
        picker.buttonEdit->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(title, create ? QStringLiteral("Новый контрагент") : QStringLiteral("ООО «Альфа»"));

    const qlonglong stored = count(QStringLiteral("select count(*) from jur.t_contractor where c_name = 'ООО «Новая фирма»'"));
    QCOMPARE(stored, save ? 1 : 0);
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contractor")), create && save ? 5 : 4);
    QCOMPARE(count(QStringLiteral("select count(*) from jur.t_contractor_comment where c_comment = 'Записано в диалоге'")),
             save ? 1 : 0);
    // Nothing pending is left in the shared data set, a cancelled new row included.
    QVERIFY(!picker.dataSet()->isModified());
    QCOMPARE(contractors->rowCount(), create && save ? 5 : 4);
    for (int row = 0; row < contractors->rowCount(); ++row)
        QCOMPARE(contractors->getRowState(row), 0);
    QVERIFY(picker.view()->actNew->isEnabled());
    // The list shows the saved contractor and has it chosen.
    const QSqlRecord chosen = picker.getData();
    if (save) {
        QCOMPARE(chosen.value(QStringLiteral("c_name")).toString(), QStringLiteral("ООО «Новая фирма»"));
        QVERIFY(chosen.value(QStringLiteral("id")).toLongLong() > (create ? 100 : 0));
    } else if (!create) {
        QCOMPARE(chosen.value(QStringLiteral("c_name")).toString(), QStringLiteral("ООО «Альфа»"));
    }
    if (!create && !save) {
        QCOMPARE(scalar(&m_connection, QStringLiteral("select c_name from jur.t_contractor where id = 1")).toString(),
                 QStringLiteral("ООО «Альфа»"));
    }
}

void TestSupplierDirectory::pickerTypeAndChoice()
{
    ContractorDialog picker;
    picker.setType(QStringLiteral("Покупатель"));
    QCOMPARE(visibleNames(*picker.view()), (QStringList{"АО «ГАММА»", "ООО «Бета»"}));
    picker.setType(QStringLiteral("Нет такого типа"));
    QCOMPARE(picker.view()->cbType->currentIndex(), -1);
    QCOMPARE(picker.view()->table()->rowCount(), 4);

    // Nothing chosen: no editing, no accepting.
    picker.view()->tvContent->setCurrentIndex(QModelIndex());
    QVERIFY(!picker.buttonEdit->isEnabled());
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    picker.show();
    picker.buttonAccept->click();
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Внимание!")});
    QCOMPARE(answerer.texts, QStringList{QStringLiteral("Не выбран контрагент")});
    QVERIFY(picker.isVisible());
    QCOMPARE(picker.result(), 0);

    picker.view()->setCurrentRowByID(3);
    QVERIFY(picker.buttonEdit->isEnabled());
    picker.buttonAccept->click();
    QCOMPARE(picker.result(), int(QDialog::Accepted));
    QCOMPARE(picker.getData().value(QStringLiteral("c_name")).toString(), QStringLiteral("АО «ГАММА»"));
}

void TestSupplierDirectory::editorDialogAsksBeforeDroppingChanges()
{
    ContractorEditDialog dialog(nullptr);
    dialog.setData(contractor(dialog.dataSet(), 3));
    dialog.show();
    SupplierDirectoryEditor *editor = dialog.editor();
    QCOMPARE(editor->leName->text(), QStringLiteral("АО «ГАММА»"));
    editor->leName->setText(QStringLiteral("АО «Гамма-Плюс»"));

    // Escape with unsaved changes asks; "No" keeps everything.
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::No);
    dialog.reject();
    QVERIFY(dialog.isVisible());
    QCOMPARE(editor->leName->text(), QStringLiteral("АО «Гамма-Плюс»"));

    // A failed check keeps the dialog open with the input as typed.
    editor->cbClass->setCurrentIndex(-1);
    dialog.buttonAccept->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(editor->contractorTab()->errorText().count(QStringLiteral("Класс поставщика")), 1);

    editor->cbClass->setCurrentIndex(0);
    dialog.buttonAccept->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(scalar(&m_connection, QStringLiteral("select c_name from jur.t_contractor where id = 3")).toString(),
             QStringLiteral("АО «Гамма-Плюс»"));
    QCOMPARE(answerer.pending(), 0);
}

void TestSupplierDirectory::readOnlyEditorDialog()
{
    ContractorEditDialog dialog(nullptr);
    dialog.setData(contractor(dialog.dataSet(), 1));
    dialog.setReadOnly(true);
    dialog.show();
    SupplierDirectoryEditor *editor = dialog.editor();
    QVERIFY(dialog.buttonAccept->isHidden());
    QCOMPARE(dialog.buttonReject->text(), QStringLiteral("Закрыть"));
    QVERIFY(editor->leName->isReadOnly());
    QVERIFY(!editor->cbClass->isEnabled());
    // Choosing rows still works; nothing that changes them is offered.
    editor->tvPerson->setCurrentIndex(editor->tvPerson->model()->index(1, 0));
    editor->tvRating->setCurrentIndex(editor->tvRating->model()->index(0, 0));
    editor->tvComment->setCurrentIndex(editor->tvComment->model()->index(0, 0));
    const QList<QAbstractButton *> offers = {editor->buttonAddPerson,    editor->buttonEditPerson,
                                             editor->buttonAddContact,   editor->buttonAddRequisite,
                                             editor->buttonRequisite,    editor->buttonEditRating,
                                             editor->buttonCriterion,    editor->buttonAddComment,
                                             editor->buttonEditComment,  editor->buttonAddAudit};
    for (QAbstractButton *button : offers)
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    const qlonglong marks = count(QStringLiteral("select sum(n_row_version) from jur.t_contractor_rating"));
    editor->ratingTab()->editRating();
    QCOMPARE(count(QStringLiteral("select sum(n_row_version) from jur.t_contractor_rating")), marks);

    dialog.setReadOnly(false);
    QVERIFY(editor->buttonEditPerson->isEnabled());
    QVERIFY(editor->buttonEditRating->isEnabled());
}

void TestSupplierDirectory::catalogWindows_data()
{
    QTest::addColumn<QString>("window");
    for (const char *name : {"contractors", "contractors:Покупатель", "supplier-directory", "contractor-editor",
                             "contractor-editor-items:3", "contractor-editor-requisites", "contractor-editor-rating",
                             "contractor-editor-files", "contractor-editor-contacts", "contractor-editor-comments",
                             "contractor-editor-audit:Дельтин", "contractor-new", "person-dialog", "contact-dialog",
                             "contact-type-dialog", "requisite-add-dialog", "requisite-dialog", "requisite-edit-dialog",
                             "criterion-dialog", "criterion-edit-dialog", "contractor-audit-dialog",
                             "rating-threshold-dialog", "rating-mark-dialog", "comment-dialog"})
        QTest::newRow(name) << QString::fromUtf8(name);
}

// Every window of the directory opens from the shell on this database and
// closes again cleanly: the shell renders it and exits with 0.
void TestSupplierDirectory::catalogWindows()
{
    QFETCH(QString, window);
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("window.png"));
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start(QStringLiteral(WORKPLACE_SHELL),
                {QStringLiteral("--db-host"), TestServer::socketDir(), QStringLiteral("--db-name"),
                 QStringLiteral("tst_supplierdirectory"), QStringLiteral("--db-user"), QStringLiteral("workplace"),
                 QStringLiteral("--user"), QStringLiteral("admin"), QStringLiteral("--password"), QStringLiteral("admin"),
                 QStringLiteral("--window"), window, QStringLiteral("--screenshot"), picture});
    QVERIFY(shell.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(shell.readAll());
    QCOMPARE(shell.exitStatus(), QProcess::NormalExit);
    QVERIFY2(shell.exitCode() == 0, qPrintable(output));
    const QImage image(picture);
    QVERIFY(image.width() > 200 && image.height() > 100);
}

QTEST_MAIN(TestSupplierDirectory)
#include "tst_supplierdirectory.moc"
