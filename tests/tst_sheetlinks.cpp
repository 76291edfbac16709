// Shipping sheets and deals against the real server and its demo data: the
// sheets offered for linking, keeping a sheet out of linking (saved at once,
// also when a colleague changed it meanwhile), linking and unlinking through
// the deals document with save and cancel, and the packing list previewed and
// saved as PDF.
#include "dealsdocument.h"
#include "dealsheetlinking.h"
#include "modalanswerer.h"
#include "packinglistpreview.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdealeditor.h"
#include "qsqlconnection.h"
#include "reportwidget.h"
#include "sheetnotlinkdialog.h"
#include "testserver.h"

#include <QApplication>
#include <QFile>
#include <QLibrary>
#include <QMessageBox>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

class tst_SheetLinks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void offeredSheets_data();
    void offeredSheets();
    void blockLink_data();
    void blockLink();
    void blockLinkOfAChangedSheet();
    void takenSheetsAreGreen();
    void linkAndUnlink_data();
    void linkAndUnlink();
    void packingList();
    void fromTheEditor();

private:
    QVariant scalar(const QString &statement, const QVariant &parameter = 0);
    void loadDeal(qlonglong dealId);
    // The dialog's row of a sheet.
    static int rowOf(SheetNotLinkDialog *dialog, qlonglong sheetId);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QDataSet m_document;
    qlonglong m_dealId = 0;  // a demo deal with several sheets to choose from
    QString m_items;         // its item ids, as the editor passes them
    QList<qlonglong> m_sheets; // those sheets, newest first
};

void tst_SheetLinks::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::openMainConnection(QStringLiteral("tst_sheetlinks"), &m_driver, &m_connection, true, &error),
             qPrintable(error));
    buildDealsDocument(&m_document, nullptr);

    m_dealId = scalar(QStringLiteral(
        "select d.id from jur.t_deals d "
        "  join jur.t_deal_details x on x.id_deal = d.id and not x.b_okr "
        "  join inv.t_shipping_sheet_item si on si.id_item = x.id_item "
        "  join inv.t_shipping_sheet sh on sh.id = si.id_sheet and not sh.b_block_deal_link "
        " where not exists (select 1 from jur.t_deal_link l where l.id_sheet = si.id_sheet) and d.id > :id "
        " group by d.id having count(distinct si.id_sheet) >= 2 order by d.id limit 1")).toLongLong();
    QVERIFY2(m_dealId > 0, "no demo deal with two sheets to link");
    loadDeal(m_dealId);
    m_items = DealSheetLinking(&m_document, nullptr).itemList();
    QVERIFY(!m_items.isEmpty());
    QSqlQuery sheets = m_connection.execScript(
        QStringLiteral("select sh.id from inv.t_shipping_sheet sh "
                       " where not exists (select 1 from jur.t_deal_link l where l.id_sheet = sh.id) "
                       "   and exists (select 1 from inv.t_shipping_sheet_item si join jur.t_deal_details x "
                       "                 on x.id_item = si.id_item and not x.b_okr "
                       "                where si.id_sheet = sh.id and x.id_deal = :id) "
                       " order by sh.d_date desc, sh.id desc"),
        QList<QVariant>{m_dealId});
    for (bool row = sheets.isValid(); row; row = sheets.next())
        m_sheets.append(sheets.value(0).toLongLong());
    QVERIFY(m_sheets.size() >= 2);
}

QVariant tst_SheetLinks::scalar(const QString &statement, const QVariant &parameter)
{
    // The connection leaves the query on its first row.
    const QSqlQuery query = m_connection.execScript(statement, QList<QVariant>{parameter});
    return query.isValid() ? query.value(0) : QVariant();
}

void tst_SheetLinks::loadDeal(qlonglong dealId)
{
    m_document.rollback();
    for (const char *name : {"t_deal_details", "t_deal_link"}) {
        QDataTable *table = m_document.getTable(QLatin1String(name));
        table->close();
        table->setSelectParam(QStringLiteral("id_deal"), dealId);
        table->setSelectParam(QStringLiteral("b_okr"), false);
        QVERIFY(table->open(false, false));
    }
}

