// Documents from templates kept in the real database: the demo templates
// built for a demo deal and saved as HTML and PDF, amounts in words, script
// errors, template kinds with none, one or several templates, and documents
// kept for a record.
#include "dealshost.h"
#include "documentlistdialog.h"
#include "modalanswerer.h"
#include "qdataeditor.h"
#include "qdatatable.h"
#include "qdealeditor.h"
#include "qdeals.h"
#include "qdealsview.h"
#include "qdoccreator.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QAction>
#include <QFileDialog>
#include <QLibrary>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

class tst_DocCreator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void demoDocuments_data();
    void demoDocuments();
    void amountInWords_data();
    void amountInWords();
    void scriptErrors_data();
    void scriptErrors();
    void templateKinds_data();
    void templateKinds();
    void keptDocuments();
    void documentsOfEditedDeal_data();
    void documentsOfEditedDeal();

private:
    QSqlQuery run(const QString &statement, const QList<QVariant> &values = {});
    long long scalar(const QString &statement, const QList<QVariant> &values = {});
    long long addTemplate(const QString &kind, const QString &name, const QString &html, const QString &script,
                          bool deleted = false);
    void answerFileDialog(ModalAnswerer *answerer, const QString &fileName);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QTemporaryDir m_files;
    std::unique_ptr<DealsHost> m_host;
    QWidget m_shell;
};

namespace {

// Whitespace of any kind (no-break spaces in amounts, cell and paragraph breaks) as one space.
QString normalized(QString text)
{
    text.replace(QChar::Nbsp, QLatin1Char(' ')).replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    return text.simplified();
}

// Text laid out by a PDF program breaks wherever a line ended; compare without any whitespace.
QString squeezed(const QString &text)
{
    QString result = text;
    result.remove(QRegularExpression(QStringLiteral("\\s")));
    return result;
}

QString money(double value)
{
    return normalized(QLocale(QLocale::Russian, QLocale::Russia).toString(value, 'f', 2));
}

double kopecks(double value)
{
    return std::round(value * 100) / 100;
}

QString plainTextOfHtml(const QByteArray &html)
{
    QTextDocument document;
    document.setHtml(QString::fromUtf8(html));
    return normalized(document.toPlainText());
}

const char simpleScript[] =
        "document.html = params.getParam('c_html')"
        ".replace(/\\{\\{id\\}\\}/g, params.getParam('id_reason'))"
        ".replace('{{user}}', params.getParam('c_user'))"
        ".replace('{{types}}', [VBool, VDateTime, VDouble, VString, VInt, VLongLong].join(','));";

} // namespace

void tst_DocCreator::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::openMainConnection(QStringLiteral("tst_doccreator"), &m_driver, &m_connection, true, &error),
             qPrintable(error));
    QVERIFY(m_files.isValid());
    QVERIFY2(scalar(QStringLiteral("select count(*) from jur.t_deals")) > 0, "the demo deals are missing");
    // The deals module as the shell hosts it, for the documents of the deal in its editor.
    m_host = std::make_unique<DealsHost>();
}

void tst_DocCreator::cleanupTestCase()
{
    m_host.reset();
}

