#include "contacttypedialog.h"

#include "appcontext.h"
#include "colinfo.h"
#include "qdatatable.h"
#include "qinputdialogex.h"
#include "suppliersupport.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace {

const QString label = QStringLiteral("Введите тип контакта");

} // namespace

ContactTypeDialog::ContactTypeDialog(QWidget *parent)
    : QDialog(parent)
    , m_types(new QDataTable(QStringLiteral("t_contact_type"), AppContext::connection(), this))
{
    setupUi(this);
    tvContent->horizontalHeader()->setStretchLastSection(true);
    buttonNew->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    buttonEdit->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    buttonDel->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));

    m_types->setScripts(QStringLiteral("CONTACT_TYPE_SELECT"), QStringLiteral("CONTACT_TYPE_UPDATE"),
                        QStringLiteral("CONTACT_TYPE_INSERT"), QStringLiteral("CONTACT_TYPE_DELETE"));
    m_types->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Тип"), 0, 300, QVariant(),
                       colStretch);
    m_types->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    m_types->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
    m_types->setView(tvContent);
    m_types->open();
    connect(tvContent->selectionModel(), &QItemSelectionModel::currentChanged, this, &ContactTypeDialog::updateButtons);
    connect(buttonClose, &QPushButton::clicked, this, &ContactTypeDialog::accept);
    updateButtons();
}

void ContactTypeDialog::updateButtons()
{
    const bool current = tvContent->currentIndex().isValid();
    buttonEdit->setEnabled(current);
    buttonDel->setEnabled(current);
}

bool ContactTypeDialog::isTaken(const QString &name) const
{
    for (int row = 0; row < m_types->rowCount(); ++row) {
        if (m_types->getRecord(row, true).value(QStringLiteral("c_name")).toString().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void ContactTypeDialog::on_buttonNew_clicked()
{
    bool ok = false;
    const QString name = QInputDialogEx::getString(this, QStringLiteral("Новый тип контакта"), label, QString(), &ok)
                                 .trimmed();
    if (!ok || name.isEmpty())
        return;
    if (isTaken(name)) {
        SupplierSupport::warn(this, QStringLiteral("Тип контакта \"%1\" уже есть").arg(name));
        return;
    }
    QSqlRecord record = m_types->newRow(true);
    record.setValue(QStringLiteral("c_name"), name);
    m_types->setRow(m_types->lastRow(), record);
    if (SupplierSupport::commitNow(m_types, this))
        SupplierSupport::makeCurrent(m_types, m_types->locate(QStringLiteral("c_name"), name));
    updateButtons();
}

void ContactTypeDialog::on_buttonEdit_clicked()
{
    const int row = tvContent->currentIndex().row();
    QSqlRecord record = m_types->getRecord(row, true);
    if (record.isEmpty())
        return;
    const QString old = record.value(QStringLiteral("c_name")).toString();
    bool ok = false;
    const QString name = QInputDialogEx::getString(this, QStringLiteral("Тип контакта"), label, old, &ok).trimmed();
    if (!ok || name.isEmpty() || name == old)
        return;
    if (name.compare(old, Qt::CaseInsensitive) != 0 && isTaken(name)) {
        SupplierSupport::warn(this, QStringLiteral("Тип контакта \"%1\" уже есть").arg(name));
        return;
    }
    record.setValue(QStringLiteral("c_name"), name);
    m_types->setRow(row, record);
    SupplierSupport::commitNow(m_types, this);
}

void ContactTypeDialog::on_buttonDel_clicked()
{
    const int row = tvContent->currentIndex().row();
    const QSqlRecord record = m_types->getRecord(row, true);
    if (record.isEmpty())
        return;
    if (!SupplierSupport::confirmDeletion(this, QStringLiteral("Вы действительно хотите удалить тип контакта"),
                                          record.value(QStringLiteral("c_name")).toString(), true))
        return;
    m_types->deleteRow(row);
    SupplierSupport::commitNow(m_types, this);
    updateButtons();
}
