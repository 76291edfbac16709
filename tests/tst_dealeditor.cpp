// The deal editor and the position dialog against the real server with its
// demo data: a deal made from the list and edited on every tab, saved and
// read back; cancelling; an unchanged save; VAT both ways; the unit's
// precision; the missing-fields bubble; bad input; and a colleague saving
// the same deal meanwhile, over a second connection.
#include "dealconflictdialog.h"
#include "dealcontractorfield.h"
#include "dealshost.h"
#include "filewidget.h"
#include "modalanswerer.h"
#include "qbubbletip.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdealeditor.h"
#include "qdealposdialog.h"
#include "qdeals.h"
#include "qdealsview.h"
#include "qsqlconnection.h"
#include "suppliers/contractordialog.h"
#include "suppliers/itemproducttree.h"
#include "suppliers/supplierdirectoryview.h"
#include "testserver.h"
#include "vatprice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

template<typename T>
T *child(QWidget *parent, const char *name)
{
    // No name: the first of its kind.
    T *widget = parent->findChild<T *>(*name ? QString::fromLatin1(name) : QString());
    if (!widget)
        qWarning("no %s", name);
    return widget;
}

// What a position dialog is filled with by the person in a test.
struct Line
{
    qlonglong item = -1; // a catalogue item, or none for a request
    QString name;
    QString description;
    double quantity = 1;
    double cost = 0;
    double salePrice = 0;
    bool withVat = false;
};

} // namespace

class tst_DealEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void newDealRoundTrip();
    void cancelRollsEverythingBack();
    void unchangedSaveWritesNothing();
    void vatBothWays_data();
    void vatBothWays();
    void quantityFollowsTheUnit_data();
    void quantityFollowsTheUnit();
    void lineCurrency_data();
    void lineCurrency();
    void missingFieldsBubble_data();
    void missingFieldsBubble();
    void badInput();
    void recipientChoice();
    void transportFollowsTheState_data();
    void transportFollowsTheState();
    void totalsAndUnpricedLines();
    void colleagueSavedMeanwhile_data();
    void colleagueSavedMeanwhile();
    void colleagueDeletedALine();

private:
    QDeals *deals() const { return qobject_cast<QDeals *>(getInterface(nullptr)); }
    QDealEditor *editor() const { return deals()->editor(); }
    QVariant value(const QString &statement, const QVariantList &binds = {});
    // The first row of the statement's result, its columns joined by "|".
    QString row(const QString &statement, const QVariantList &binds);
    // What the colleague's workplace writes meanwhile.
    void colleagueWrites(const QString &statement, const QVariantList &binds);
    qlonglong firstDeal() { return value(QStringLiteral("select min(id) from jur.t_deals")).toLongLong(); }
    void cancelEdit() { deals()->dataEditor()->cancelButton()->click(); }
    void openDeal(qlonglong id);
    void apply();
    void waitForTree();
    // Answers the next position dialog as a person filling it would.
    void enqueueLine(ModalAnswerer *answerer, const Line &line);
    // Drops a new file on the editor's files tab and describes it.
    void dropFile(ModalAnswerer *answerer, const QString &directory, const QString &description);
    // An empty line with the fields of the positions table.
    QSqlRecord lineRecord() const;

    QLibrary m_driver;
    QSqlConnection m_connection;
    std::unique_ptr<DealsHost> m_host;
    QWidget m_shell;
    QSqlDatabase m_colleague;
    qlonglong m_product = 0;
};

void tst_DealEditor::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::openMainConnection(QStringLiteral("tst_dealeditor"), &m_driver, &m_connection, true, &error),
             qPrintable(error));
    m_host = std::make_unique<DealsHost>();
    QVERIFY(value(QStringLiteral("select count(*) from jur.t_deals")).toInt() > 100);

    // A colleague at another workplace: a connection of its own.
    m_colleague = QSqlDatabase::cloneDatabase(m_connection.database(), QStringLiteral("colleague"));
    QVERIFY2(m_colleague.open(), qPrintable(m_colleague.lastError().text()));

    // An item the product tree offers: a version in use, of a family that is a product.
    m_product = value(QStringLiteral(
        "select i.id from dirs.t_item i join inv.t_product_version pv on pv.id_item = i.id "
        "and not pv.b_is_del and not pv.b_is_not_use join inv.t_product p on p.id_item_family = i.id_item_family "
        "and not p.b_is_del order by i.id limit 1")).toLongLong();
    QVERIFY(m_product > 0);
    m_shell.resize(1200, 900);
    QVERIFY(getInterface(&m_shell));
    deals()->refresh();
}

void tst_DealEditor::cleanupTestCase()
{
    m_host.reset();
    m_colleague.close();
}

namespace {

QSqlQuery run(const QSqlDatabase &database, const QString &statement, const QVariantList &binds)
{
    QSqlQuery query(database);
    query.prepare(statement);
    for (const QVariant &bind : binds)
        query.addBindValue(bind);
    if (!query.exec())
        qWarning("%s", qPrintable(query.lastError().text()));
    return query;
}

} // namespace

QVariant tst_DealEditor::value(const QString &statement, const QVariantList &binds)
{
    QSqlQuery query = run(m_colleague.isOpen() ? m_colleague : m_connection.database(), statement, binds);
    return query.next() ? query.value(0) : QVariant();
}

QString tst_DealEditor::row(const QString &statement, const QVariantList &binds)
{
    QSqlQuery query = run(m_colleague, statement, binds);
    QStringList columns;
    for (int i = 0; i < query.record().count() && (i > 0 || query.next()); ++i)
        columns << query.value(i).toString();
    return columns.join(QLatin1Char('|'));
}