void tst_DocCreator::cleanup()
{
    // A test that failed half-way must not leave a dialog for the next one.
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

QSqlQuery tst_DocCreator::run(const QString &statement, const QList<QVariant> &values)
{
    QSqlQuery query = m_connection.execScript(statement, values);
    [&] { QVERIFY2(query.isActive(), qPrintable(statement)); }();
    return query;
}

long long tst_DocCreator::scalar(const QString &statement, const QList<QVariant> &values)
{
    QSqlQuery query = run(statement, values);
    return query.isValid() ? query.value(0).toLongLong() : 0;
}

long long tst_DocCreator::addTemplate(const QString &kind, const QString &name, const QString &html,
                                      const QString &script, bool deleted)
{
    return scalar(QStringLiteral("insert into sys.t_doc_template (c_type, c_name, c_html, c_script, b_is_del) "
                                 "values ( :kind , :name , :html , :script , :deleted ) returning id"),
                  {kind, name, html, script, deleted});
}

void tst_DocCreator::answerFileDialog(ModalAnswerer *answerer, const QString &fileName)
{
    answerer->enqueue([fileName](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY2(files, "a file dialog was expected");
        if (fileName.isEmpty()) {
            files->reject();
            return;
        }
        // Typed as a person would: selectFile() leaves a focused name field alone.
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(fileName);
        QCOMPARE(files->selectedFiles(), QStringList{fileName});
        static_cast<QDialog *>(files)->accept();
    });
}

void tst_DocCreator::demoDocuments_data()
{
    QTest::addColumn<int>("templateRow");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<bool>("withRequests");

    QTest::newRow("commercial offer") << 0 << QStringLiteral("Коммерческое предложение")
                                      << QStringLiteral("Коммерческое предложение № NUMBER") << true;
    QTest::newRow("delivery note") << 1 << QStringLiteral("Товарная накладная")
                                   << QStringLiteral("ТОВАРНАЯ НАКЛАДНАЯ № NUMBER от DATE") << false;
}

void tst_DocCreator::demoDocuments()
{
    QFETCH(int, templateRow);
    QFETCH(QString, name);
    QFETCH(QString, heading);
    QFETCH(bool, withRequests);

    // A demo deal with goods and a development-work request: the offer lists both, the note only goods.
    const long long deal = scalar(QStringLiteral(
            "select d.id from jur.t_deals d "
            "where exists (select 1 from jur.t_deal_details x where x.id_deal = d.id and x.b_okr) "
            "and exists (select 1 from jur.t_deal_details x where x.id_deal = d.id and not x.b_okr) "
            "and d.id_currency = 1 order by d.id limit 1"));
    QVERIFY(deal > 0);
    QSqlQuery header = run(QStringLiteral("select d.id_doc, c.c_name from jur.t_deals d "
                                          "join jur.t_contractor c on c.id = d.id_contractor where d.id = :id"),
                           {deal});
    const QString number = header.value(0).toString();
    const QString buyer = header.value(1).toString();
    QStringList goods;
    QSqlQuery lines = run(QStringLiteral("select x.c_name from jur.t_deal_details x "
                                         "where x.id_deal = :id and not x.b_okr order by x.id"),
                          {deal});
    do
        goods.append(lines.value(0).toString());
    while (lines.next());
    // The sum with VAT, worked out here from the stored prices rather than by the document's script.
    const double total = run(QStringLiteral(
            "select sum(round(cast(case when x.b_add_nds then x.n_sale_price "
            "else x.n_sale_price * (1 + coalesce(v.n_vat, 0) / 100) end as numeric), 2)) "
            "from jur.t_deal_details x left join dirs.t_vat v on v.id = x.id_vat "
            "where x.id_deal = :id and ( :all or not x.b_okr )"),
            {deal, withRequests}).value(0).toDouble();
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    const QString expectedHeading = QString(heading).replace(QLatin1String("NUMBER"), number)
                                            .replace(QLatin1String("DATE"), today);

    ModalAnswerer answerer;
    QDocCreator creator(QStringLiteral("DEAL"));
    creator.makeDocument(deal, true);
    QCOMPARE(creator.templateTable()->rowCount(), 2);
    QVERIFY(creator.lvTemplates->isVisibleTo(&creator));
    QCOMPARE(creator.currentTemplateName(), QStringLiteral("Коммерческое предложение"));
    creator.lvTemplates->setCurrentIndex(creator.templateTable()->getModel()->index(templateRow, 2));
    QCOMPARE(creator.currentTemplateName(), name);
    QVERIFY2(creator.hasDocument(), qPrintable(creator.lastError()));
    QVERIFY(creator.acSaveToBase->isVisible() && creator.acSaveToBase->isEnabled());
    QCOMPARE(creator.documentTitle(), QStringLiteral("%1 № %2 от %3").arg(name, number, today));

    // Shown, and saved as HTML below: the heading, the buyer, the goods and the sum.
    const auto holdsTheDeal = [&](const QString &text) {
        QVERIFY2(text.contains(expectedHeading), qPrintable(text.left(300)));
        QVERIFY(text.contains(buyer));
        for (const QString &item : qAsConst(goods))
            QVERIFY2(text.contains(item), qPrintable(item));
        QVERIFY2(text.contains(money(total)), qPrintable(money(total)));
    };
    const QString shown = normalized(creator.tbDocument->toPlainText());
    holdsTheDeal(shown);
    QCOMPARE(shown.contains(QStringLiteral("Разработка:")), withRequests);

    // A name without suffix gets one; a cancelled dialog writes nothing.
    const QString base = m_files.filePath(QStringLiteral("deal-%1-%2").arg(deal).arg(templateRow));
    answerFileDialog(&answerer, base);
    creator.onSaveHTML();
    answerFileDialog(&answerer, base);
    creator.onSavePDF();
    answerFileDialog(&answerer, QString());
    creator.onSavePDF();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QVERIFY(!QFile::exists(base));

    QFile html(base + QStringLiteral(".html"));
    QVERIFY(html.open(QIODevice::ReadOnly));
    // Both are ordinary files of the user, readable as any file they save.
    QCOMPARE(QFile::permissions(base + QStringLiteral(".pdf")), html.permissions());
    holdsTheDeal(plainTextOfHtml(html.readAll()));

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {base + QStringLiteral(".pdf"), QStringLiteral("-")});
    QVERIFY2(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0,
             qPrintable(QStringLiteral("pdftotext could not read the PDF: %1")
                                .arg(QString::fromLocal8Bit(pdftotext.readAllStandardError()))));
    const QString printed = squeezed(QString::fromUtf8(pdftotext.readAllStandardOutput()));
    QVERIFY2(printed.contains(squeezed(expectedHeading)), qPrintable(printed.left(300)));
    QVERIFY(printed.contains(squeezed(buyer)));
    QVERIFY(printed.contains(squeezed(money(total))));

    // Printing asks first; declined, nothing happens.
    answerer.enqueue([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); });
    creator.onPrint();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
}