int tst_SheetLinks::rowOf(SheetNotLinkDialog *dialog, qlonglong sheetId)
{
    return dialog->table()->locate(QStringLiteral("id"), sheetId);
}

void tst_SheetLinks::offeredSheets_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<bool>("theDealsSheets"); // exactly the sheets of initTestCase, else none

    QTest::newRow("the deal's items") << QString() << true;
    QTest::newRow("without spaces") << "nospace" << true;
    QTest::newRow("stray separators") << "stray" << true;
    QTest::newRow("no items") << "" << false;
    QTest::newRow("an item nobody shipped") << "0" << false;
}

// The server offers the sheets that carry one of the items and that no deal holds.
void tst_SheetLinks::offeredSheets()
{
    QFETCH(QString, items);
    QFETCH(bool, theDealsSheets);

    QString list = items;
    if (items.isNull())
        list = m_items;
    else if (items == QLatin1String("nospace"))
        list = QString(m_items).remove(QLatin1Char(' '));
    else if (items == QLatin1String("stray"))
        list = QStringLiteral(" , ") + m_items + QStringLiteral(", ,");

    SheetNotLinkDialog dialog(list);
    dialog.cbBlockLink->setCurrentIndex(1);
    QList<qlonglong> offered;
    for (int row = 0; row < dialog.table()->rowCount(); ++row)
        offered.append(dialog.table()->getRecord(row).value(QStringLiteral("id")).toLongLong());
    QCOMPARE(offered, theDealsSheets ? m_sheets : QList<qlonglong>());
    QCOMPARE(dialog.buttonAccept->isEnabled(), theDealsSheets);
}

void tst_SheetLinks::blockLink_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<bool>("hiddenAfterBlock");

    QTest::newRow("filter on Привязка hides the sheet") << 0 << true;
    QTest::newRow("filter on Все keeps it") << 1 << false;
}

// Keeping a sheet out of linking is saved at once; the column answers whether
// the sheet may be linked.
void tst_SheetLinks::blockLink()
{
    QFETCH(int, filterIndex);
    QFETCH(bool, hiddenAfterBlock);

    const qlonglong sheet = m_sheets.first();
    SheetNotLinkDialog dialog(m_items);
    dialog.cbBlockLink->setCurrentIndex(filterIndex);
    const int row = rowOf(&dialog, sheet);
    QVERIFY(row >= 0);
    const QModelIndex blockCell = dialog.table()->getModel()->index(row, 5);
    QCOMPARE(blockCell.data().toString(), QStringLiteral("Да"));
    dialog.tvContent->setCurrentIndex(dialog.table()->getModel()->index(row, 0));
    QVERIFY(dialog.buttonBlockLink->isEnabled());
    QVERIFY(dialog.buttonShippingReport->isEnabled()); // the demo sheets have their packing lists

    dialog.buttonBlockLink->click();
    const QString blocked = QStringLiteral("select b_block_deal_link from inv.t_shipping_sheet where id = :id");
    QCOMPARE(scalar(blocked, sheet).toBool(), true);
    QCOMPARE(dialog.table()->getModel()->index(row, 5).data().toString(), QStringLiteral("Нет"));
    QCOMPARE(dialog.tvContent->isRowHidden(row), hiddenAfterBlock);
    QCOMPARE(dialog.buttonAccept->isEnabled(), !hiddenAfterBlock);
    QCOMPARE(dialog.buttonBlockLink->isEnabled(), !hiddenAfterBlock);
    QVERIFY(!dialog.table()->hasPendingRows());

    // Switching the filter shows and hides it again; with "Все" it can be opened for linking.
    dialog.cbBlockLink->setCurrentIndex(1);
    QVERIFY(!dialog.tvContent->isRowHidden(row));
    dialog.tvContent->setCurrentIndex(dialog.table()->getModel()->index(row, 0));
    dialog.buttonBlockLink->click();
    QCOMPARE(scalar(blocked, sheet).toBool(), false);
    QCOMPARE(dialog.table()->getModel()->index(row, 5).data().toString(), QStringLiteral("Да"));
    dialog.cbBlockLink->setCurrentIndex(0);
    QVERIFY(!dialog.tvContent->isRowHidden(row));
}

