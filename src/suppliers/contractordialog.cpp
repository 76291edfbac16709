#include "contractordialog.h"

#include "contractordataset.h"
#include "contractoreditdialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "supplierdirectoryeditor.h"
#include "supplierdirectoryview.h"
#include "suppliersupport.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QToolBar>

ContractorDialog::ContractorDialog(QWidget *parent)
    : QDialog(parent)
    , m_dataSet(nullptr)
    , m_view(nullptr)
{
    setupUi(this);
    buttonAdd->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    buttonEdit->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));

    m_dataSet = ContractorDataSet::create(ContractorDataSet::Directory, this);
    m_view = new SupplierDirectoryView(m_dataSet, this);
    contractorLayout->addWidget(m_view);
    m_view->refresh();

    // The directory's own actions: deleting and the rating thresholds live there.
    auto *tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("toolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tools->addActions(m_view->toolBarActions());
    toolLayout->insertWidget(0, tools, 1);

    connect(m_view->tvContent->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ContractorDialog::updateButtons);
    connect(m_view, &SupplierDirectoryView::autoEdit, this, &ContractorDialog::editNewRow);
    connect(m_view->tvContent, &QAbstractItemView::doubleClicked, this, &ContractorDialog::accept);
    connect(leFind, &QLineEdit::textChanged, m_view, &SupplierDirectoryView::filter);
    connect(buttonAccept, &QPushButton::clicked, this, &ContractorDialog::accept);
    connect(buttonReject, &QPushButton::clicked, this, &ContractorDialog::reject);
    updateButtons();
}

void ContractorDialog::setType(QString typeName)
{
    m_view->cbType->setCurrentIndex(m_view->cbType->findText(typeName, Qt::MatchExactly));
}

QSqlRecord ContractorDialog::getData() const
{
    return m_view->currentRow();
}

void ContractorDialog::updateButtons()
{
    buttonEdit->setEnabled(!m_view->currentRow().isEmpty());
}

void ContractorDialog::accept()
{
    if (getData().isEmpty()) {
        SupplierSupport::warn(this, QStringLiteral("Не выбран контрагент"));
        return;
    }
    QDialog::accept();
}

void ContractorDialog::on_buttonAdd_clicked()
{
    QDataTable *contractors = m_view->table();
    if (!contractors)
        return;
    contractors->newRow(true);
    m_view->tvContent->setCurrentIndex(contractors->getModel()->index(contractors->lastRow(), 0));
    editNewRow();
}

void ContractorDialog::editNewRow()
{
    QDataTable *contractors = m_view->table();
    if (contractors)
        editContractor(QStringLiteral("Новый контрагент"), contractors->getRecord(contractors->lastRow()));
}

void ContractorDialog::on_buttonEdit_clicked()
{
    const QSqlRecord record = getData();
    if (!record.isEmpty())
        editContractor(record.value(QStringLiteral("c_name")).toString(), record);
}

void ContractorDialog::editContractor(const QString &title, const QSqlRecord &record)
{
    qint64 id = -1;
    {
        ContractorEditDialog dialog(m_dataSet, this);
        dialog.setWindowTitle(title);
        dialog.setGeometry(geometry());
        dialog.setData(record);
        dialog.exec();
        id = dialog.editor()->currentId();
    }
    // Saved or rolled back, the list now shows what the database holds:
    // ratings and tax numbers come from other tables.
    m_view->refresh();
    m_view->setCurrentRowByID(id);
    updateButtons();
}
