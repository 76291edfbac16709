// The report preview: zooming, fitting, page navigation and modes, printing,
// and PDF files whose text is read back with pdftotext.

#include "lineedit.h"
#include "modalanswerer.h"
#include "objvar.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "reportpagelayout.h"
#include "reportwidget.h"
#include "testserver.h"
#include "zoomfactorvalidator.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLibrary>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

class tst_ReportWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void zoomFactorText_data();
    void zoomFactorText();
    void zoomValidator_data();
    void zoomValidator();
    void fittingAndZoomButtons();
    void navigation_data();
    void navigation();
    void modes();
    void orientationLaysPagesOutAgain();
    void contentAndSignals();
    void pdfExport_data();
    void pdfExport();
    void pdfExportFailures_data();
    void pdfExportFailures();
    void cancelledExportWritesNothing();
    void largeReportPages_data();
    void largeReportPages();
    void firstPagesOfLongReports_data();
    void firstPagesOfLongReports();

private:
    QAction *action(const char *name) const { return m_widget->findChild<QAction *>(QLatin1String(name)); }
    QPrintPreviewWidget *preview() const { return m_widget->findChild<QPrintPreviewWidget *>(QStringLiteral("preview")); }
    QComboBox *zoomBox() const { return m_widget->findChild<QComboBox *>(QStringLiteral("zoomFactor")); }
    LineEdit *pageEdit() const { return m_widget->findChild<LineEdit *>(QStringLiteral("pageNumEdit")); }
    QString longHtml(int paragraphs) const;
    QDataSet *usersReport();
    static void answerSaveDialog(ModalAnswerer *answerer, const QString &fileName);
    static QString pdfText(const QString &fileName, int page = 0);
    QImage shownPage(int page);

    QLibrary m_driver;
    QSqlConnection m_connection;
    reportWidget *m_widget = nullptr;
};

namespace {

const QByteArray usersTemplate = R"(<html><body><h1>Пользователи системы</h1>
<p>Отчёт на ##VALUE{"name":"date"}##</p>
##AREA{"MASTER": {"NAME": "t_users", "BORDER": 1, "COLUMNS": [
  {"field": "c_name", "label": "Пользователь", "width": 40}, {"field": "c_login", "label": "Логин", "width": 20},
  {"field": "c_state", "label": "Состояние", "width": 20}, {"field": "n_rights", "label": "Крайний столбец", "width": 20}]},
 "MASTERLINK": ["id", "id_user"],
 "DETAIL": {"NAME": "t_details", "BORDER": 1, "COLUMNS": [{"field": "c_kind", "label": "Вид"},
  {"field": "c_name", "label": "Право"}]}}##
</body></html>)";

} // namespace

void tst_ReportWidget::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_reportwidget"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(&m_connection));

    QSqlQuery user = m_connection.execScript(
            QStringLiteral("insert into sys.t_user (c_name, c_login, c_pass_hash) "
                           "values (:name, :login, sys.hash_password( :login )) returning id"),
            {QStringLiteral("Сидорова Анна Петровна"), QStringLiteral("sidorova"), QStringLiteral("sidorova")});
    QVERIFY(user.isActive());
    QSqlQuery right = m_connection.execScript(
            QStringLiteral("insert into sys.t_right (id_user, c_action) values (:id, :action)"),
            {user.value(0), QStringLiteral("СкладскойУчёт")});
    QVERIFY(right.isActive());
    QVERIFY2(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).size(), "pdftotext (poppler-utils) is needed");
}

void tst_ReportWidget::init()
{
    m_widget = new reportWidget;
    m_widget->resize(900, 700);
    m_widget->show();
}

void tst_ReportWidget::cleanup()
{
    delete m_widget;
    m_widget = nullptr;
}

QString tst_ReportWidget::longHtml(int paragraphs) const
{
    QString html = QStringLiteral("<h1>Длинный отчёт</h1>");
    for (int i = 1; i <= paragraphs; ++i)
        html += QStringLiteral("<p>Абзац %1: поставка оборудования по договору, отгрузка со склада.</p>").arg(i);
    return html;
}