void tst_DocCreator::amountInWords_data()
{
    QTest::addColumn<QList<double>>("prices");
    QTest::addColumn<QString>("words");

    QTest::newRow("roubles and kopecks") << QList<double>{1234.5}
                                         << QStringLiteral("Одна тысяча двести тридцать четыре рубля 50 копеек");
    QTest::newRow("one rouble, one kopeck") << QList<double>{20, 1.01}
                                            << QStringLiteral("Двадцать один рубль 01 копейка");
    QTest::newRow("teens") << QList<double>{111.11} << QStringLiteral("Сто одиннадцать рублей 11 копеек");
    QTest::newRow("round million") << QList<double>{1000000} << QStringLiteral("Один миллион рублей 00 копеек");
    QTest::newRow("feminine thousands") << QList<double>{1000000, 1002002.22}
                                        << QStringLiteral("Два миллиона две тысячи два рубля 22 копейки");
    QTest::newRow("no goods") << QList<double>{} << QStringLiteral("Ноль рублей 00 копеек");
}

void tst_DocCreator::amountInWords()
{
    QFETCH(QList<double>, prices);
    QFETCH(QString, words);

    const long long deal = scalar(QStringLiteral(
            "insert into jur.t_deals (id_state, id_currency, id_contractor, id_division, c_base) "
            "values (1, 1, (select min(c.id) from jur.t_contractor c), (select min(v.id) from sys.t_division v), "
            ":base ) returning id"),
            {QStringLiteral("Проверка суммы прописью")});
    double net = 0;
    double vat = 0;
    for (double price : qAsConst(prices)) {
        // Prices with VAT at 20 %.
        run(QStringLiteral("insert into jur.t_deal_details (id_deal, b_okr, c_name, n_qty, n_sale_price, b_add_nds, "
                           "id_vat) values ( :deal , false, 'Кабель ВВГнг 3х2,5', 2, :price , true, 3)"),
            {deal, price});
        const double lineNet = kopecks(price / 1.2);
        net += lineNet;
        vat += kopecks(price - lineNet);
    }
    // A line without a price is printed but adds nothing.
    run(QStringLiteral("insert into jur.t_deal_details (id_deal, b_okr, c_name, n_qty) "
                       "values ( :deal , false, 'Образец без цены', 1)"),
        {deal});
    double total = 0;
    for (double price : qAsConst(prices))
        total += price;

    QDocCreator creator(QStringLiteral("DEAL"));
    creator.makeDocument(deal, false);
    QVERIFY(!creator.acSaveToBase->isVisible());
    creator.lvTemplates->setCurrentIndex(creator.templateTable()->getModel()->index(1, 2));
    QVERIFY2(creator.hasDocument(), qPrintable(creator.lastError()));
    const QString shown = normalized(creator.tbDocument->toPlainText());
    QVERIFY2(shown.contains(words), qPrintable(shown.right(600)));
    QVERIFY2(shown.contains(QStringLiteral("Итого: %1 × %2 %3").arg(money(net), money(vat), money(total))),
             qPrintable(shown.right(600)));
    QVERIFY(shown.contains(QStringLiteral("Образец без цены шт 1 — — без НДС — —")));
    QVERIFY(shown.contains(QStringLiteral("Всего отпущено наименований: %1, на сумму %2 руб.")
                                   .arg(prices.size() + 1)
                                   .arg(money(total))));
}