void tst_DealEditor::colleagueWrites(const QString &statement, const QVariantList &binds)
{
    QSqlQuery query = run(m_colleague, statement, binds);
    QVERIFY2(query.isActive(), qPrintable(query.lastError().text()));
}

void tst_DealEditor::openDeal(qlonglong id)
{
    deals()->dataEditor()->onReset();
    deals()->refresh();
    deals()->view()->cbState->setCurrentIndex(deals()->view()->cbState->findText(QStringLiteral("Все")));
    QVERIFY(deals()->view()->setCurrentRowByID(id) >= 0);
    deals()->setCurrentRowByID(id);
    QCOMPARE(editor()->record().value(QStringLiteral("id")).toLongLong(), id);
    // Showing a deal is no change of it, neither at once nor once the
    // editors have checked their spelling.
    QCoreApplication::processEvents();
    QVERIFY(!deals()->dataEditor()->okButton()->isEnabled());
}

void tst_DealEditor::apply()
{
    QPushButton *ok = deals()->dataEditor()->okButton();
    QVERIFY(ok->isEnabled());
    ok->click();
}

void tst_DealEditor::waitForTree()
{
    ItemProductTree *tree = ItemProductTree::getItemTree(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!tree->isBuilding() && tree->treeWidget()->topLevelItemCount() > 0, 30000);
}

void tst_DealEditor::enqueueLine(ModalAnswerer *answerer, const Line &line)
{
    answerer->enqueue([line](QWidget *widget) {
        auto *dialog = qobject_cast<QDealPosDialog *>(widget);
        QVERIFY(dialog);
        if (line.item > 0) {
            QVERIFY(dialog->itemTree()->revealItem(line.item));
            child<QPushButton>(dialog, "buttonAdd")->click();
        }
        if (!line.name.isEmpty())
            child<QLineEdit>(dialog, "leName")->setText(line.name);
        if (!line.description.isEmpty())
            child<QTextEdit>(dialog, "teDescr")->setPlainText(line.description);
        child<QDoubleSpinBox>(dialog, "sbQty")->setValue(line.quantity);
        child<QDoubleSpinBox>(dialog, "sbCost")->setValue(line.cost);
        child<QDoubleSpinBox>(dialog, "sbSalePrice")->setValue(line.salePrice);
        child<QCheckBox>(dialog, "cbNDS")->setChecked(line.withVat);
        QPushButton *accept = child<QPushButton>(dialog, "buttonAccept");
        QVERIFY(accept->isEnabled());
        accept->click();
    });
}

void tst_DealEditor::dropFile(ModalAnswerer *answerer, const QString &directory, const QString &description)
{
    const QString stamp = QString::number(QDateTime::currentMSecsSinceEpoch());
    const QString path = directory + QStringLiteral("/zakaz-") + stamp + QStringLiteral(".txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Заказ к сделке " + stamp.toUtf8());
    file.close();
    answerer->enqueue([description](QWidget *dialog) {
        QLineEdit *edit = child<QLineEdit>(dialog, "");
        QVERIFY2(edit, qPrintable(dialog->windowTitle()));
        edit->setText(description);
        qobject_cast<QDialog *>(dialog)->accept();
    });
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    // As a drag from the file manager arrives: it enters first, then drops.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor()->files(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor()->files(), &drop);
}

QSqlRecord tst_DealEditor::lineRecord() const
{
    QSqlRecord record;
    for (const colInfo &column : deals()->document()->getTable(QStringLiteral("t_deal_details"))->columns())
        record.append(QSqlField(column.fieldName, QVariant::Type(column.dataType)));
    return record;
}