QDataSet *tst_ReportWidget::usersReport()
{
    auto *set = new QDataSet(m_widget);
    auto *users = new QDataTable(QStringLiteral("t_users"), &m_connection, set);
    users->setScripts(QStringLiteral("REPORT_USER_SELECT"), QString(), QString(), QString());
    auto *details = new QDataTable(QStringLiteral("t_details"), &m_connection, set);
    details->setScripts(QStringLiteral("REPORT_USER_DETAIL_SELECT"), QString(), QString(), QString());
    set->addTable(users);
    set->addTable(details);
    users->open();
    details->open();
    return set;
}

void tst_ReportWidget::answerSaveDialog(ModalAnswerer *answerer, const QString &fileName)
{
    answerer->enqueue([fileName](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
        // Its "replace?" question would be a dialog inside this answer, which
        // the answerer cannot reach; the user's "yes" is taken as given.
        files->setOption(QFileDialog::DontConfirmOverwrite);
        // The whole path typed into the name field: the dialog's folder view,
        // filled by a thread of its own, plays no part in the answer.
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(fileName);
        QMetaObject::invokeMethod(files, "accept");
    });
}

QString tst_ReportWidget::pdfText(const QString &fileName, int page)
{
    QStringList arguments{QStringLiteral("-layout"), fileName, QStringLiteral("-")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

void tst_ReportWidget::zoomFactorText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QString>("shown");

    QTest::newRow("percent") << QStringLiteral("150%") << 1.5 << QStringLiteral("150%");
    QTest::newRow("decimals, no percent") << QStringLiteral("33.3") << 0.333 << QStringLiteral("33.3%");
    QTest::newRow("above the range") << QStringLiteral("2000") << 10.0 << QStringLiteral("1000%");
    QTest::newRow("below the range") << QStringLiteral("0.5") << 0.01 << QStringLiteral("1%");
    QTest::newRow("not a number") << QStringLiteral("много") << -1.0 << QStringLiteral("много");
}

void tst_ReportWidget::zoomFactorText()
{
    QFETCH(QString, typed);
    QFETCH(double, zoom);
    QFETCH(QString, shown);
    m_widget->setHTMLContent("<p>Страница</p>");
    const double before = preview()->zoomFactor();
    QVERIFY(action("fitPage")->isChecked());

    zoomBox()->lineEdit()->setText(typed);
    m_widget->onZoomFactorChanged();
    if (zoom < 0) {
        QCOMPARE(preview()->zoomFactor(), before);
        QVERIFY(action("fitPage")->isChecked());
    } else {
        QVERIFY(qAbs(preview()->zoomFactor() - zoom) < 1e-6);
        QVERIFY(!action("fitPage")->isChecked());
        QVERIFY(!action("fitWidth")->isChecked());
    }
    QCOMPARE(zoomBox()->lineEdit()->text(), shown);

    // Choosing one of the listed factors applies it as well.
    zoomBox()->setCurrentIndex(zoomBox()->findText(QStringLiteral("200%")));
    QVERIFY(qAbs(preview()->zoomFactor() - 2.0) < 1e-6);
}

void tst_ReportWidget::zoomValidator_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("state");

    QTest::newRow("percent") << QStringLiteral("125%") << int(QValidator::Acceptable);
    QTest::newRow("one decimal") << QStringLiteral("12.5") << int(QValidator::Acceptable);
    QTest::newRow("two decimals") << QStringLiteral("12.55") << int(QValidator::Invalid);
    QTest::newRow("four digits, too large") << QStringLiteral("1234") << int(QValidator::Intermediate);
    QTest::newRow("fifth digit") << QStringLiteral("12345") << int(QValidator::Invalid);
    QTest::newRow("four digits and percent") << QStringLiteral("1234%") << int(QValidator::Invalid);
    QTest::newRow("letters") << QStringLiteral("abc") << int(QValidator::Invalid);
    QTest::newRow("empty") << QString() << int(QValidator::Intermediate);
}