void tst_DocCreator::scriptErrors_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("left");

    QTest::newRow("syntax") << QStringLiteral("var a = 1;\nvar b = ;\ndocument.html = 'x';") << 2
                            << QStringLiteral("SyntaxError") << QString();
    QTest::newRow("unknown name, after filling")
            << QStringLiteral("document.html = params.getParam('c_html');\n\nnoSuchFunction();") << 3
            << QStringLiteral("ReferenceError") << QStringLiteral("Начало документа");
    QTest::newRow("thrown by the script")
            << QStringLiteral("throw new Error('Сделка не найдена');") << 1 << QStringLiteral("Сделка не найдена")
            << QString();
    QTest::newRow("not an object") << QStringLiteral("var missing = null;\nmissing.open();") << 2
                                   << QStringLiteral("TypeError") << QString();
}

void tst_DocCreator::scriptErrors()
{
    QFETCH(QString, script);
    QFETCH(int, line);
    QFETCH(QString, error);
    QFETCH(QString, left);

    const QString kind = QStringLiteral("TEST_ERROR_%1").arg(QTest::currentDataTag());
    addTemplate(kind, QStringLiteral("Шаблон с ошибкой"), QStringLiteral("<p>Начало документа</p>"), script);

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QDocCreator creator(kind);
    QSignalSpy kept(&creator, &QDocCreator::saveToBase);
    creator.makeDocument(1, true);

    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Script error")});
    const QString message = answerer.texts.value(0);
    QVERIFY2(message.contains(QStringLiteral("строка %1").arg(line)), qPrintable(message));
    QVERIFY2(message.contains(error), qPrintable(message));
    QCOMPARE(creator.lastError(), message);
    QCOMPARE(normalized(creator.tbDocument->toPlainText()), left);

    // Nothing of a failed document leaves the window.
    QVERIFY(!creator.hasDocument());
    for (QAction *action : {creator.acHTML, creator.acPDF, creator.acPrint, creator.acSaveToBase})
        QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    creator.onSaveHTML();
    creator.onSavePDF();
    creator.onPrint();
    creator.onSaveToBase();
    QTest::qWait(50);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(kept.count(), 0);
}

void tst_DocCreator::templateKinds_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("listShown");

    QTest::newRow("none") << QStringList{} << false;
    QTest::newRow("one") << QStringList{QStringLiteral("Акт")} << false;
    QTest::newRow("two") << QStringList{QStringLiteral("Акт"), QStringLiteral("Счёт")} << true;
}