// Made from the list, filled on every tab, saved in one commit, read back,
// changed and saved again: every value where it was put.
void tst_DealEditor::newDealRoundTrip()
{
    waitForTree();
    deals()->refresh();
    QDealsView *view = deals()->view();
    const qlonglong last = value(QStringLiteral("select max(id) from jur.t_deals")).toLongLong();
    view->acNew->trigger();
    QVERIFY(!deals()->editFrame->isHidden());
    QDealEditor *ed = editor();
    QVERIFY(ed->record().value(QStringLiteral("id")).toLongLong() < 0);
    QVERIFY(!ed->cbState->isEnabled());
    QVERIFY(deals()->dataEditor()->okButton()->isEnabled());

    // The header: a recipient that asks for documents fills them in itself.
    const qlonglong buyer = value(QStringLiteral(
        "select c.id from jur.t_contractor c join jur.t_cont_cont_type t on t.id_contractor = c.id "
        "and t.id_contractor_type = 2 where c.id_request_doc is not null order by c.id limit 1")).toLongLong();
    const qlonglong asked = value(QStringLiteral("select id_request_doc from jur.t_contractor where id = ?"),
                                  {buyer}).toLongLong();
    ed->cbContractor->setCurrentIndex(ed->cbContractor->findData(buyer));
    QCOMPARE(ed->recipient()->id(), buyer);
    QCOMPARE(ed->cbRequestDoc->currentData().toLongLong(), asked);
    QVERIFY(ed->btInfo->isEnabled());
    ed->cbProvider->setCurrentIndex(2);
    ed->cbTransportCompany->setCurrentIndex(3);
    ed->cbPayerForDelivery->setCurrentIndex(2);
    ed->cbCurrency->setCurrentIndex(1);
    ed->teBase->setPlainText(QStringLiteral("Письмо <срочно> № 5'; --"));
    ed->teComment->setPlainText(QStringLiteral("Отгрузить до праздников"));
    ed->lineEditAddress->setText(QStringLiteral("г. Казань, ул. Тихая, 1"));
    ed->lineEditPhone->setText(QStringLiteral("+7 843 000-00-00"));
    ed->leSendingNumber->setText(QStringLiteral("0042"));

    // A position and a development-work request through the line dialog.
    ModalAnswerer answerer;
    enqueueLine(&answerer, {m_product, QString(), QString(), 3, 1500.5, 100, true});
    ed->btAddPos->click();
    enqueueLine(&answerer, {-1, QStringLiteral("Щит управления"), QStringLiteral("Разработать щит на 3 насоса"), 1,
                            50000, 90000.33, false});
    ed->btAddOkr->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(ed->tvDetails->model()->rowCount(), 1);
    QCOMPARE(ed->tvOkr->model()->rowCount(), 1);
    QVERIFY(ed->labelTotalPrice->text().contains(QStringLiteral("120")));

    // A file dropped on the files tab, with its description asked.
    QTemporaryDir dir;
    dropFile(&answerer, dir.path(), QStringLiteral("Спецификация"));
    QCOMPARE(deals()->document()->getTable(QStringLiteral("t_file_owner"))->rowCount(), 1);

    apply();
    QCOMPARE(answerer.unexpected, 0);
    const qlonglong id = value(QStringLiteral("select max(id) from jur.t_deals")).toLongLong();
    QVERIFY(id > last);
    QCOMPARE(row(QStringLiteral("select c_base, id_contractor, id_request_doc, c_sending_number, c_inn is null "
                                "from jur.t_deals where id = ?"), {id}),
             QStringLiteral("Письмо <срочно> № 5'; --|%1|%2|0042|true").arg(buyer).arg(asked));
    // The lines got real keys and the new deal's key; the price went in with VAT.
    QCOMPARE(row(QStringLiteral("select string_agg(concat_ws('/', b_okr, case when b_okr then c_name end, n_qty::float8, "
                                "n_sale_price::float8), ';' order by b_okr) from jur.t_deal_details "
                                "where id_deal = ? and id > 0"), {id}),
             QStringLiteral("f/3/120;t/Щит управления/1/90000.33"));
    QCOMPARE(value(QStringLiteral("select c_comment from lrg.v_file_owner where c_table = 't_deal' and n_key = ?"),
                   {id}).toString(), QStringLiteral("Спецификация"));
    QVERIFY(!deals()->dataEditor()->okButton()->isEnabled());

    // Reopened: the form shows what was put.
    openDeal(id);
    QCOMPARE(ed->teBase->toPlainText(), QStringLiteral("Письмо <срочно> № 5'; --"));
    QCOMPARE(ed->cbContractor->currentData().toLongLong(), buyer);
    QCOMPARE(ed->lineEditAddress->text(), QStringLiteral("г. Казань, ул. Тихая, 1"));
    QCOMPARE(ed->tvDetails->model()->rowCount(), 1);
    QCOMPARE(ed->tvOkr->model()->rowCount(), 1);
    QVERIFY(ed->cbState->isEnabled());
    QVERIFY(ed->btSave->isEnabled());

    // Changed on every tab and saved again.
    ed->cbState->setCurrentIndex(ed->cbState->findText(QStringLiteral("Требует отгрузки")));
    QVERIFY(ed->gbTransport->isEnabled());
    ed->leTransportCompany->setText(QStringLiteral("до терминала"));
    ed->tvDetails->setCurrentIndex(ed->tvDetails->model()->index(0, 1));
    enqueueLine(&answerer, {-1, QString(), QString(), 5, 2500, 200, true});
    ed->btEditPos->click();
    ed->tvOkr->setCurrentIndex(ed->tvOkr->model()->index(0, 1));
    answerer.pressButton(QMessageBox::Yes);
    ed->btDelOkr->click();
    QCOMPARE(answerer.texts.last(), QStringLiteral("Удалить Щит управления ?"));
    apply();
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(row(QStringLiteral("select s.c_name, d.c_transport_company, (select string_agg(x.n_qty::float8::text, ',') "
                                "from jur.t_deal_details x where x.id_deal = d.id) from jur.t_deals d "
                                "join jur.t_deal_state s on s.id = d.id_state where d.id = ?"), {id}),
             QStringLiteral("Требует отгрузки|до терминала|5"));
}

