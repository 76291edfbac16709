#include "qdoccreator.h"

#include "appcontext.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "templatescript.h"
#include "replacefile.h"
#include "workplacelogging.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTemporaryFile>
#include <QTextDocument>


namespace {

// The folder the last document went to, offered for the next one.
QString &lastFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

// A file name from a document title: characters that file systems refuse
// become underscores.
QString fileNameFromTitle(const QString &title)
{
    QString name = title.simplified();
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    for (QChar &character : name) {
        if (refused.contains(character) || character.category() == QChar::Other_Control)
            character = QLatin1Char('_');
    }
    return name.isEmpty() ? QStringLiteral("document") : name;
}

} // namespace

QDocCreator::QDocCreator(QString templateType, QWidget *parent)
    : QMainWindow(parent)
    , templateType(std::move(templateType))
{
    setupUi(this);
    setWindowFlags(Qt::Dialog);
    setTemplatesVisible(false);

    templates = new QDataTable(QStringLiteral("t_dec_templates"), AppContext::connection(), this);
    templates->setScripts(QStringLiteral("DOC_TEMPLATE_SELECT_GROUP"), QString(), QString(), QString());
    acSaveToBase->setVisible(false);

    connect(acHTML, &QAction::triggered, this, &QDocCreator::onSaveHTML);
    connect(acPDF, &QAction::triggered, this, &QDocCreator::onSavePDF);
    connect(acPrint, &QAction::triggered, this, &QDocCreator::onPrint);
    connect(acPreview, &QAction::triggered, this, &QDocCreator::onPreview);
    connect(acSaveToBase, &QAction::triggered, this, &QDocCreator::onSaveToBase);
    updateActions();
}

QDocCreator::~QDocCreator() = default;

void QDocCreator::keyPressEvent(QKeyEvent *event)
{
    // The window is a dialog to the user: Escape closes it, as it closes the
    // list that opened it. A main window would ignore the key.
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void QDocCreator::setTemplatesVisible(bool visible)
{
    lbTemplates->setVisible(visible);
    lvTemplates->setVisible(visible);
}

void QDocCreator::initTemplateList()
{
    disconnect(m_selectionConnection);
    templates->close();
    templates->setSelectParam(QStringLiteral("c_type"), templateType);
    templates->open();
    acSaveToBase->setEnabled(templates->rowCount() > 0);

    lvTemplates->setModel(templates->getModel());
    lvTemplates->setModelColumn(2);
    m_selectionConnection = connect(lvTemplates->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                                    &QDocCreator::onTemplateSelected);
}

void QDocCreator::makeDocument(long long idSource, bool allowSaveToBase)
{
    acSaveToBase->setVisible(allowSaveToBase);
    setTemplatesVisible(false);
    sourceId = idSource;
    initTemplateList();

    const int count = templates->rowCount();
    if (count == 0) {
        updateActions();
        return;
    }
    if (count == 1) {
        createDocument(templates->getRecord(0).value(QStringLiteral("id")).toLongLong(), idSource);
        return;
    }
    {
        // The document is built once, below, not also by the selection signal.
        const QSignalBlocker blocker(lvTemplates->selectionModel());
        lvTemplates->setCurrentIndex(templates->getModel()->index(0, lvTemplates->modelColumn()));
    }
    setTemplatesVisible(true);
    onTemplateSelected();
}

void QDocCreator::onTemplateSelected()
{
    const QModelIndex current = lvTemplates->currentIndex();
    if (!current.isValid())
        return;
    const QSqlRecord record = templates->getRecord(current.row());
    if (!record.isEmpty())
        createDocument(record.value(QStringLiteral("id")).toLongLong(), sourceId);
}

QTextDocument *QDocCreator::createDocument(long long idTemplate, long long idSource)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection) {
        qCWarning(lcReports) << "No database connection: no document from template" << idTemplate;
        return nullptr;
    }
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("MainConnection"), false));
    runScript(QStringLiteral("DOC_TEMPLATE_SELECT_ONCE"), &query, {idTemplate});
    const QSqlRecord body = query.isSelect() && query.isValid() ? query.record() : QSqlRecord();
    const QString html = body.value(QStringLiteral("c_html")).toString();
    const QString script = body.value(QStringLiteral("c_script")).toString();
    if (html.isEmpty() || script.isEmpty()) {
        qCWarning(lcReports) << "Template" << idTemplate << "has no HTML or no script: no document.";
        return nullptr;
    }

    m_templateId = idTemplate;
    m_templateName = body.value(QStringLiteral("c_name")).toString();
    if (m_templateName.isEmpty()) {
        const int row = templates->locate(QStringLiteral("id"), idTemplate);
        m_templateName = templates->getRecord(row).value(QStringLiteral("c_name")).toString();
    }
    m_lastError.clear();
    m_ready = false;
    // What the view shows belongs to the template chosen now, even if its script fails early.
    tbDocument->clear();
    updateActions();

    const TemplateScript::Outcome outcome =
            TemplateScript::run(script, html, idSource, tbDocument, connection, m_templateName);
    if (!outcome.ok) {
        m_lastError = outcome.line > 0
                ? QStringLiteral("Ошибка в сценарии шаблона «%1», строка %2:\n%3")
                          .arg(m_templateName)
                          .arg(outcome.line)
                          .arg(outcome.error)
                : QStringLiteral("Ошибка в сценарии шаблона «%1»:\n%2").arg(m_templateName, outcome.error);
        updateActions();
        QMessageBox::critical(nullptr, QStringLiteral("Script error"), m_lastError);
        return tbDocument->document();
    }
    m_ready = true;
    updateActions();
    return tbDocument->document();
}

