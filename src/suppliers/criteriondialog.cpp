#include "criteriondialog.h"

#include "criterioneditdialog.h"
#include "qdatatable.h"
#include "suppliersupport.h"

#include <QHeaderView>
#include <QItemSelectionModel>

CriterionDialog::CriterionDialog(QDataTable *criteria, QWidget *parent)
    : QDialog(parent)
    , m_criteria(criteria)
{
    setupUi(this);
    tvContent->horizontalHeader()->setStretchLastSection(true);
    buttonNew->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    buttonEdit->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    buttonDel->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    connect(buttonClose, &QPushButton::clicked, this, &CriterionDialog::accept);
    if (m_criteria) {
        m_criteria->close();
        m_criteria->open();
        m_criteria->setView(tvContent);
        // Names and weights are short, the header of the weight is not, and
        // descriptions are sentences: fit the first two, wrap the last.
        tvContent->resizeColumnToContents(0);
        tvContent->resizeColumnToContents(1);
        tvContent->setWordWrap(true);
        tvContent->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        connect(tvContent->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &CriterionDialog::updateButtons);
    }
    updateButtons();
}

CriterionDialog::~CriterionDialog()
{
    if (m_criteria && m_criteria->getView() == tvContent)
        m_criteria->setView(nullptr);
}

QSqlRecord CriterionDialog::getCurrentRow() const
{
    return m_criteria ? m_criteria->getViewCurrentRecord() : QSqlRecord();
}

void CriterionDialog::updateButtons()
{
    const bool current = !getCurrentRow().isEmpty();
    buttonNew->setEnabled(m_criteria != nullptr);
    buttonEdit->setEnabled(current);
    buttonDel->setEnabled(current);
}

void CriterionDialog::store(int row, QSqlRecord record, const CriterionEditDialog &dialog)
{
    record.setValue(QStringLiteral("c_name"), dialog.leName->text().trimmed());
    record.setValue(QStringLiteral("n_weight"), dialog.sbWeight->value());
    record.setValue(QStringLiteral("c_description"), dialog.teDescription->toPlainText());
    m_criteria->setRow(row, record);
    SupplierSupport::commitNow(m_criteria, this);
}

void CriterionDialog::on_buttonNew_clicked()
{
    if (!m_criteria)
        return;
    CriterionEditDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Новый параметр оценки поставщиков"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QSqlRecord record = m_criteria->newRow(true);
    store(m_criteria->lastRow(), record, dialog);
    updateButtons();
}

void CriterionDialog::on_buttonEdit_clicked()
{
    const QSqlRecord current = getCurrentRow();
    if (current.isEmpty())
        return;
    CriterionEditDialog dialog(this);
    dialog.setWindowTitle(current.value(QStringLiteral("c_name")).toString());
    dialog.leName->setText(current.value(QStringLiteral("c_name")).toString());
    dialog.sbWeight->setValue(current.value(QStringLiteral("n_weight")).toDouble());
    dialog.teDescription->setPlainText(current.value(QStringLiteral("c_description")).toString());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int row = m_criteria->locate(QStringLiteral("id"), current.value(QStringLiteral("id")));
    if (row >= 0)
        store(row, m_criteria->getRecord(row), dialog);
}

void CriterionDialog::on_buttonDel_clicked()
{
    const QSqlRecord current = getCurrentRow();
    if (current.isEmpty())
        return;
    if (!SupplierSupport::confirmDeletion(this, QStringLiteral("Вы действительно хотите удалить параметр оценки"),
                                          current.value(QStringLiteral("c_name")).toString()))
        return;
    const int row = m_criteria->locate(QStringLiteral("id"), current.value(QStringLiteral("id")));
    if (row < 0)
        return;
    m_criteria->deleteRow(row);
    SupplierSupport::commitNow(m_criteria, this);
    updateButtons();
}