// Cancel in the frame: the header, the lines and the files go back as they were.
void tst_DealEditor::cancelRollsEverythingBack()
{
    waitForTree();
    const qlonglong id = value(QStringLiteral(
        "select d.id from jur.t_deals d where (select count(*) from jur.t_deal_details x where x.id_deal = d.id "
        "and not x.b_okr) >= 2 and (select count(*) from lrg.v_file_owner f where f.c_table = 't_deal' "
        "and f.n_key = d.id) >= 1 order by d.id limit 1")).toLongLong();
    QVERIFY(id > 0);
    // Two more files, so that the panel must read a list and not just one row.
    colleagueWrites(QStringLiteral(
        "insert into lrg.t_file_owner (id_file, c_table, n_key) select f.id, 't_deal', ? from lrg.t_file f "
        "where not exists (select 1 from lrg.t_file_owner o where o.id_file = f.id and o.c_table = 't_deal' "
        "and o.n_key = ?) order by f.id limit 2"), {id, id});
    const QString before = value(QStringLiteral(
        "select md5(string_agg(x::text, ',' order by x.id)) from jur.t_deal_details x where x.id_deal = ?"), {id})
                                   .toString();
    const int files = value(QStringLiteral("select count(*) from lrg.v_file_owner where c_table = 't_deal' and n_key = ?"), {id}).toInt();
    QCOMPARE(files, 3);
    openDeal(id);
    QDealEditor *ed = editor();
    const int positions = ed->tvDetails->model()->rowCount();
    QDataTable *attached = deals()->document()->getTable(QStringLiteral("t_file_owner"));
    QCOMPARE(attached->rowCount(), files);
    const QString comment = ed->teComment->toPlainText();

    ed->teComment->setPlainText(QStringLiteral("черновик"));
    ModalAnswerer answerer;
    enqueueLine(&answerer, {m_product, QString(), QString(), 1, 10, 20, false});
    ed->btAddPos->click();
    ed->tvDetails->setCurrentIndex(ed->tvDetails->model()->index(0, 1));
    answerer.pressButton(QMessageBox::Yes);
    ed->btDelPos->click();
    QCOMPARE(ed->tvDetails->model()->rowCount(), positions + 1);
    QTemporaryDir dir;
    dropFile(&answerer, dir.path(), QStringLiteral("Черновик"));
    QCOMPARE(answerer.pending(), 0);

    cancelEdit();
    QCOMPARE(answerer.unexpected, 0);
    openDeal(id);
    QCOMPARE(ed->teComment->toPlainText(), comment);
    QCOMPARE(ed->tvDetails->model()->rowCount(), positions);
    QDataTable *details = deals()->document()->getTable(QStringLiteral("t_deal_details"));
    for (int row = 0; row < details->rowCount(); ++row)
        QCOMPARE(details->getRowState(row), int(rsUnchanged));
    QCOMPARE(value(QStringLiteral(
        "select md5(string_agg(x::text, ',' order by x.id)) from jur.t_deal_details x where x.id_deal = ?"), {id})
                     .toString(), before);
    QCOMPARE(value(QStringLiteral("select count(*) from lrg.v_file_owner where c_table = 't_deal' and n_key = ?"), {id}).toInt(), files);
}

// "Применить" on a deal nobody changed, and a line accepted as it was: nothing is written.
void tst_DealEditor::unchangedSaveWritesNothing()
{
    waitForTree();
    const qlonglong id = value(QStringLiteral(
        "select d.id from jur.t_deals d where exists (select 1 from jur.t_deal_details x where x.id_deal = d.id "
        "and x.b_okr) and d.id_request_doc is not null order by d.id limit 1")).toLongLong();
    const QString versions = QStringLiteral(
        "select (select n_row_version from jur.t_deals where id = ?)::text || '/' || "
        "(select string_agg(n_row_version::text, ',' order by id) from jur.t_deal_details where id_deal = ?)");
    const QString before = value(versions, {id, id}).toString();
    openDeal(id);
    QDealEditor *ed = editor();

    ModalAnswerer answerer;
    answerer.enqueue([](QWidget *dialog) { child<QPushButton>(dialog, "buttonAccept")->click(); });
    ed->tvOkr->setCurrentIndex(ed->tvOkr->model()->index(0, 1));
    ed->btEditOkr->click();
    QCOMPARE(answerer.pending(), 0);
    QDataTable *requests = deals()->document()->getTable(QStringLiteral("t_deal_details_okr"));
    QCOMPARE(requests->getRowState(0), int(rsUnchanged));
    QVERIFY(!deals()->dataEditor()->okButton()->isEnabled());

    ed->OnChange();
    apply();
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(value(versions, {id, id}).toString(), before);
}

void tst_DealEditor::vatBothWays_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<double>("amount");

    for (int rate : {0, 10, 20}) {
        for (double amount : {100.00, 0.01, 0.05, 1.05, 4.99, 12345.67, 999999.99})
            QTest::addRow("%d%% of %.2f", rate, amount) << rate << amount;
    }
}

// Ticking "с НДС" adds the rate, unticking takes it off again, each rounded
// to the kopeck half away from zero; a price goes there and back, as often as
// one likes, without a kopeck of drift.
void tst_DealEditor::vatBothWays()
{
    QFETCH(int, rate);
    QFETCH(double, amount);

    // The reference, in whole kopecks.
    const qlonglong kopecks = qRound64(amount * 100);
    const double withRate = double((2 * kopecks * (100 + rate) + 100) / 200) / 100;
    const double withoutRate = double((2 * kopecks * 100 + (100 + rate)) / (2 * (100 + rate))) / 100;
    QCOMPARE(VatPrice::addVat(amount, rate), withRate);
    QCOMPARE(VatPrice::removeVat(amount, rate), withoutRate);

    QDealPosDialog dialog(deals()->document());
    auto *vat = child<QComboBox>(&dialog, "cbVAT");
    auto *withVat = child<QCheckBox>(&dialog, "cbNDS");
    auto *price = child<QDoubleSpinBox>(&dialog, "sbSalePrice");
    // A new line starts on the default rate.
    QCOMPARE(vat->currentText(), QStringLiteral("20"));
    vat->setCurrentIndex(vat->findText(QString::number(rate)));
    QVERIFY(vat->currentIndex() >= 0);

    // A net price entered.
    price->setValue(amount);
    withVat->setChecked(true);
    QCOMPARE(price->value(), withRate);
    QVERIFY(!vat->isEnabled());
    withVat->setChecked(false);
    QCOMPARE(price->value(), amount);
    QVERIFY(vat->isEnabled());

    // A gross price entered: off and on again, five times over.
    withVat->setChecked(true);
    price->setValue(amount);
    withVat->setChecked(false);
    QCOMPARE(price->value(), withoutRate);
    for (int i = 0; i < 5; ++i) {
        withVat->setChecked(true);
        QCOMPARE(price->value(), amount);
        withVat->setChecked(false);
    }

    // A stored price with VAT is shown as stored, not converted again.
    QSqlRecord line = lineRecord();
    line.setValue(QStringLiteral("n_sale_price"), amount);
    line.setValue(QStringLiteral("b_add_nds"), true);
    QDealPosDialog stored(deals()->document());
    stored.setData(line);
    QCOMPARE(child<QDoubleSpinBox>(&stored, "sbSalePrice")->value(), amount);
    QVERIFY(child<QCheckBox>(&stored, "cbNDS")->isChecked());
}