void QDocCreator::setDocument(QString html)
{
    tbDocument->setHtml(html);
    setTemplatesVisible(false);
    m_templateId = 0;
    m_templateName.clear();
    m_lastError.clear();
    m_ready = true;
    updateActions();
}

void QDocCreator::setDocumentSaved(bool saved)
{
    acSaveToBase->setVisible(!saved);
}

bool QDocCreator::hasDocument() const
{
    return m_ready && !tbDocument->document()->isEmpty();
}

QString QDocCreator::documentTitle() const
{
    const QString title = tbDocument->document()->metaInformation(QTextDocument::DocumentTitle).simplified();
    return title.isEmpty() ? m_templateName : title;
}

void QDocCreator::updateActions()
{
    const bool ready = hasDocument();
    for (QAction *action : {acHTML, acPDF, acPrint, acSaveToBase})
        action->setEnabled(ready);
    // The toolkit's preview needs a printer to lay pages out for.
    const bool printer = !QPrinterInfo::defaultPrinterName().isEmpty();
    acPreview->setEnabled(ready && printer);
    acPreview->setToolTip(printer ? acPreview->text()
                                  : QStringLiteral("Предварительный просмотр недоступен: нет принтера по умолчанию"));
}

QString QDocCreator::askFileName(const QString &title, const QString &filter, const QString &suffix)
{
    const QString start = QDir(lastFolder()).filePath(fileNameFromTitle(documentTitle()) + suffix);
    QString fileName = QFileDialog::getSaveFileName(this, title, start, filter);
    if (fileName.isEmpty())
        return QString();
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName.append(suffix);
    lastFolder() = QFileInfo(fileName).absolutePath();
    qCDebug(lcReports) << "Document goes to" << fileName;
    return fileName;
}

void QDocCreator::onSaveHTML()
{
    if (!hasDocument())
        return;
    const QString fileName = askFileName(tr("Save to HTML"), tr("HTML documents (*.html)"), QStringLiteral(".html"));
    if (!fileName.isEmpty())
        saveHtml(fileName);
}

void QDocCreator::onSavePDF()
{
    if (!hasDocument())
        return;
    const QString fileName = askFileName(tr("Save to PDF"), tr("PDF documents (*.pdf)"), QStringLiteral(".pdf"));
    if (!fileName.isEmpty())
        savePdf(fileName);
}

bool QDocCreator::saveHtml(const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        reportSaveFailure(fileName, file.errorString());
        return false;
    }
    file.write(tbDocument->document()->toHtml(QByteArrayLiteral("utf-8")).toUtf8());
    if (!file.commit()) {
        reportSaveFailure(fileName, file.errorString());
        return false;
    }
    return true;
}

bool QDocCreator::savePdf(const QString &fileName)
{
    const QFileInfo target(fileName);
    QTemporaryFile part(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.part").arg(target.fileName())));
    if (!part.open()) {
        reportSaveFailure(fileName, part.errorString());
        return false;
    }
    part.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(part.fileName());
    printer.setFullPage(true);
    printer.setDocName(documentTitle());
    printer.setCreator(QCoreApplication::applicationName());
    tbDocument->document()->print(&printer);

    if (QFileInfo(part.fileName()).size() == 0) {
        reportSaveFailure(fileName, QStringLiteral("Файл не записан."));
        return false;
    }
    if (!ReportFiles::replaceFile(part.fileName(), target.absoluteFilePath())) {
        reportSaveFailure(fileName, QStringLiteral("Не удалось заменить существующий файл."));
        return false;
    }
    part.setAutoRemove(false);
    return true;
}

void QDocCreator::reportSaveFailure(const QString &fileName, const QString &problem)
{
    qCWarning(lcReports) << "Document not saved to" << fileName << ":" << problem;
    QMessageBox::critical(this, QStringLiteral("Ошибка"),
                          QStringLiteral("Не удалось сохранить документ в файл «%1».\n%2")
                                  .arg(QDir::toNativeSeparators(fileName), problem));
}

void QDocCreator::onPrint()
{
    if (!hasDocument())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print document"));
    dialog.setOption(QAbstractPrintDialog::PrintSelection, tbDocument->textCursor().hasSelection());
    if (dialog.exec() != QDialog::Accepted)
        return;
    tbDocument->print(&printer);
}

void QDocCreator::onPreview()
{
    if (!hasDocument() || QPrinterInfo::defaultPrinterName().isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentTitle());
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &QDocCreator::printPreview);
    preview.exec();
}

void QDocCreator::printPreview(QPrinter *printer)
{
    tbDocument->print(printer);
}

void QDocCreator::onSaveToBase()
{
    if (!hasDocument())
        return;
    Q_EMIT saveToBase(tbDocument->toHtml());
}
