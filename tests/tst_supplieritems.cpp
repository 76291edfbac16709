// The supplier editor's items tab against the real server: items taken from
// the tab's tree, replaced and removed, saved with the contractor in one
// commit or dropped with its cancel; rows another user changed meanwhile;
// which buttons the tab offers.

#include "appcontext.h"
#include "datatabletypes.h"
#include "modalanswerer.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "rowconflict.h"
#include "testserver.h"

#include "suppliers/contractoreditdialog.h"
#include "suppliers/itemtree.h"
#include "suppliers/itemtreenode.h"
#include "suppliers/supplierdirectoryeditor.h"
#include "suppliers/tabitemeditor.h"

#include <QLibrary>
#include <QMessageBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

// Supplier 2 of the demo ("АО «Уральский кабельный завод»") starts every test
// with these three items; supplier 7 ("ООО «Энергосервис»") with none.
const qint64 cableWorks = 2;
const qint64 noItems = 7;
const QString cable15 = QStringLiteral("Кабель ВВГнг(А)-LS 3×1,5");
const QString cable25 = QStringLiteral("Кабель ВВГнг(А)-LS 3×2,5");
const QString control = QStringLiteral("Кабель КВВГнг(А)-LS 4×1,5");
const QString cable54 = QStringLiteral("Кабель ВВГнг(А)-LS 5×4");
const QString diode = QStringLiteral("Диод 1N4007");
const QString bolt = QStringLiteral("Болт DIN 933 М8×20 оц.");

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

} // namespace

class tst_SupplierItems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void editSaveAndCancel_data();
    void editSaveAndCancel();
    void staleRows_data();
    void staleRows();
    void buttons_data();
    void buttons();

private:
    // The editor dialog on the contractor (0: a new one), on the items tab
    // with its tree built.
    ContractorEditDialog *openOn(qint64 contractorId);
    // Makes the item the tree's current node; false when the tree has no such item.
    bool pick(const QString &itemName);
    void chooseRow(const QString &itemName);
    // Runs "add:NAME", "take:NAME" (double click in the tree), "replace:OLD>NEW",
    // "delete:NAME" (confirmed) or "keep:NAME" (deletion refused).
    void run(const QString &step);
    QStringList listed() const;
    QStringList stored(qint64 supplierId);
    qint64 itemId(const QString &name);
    bool exec(const QString &statement);

    QLibrary m_driver;
    QSqlConnection m_connection;
    std::unique_ptr<ContractorEditDialog> m_dialog;
    ModalAnswerer *m_answerer = nullptr;
};

void tst_SupplierItems::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::openMainConnection(QStringLiteral("tst_supplieritems"), &m_driver, &m_connection, true,
                                             &error),
             qPrintable(error));
    AppContext::setBigDaddy(true);
}

void tst_SupplierItems::init()
{
    QVERIFY(exec(QStringLiteral("delete from jur.t_contractor where id > 100")));
    QVERIFY(exec(QStringLiteral("delete from jur.t_supplier_item where id_supplier in (2, 7)")));
    QVERIFY(exec(QStringLiteral("insert into jur.t_supplier_item (id_supplier, id_item)"
                                " select 2, id from dirs.t_item where c_name in ('%1', '%2', '%3')")
                         .arg(cable15, cable25, control)));
    m_answerer = new ModalAnswerer;
}

void tst_SupplierItems::cleanup()
{
    m_dialog.reset();
    delete m_answerer;
    m_answerer = nullptr;
}

bool tst_SupplierItems::exec(const QString &statement)
{
    QSqlQuery query(m_connection.database());
    if (query.exec(statement))
        return true;
    qWarning() << query.lastError().text();
    return false;
}

qint64 tst_SupplierItems::itemId(const QString &name)
{
    QSqlQuery query(m_connection.database());
    query.prepare(QStringLiteral("select id from dirs.t_item where c_name = ?"));
    query.addBindValue(name);
    return query.exec() && query.next() ? query.value(0).toLongLong() : -1;
}

QStringList tst_SupplierItems::stored(qint64 supplierId)
{
    QStringList names;
    QSqlQuery query(m_connection.database());
    query.prepare(QStringLiteral("select i.c_name from jur.t_supplier_item s join dirs.t_item i on i.id = s.id_item"
                                 " where s.id_supplier = ?"));
    query.addBindValue(supplierId);
    if (query.exec()) {
        while (query.next())
            names.append(query.value(0).toString());
    }
    return sorted(names);
}