void tst_DealEditor::quantityFollowsTheUnit_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("stored");
    QTest::addColumn<int>("decimals");

    QTest::newRow("pieces") << "Штука" << 7.0 << 0;
    QTest::newRow("kilograms") << "Килограмм" << 2.125 << 3;
    QTest::newRow("metres") << "Метр" << 12.5 << 2;
    // Stored with more decimals than the unit takes: shown unrounded.
    QTest::newRow("metres, finer stored") << "Метр" << 2.125 << 3;
}

void tst_DealEditor::quantityFollowsTheUnit()
{
    QFETCH(QString, unit);
    QFETCH(double, stored);
    QFETCH(int, decimals);

    const int precision = value(QStringLiteral("select n_precission from dirs.t_meas_unit where c_name = ?"), {unit})
                                  .toInt();
    QDealPosDialog dialog(deals()->document());
    auto *units = child<QComboBox>(&dialog, "cbMeas");
    auto *quantity = child<QDoubleSpinBox>(&dialog, "sbQty");
    // A new line starts on pieces, three weeks from today.
    QCOMPARE(units->currentText(), QStringLiteral("Штука"));
    QCOMPARE(child<QDateEdit>(&dialog, "deExecution")->date(), QDate::currentDate().addDays(21));
    units->setCurrentIndex(units->findText(unit));
    QCOMPARE(quantity->decimals(), precision);

    QSqlRecord line = lineRecord();
    line.setValue(QStringLiteral("n_qty"), stored);
    line.setValue(QStringLiteral("id_meas_unit"),
                  value(QStringLiteral("select id from dirs.t_meas_unit where c_name = ?"), {unit}));
    QDealPosDialog shown(deals()->document());
    shown.setData(line);
    QCOMPARE(child<QComboBox>(&shown, "cbMeas")->currentText(), unit);
    QCOMPARE(child<QDoubleSpinBox>(&shown, "sbQty")->decimals(), decimals);
    QCOMPARE(child<QDoubleSpinBox>(&shown, "sbQty")->value(), stored);
    QSqlRecord back = line;
    shown.getData(&back);
    QCOMPARE(back.value(QStringLiteral("n_qty")).toDouble(), stored);
}

void tst_DealEditor::lineCurrency_data()
{
    QTest::addColumn<bool>("newDeal");
    QTest::addColumn<QString>("choose");
    QTest::addColumn<QString>("shown");

    QTest::newRow("stored deal") << false << QString() << "руб.";
    QTest::newRow("new deal") << true << QString() << "руб.";
    QTest::newRow("currency changed") << false << "Евро" << "€";
    QTest::newRow("new deal in dollars") << true << "Доллар США" << "$";
}

// The line dialog and the totals name the currency the form shows.
void tst_DealEditor::lineCurrency()
{
    QFETCH(bool, newDeal);
    QFETCH(QString, choose);
    QFETCH(QString, shown);

    waitForTree();
    const qlonglong id = value(QStringLiteral(
        "select d.id from jur.t_deals d join dirs.t_currency c on c.id = d.id_currency and c.c_short_name = 'руб.' "
        "order by d.id limit 1")).toLongLong();
    QVERIFY(id > 0);
    openDeal(id);
    if (newDeal)
        deals()->view()->acNew->trigger();
    QDealEditor *ed = editor();
    if (!choose.isEmpty())
        ed->cbCurrency->setCurrentIndex(ed->cbCurrency->findText(choose));

    QString label;
    ModalAnswerer answerer;
    answerer.enqueue([&label](QWidget *widget) {
        label = child<QLabel>(widget, "labelSalePriceCurrency")->text();
        qobject_cast<QDialog *>(widget)->reject();
    });
    ed->btAddPos->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(label, shown);
    QVERIFY2(ed->labelTotalPrice->text().endsWith(QLatin1Char(' ') + shown), qPrintable(ed->labelTotalPrice->text()));
    cancelEdit();
}

void tst_DealEditor::missingFieldsBubble_data()
{
    QTest::addColumn<bool>("newDeal");
    QTest::addColumn<QStringList>("clear");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("new, empty") << true << QStringList{}
                                << QStringList{" Запрос документов", " Предмет сделки"};
    QTest::newRow("no state, no currency") << false << QStringList{"cbState", "cbCurrency"}
                                           << QStringList{" Валюта", " Состояние"};
    QTest::newRow("everything there") << false << QStringList{} << QStringList{};
}