// A colleague changed the sheet after the dialog read it: nothing is written
// over their change, the person is told and sees the sheets as they are now.
void tst_SheetLinks::blockLinkOfAChangedSheet()
{
    const qlonglong sheet = m_sheets.last();
    SheetNotLinkDialog dialog(m_items);
    dialog.cbBlockLink->setCurrentIndex(1);
    dialog.setIdAdd({sheet});
    dialog.tvContent->setCurrentIndex(dialog.table()->getModel()->index(rowOf(&dialog, sheet), 0));
    m_connection.execScript(
        QStringLiteral("update inv.t_shipping_sheet set c_receiver = c_receiver || ' (склад 2)' where id = :id"),
        QList<QVariant>{sheet});

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    dialog.buttonBlockLink->click();
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Внимание")});
    QCOMPARE(scalar(QStringLiteral("select b_block_deal_link from inv.t_shipping_sheet where id = :id"), sheet).toBool(),
             false);
    const int row = rowOf(&dialog, sheet);
    QVERIFY(dialog.table()->getRecord(row).value(QStringLiteral("c_receiver")).toString().endsWith(QStringLiteral("(склад 2)")));
    QVERIFY(dialog.table()->getRecord(row).value(QStringLiteral("b_add")).toBool()); // the marks survive the reload

    // The fresh row can be blocked, and opened again.
    dialog.tvContent->setCurrentIndex(dialog.table()->getModel()->index(row, 0));
    dialog.buttonBlockLink->click();
    dialog.buttonBlockLink->click();
    QCOMPARE(answerer.titles.size(), 1);
    QCOMPARE(scalar(QStringLiteral("select n_row_version from inv.t_shipping_sheet where id = :id"), sheet).toInt(),
             dialog.table()->getRecord(row).value(QStringLiteral("n_row_version")).toInt());
}

void tst_SheetLinks::takenSheetsAreGreen()
{
    SheetNotLinkDialog dialog(m_items);
    dialog.setIdAdd({m_sheets.at(1), -42});
    QStandardItemModel *model = dialog.table()->getModel();
    for (int row = 0; row < dialog.table()->rowCount(); ++row) {
        const bool taken = dialog.table()->getRecord(row).value(QStringLiteral("id")).toLongLong() == m_sheets.at(1);
        const QBrush background = model->index(row, 1).data(Qt::BackgroundRole).value<QBrush>();
        QCOMPARE(background.color() == QColor(Qt::green) && background.style() == Qt::SolidPattern, taken);
        QCOMPARE(dialog.table()->getRowState(row), 0); // a mark, nothing to save
    }
    QVERIFY(!dialog.table()->hasPendingRows());
}

void tst_SheetLinks::linkAndUnlink_data()
{
    QTest::addColumn<QString>("steps");
    // Where the sheets stand on the server afterwards: the deal's sheets among the two.
    QTest::addColumn<QString>("linked");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("link, save") << "link 0, save" << "0" << QStringList();
    QTest::newRow("link, cancel") << "link 0, cancel" << "" << QStringList();
    QTest::newRow("link both, save") << "link 0, link 1, save" << "0 1" << QStringList();
    QTest::newRow("the same sheet twice is one link") << "link 0, link 0, save" << "0" << QStringList();
    QTest::newRow("link, unlink before saving") << "link 0, unlink 0, save" << "" << QStringList();
    QTest::newRow("unlink a saved link, save") << "link 0, save, unlink 0, save" << "" << QStringList();
    QTest::newRow("unlink a saved link, cancel") << "link 0, save, unlink 0, cancel" << "0" << QStringList();
    QTest::newRow("dialog cancelled") << "refuse, save" << "" << QStringList();
    QTest::newRow("a deal without items") << "drop items, refuse, cancel" << ""
                                           << QStringList{QStringLiteral("Внимание!\nСделка не содержит изделий")};
}