ContractorEditDialog *tst_SupplierItems::openOn(qint64 contractorId)
{
    m_dialog = std::make_unique<ContractorEditDialog>(nullptr);
    QDataTable *contractors = m_dialog->dataSet()->getTable(QStringLiteral("t_contractor"));
    SupplierDirectoryEditor *editor = m_dialog->editor();
    if (contractorId == 0) {
        contractors->newRow(true);
        m_dialog->setData(contractors->getRecord(contractors->lastRow()));
        editor->leName->setText(QStringLiteral("ООО «Кабельный двор»"));
        editor->cbClass->setCurrentIndex(0);
    } else {
        m_dialog->setData(contractors->getRecord(contractors->locate(QStringLiteral("id"), contractorId)));
    }
    m_dialog->show();
    if (editor->itemTab()->itemTree())
        return nullptr;
    editor->tabWidget->setCurrentWidget(editor->tabItem);
    ItemTree *tree = editor->itemTab()->itemTree();
    if (!tree)
        return m_dialog.get();
    QSignalSpy built(tree, &ItemTreeBase::signalBuildTree);
    if (!built.wait(30000) || !QTest::qWaitFor([&] { return built.count() == 2 && !tree->isBuilding(); }, 30000))
        return nullptr;
    return m_dialog.get();
}

bool tst_SupplierItems::pick(const QString &itemName)
{
    ItemTree *tree = m_dialog->editor()->itemTab()->itemTree();
    QTreeWidgetItem *node = tree ? tree->revealItem(itemId(itemName)) : nullptr;
    return node && tree->currentNode() == node && node->text(0) == itemName;
}

void tst_SupplierItems::chooseRow(const QString &itemName)
{
    QTableView *view = m_dialog->editor()->tvItem;
    QDataTable *items = m_dialog->dataSet()->getTable(QStringLiteral("t_supplier_item"));
    int row = -1;
    for (int r = 0; r < items->rowCount() && row < 0; ++r) {
        if (items->getRecord(r).value(QStringLiteral("c_name_item")).toString() == itemName)
            row = r;
    }
    QVERIFY2(row >= 0, qPrintable(itemName));
    view->setCurrentIndex(view->model()->index(row, 0));
}

QStringList tst_SupplierItems::listed() const
{
    QDataTable *items = m_dialog->dataSet()->getTable(QStringLiteral("t_supplier_item"));
    QStringList names;
    for (int row = 0; row < items->rowCount(); ++row) {
        const QSqlRecord record = items->getRecord(row, true);
        if (!record.isEmpty())
            names.append(record.value(QStringLiteral("c_name_item")).toString());
    }
    return sorted(names);
}

void tst_SupplierItems::run(const QString &step)
{
    const QString verb = step.section(QLatin1Char(':'), 0, 0);
    const QString argument = step.section(QLatin1Char(':'), 1);
    SupplierDirectoryEditor *editor = m_dialog->editor();
    if (verb == QLatin1String("add") || verb == QLatin1String("take")) {
        QVERIFY2(pick(argument), qPrintable(step));
        if (verb == QLatin1String("add")) {
            QVERIFY2(editor->buttonAdd->isEnabled(), qPrintable(step));
            editor->buttonAdd->click();
        } else {
            ItemTree *tree = editor->itemTab()->itemTree();
            tree->on_twItems_doubleClicked(tree->treeWidget()->currentIndex());
        }
        QCOMPARE(editor->tvItem->currentIndex().data().toString(), argument);
    } else if (verb == QLatin1String("replace")) {
        chooseRow(argument.section(QLatin1Char('>'), 0, 0));
        QVERIFY2(pick(argument.section(QLatin1Char('>'), 1)), qPrintable(step));
        QVERIFY2(editor->buttonReplace->isEnabled(), qPrintable(step));
        editor->buttonReplace->click();
    } else if (verb == QLatin1String("delete") || verb == QLatin1String("keep")) {
        chooseRow(argument);
        m_answerer->pressButton(verb == QLatin1String("delete") ? QMessageBox::Ok : QMessageBox::Cancel);
        editor->buttonDelete->click();
        QVERIFY2(!m_answerer->texts.isEmpty(), qPrintable(step));
        QCOMPARE(m_answerer->texts.last(),
                 QStringLiteral("Вы действительно хотите удалить элемент\n\"%1\" ?").arg(argument));
    } else {
        QFAIL(qPrintable(step));
    }
}