void tst_ReportWidget::zoomValidator()
{
    QFETCH(QString, input);
    QFETCH(int, state);
    const QLocale previous;
    QLocale::setDefault(QLocale::c());
    ZoomFactorValidator validator(1, 1000, 1);
    QString text = input;
    int position = text.size();
    QCOMPARE(int(validator.validate(text, position)), state);
    QCOMPARE(text, input);
    QLocale::setDefault(previous);

    // Losing the focus with text the validator does not take brings back the last accepted one.
    QLineEdit *zoomEdit = zoomBox()->lineEdit();
    QFocusEvent focusIn(QEvent::FocusIn);
    QCoreApplication::sendEvent(zoomEdit, &focusIn);
    const QString accepted = zoomEdit->text();
    zoomEdit->selectAll();
    QTest::keyClick(zoomEdit, Qt::Key_Backspace);
    QVERIFY(zoomEdit->text().isEmpty());
    QFocusEvent focusOut(QEvent::FocusOut);
    QCoreApplication::sendEvent(zoomEdit, &focusOut);
    QCOMPARE(zoomEdit->text(), accepted);
}

void tst_ReportWidget::fittingAndZoomButtons()
{
    m_widget->setHTMLContent(longHtml(10).toUtf8());
    QCOMPARE(preview()->zoomMode(), QPrintPreviewWidget::FitInView);

    action("fitWidth")->trigger();
    QVERIFY(action("fitWidth")->isChecked());
    QVERIFY(!action("fitPage")->isChecked());
    QCOMPARE(preview()->zoomMode(), QPrintPreviewWidget::FitToWidth);

    // New content is refitted by the fit that is checked.
    m_widget->setHTMLContent("<p>Другое</p>");
    QCOMPARE(preview()->zoomMode(), QPrintPreviewWidget::FitToWidth);

    const double before = preview()->zoomFactor();
    // The button zooms, held or not; its action alone does nothing.
    QToolButton *zoomIn = nullptr;
    for (QToolButton *button : m_widget->findChildren<QToolButton *>())
        zoomIn = button->defaultAction() == action("zoomIn") ? button : zoomIn;
    QVERIFY(zoomIn && zoomIn->autoRepeat());
    zoomIn->click();
    QVERIFY(qAbs(preview()->zoomFactor() - before * 1.1) < 1e-6);
    QVERIFY(!action("fitWidth")->isChecked());
    QVERIFY(!action("fitPage")->isChecked());
    QCOMPARE(zoomBox()->lineEdit()->text(), QString::asprintf("%.1f%%", preview()->zoomFactor() * 100));

    m_widget->setFitMode(QPrintPreviewWidget::FitInView);
    QVERIFY(action("fitPage")->isChecked());
    QVERIFY(!action("fitWidth")->isChecked());
}

void tst_ReportWidget::navigation_data()
{
    QTest::addColumn<int>("paragraphs");
    QTest::newRow("one page") << 3;
    QTest::newRow("several pages") << 200;
}

void tst_ReportWidget::navigation()
{
    QFETCH(int, paragraphs);
    m_widget->setHTMLContent(longHtml(paragraphs).toUtf8());
    const int pages = preview()->pageCount();
    QCOMPARE(pages > 1, paragraphs > 100);
    QCOMPARE(m_widget->findChild<QLabel *>(QStringLiteral("pageNumLabel"))->text(), QStringLiteral("/ %1").arg(pages));
    QCOMPARE(pageEdit()->text(), QStringLiteral("1"));

    const auto enabled = [this] {
        return QVector<bool>{action("firstPage")->isEnabled(), action("previousPage")->isEnabled(),
                             action("nextPage")->isEnabled(), action("lastPage")->isEnabled()};
    };
    QCOMPARE(enabled(), (QVector<bool>{false, false, pages > 1, pages > 1}));
    if (pages == 1)
        return;

    action("nextPage")->trigger();
    QCOMPARE(preview()->currentPage(), 2);
    QCOMPARE(pageEdit()->text(), QStringLiteral("2"));
    QCOMPARE(enabled(), (QVector<bool>{true, true, true, true}));
    action("lastPage")->trigger();
    QCOMPARE(preview()->currentPage(), pages);
    QCOMPARE(enabled(), (QVector<bool>{true, true, false, false}));
    action("previousPage")->trigger();
    QCOMPARE(preview()->currentPage(), pages - 1);
    action("firstPage")->trigger();
    QCOMPARE(preview()->currentPage(), 1);

    pageEdit()->setText(QStringLiteral("3"));
    m_widget->onPageNumEdited();
    QCOMPARE(preview()->currentPage(), 3);
    pageEdit()->setText(QStringLiteral("три"));
    m_widget->onPageNumEdited();
    QCOMPARE(preview()->currentPage(), 3);
}