void tst_DealEditor::missingFieldsBubble()
{
    QFETCH(bool, newDeal);
    QFETCH(QStringList, clear);
    QFETCH(QStringList, lines);

    QBubbleTip::hideBubble();
    const qlonglong id = value(QStringLiteral(
        "select d.id from jur.t_deals d where d.id_request_doc is not null and exists (select 1 from "
        "jur.t_deal_details x where x.id_deal = d.id) order by d.id desc limit 1")).toLongLong();
    openDeal(id);
    if (newDeal)
        deals()->view()->acNew->trigger();
    QDealEditor *ed = editor();
    for (const QString &name : clear)
        child<QComboBox>(ed, name.toLatin1().constData())->setCurrentIndex(-1);
    ed->OnChange();
    const int dealCount = value(QStringLiteral("select count(*) from jur.t_deals")).toInt();
    const QString version = value(QStringLiteral("select n_row_version from jur.t_deals where id = ?"), {id}).toString();

    QCOMPARE(ed->checkData(), lines.isEmpty());
    QBubbleTip *bubble = QBubbleTip::currentBubble();
    QCOMPARE(bubble != nullptr, !lines.isEmpty());
    if (bubble) {
        QString shown;
        for (const QLabel *label : bubble->findChildren<QLabel *>())
            shown += label->text() + QLatin1Char('\n');
        QVERIFY(shown.contains(QStringLiteral("Ошибки")));
        int at = 0;
        for (const QString &line : lines) {
            const int found = shown.indexOf(QStringLiteral("\t-%1</b>").arg(line), at);
            QVERIFY2(found > at, qPrintable(line));
            at = found;
        }
        // A failed check writes nothing and keeps "Применить" for the next try.
        apply();
        QVERIFY(deals()->dataEditor()->okButton()->isEnabled());
        QCOMPARE(value(QStringLiteral("select count(*) from jur.t_deals")).toInt(), dealCount);
        QCOMPARE(value(QStringLiteral("select n_row_version from jur.t_deals where id = ?"), {id}).toString(),
                 version);
    }
    // The errors of an edit given up do not stay over the deal shown next.
    cancelEdit();
    QVERIFY(!QBubbleTip::currentBubble());
}

// What the person cannot get wrong: a negative quantity, letters in a price,
// a line without quantity or subject, no VAT rate, no recipient picked.
void tst_DealEditor::badInput()
{
    waitForTree();
    QDealPosDialog dialog(deals()->document());
    dialog.setType(QDealPosDialog::DevelopmentWork);
    auto *quantity = child<QDoubleSpinBox>(&dialog, "sbQty");
    auto *price = child<QDoubleSpinBox>(&dialog, "sbSalePrice");
    auto *accept = child<QPushButton>(&dialog, "buttonAccept");
    dialog.show();

    quantity->selectAll();
    QTest::keyClicks(quantity, QStringLiteral("-5"));
    QVERIFY(quantity->value() >= 0);
    price->selectAll();
    QTest::keyClicks(price, QStringLiteral("12a3"));
    QCOMPARE(price->value(), 123.0);

    child<QTextEdit>(&dialog, "teDescr")->setPlainText(QStringLiteral("Описание работы"));
    quantity->setValue(0);
    QVERIFY(!accept->isEnabled());
    quantity->setValue(2);
    QVERIFY(accept->isEnabled());
    child<QTextEdit>(&dialog, "teDescr")->clear();
    QVERIFY(!accept->isEnabled());
    child<QTextEdit>(&dialog, "teDescr")->setPlainText(QStringLiteral("Описание работы"));

    // Without a rate the line is not taken.
    child<QComboBox>(&dialog, "cbVAT")->setCurrentIndex(-1);
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    accept->click();
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Внимание")});
    QCOMPARE(answerer.texts, QStringList{QStringLiteral("Задайте НДС")});
    QVERIFY(dialog.isVisible());
    dialog.close();

    // A position is an item of the catalogue: without one it is not taken.
    QDealPosDialog position(deals()->document());
    position.setType(QDealPosDialog::Position);
    child<QTextEdit>(&position, "teDescr")->setPlainText(QStringLiteral("Что-то"));
    QVERIFY(!child<QPushButton>(&position, "buttonAccept")->isEnabled());

    // Accepting the picker with no recipient chosen is refused; the deal keeps its recipient.
    openDeal(firstDeal());
    QDealEditor *ed = editor();
    const qlonglong recipient = ed->recipient()->id();
    answerer.titles.clear();
    answerer.texts.clear();
    // The warning comes while the picker is open: the click waits for the answer to return.
    answerer.enqueue([](QWidget *widget) {
        auto *picker = qobject_cast<ContractorDialog *>(widget);
        QVERIFY(picker);
        child<QTableView>(picker, "tvContent")->setCurrentIndex(QModelIndex());
        QTimer::singleShot(0, picker->buttonAccept, &QPushButton::click);
    });
    answerer.pressButton(QMessageBox::Ok);
    answerer.enqueue([](QWidget *widget) { qobject_cast<QDialog *>(widget)->reject(); });
    ed->btContractor->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.texts, QStringList{QStringLiteral("Не выбран контрагент")});
    QCOMPARE(ed->recipient()->id(), recipient);
    QVERIFY(!deals()->dataEditor()->okButton()->isEnabled());
}

// A recipient picked in the directory, also one the list of buyers does not hold.
void tst_DealEditor::recipientChoice()
{
    openDeal(firstDeal());
    QDealEditor *ed = editor();
    const qlonglong supplier = value(QStringLiteral(
        "select c.id from jur.t_contractor c join jur.t_cont_cont_type s on s.id_contractor = c.id "
        "and s.id_contractor_type = 1 where not exists (select 1 from jur.t_cont_cont_type t "
        "where t.id_contractor = c.id and t.id_contractor_type = 2) order by c.id limit 1")).toLongLong();
    QVERIFY(supplier > 0);
    QCOMPARE(ed->cbProvider->findData(supplier), -1);

    ModalAnswerer answerer;
    answerer.enqueue([supplier](QWidget *widget) {
        auto *picker = qobject_cast<ContractorDialog *>(widget);
        QVERIFY(picker);
        picker->setType(QStringLiteral("Поставщик"));
        QVERIFY(picker->view()->setCurrentRowByID(supplier) >= 0);
        picker->buttonAccept->click();
    });
    ed->btProvider->click();
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(ed->provider()->id(), supplier);
    QCOMPARE(ed->cbProvider->currentData().toLongLong(), supplier);
    QVERIFY(ed->btInfoProvider->isEnabled());
    QVERIFY(deals()->dataEditor()->okButton()->isEnabled());

    // Typed text that names no contractor goes back to the one chosen.
    ed->cbProvider->setEditText(QStringLiteral("Нет такого"));
    ed->provider()->settleText();
    QCOMPARE(ed->cbProvider->currentText(), ed->provider()->name());
    QCOMPARE(ed->provider()->id(), supplier);
    cancelEdit();
}

