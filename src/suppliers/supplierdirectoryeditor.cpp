#include "supplierdirectoryeditor.h"

#include "appcontext.h"
#include "filewidget.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "suppliersupport.h"
#include "tabauditeditor.h"
#include "tabcommenteditor.h"
#include "tabcontactinfoeditor.h"
#include "tabcontractoreditor.h"
#include "tabitemeditor.h"
#include "tabratingeditor.h"
#include "tabrequisiteeditor.h"
#include "workplacelogging.h"

#include <QEvent>
#include <QHeaderView>
#include <QMessageBox>
#include <QPersistentModelIndex>
#include <QStandardItemModel>

SupplierDirectoryEditor::SupplierDirectoryEditor(QDataSet *dataSet, QWidget *parent)
    : QWidget(parent)
    , m_dataSet(dataSet)
    , m_contractorTab(nullptr)
    , m_itemTab(nullptr)
    , m_requisiteTab(nullptr)
    , m_ratingTab(nullptr)
    , m_contactTab(nullptr)
    , m_commentTab(nullptr)
    , m_auditTab(nullptr)
{
    setupUi(this);
    // Every tab title in sight: a scrolled-away tab is a tab nobody finds.
    tabWidget->setUsesScrollButtons(false);
    // Not the audits: their comment column stretches by itself, and a header
    // that also stretches its last section keeps that column at its declared
    // width, pushing it past the right edge.
    for (QTableView *view : {tvItem, tvRequisites, tvRating, tvPerson, tvContact, tvComment})
        view->horizontalHeader()->setStretchLastSection(true);
    // Contact data (e-mail addresses, phones with extensions) need as much
    // room as the persons' names and posts.
    splitterContact->setStretchFactor(0, 1);
    splitterContact->setStretchFactor(1, 1);
    splitterContact->setSizes({500, 500});
    m_contractorTab = new TabContractorEditor(this);
    m_itemTab = new TabItemEditor(this);
    m_requisiteTab = new TabRequisiteEditor(this);
    m_ratingTab = new TabRatingEditor(this);
    m_contactTab = new TabContactInfoEditor(this);
    m_commentTab = new TabCommentEditor(this);
    m_auditTab = new TabAuditEditor(this);

    m_fileWidget = new FileWidget(m_dataSet, QStringLiteral("t_contractor"), tabFile);
    m_fileWidget->setTable(QStringLiteral("t_file_owner_contractor"));
    fileLayout->addWidget(m_fileWidget);
    connect(m_fileWidget, &FileWidget::dataChanged, this, &SupplierDirectoryEditor::dataChanged);
}

SupplierDirectoryEditor::~SupplierDirectoryEditor() = default;

void SupplierDirectoryEditor::setData(QSqlRecord record)
{
    m_record = record;
    const QVariant id = record.value(QStringLiteral("id"));
    m_id = id.isNull() ? -1 : id.toLongLong();
    m_contractorTab->setData();
    m_itemTab->refresh();
    m_requisiteTab->refresh();
    m_ratingTab->refresh();
    m_fileWidget->setData(m_id);
    m_contactTab->refresh();
    m_commentTab->refresh();
    m_auditTab->refresh();
}

bool SupplierDirectoryEditor::commit()
{
    if (!m_dataSet)
        return false;
    if (!m_contractorTab->getData())
        return false;

    // The contractor's row, wherever the save moves its key.
    QDataTable *contractors = m_dataSet->getTable(QStringLiteral("t_contractor"));
    const int row = contractors ? contractors->locate(QStringLiteral("id"), m_id) : -1;
    const QPersistentModelIndex stored = row >= 0 ? QPersistentModelIndex(contractors->getModel()->index(row, 0))
                                                  : QPersistentModelIndex();

    m_fileWidget->saveFiles();
    m_auditTab->saveFiles();
    if (!m_dataSet->commit(AppContext::connection())) {
        const QString why = SupplierSupport::reason(m_dataSet->lastError());
        qCWarning(lcSuppliers) << "contractor" << m_id << "not saved:" << why;
        QMessageBox::warning(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Контрагент не сохранён: база данных не приняла изменения.\n%1\n"
                                            "Все изменения остались в редакторе.").arg(why));
        return false;
    }
    m_fileWidget->deleteFiles();
    m_auditTab->deleteFiles();

    // Show what the database now holds, new keys included.
    if (stored.isValid())
        setData(contractors->getRecord(stored.row()));
    emit commitData();
    return true;
}

void SupplierDirectoryEditor::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_contractorTab->updateEditable();
    m_fileWidget->setReadOnly(readOnly);
    m_auditTab->setReadOnly(readOnly);
    m_itemTab->updateButtons();
    m_requisiteTab->updateButtons();
    m_ratingTab->updateButtons();
    m_contactTab->onPersonSelected();
    m_commentTab->updateButtons();
    m_auditTab->updateButtons();
}

void SupplierDirectoryEditor::on_tabWidget_currentChanged(int index)
{
    if (index == 1 && m_itemTab)
        m_itemTab->initItemTree();
}

void SupplierDirectoryEditor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QWidget::changeEvent(event);
}