void tst_ReportWidget::modes()
{
    m_widget->setHTMLContent(longHtml(200).toUtf8());
    QVERIFY(action("singlePage")->isChecked());
    QCOMPARE(preview()->viewMode(), QPrintPreviewWidget::SinglePageView);

    action("allPages")->trigger();
    QCOMPARE(preview()->viewMode(), QPrintPreviewWidget::AllPagesView);
    QVERIFY(!action("fitPage")->isEnabled());
    QVERIFY(!action("nextPage")->isEnabled());
    QVERIFY(!pageEdit()->isEnabled());
    QVERIFY(!action("fitPage")->isChecked());

    action("facingPages")->trigger();
    QCOMPARE(preview()->viewMode(), QPrintPreviewWidget::FacingPagesView);
    action("singlePage")->trigger();
    QCOMPARE(preview()->viewMode(), QPrintPreviewWidget::SinglePageView);
    QVERIFY(action("fitPage")->isEnabled());
    QVERIFY(action("fitWidth")->isEnabled());
    QVERIFY(pageEdit()->isEnabled());
    QVERIFY(action("nextPage")->isEnabled());
    QVERIFY(!action("fitPage")->isChecked());
    QVERIFY(!action("fitWidth")->isChecked());
}

void tst_ReportWidget::orientationLaysPagesOutAgain()
{
    QVERIFY(action("portrait")->isChecked());
    QCOMPARE(preview()->orientation(), QPrinter::Portrait);
    m_widget->setHTMLContent(longHtml(200).toUtf8());
    const int portraitPages = preview()->pageCount();

    action("landscape")->trigger();
    QCOMPARE(preview()->orientation(), QPrinter::Landscape);
    QVERIFY2(preview()->pageCount() > portraitPages, "wider, lower pages hold fewer lines");
    action("portrait")->trigger();
    QCOMPARE(preview()->pageCount(), portraitPages);
}

void tst_ReportWidget::contentAndSignals()
{
    QSignalSpy painted(m_widget, &reportWidget::paintComplette);
    QSignalSpy closed(m_widget, &reportWidget::closed);
    QByteArray html("<p>Видимая часть</p>");
    html.append('\0');
    html.append("<p>после нулевого байта</p>");
    m_widget->setHTMLContent(html);
    QCOMPARE(painted.count(), 1);
    const QString text = m_widget->findChild<QTextDocument *>(QStringLiteral("report"))->toPlainText();
    QCOMPARE(text, QStringLiteral("Видимая часть"));

    m_widget->close();
    QCOMPARE(closed.count(), 1);
}

void tst_ReportWidget::pdfExport_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("existing");

    QTest::newRow("no suffix") << QStringLiteral("пользователи") << QStringLiteral("пользователи.pdf") << false;
    QTest::newRow("pdf suffix") << QStringLiteral("users.pdf") << QStringLiteral("users.pdf") << false;
    QTest::newRow("replacing a file") << QStringLiteral("old.pdf") << QStringLiteral("old.pdf") << true;
}

void tst_ReportWidget::pdfExport()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString target = dir.filePath(written);
    // The exported file is an ordinary file of the user: a replaced file keeps
    // its permissions, a new one gets those of any new file, not the
    // owner-only ones of the temporary file it was printed into.
    QFile::Permissions expectedPermissions;
    if (existing) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older file");
        old.close();
        expectedPermissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(target, expectedPermissions));
    } else {
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        expectedPermissions = plain.permissions();
        QVERIFY(plain.remove());
    }
    m_widget->setData(usersReport(), usersTemplate, {{QStringLiteral("date"), QStringLiteral("01.02.2025")}});

    ModalAnswerer answerer;
    answerSaveDialog(&answerer, dir.filePath(chosen));
    action("exportPdf")->trigger();
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(answerer.pending(), 0);

    QVERIFY(QFileInfo(target).size() > 1000);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{written});
    QCOMPARE(QFile::permissions(target), expectedPermissions);
    // Values first, then areas: the template is built over the data set.
    const QString text = pdfText(target);
    QVERIFY2(text.contains(QStringLiteral("Пользователи системы")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Отчёт на 01.02.2025")));
    QVERIFY(text.contains(QStringLiteral("Сидорова Анна Петровна")));
    QVERIFY(text.contains(QStringLiteral("СкладскойУчёт")));
    // The last column is on the page, not cut off at its edge.
    QVERIFY2(text.contains(QStringLiteral("Крайний")), qPrintable(text));
}

void tst_ReportWidget::pdfExportFailures_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("folder does not exist") << QStringLiteral("нет/такой/папки/отчёт.pdf");
    QTest::newRow("parent is a file") << QStringLiteral("file.txt/отчёт.pdf");
}