void tst_DealEditor::transportFollowsTheState_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("transport");

    QTest::newRow("planned") << "Запланирован" << false;
    QTest::newRow("in work") << "В работе" << false;
    QTest::newRow("to be shipped") << "Требует отгрузки" << true;
    QTest::newRow("shipped") << "Отгружен" << true;
    QTest::newRow("closed") << "Закрыт" << false;
    QTest::newRow("cancelled") << "Отменён" << false;
}

// Delivery details are for deals on their way: opened in that state or switched to it.
void tst_DealEditor::transportFollowsTheState()
{
    QFETCH(QString, state);
    QFETCH(bool, transport);

    const qlonglong id = value(QStringLiteral(
        "select d.id from jur.t_deals d join jur.t_deal_state s on s.id = d.id_state where s.c_name = ? "
        "order by d.id limit 1"), {state}).toLongLong();
    QVERIFY2(id > 0, qPrintable(state));
    openDeal(id);
    QDealEditor *ed = editor();
    QCOMPARE(ed->cbState->currentText(), state);
    QCOMPARE(ed->gbTransport->isEnabled(), transport);

    // Switched from a state of the other kind.
    ed->cbState->setCurrentIndex(ed->cbState->findText(transport ? QStringLiteral("Закрыт")
                                                                  : QStringLiteral("Отгружен")));
    QCOMPARE(ed->gbTransport->isEnabled(), !transport);
    ed->cbState->setCurrentIndex(ed->cbState->findText(state));
    QCOMPARE(ed->gbTransport->isEnabled(), transport);
    cancelEdit();
}

// Totals in six significant digits; a line without a sale price is shown
// but neither edited nor deleted; a deleted line counts no more.
void tst_DealEditor::totalsAndUnpricedLines()
{
    waitForTree();
    openDeal(firstDeal());
    deals()->view()->acNew->trigger();
    QDealEditor *ed = editor();
    ModalAnswerer answerer;
    enqueueLine(&answerer, {m_product, QString(), QString(), 1, 1234567.5, 2000000, false});
    ed->btAddPos->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(ed->labelTotalPrice->text(),
             QStringLiteral("Общая себестоимость: 1.23457e+06 руб. Общая продажная цена: 2e+06 руб."));

    QDataTable *details = deals()->document()->getTable(QStringLiteral("t_deal_details"));
    QSqlRecord line = details->getRecord(0);
    line.setValue(QStringLiteral("n_sale_price"), QVariant(QVariant::Double));
    details->setRow(0, line);
    ed->tvDetails->setCurrentIndex(QModelIndex());
    ed->tvDetails->setCurrentIndex(ed->tvDetails->model()->index(0, 1));
    QVERIFY(ed->btShowPos->isEnabled());
    QVERIFY(!ed->btEditPos->isEnabled());
    QVERIFY(!ed->btDelPos->isEnabled());
    ed->editDetail(true);
    QCOMPARE(answerer.unexpected, 0);

    line.setValue(QStringLiteral("n_sale_price"), 10.0);
    details->setRow(0, line);
    ed->tvDetails->setCurrentIndex(QModelIndex());
    ed->tvDetails->setCurrentIndex(ed->tvDetails->model()->index(0, 1));
    answerer.pressButton(QMessageBox::Yes);
    ed->btDelPos->click();
    QVERIFY(ed->labelTotalPrice->text().startsWith(QStringLiteral("Общая себестоимость: 0 руб.")));
    QVERIFY(!ed->btShowPos->isEnabled());
    cancelEdit();
}

void tst_DealEditor::colleagueSavedMeanwhile_data()
{
    QTest::addColumn<int>("answer");

    QTest::newRow("overwrite") << int(DealConflictDialog::Overwrite);
    QTest::newRow("reload") << int(DealConflictDialog::Reload);
    QTest::newRow("cancel") << int(DealConflictDialog::Cancel);
}

