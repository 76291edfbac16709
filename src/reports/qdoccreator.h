#ifndef QDOCCREATOR_H
#define QDOCCREATOR_H

#include "dealsglobal.h"
#include "ui_qdoccreator.h"

#include <QMainWindow>
#include <QMetaObject>
#include <QString>

class QDataTable;
class QPrinter;
class QTextDocument;

// A window that builds a printable document for one record from a template
// kept in the database (an HTML text and a script that fills it), lists the
// templates of one kind, and saves the result as HTML or PDF, prints it,
// previews it, or hands it to the caller for keeping in the database.
//
//   auto *creator = new QDocCreator(QStringLiteral("DEAL"), this);
//   connect(creator, &QDocCreator::saveToBase, this, &Owner::keepDocument);
//   creator->makeDocument(dealId, true);
//   creator->show();
//
// Only a finished document leaves the window: after a script error the output
// actions stay disabled until a template builds without one.
class DEALS_EXPORT QDocCreator : public QMainWindow, public Ui::QDocCreatorClass
{
    Q_OBJECT

public:
    explicit QDocCreator(QString templateType, QWidget *parent = nullptr);
    ~QDocCreator() override;

    void makeDocument(long long idSource, bool allowSaveToBase);
    void setDocument(QString html);
    void setDocumentSaved(bool saved);

    QDataTable *templateTable() const { return templates; }
    // The template of the document shown: 0 and empty for none or a set document.
    long long currentTemplateId() const { return m_templateId; }
    QString currentTemplateName() const { return m_templateName; }
    // Whether the view holds a finished document, built without error or set.
    bool hasDocument() const;
    // The document's own title (its HTML's <title>), else the template's name.
    QString documentTitle() const;
    // The last script error as the user was told it; empty after a good build.
    QString lastError() const { return m_lastError; }

    // What the save actions do once they have a file name. An existing file is
    // replaced only by a complete new one; false, after telling the user, when
    // nothing was written.
    bool saveHtml(const QString &fileName);
    bool savePdf(const QString &fileName);

Q_SIGNALS:
    void saveToBase(QString html);

public Q_SLOTS:
    QTextDocument *createDocument(long long idTemplate, long long idSource);
    void onSavePDF();
    void onSaveHTML();
    void onPrint();
    void onPreview();
    void printPreview(QPrinter *printer);
    void onTemplateSelected();
    void onSaveToBase();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void initTemplateList();
    void setTemplatesVisible(bool visible);
    void updateActions();
    QString askFileName(const QString &title, const QString &filter, const QString &suffix);
    void reportSaveFailure(const QString &fileName, const QString &problem);

    QString templateType;
    QDataTable *templates = nullptr;
    long long sourceId = 0;

    long long m_templateId = 0;
    QString m_templateName;
    bool m_ready = false;
    QString m_lastError;
    QMetaObject::Connection m_selectionConnection;
};

#endif // QDOCCREATOR_H