// Links live in the document until the deal is saved; saving writes them, cancelling forgets them.
void tst_SheetLinks::linkAndUnlink()
{
    QFETCH(QString, steps);
    QFETCH(QString, linked);
    QFETCH(QStringList, messages);

    loadDeal(m_dealId);
    QDataTable *links = m_document.getTable(QStringLiteral("t_deal_link"));
    const int before = links->rowCount();
    ModalAnswerer answerer;
    DealSheetLinking linking(&m_document, nullptr);
    for (const QString &step : steps.split(QStringLiteral(", "))) {
        const qlonglong sheet = m_sheets.value(step.section(QLatin1Char(' '), 1).toInt());
        if (step.startsWith(QLatin1String("link"))) {
            answerer.enqueue([sheet](QWidget *window) {
                auto *dialog = qobject_cast<SheetNotLinkDialog *>(window);
                QVERIFY(dialog);
                dialog->tvContent->setCurrentIndex(dialog->table()->getModel()->index(rowOf(dialog, sheet), 0));
                dialog->buttonAccept->click();
            });
            const bool twice = linking.linkedIds().contains(sheet);
            QCOMPARE(linking.linkSheet(m_dealId), !twice);
        } else if (step == QLatin1String("refuse")) {
            answerer.enqueue([](QWidget *window) {
                if (auto *dialog = qobject_cast<SheetNotLinkDialog *>(window))
                    dialog->buttonReject->click();
                else if (auto *box = qobject_cast<QMessageBox *>(window))
                    box->button(QMessageBox::Ok)->click();
            });
            QVERIFY(!linking.linkSheet(m_dealId));
        } else if (step.startsWith(QLatin1String("unlink"))) {
            const int row = links->locate(QStringLiteral("id"), sheet);
            QVERIFY(row >= 0);
            QVERIFY(links->deleteRow(row));
        } else if (step == QLatin1String("drop items")) {
            QDataTable *positions = m_document.getTable(QStringLiteral("t_deal_details"));
            for (int row = positions->rowCount() - 1; row >= 0; --row)
                positions->deleteRow(row);
        } else if (step == QLatin1String("save")) {
            QVERIFY(m_document.commit(&m_connection));
            loadDeal(m_dealId);
        } else if (step == QLatin1String("cancel")) {
            m_document.rollback();
        }
    }
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QStringList shown;
    for (int i = 0; i < answerer.titles.size(); ++i)
        shown << answerer.titles.at(i) + QLatin1Char('\n') + answerer.texts.at(i);
    QCOMPARE(shown, messages);

    QStringList onServer;
    for (int i = 0; i < 2; ++i) {
        if (scalar(QStringLiteral("select id_deal from jur.t_deal_link where id_sheet = :id"), m_sheets.at(i))
                .toLongLong() == m_dealId)
            onServer << QString::number(i);
    }
    QCOMPARE(onServer.join(QLatin1Char(' ')), linked);
    // The document shows what the server holds.
    loadDeal(m_dealId);
    QCOMPARE(links->rowCount(), before + onServer.size());

    // Back to where the demo stood.
    for (qlonglong sheet : m_sheets)
        m_connection.execScript(QStringLiteral("delete from jur.t_deal_link where id_sheet = :id"),
                                QList<QVariant>{sheet});
}