void tst_SupplierItems::editSaveAndCancel_data()
{
    QTest::addColumn<qint64>("contractor");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QStringList>("expected");

    const QStringList original = sorted({cable15, cable25, control});
    QTest::newRow("added to a supplier without items, saved")
            << noItems << QStringList{"add:" + diode, "take:" + bolt} << true << sorted({diode, bolt});
    QTest::newRow("added, cancelled") << cableWorks << QStringList{"add:" + cable54} << false << original;
    QTest::newRow("replaced, saved") << cableWorks << QStringList{"replace:" + cable15 + '>' + cable54} << true
                                     << sorted({cable54, cable25, control});
    QTest::newRow("removed, saved") << cableWorks << QStringList{"delete:" + control} << true << sorted({cable15, cable25});
    QTest::newRow("removal refused") << cableWorks << QStringList{"keep:" + control} << true << original;
    QTest::newRow("a new item removed before the save")
            << cableWorks << QStringList{"add:" + diode, "delete:" + diode} << true << original;
    QTest::newRow("removed and taken again")
            << cableWorks << QStringList{"delete:" + cable15, "add:" + cable15} << true << original;
    // The new row is written before the changed one: a duplicate only half-way.
    QTest::newRow("replaced and the old item taken again")
            << cableWorks << QStringList{"replace:" + cable15 + '>' + cable54, "add:" + cable15} << true
            << sorted({cable15, cable54, cable25, control});
    QTest::newRow("all three kinds, cancelled")
            << cableWorks
            << QStringList{"delete:" + cable25, "replace:" + cable15 + '>' + cable54, "add:" + diode} << false << original;
    QTest::newRow("a new contractor's items get its new key")
            << qint64(0) << QStringList{"add:" + cable54, "add:" + diode} << true << sorted({cable54, diode});
}

void tst_SupplierItems::editSaveAndCancel()
{
    QFETCH(qint64, contractor);
    QFETCH(QStringList, steps);
    QFETCH(bool, save);
    QFETCH(QStringList, expected);

    ContractorEditDialog *dialog = openOn(contractor);
    QVERIFY(dialog);
    SupplierDirectoryEditor *editor = dialog->editor();
    QSignalSpy changed(editor, &SupplierDirectoryEditor::dataChanged);
    for (const QString &step : qAsConst(steps)) {
        run(step);
        if (QTest::currentTestFailed())
            return;
    }
    // Nothing reaches the database before the editor's save.
    QCOMPARE(stored(contractor), contractor == cableWorks ? sorted({cable15, cable25, control}) : QStringList());
    const bool edited = !steps.filter(QRegularExpression(QStringLiteral("^(add|take|replace|delete):"))).isEmpty();
    QCOMPARE(!changed.isEmpty(), edited);

    if (save)
        dialog->buttonAccept->click();
    else
        dialog->buttonReject->click();
    QCOMPARE(m_answerer->unexpected, 0);
    QCOMPARE(dialog->result(), save ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QVERIFY(!dialog->dataSet()->isModified());
    const qint64 id = editor->currentId();
    if (contractor == 0 && save)
        QVERIFY(id > 100);
    QCOMPARE(stored(save ? id : contractor), expected);
    // The list shows what the database holds: saved rows read back, dropped ones gone.
    QCOMPARE(listed(), expected);
    QCOMPARE(editor->tvItem->model()->rowCount(), expected.size());
}

void tst_SupplierItems::staleRows_data()
{
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("operation");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("replaced here and there")
            << QStringLiteral("update jur.t_supplier_item set id_item = %1 where id = %2").arg(itemId(diode)).arg("%1")
            << "replace:" + cable15 + '>' + cable54 << int(RowConflict::Update) << sorted({diode, cable25, control});
    QTest::newRow("replaced here, removed there")
            << QStringLiteral("delete from jur.t_supplier_item where id = %1") << "replace:" + cable15 + '>' + cable54
            << int(RowConflict::Update) << sorted({cable25, control});
    QTest::newRow("removed here, replaced there")
            << QStringLiteral("update jur.t_supplier_item set id_item = %1 where id = %2").arg(itemId(diode)).arg("%1")
            << "delete:" + cable15 << int(RowConflict::Delete) << sorted({diode, cable25, control});
}

void tst_SupplierItems::staleRows()
{
    QFETCH(QString, theirs);
    QFETCH(QString, step);
    QFETCH(int, operation);
    QFETCH(QStringList, expected);

    ContractorEditDialog *dialog = openOn(cableWorks);
    QVERIFY(dialog);
    QDataTable *items = dialog->dataSet()->getTable(QStringLiteral("t_supplier_item"));
    const int row = items->locate(QStringLiteral("id_item"), itemId(cable15));
    const qint64 rowId = items->getRecord(row).value(QStringLiteral("id")).toLongLong();
    run(step);
    QVERIFY(exec(theirs.arg(rowId)));

    m_answerer->pressButton(QMessageBox::Ok);
    dialog->buttonAccept->click();
    // Refused as a whole: the dialog stays, nothing of ours is written, the
    // other user's change stands and our edit is still there to decide on.
    QCOMPARE(m_answerer->titles.filter(QStringLiteral("Ошибка")).size(), 1);
    QVERIFY(dialog->isVisible());
    QVERIFY(RowConflict::isConflict(dialog->dataSet()->lastError()));
    const RowConflict conflict = dialog->dataSet()->lastConflict();
    QCOMPARE(conflict.table(), QStringLiteral("t_supplier_item"));
    QCOMPARE(conflict.key().toLongLong(), rowId);
    QCOMPARE(int(conflict.operation()), operation);
    QCOMPARE(stored(cableWorks), expected);
    QVERIFY(dialog->dataSet()->isModified());
    QCOMPARE(items->getRowState(row), operation == RowConflict::Delete ? int(rsDeleted) : int(rsChanged));
    QCOMPARE(m_answerer->unexpected, 0);
}

void tst_SupplierItems::buttons_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("removedFirst");
    QTest::addColumn<QString>("enabled");

    QTest::newRow("an item the supplier has") << false << cable15 << cable25 << QString() << "delete";
    QTest::newRow("another item, no row") << false << cable54 << QString() << QString() << "add";
    QTest::newRow("another item and a row") << false << cable54 << cable25 << QString() << "add replace delete";
    QTest::newRow("a family") << false << QStringLiteral("Кабель силовой ВВГнг(А)-LS") << cable25 << QString() << "delete";
    QTest::newRow("a removed row, its item offered again")
            << false << cable15 << cable15 << cable15 << "add";
    QTest::newRow("read-only") << true << QString() << cable25 << QString() << "";
}