// A colleague saves the deal and one of its positions while it is open here.
void tst_DealEditor::colleagueSavedMeanwhile()
{
    QFETCH(int, answer);

    const qlonglong id = value(QStringLiteral(
        "select d.id from jur.t_deals d where exists (select 1 from jur.t_deal_details x where x.id_deal = d.id "
        "and not x.b_okr) and d.id_request_doc is not null order by d.id desc offset ? limit 1"), {answer + 3})
                               .toLongLong();
    openDeal(id);
    QDealEditor *ed = editor();
    const qlonglong position = deals()->document()->getTable(QStringLiteral("t_deal_details"))
                                       ->getRecord(0).value(QStringLiteral("id")).toLongLong();
    ed->teComment->setPlainText(QStringLiteral("мой комментарий"));
    ed->lineEditPhone->setText(QStringLiteral("+7 900 000-00-01"));

    colleagueWrites(QStringLiteral("update jur.t_deals set c_comment = ?, c_base = ? where id = ?"),
                    {QStringLiteral("комментарий коллеги"), QStringLiteral("основание коллеги"), id});
    colleagueWrites(QStringLiteral("update jur.t_deal_details set c_problems = ? where id = ?"),
                    {QStringLiteral("нет на складе"), position});
    // ... and here the same position is given a new price.
    QDataTable *details = deals()->document()->getTable(QStringLiteral("t_deal_details"));
    QSqlRecord line = details->getRecord(0);
    line.setValue(QStringLiteral("n_sale_price"), 777.77);
    details->setRow(0, line);

    ModalAnswerer answerer;
    QStringList listed;
    const auto press = [&listed, answer](QWidget *widget) {
        auto *dialog = qobject_cast<DealConflictDialog *>(widget);
        QVERIFY(dialog);
        listed << dialog->listedFields();
        const char *button = answer == DealConflictDialog::Overwrite ? "buttonOverwrite"
                           : answer == DealConflictDialog::Reload    ? "buttonReload"
                                                                     : "buttonCancel";
        child<QPushButton>(dialog, button)->click();
    };
    answerer.enqueue(press);
    if (answer == DealConflictDialog::Overwrite)
        answerer.enqueue(press); // the position comes second
    apply();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QVERIFY(listed.contains(QStringLiteral("c_comment")) && listed.contains(QStringLiteral("c_base")));

    const QStringList stored = row(QStringLiteral("select d.c_comment, d.c_base, x.c_problems, x.n_sale_price::float8 "
                                                  "from jur.t_deals d join jur.t_deal_details x on x.id = ? "
                                                  "where d.id = ?"), {position, id}).split(QLatin1Char('|'));
    const QString comment = stored.value(0);
    const double price = stored.value(3).toDouble();
    QCOMPARE(stored.mid(1, 2), (QStringList{QStringLiteral("основание коллеги"), QStringLiteral("нет на складе")}));
    switch (answer) {
    case DealConflictDialog::Overwrite:
        // Mine where I changed it, the colleague's everywhere else.
        QVERIFY(listed.contains(QStringLiteral("c_problems")));
        QCOMPARE(comment, QStringLiteral("мой комментарий"));
        QCOMPARE(price, 777.77);
        QVERIFY(!deals()->dataEditor()->okButton()->isEnabled());
        break;
    case DealConflictDialog::Reload:
        QCOMPARE(comment, QStringLiteral("комментарий коллеги"));
        QCOMPARE(ed->teComment->toPlainText(), QStringLiteral("комментарий коллеги"));
        QCOMPARE(ed->teBase->toPlainText(), QStringLiteral("основание коллеги"));
        QVERIFY(!deals()->dataEditor()->okButton()->isEnabled());
        break;
    default:
        // Nothing written, nothing lost: the edits wait and "Применить" is on.
        QCOMPARE(comment, QStringLiteral("комментарий коллеги"));
        QVERIFY(price != 777.77);
        QCOMPARE(ed->teComment->toPlainText(), QStringLiteral("мой комментарий"));
        QCOMPARE(details->getRecord(0).value(QStringLiteral("n_sale_price")).toDouble(), 777.77);
        QVERIFY(deals()->dataEditor()->okButton()->isEnabled());
        cancelEdit();
        break;
    }
}

// The position being changed here was deleted at another workplace: it
// cannot be written over, the edits wait until the person gives them up.
void tst_DealEditor::colleagueDeletedALine()
{
    const qlonglong id = value(QStringLiteral(
        "select d.id from jur.t_deals d where (select count(*) from jur.t_deal_details x where x.id_deal = d.id "
        "and not x.b_okr) >= 2 and d.id_request_doc is not null order by d.id desc offset 7 limit 1")).toLongLong();
    QVERIFY(id > 0);
    openDeal(id);
    QDealEditor *ed = editor();
    QDataTable *details = deals()->document()->getTable(QStringLiteral("t_deal_details"));
    const int positions = details->rowCount();
    const qlonglong position = details->getRecord(0).value(QStringLiteral("id")).toLongLong();
    QSqlRecord line = details->getRecord(0);
    line.setValue(QStringLiteral("n_qty"), 42.0);
    details->setRow(0, line);
    ed->OnChange();

    colleagueWrites(QStringLiteral("delete from jur.t_deal_details where id = ?"), {position});

    ModalAnswerer answerer;
    bool overwriteOffered = true;
    answerer.enqueue([&overwriteOffered](QWidget *widget) {
        auto *dialog = qobject_cast<DealConflictDialog *>(widget);
        QVERIFY(dialog);
        overwriteOffered = child<QPushButton>(dialog, "buttonOverwrite")->isEnabled();
        child<QPushButton>(dialog, "buttonCancel")->click();
    });
    apply();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!overwriteOffered);
    QCOMPARE(details->getRecord(0).value(QStringLiteral("n_qty")).toDouble(), 42.0);
    QVERIFY(deals()->dataEditor()->okButton()->isEnabled());
    QCOMPARE(value(QStringLiteral("select count(*) from jur.t_deal_details where id = ?"), {position}).toInt(), 0);

    answerer.enqueue([](QWidget *widget) {
        child<QPushButton>(widget, "buttonReload")->click();
    });
    apply();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(ed->record().value(QStringLiteral("id")).toLongLong(), id);
    QCOMPARE(details->rowCount(), positions - 1);
    QCOMPARE(details->locate(QStringLiteral("id"), position), -1);
    QVERIFY(!deals()->dataEditor()->okButton()->isEnabled());
}

QTEST_MAIN(tst_DealEditor)
#include "tst_dealeditor.moc"