void tst_ReportWidget::pdfExportFailures()
{
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_widget->setHTMLContent("<p>Отчёт</p>");

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!m_widget->exportPdf(dir.filePath(relativePath)));
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Ошибка")});
    QVERIFY(answerer.texts.value(0).startsWith(QStringLiteral("Не удалось сохранить отчёт в файл")));
    QVERIFY(!QFile::exists(dir.filePath(relativePath)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("file.txt")});
}

void tst_ReportWidget::cancelledExportWritesNothing()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("report.pdf"));
    m_widget->setHTMLContent("<p>Первый вариант</p>");
    QVERIFY(m_widget->exportPdf(target));
    QVERIFY(QFile::remove(target));

    // The printer still names the last file; a cancelled dialog must not write it again.
    ModalAnswerer answerer;
    answerer.enqueue([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); });
    action("exportPdf")->trigger();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!QFile::exists(target));
}


// What the preview shows of one page, as the screen gets it.
QImage tst_ReportWidget::shownPage(int page)
{
    preview()->setCurrentPage(page);
    QCoreApplication::processEvents();
    return preview()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

namespace {

// Dark pixels (text, rules) in the middle of the view, away from the page's
// edges and shadow: a page shown blank has none.
int printedPixels(const QImage &view)
{
    int dark = 0;
    for (int y = 0; y < view.height() * 9 / 10; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(view.constScanLine(y));
        for (int x = view.width() * 3 / 10; x < view.width() * 7 / 10; ++x)
            dark += qGray(line[x]) < 128;
    }
    return dark;
}

} // namespace

void tst_ReportWidget::largeReportPages_data()
{
    QTest::addColumn<int>("firms");
    QTest::addColumn<int>("itemsPerFirm");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("firstPage");
    QTest::addColumn<QStringList>("lastPage");

    // The page counts are those of the preview that recorded every page
    // before showing any: drawing pages on demand must not move a break.
    QTest::newRow("10,000 detail rows in nested tables")
            << 200 << 50 << 267
            << QStringList{QStringLiteral("Поставки по поставщикам"), QStringLiteral("ООО «Поставщик № 1»"),
                           QStringLiteral("Подшипник шариковый 6201 ГОСТ 8338-75"), QStringLiteral("1 / 267")}
            << QStringList{QStringLiteral("Подшипник шариковый 6210 ГОСТ 8338-75"), QStringLiteral("267 / 267")};
    QTest::newRow("10,000 master rows")
            << 10000 << 0 << 251
            << QStringList{QStringLiteral("Поставки по поставщикам"), QStringLiteral("ООО «Поставщик № 1»"),
                           QStringLiteral("1 / 251")}
            << QStringList{QStringLiteral("ООО «Поставщик № 10000»"), QStringLiteral("251 / 251")};
}

void tst_ReportWidget::largeReportPages()
{
    QFETCH(int, firms);
    QFETCH(int, itemsPerFirm);
    QFETCH(int, pages);
    QFETCH(QStringList, firstPage);
    QFETCH(QStringList, lastPage);

    QSqlQuery sql(QSqlDatabase::database(QStringLiteral("MainConnection")));
    QVERIFY(sql.exec(QStringLiteral("drop schema if exists large cascade")));
    QVERIFY(sql.exec(QStringLiteral("create schema large")));
    QVERIFY(sql.exec(QStringLiteral("create table large.t_firm as select g as id, 'ООО «Поставщик № ' || g || '»' as c_name, "
                                    "(array['Москва', 'Казань', 'Самара', 'Тверь'])[1 + g % 4] as c_city, "
                                    "(7700000000 + g)::text as c_inn from generate_series(1, %1) g")
                             .arg(firms)));
    QVERIFY(sql.exec(QStringLiteral("create table large.t_item as select g as id, 1 + (g - 1) / %1 as id_firm, "
                                    "'Подшипник шариковый 6' || (200 + g % 90) || ' ГОСТ 8338-75' as c_item, "
                                    "1 + g % 40 as n_qty, 100 + g % 977 as n_price from generate_series(1, %2) g")
                             .arg(qMax(itemsPerFirm, 1)).arg(firms * itemsPerFirm)));

    auto *set = new QDataSet(m_widget);
    for (const QString &name : {QStringLiteral("t_firm"), QStringLiteral("t_item")}) {
        auto *table = new QDataTable(name, &m_connection, set);
        table->setScripts(QStringLiteral("select * from large.%1 order by id").arg(name), QString(), QString(), QString(),
                          true);
        set->addTable(table);
        QVERIFY(table->open());
    }
    const QByteArray reportTemplate = R"(<html><body><h1 align="center">Поставки по поставщикам</h1>
##AREA{"MASTER": {"NAME": "t_firm", "BORDER": 1, "COLUMNS": [
  {"field": "c_name", "label": "Поставщик", "width": 50}, {"field": "c_city", "label": "Город", "width": 25},
  {"field": "c_inn", "label": "ИНН", "width": 25}]},
 "MASTERLINK": ["id", "id_firm"],
 "DETAIL": {"NAME": "t_item", "BORDER": 1, "COLUMNS": [
  {"field": "c_item", "label": "Изделие", "width": 60}, {"field": "n_qty", "label": "Кол-во", "align": "right", "width": 20},
  {"field": "n_price", "label": "Цена", "align": "right", "width": 20}]}}##