void tst_DocCreator::templateKinds()
{
    QFETCH(QStringList, names);
    QFETCH(bool, listShown);

    const QString kind = QStringLiteral("TEST_KIND_%1").arg(QTest::currentDataTag());
    for (const QString &name : qAsConst(names))
        addTemplate(kind, name, QStringLiteral("<p>%1 {{id}} {{user}} {{types}}</p>").arg(name), simpleScript);
    // Deleted templates are not offered; empty ones make no document.
    addTemplate(kind, QStringLiteral("Удалённый"), QStringLiteral("<p>удалён</p>"), simpleScript, true);
    const long long noScript = addTemplate(QStringLiteral("TEST_EMPTY"), QStringLiteral("Без сценария %1").arg(kind),
                                           QStringLiteral("<p>нет сценария</p>"), QLatin1String(""));
    const long long noHtml = addTemplate(QStringLiteral("TEST_EMPTY"), QStringLiteral("Без HTML %1").arg(kind),
                                         QLatin1String(""), simpleScript);

    ModalAnswerer answerer;
    QDocCreator creator(kind);
    QVERIFY(!creator.acSaveToBase->isVisible());
    creator.makeDocument(42, true);

    QCOMPARE(creator.templateTable()->rowCount(), names.size());
    QCOMPARE(creator.lvTemplates->isVisibleTo(&creator), listShown);
    QCOMPARE(creator.lbTemplates->isVisibleTo(&creator), listShown);
    QVERIFY(creator.acSaveToBase->isVisible());
    QCOMPARE(creator.acSaveToBase->isEnabled(), !names.isEmpty());
    QCOMPARE(creator.hasDocument(), !names.isEmpty());
    const QString expected = names.isEmpty()
            ? QString()
            : QStringLiteral("%1 42 %2 1,16,6,10,2,4").arg(names.first(), AppContext::loggedInName());
    QCOMPARE(normalized(creator.tbDocument->toPlainText()), expected);

    // Another template is built when chosen in the list.
    if (listShown) {
        creator.lvTemplates->setCurrentIndex(creator.templateTable()->getModel()->index(1, 2));
        QCOMPARE(normalized(creator.tbDocument->toPlainText()),
                 QStringLiteral("%1 42 %2 1,16,6,10,2,4").arg(names.at(1), AppContext::loggedInName()));
    }

    const QString before = creator.tbDocument->toHtml();
    QVERIFY(!creator.createDocument(noScript, 42));
    QVERIFY(!creator.createDocument(noHtml, 42));
    QVERIFY(!creator.createDocument(-1, 42));
    QCOMPARE(creator.tbDocument->toHtml(), before);
    QCOMPARE(answerer.unexpected, 0);
}

void tst_DocCreator::keptDocuments()
{
    const QString kind = QStringLiteral("TEST_KEPT");
    const long long templateId = addTemplate(kind, QStringLiteral("Письмо"),
                                             QStringLiteral("<html><head><title>Письмо № {{id}}</title></head>"
                                                            "<body><p>Письмо № {{id}} от {{user}}</p></body></html>"),
                                             simpleScript);
    ModalAnswerer answerer;
    DocumentListDialog dialog(kind, 77);
    dialog.setSourceDescription(QStringLiteral("Запись 77"));
    QCOMPARE(dialog.table()->rowCount(), 0);
    QVERIFY(!dialog.btOpen->isEnabled());

    QDocCreator *creator = dialog.createDocument();
    QVERIFY(creator);
    QCOMPARE(creator->documentTitle(), QStringLiteral("Письмо № 77"));
    QVERIFY(creator->acSaveToBase->isVisible());
    creator->onSaveToBase();
    QVERIFY(!creator->acSaveToBase->isVisible());

    QSqlQuery stored = run(QStringLiteral("select d.c_name, d.c_html, d.id_template, u.c_name from lrg.t_document d "
                                          "join sys.t_user u on u.id = d.id_creator "
                                          "where d.c_type = :kind and d.n_key = 77"),
                           {kind});
    QVERIFY(stored.isValid());
    QCOMPARE(stored.value(0).toString(), QStringLiteral("Письмо № 77"));
    QCOMPARE(stored.value(1).toString(), creator->tbDocument->toHtml());
    QCOMPARE(stored.value(2).toLongLong(), templateId);
    QCOMPARE(stored.value(3).toString(), AppContext::loggedInName());
    QVERIFY(!stored.next());
    QCOMPARE(dialog.table()->rowCount(), 1);
    QVERIFY(dialog.btOpen->isEnabled());

    // Opened again, a kept document is shown as it was made and cannot be kept twice.
    QDocCreator *opened = dialog.openDocument();
    QVERIFY(opened);
    QCOMPARE(normalized(opened->tbDocument->toPlainText()), QStringLiteral("Письмо № 77 от %1").arg(AppContext::loggedInName()));
    QVERIFY(!opened->acSaveToBase->isVisible());
    QVERIFY(opened->acHTML->isEnabled());
    // Escape closes the window like any dialog.
    for (QDocCreator *window : {creator, opened}) {
        QPointer<QDocCreator> guard(window);
        QVERIFY(window->isVisible());
        QTest::keyClick(window->tbDocument, Qt::Key_Escape);
        QTRY_VERIFY(!guard || !guard->isVisible());
    }

    answerer.pressButton(QMessageBox::No);
    QVERIFY(!dialog.deleteDocument());
    answerer.pressButton(QMessageBox::Yes);
    QVERIFY(dialog.deleteDocument());
    QCOMPARE(scalar(QStringLiteral("select count(*) from lrg.t_document where c_type = :kind"), {kind}), 0);
    QCOMPARE(dialog.table()->rowCount(), 0);

    // A kind without templates says so instead of opening an empty window.
    DocumentListDialog none(QStringLiteral("TEST_KEPT_NONE"), 77);
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!none.createDocument());
    QCOMPARE(answerer.titles.last(), QStringLiteral("Внимание"));
    QCOMPARE(answerer.unexpected, 0);
}