// The packing list is shown application-modal and maximised until the person
// closes it; saved as PDF it holds the sheet's lines, in Cyrillic.
void tst_SheetLinks::packingList()
{
    const qlonglong sheet = m_sheets.first();
    const QString form = scalar(QStringLiteral("select c_form from inv.t_shipping_sheet where id = :id"), sheet).toString();
    QVERIFY(form.contains(QStringLiteral("УПАКОВОЧНЫЙ ЛИСТ")));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("упаковочный лист.pdf"));

    // What the person sees, gathered while the preview runs; the window is
    // closed whatever happens, so that the test never waits for anybody.
    int seen = 0;
    QString title;
    Qt::WindowModality modality = Qt::NonModal;
    bool maximized = false;
    bool exported = false;
    QTimer::singleShot(50, this, [&] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *preview = qobject_cast<reportWidget *>(window);
            if (!preview || !preview->isVisible())
                continue;
            ++seen;
            title = preview->windowTitle();
            modality = preview->windowModality();
            maximized = preview->windowState() & Qt::WindowMaximized;
            exported = preview->exportPdf(pdf);
            preview->close();
        }
    });
    PackingListPreview::exec(form);
    QCOMPARE(seen, 1);
    QCOMPARE(title, QStringLiteral("Упаковочный лист"));
    QCOMPARE(modality, Qt::ApplicationModal);
    QVERIFY(maximized);
    QVERIFY(exported);
    PackingListPreview::exec(QString()); // nothing to show, returns at once

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains(QStringLiteral("УПАКОВОЧНЫЙ ЛИСТ")), qPrintable(printed));
    QSqlQuery lines = m_connection.execScript(
        QStringLiteral("select i.c_name from inv.t_shipping_sheet_item si join dirs.t_item i on i.id = si.id_item "
                       " where si.id_sheet = :id"),
        QList<QVariant>{sheet});
    for (bool row = lines.isValid(); row; row = lines.next())
        QVERIFY2(printed.contains(lines.value(0).toString()), qPrintable(lines.value(0).toString()));
    QVERIFY(printed.contains(scalar(QStringLiteral("select c_receiver from inv.t_shipping_sheet where id = :id"), sheet)
                                 .toString()));
    // For a look at the page (README, "Checks").
    const QString keep = qEnvironmentVariable("WORKPLACE_KEEP_EXPORTS");
    if (!keep.isEmpty()) {
        QFile::remove(keep + QStringLiteral("/packing-list.pdf"));
        QVERIFY(QFile::copy(pdf, keep + QStringLiteral("/packing-list.pdf")));
    }
}

// The editor's buttons: a sheet linked with "Привязать отгрузку" is saved
// with "Применить" (getData), and its packing list opens from the editor's list.
void tst_SheetLinks::fromTheEditor()
{
    m_document.rollback();
    // The list's table: the editor saves the deal it finds there.
    QDataTable *deals = m_document.getTable(QStringLiteral("t_deals"));
    deals->close();
    QVERIFY(deals->open(false, false));
    const int dealRow = deals->locate(QStringLiteral("id"), m_dealId);
    QVERIFY(dealRow >= 0);
    QDealEditor editor(&m_document);
    editor.refresh();
    editor.setData(deals->getRecord(dealRow));
    QSignalSpy changed(&editor, &QDealEditor::dataChanged);
    const qlonglong sheet = m_sheets.first();

    {
        ModalAnswerer answerer;
        answerer.enqueue([sheet](QWidget *window) {
            auto *dialog = qobject_cast<SheetNotLinkDialog *>(window);
            QVERIFY(dialog);
            dialog->tvContent->setCurrentIndex(dialog->table()->getModel()->index(rowOf(dialog, sheet), 0));
            dialog->buttonAccept->click();
        });
        QVERIFY(editor.buttonLink->isEnabled());
        editor.buttonLink->click();
        QCOMPARE(answerer.pending(), 0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(scalar(QStringLiteral("select count(*) from jur.t_deal_link where id_sheet = :id"), sheet).toInt(), 0);

        editor.getData();
        QCOMPARE(answerer.unexpected, 0);
    }
    QCOMPARE(scalar(QStringLiteral("select id_deal from jur.t_deal_link where id_sheet = :id"), sheet).toLongLong(),
             m_dealId);

    QDataTable *links = m_document.getTable(QStringLiteral("t_deal_link"));
    const int row = links->locate(QStringLiteral("id"), sheet);
    QVERIFY(row >= 0);
    editor.tvDoc->setCurrentIndex(links->getModel()->index(row, 0));
    QVERIFY(editor.buttonShippingReport->isEnabled());
    QString title;
    QTimer::singleShot(50, this, [&title] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *preview = qobject_cast<reportWidget *>(window); preview && preview->isVisible()) {
                title = preview->windowTitle();
                preview->close();
            }
        }
    });
    editor.buttonShippingReport->click();
    QCOMPARE(title, QStringLiteral("Упаковочный лист"));

    m_connection.execScript(QStringLiteral("delete from jur.t_deal_link where id_sheet = :id"), QList<QVariant>{sheet});
}

QTEST_MAIN(tst_SheetLinks)
#include "tst_sheetlinks.moc"