</body></html>)";
    m_widget->setData(set, reportTemplate, {});
    // The first pages are shown at once, every page once all are laid out.
    QVERIFY(preview()->pageCount() < pages);
    // The whole layout takes seconds, and many times that under the sanitizers.
    const int layoutTimeout = qMax(120000, qEnvironmentVariableIntValue("QTEST_FUNCTION_TIMEOUT"));
    QTRY_COMPARE_WITH_TIMEOUT(preview()->pageCount(), pages, layoutTimeout);
    QCOMPARE(m_widget->findChild<QLabel *>(QStringLiteral("pageNumLabel"))->text(), QStringLiteral("/ %1").arg(pages));

    // Every mode shows the pages the preview counts, and the page it calls
    // current is one of them.
    for (const char *mode : {"facingPages", "allPages", "singlePage"}) {
        action(mode)->trigger();
        QCoreApplication::processEvents();
        preview()->grab();
        QVERIFY2(preview()->currentPage() >= 1 && preview()->currentPage() <= pages, mode);
    }
    action("lastPage")->trigger();
    QCOMPARE(preview()->currentPage(), pages);
    QCOMPARE(pageEdit()->text(), QString::number(pages));

    // The pages in view are drawn, and they are different pages.
    action("fitPage")->trigger();
    const QImage first = shownPage(1);
    const QImage last = shownPage(pages);
    QCOMPARE(shownPage(1), first);
    QVERIFY(first != last);
    QVERIFY2(printedPixels(first) > 500, "the first page is shown blank");
    QVERIFY2(printedPixels(last) > 100, "the last page is shown blank");

    // Printed, every page is there with its own text.
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("large.pdf"));
    QVERIFY(m_widget->exportPdf(target));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {target});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
    const QString firstText = pdfText(target, 1);
    for (const QString &text : firstPage)
        QVERIFY2(firstText.contains(text), qPrintable(text));
    const QString lastText = pdfText(target, pages);
    for (const QString &text : lastPage)
        QVERIFY2(lastText.contains(text), qPrintable(text));
    QVERIFY(!lastText.contains(firstPage.at(1)));
}