void tst_DocCreator::documentsOfEditedDeal_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("opened");

    QTest::newRow("saved deal") << false << 0 << true;
    QTest::newRow("unsaved edits, go on") << true << int(QMessageBox::Yes) << true;
    QTest::newRow("unsaved edits, stop") << true << int(QMessageBox::No) << false;
}

void tst_DocCreator::documentsOfEditedDeal()
{
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(bool, opened);

    if (!getInterface(nullptr)) {
        m_shell.resize(1200, 900);
        QVERIFY(getInterface(&m_shell));
    }
    auto *deals = qobject_cast<QDeals *>(getInterface(nullptr));
    QVERIFY(deals);
    deals->refresh();
    deals->view()->cbState->setCurrentIndex(deals->view()->cbState->findText(QStringLiteral("Все")));
    const long long deal = scalar(QStringLiteral("select max(id) from jur.t_deals"));
    QVERIFY(deals->view()->setCurrentRowByID(deal) >= 0);
    deals->setCurrentRowByID(deal);
    QCoreApplication::processEvents();
    QCOMPARE(deals->editor()->record().value(QStringLiteral("id")).toLongLong(), deal);

    auto *button = deals->dataEditor()->findChild<QPushButton *>(QStringLiteral("btDocuments"));
    QVERIFY(button);
    ModalAnswerer answerer;
    if (edited) {
        deals->editor()->teComment->setPlainText(QStringLiteral("Не сохранено"));
        QVERIFY(deals->dataEditor()->okButton()->isEnabled());
        answerer.pressButton(static_cast<QMessageBox::StandardButton>(answer));
    }
    button->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);

    const QList<DocumentListDialog *> shown = deals->findChildren<DocumentListDialog *>();
    QCOMPARE(shown.size(), opened ? 1 : 0);
    if (opened) {
        // The kept documents of that deal, the demo's offer among them.
        DocumentListDialog *dialog = shown.first();
        QVERIFY(dialog->lbSource->text().contains(deals->view()->currentRow().value(QStringLiteral("c_doc")).toString()));
        QCOMPARE(dialog->table()->rowCount(),
                 int(scalar(QStringLiteral("select count(*) from lrg.t_document where c_type = 'DEAL' and n_key = :id"),
                            {deal})));
        delete dialog;
    }
    // Whatever was typed is still in the editor, unsaved.
    QCOMPARE(deals->dataEditor()->okButton()->isEnabled(), edited);
    deals->dataEditor()->onReset();
}

QTEST_MAIN(tst_DocCreator)
#include "tst_doccreator.moc"