void tst_SupplierItems::buttons()
{
    QFETCH(bool, readOnly);
    QFETCH(QString, node);
    QFETCH(QString, row);
    QFETCH(QString, removedFirst);
    QFETCH(QString, enabled);

    ContractorEditDialog *dialog = nullptr;
    if (readOnly) {
        m_dialog = std::make_unique<ContractorEditDialog>(nullptr);
        m_dialog->setReadOnly(true);
        QDataTable *contractors = m_dialog->dataSet()->getTable(QStringLiteral("t_contractor"));
        m_dialog->setData(contractors->getRecord(contractors->locate(QStringLiteral("id"), cableWorks)));
        m_dialog->editor()->tabWidget->setCurrentWidget(m_dialog->editor()->tabItem);
        dialog = m_dialog.get();
        // Showing only: nothing to take items for, so no tree.
        QVERIFY(!dialog->editor()->itemTab()->itemTree());
    } else {
        dialog = openOn(cableWorks);
        QVERIFY(dialog);
    }
    SupplierDirectoryEditor *editor = dialog->editor();
    if (!removedFirst.isEmpty())
        run("delete:" + removedFirst);
    if (!node.isEmpty()) {
        ItemTree *tree = editor->itemTab()->itemTree();
        if (ItemTreeNode::kind(tree->revealItem(itemId(node))) != ItemTreeNode::Item) {
            QTreeWidgetItem *family = tree->revealItem(itemId(cable15))->parent();
            QCOMPARE(family->text(0), node);
            tree->treeWidget()->setCurrentItem(family);
        }
    }
    if (row.isEmpty())
        editor->tvItem->setCurrentIndex(QModelIndex());
    else
        chooseRow(row);

    QStringList actual;
    if (editor->buttonAdd->isEnabled())
        actual << "add";
    if (editor->buttonReplace->isEnabled())
        actual << "replace";
    if (editor->buttonDelete->isEnabled())
        actual << "delete";
    QCOMPARE(actual.join(' '), enabled);
}

QTEST_MAIN(tst_SupplierItems)
#include "tst_supplieritems.moc"