namespace {

// A table of rows, nested tables of detail rows under every master row when
// details is not 0; widths false leaves the columns without a width.
QString tableHtml(int rows, int details, bool widths)
{
    const auto cell = [widths](int percent, const QString &text) {
        return widths ? QStringLiteral("<td width=\"%1%\">%2</td>").arg(percent).arg(text)
                      : QStringLiteral("<td>%1</td>").arg(text);
    };
    QString html = QStringLiteral("<html><body><h1>Поставки</h1>\n<table width=\"100%\" border=\"1\" cellspacing=\"0\">\n");
    html += QStringLiteral("<tr>") + cell(50, QStringLiteral("<b>Поставщик</b>")) + cell(50, QStringLiteral("<b>ИНН</b>"))
            + QStringLiteral("</tr>\n");
    for (int row = 1; row <= rows; ++row) {
        html += QStringLiteral("<tr>") + cell(50, QStringLiteral("ООО «Поставщик № %1»").arg(row))
                + cell(50, QString::number(7700000000LL + row)) + QStringLiteral("</tr>\n");
        if (details == 0)
            continue;
        html += QStringLiteral("<tr><td colspan=\"2\"><table width=\"80%\" border=\"1\" cellspacing=\"0\">\n");
        for (int detail = 1; detail <= details; ++detail)
            html += QStringLiteral("<tr>") + cell(70, QStringLiteral("Подшипник 62%1 ГОСТ 8338-75").arg(detail))
                    + cell(30, QString::number(row * detail)) + QStringLiteral("</tr>\n");
        html += QStringLiteral("</table></td></tr>\n");
    }
    return html + QStringLiteral("</table></body></html>");
}

// One page's text, a tenth of the printer's pixels: the band at the foot that
// holds the page number is left out.
QImage drawnPage(ReportPageLayout *layout, const QPrinter &printer, int page)
{
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    QImage image((area.size() / 10).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(0.1, 0.1);
    layout->drawPage(&painter, page);
    painter.end();
    return image.copy(0, 0, image.width(), image.height() * 95 / 100);
}

} // namespace

void tst_ReportWidget::firstPagesOfLongReports_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("firstPagesFirst");

    QTest::newRow("nested tables") << tableHtml(60, 30, true) << true;
    QTest::newRow("one long table") << tableHtml(3000, 0, true) << true;
    QTest::newRow("paragraphs") << longHtml(2000) << true;
    // Such a column is as wide as its longest text, wherever that is.
    QTest::newRow("columns without a width") << tableHtml(3000, 0, false) << false;
    QTest::newRow("short report") << tableHtml(20, 5, true) << false;
}

void tst_ReportWidget::firstPagesOfLongReports()
{
    QFETCH(QString, html);
    QFETCH(bool, firstPagesFirst);
    QTemporaryDir folder;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath(QStringLiteral("report.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    ReportPageLayout layout(&printer);
    QSignalSpy completed(&layout, &ReportPageLayout::completed);

    layout.setContent(html);
    QCOMPARE(!layout.isComplete(), firstPagesFirst);
    const int firstPages = layout.pageCount();
    QVERIFY(firstPages >= 1);
    QVector<QImage> shownFirst;
    for (int page = 0; page < qMin(firstPages, 3); ++page)
        shownFirst.append(drawnPage(&layout, printer, page));
    if (!firstPagesFirst)
        return;
    QCOMPARE(completed.count(), 0);

    // Printing does not wait for the event loop: every page is printed.
    QVERIFY(layout.print(&printer));
    QVERIFY(layout.isComplete());
    QCOMPARE(completed.count(), 1);
    const int pages = layout.pageCount();
    QVERIFY2(pages > firstPages, qPrintable(QStringLiteral("%1 of %2").arg(firstPages).arg(pages)));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {printer.outputFileName()});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));

    // The pages shown first are those of the whole report.
    for (int page = 0; page < shownFirst.size(); ++page)
        QVERIFY2(drawnPage(&layout, printer, page) == shownFirst.at(page), qPrintable(QString::number(page + 1)));
    QTextDocument whole;
    QTextCursor(&whole).insertHtml(html);
    QCOMPARE(layout.document()->toPlainText(), whole.toPlainText());
}

QTEST_MAIN(tst_ReportWidget)
#include "tst_reportwidget.moc"
