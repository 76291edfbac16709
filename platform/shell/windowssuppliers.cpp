// The supplier directory's windows: the directory, the supplier editor on
// each of its tabs, and every dialog they open, filled from the database.

#include "windowcatalog.h"

#include "qdataset.h"
#include "qdatatable.h"
#include "qinputdialogex.h"
#include "suppliers/contactdialog.h"
#include "suppliers/contacttypedialog.h"
#include "suppliers/contractorauditdialog.h"
#include "suppliers/contractordataset.h"
#include "suppliers/contractordialog.h"
#include "suppliers/contractoreditdialog.h"
#include "suppliers/criteriondialog.h"
#include "suppliers/criterioneditdialog.h"
#include "suppliers/persondialog.h"
#include "suppliers/qcommentdialog.h"
#include "suppliers/ratingthresholds.h"
#include "suppliers/requisiteadddialog.h"
#include "suppliers/requisitedialog.h"
#include "suppliers/requisiteeditdialog.h"
#include "suppliers/supplierdirectoryeditor.h"
#include "suppliers/supplierdirectoryview.h"

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The contractor the argument names (an id, or a part of the name), or the
// demo's most complete one.
QSqlRecord findContractor(QDataSet *set, const QString &argument, QString *error)
{
    QDataTable *contractors = set->getTable(QStringLiteral("t_contractor"));
    if (!contractors || contractors->rowCount() == 0) {
        *error = QStringLiteral("В справочнике нет контрагентов.");
        return QSqlRecord();
    }
    bool isId = false;
    const qint64 id = argument.toLongLong(&isId);
    for (int row = 0; row < contractors->rowCount(); ++row) {
        const QSqlRecord record = contractors->getRecord(row);
        if (argument.isEmpty() ? record.value(QStringLiteral("id")).toLongLong() == 1
                               : isId ? record.value(QStringLiteral("id")).toLongLong() == id
                                      : record.value(QStringLiteral("c_name")).toString().contains(argument, Qt::CaseInsensitive))
            return record;
    }
    if (argument.isEmpty())
        return contractors->getRecord(0);
    *error = QStringLiteral("Контрагент \"%1\" не найден.").arg(argument);
    return QSqlRecord();
}

// The editor dialog on one contractor, on the tab given.
QWidget *editorOn(QWidget *mainWindow, const QString &argument, QString *error, int tab)
{
    auto *dialog = new ContractorEditDialog(nullptr, mainWindow);
    const QSqlRecord record = findContractor(dialog->dataSet(), argument, error);
    if (record.isEmpty()) {
        delete dialog;
        return nullptr;
    }
    dialog->setWindowTitle(record.value(QStringLiteral("c_name")).toString());
    dialog->resize(980, 600);
    dialog->setData(record);
    dialog->editor()->tabWidget->setCurrentIndex(tab);
    return dialog;
}

// A first row of one of the contractor's detail tables, for dialogs that edit one.
QSqlRecord firstDetail(QDataSet *set, const QString &table, const QString &param, const QVariant &value)
{
    QDataTable *details = set->getTable(table);
    if (!details)
        return QSqlRecord();
    details->close();
    details->setSelectParam(param, value);
    details->open();
    return details->getRecord(0);
}

template <typename Dialog>
QWidget *plainDialog(QWidget *mainWindow, const QString &, QString *)
{
    return new Dialog(mainWindow);
}

} // namespace

void addSuppliersWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("contractors"),
                     QStringLiteral("справочник контрагентов (аргумент: тип, например Поставщик)"),
                     [](QWidget *mainWindow, const QString &argument, QString *) -> QWidget * {
                         auto *dialog = new ContractorDialog(mainWindow);
                         if (!argument.isEmpty())
                             dialog->setType(argument);
                         dialog->view()->setCurrentRowByID(1);
                         dialog->updateButtons();
                         return dialog;
                     }});
    entries->append({QStringLiteral("supplier-directory"), QStringLiteral("список контрагентов с панелью действий"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         auto *window = new QWidget(mainWindow, Qt::Window);
                         window->setWindowTitle(QStringLiteral("Контрагенты"));
                         window->resize(1000, 560);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, window);
                         auto *view = new SupplierDirectoryView(set, window);
                         auto *tools = new QToolBar(window);
                         tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
                         tools->addActions(view->toolBarActions());
                         auto *layout = new QVBoxLayout(window);
                         layout->addWidget(tools);
                         layout->addWidget(view);
                         view->refresh();
                         view->setCurrentRowByID(1);
                         return window;
                     }});

    const QStringList tabs = {QStringLiteral("contractor"), QStringLiteral("items"),    QStringLiteral("requisites"),
                              QStringLiteral("rating"),     QStringLiteral("files"),    QStringLiteral("contacts"),
                              QStringLiteral("comments"),   QStringLiteral("audit")};
    for (int tab = 0; tab < tabs.size(); ++tab) {
        const QString name = tab == 0 ? QStringLiteral("contractor-editor")
                                      : QStringLiteral("contractor-editor-") + tabs.at(tab);
        entries->append({name, QStringLiteral("редактор контрагента, вкладка %1 (аргумент: id или часть названия)")
                                       .arg(tab + 1),
                         [tab](QWidget *mainWindow, const QString &argument, QString *error) {
                             return editorOn(mainWindow, argument, error, tab);
                         }});
    }
    entries->append({QStringLiteral("contractor-new"), QStringLiteral("новый контрагент в редакторе"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         auto *dialog = new ContractorEditDialog(nullptr, mainWindow);
                         QDataTable *contractors = dialog->dataSet()->getTable(QStringLiteral("t_contractor"));
                         contractors->newRow(true);
                         dialog->setWindowTitle(QStringLiteral("Новый контрагент"));
                         dialog->resize(980, 600);
                         dialog->setData(contractors->getRecord(contractors->lastRow()));
                         return dialog;
                     }});

    entries->append({QStringLiteral("person-dialog"), QStringLiteral("контактное лицо"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         auto *dialog = new PersonDialog(mainWindow);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, dialog);
                         const QSqlRecord contractor = findContractor(set, argument, error);
                         const QSqlRecord person = firstDetail(set, QStringLiteral("t_contact_person"),
                                                               QStringLiteral("id_contractor"), contractor.value(QStringLiteral("id")));
                         dialog->edName->setText(person.value(QStringLiteral("c_name")).toString());
                         dialog->edRole->setText(person.value(QStringLiteral("c_post")).toString());
                         return dialog;
                     }});
    entries->append({QStringLiteral("contact-dialog"), QStringLiteral("контакт"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         auto *dialog = new ContactDialog(mainWindow);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, dialog);
                         const QSqlRecord contractor = findContractor(set, argument, error);
                         const QSqlRecord contact = firstDetail(set, QStringLiteral("t_contact"), QStringLiteral("id_contractor"),
                                                                contractor.value(QStringLiteral("id")));
                         dialog->setData(contact.value(QStringLiteral("id_contact_type")),
                                         contact.value(QStringLiteral("c_contact")).toString());
                         return dialog;
                     }});
    entries->append({QStringLiteral("contact-type-dialog"), QStringLiteral("справочник типов контактов"),
                     &plainDialog<ContactTypeDialog>});
    entries->append({QStringLiteral("requisite-add-dialog"), QStringLiteral("новый реквизит контрагента"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         auto *dialog = new RequisiteAddDialog(mainWindow);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, dialog);
                         dialog->setWindowTitle(QStringLiteral("Новый реквизит"));
                         dialog->setKinds(set->getTable(QStringLiteral("t_requisites")));
                         dialog->cbRequisite->setCurrentIndex(1);
                         dialog->leValue->setText(QStringLiteral("770501001"));
                         return dialog;
                     }});
    entries->append({QStringLiteral("requisite-dialog"), QStringLiteral("справочник реквизитов"),
                     &plainDialog<RequisiteDialog>});
    entries->append({QStringLiteral("requisite-edit-dialog"), QStringLiteral("вид реквизита"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         auto *dialog = new RequisiteEditDialog(mainWindow);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, dialog);
                         QDataTable *kinds = set->getTable(QStringLiteral("t_requisites"));
                         kinds->open();
                         dialog->setData(kinds->getRecord(0));
                         return dialog;
                     }});
    entries->append({QStringLiteral("criterion-dialog"), QStringLiteral("критерии оценки"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         auto *holder = new QObject(mainWindow);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, holder);
                         auto *dialog = new CriterionDialog(set->getTable(QStringLiteral("t_criterion")), mainWindow);
                         // The data set goes with the dialog.
                         holder->setParent(dialog);
                         return dialog;
                     }});
    entries->append({QStringLiteral("criterion-edit-dialog"), QStringLiteral("критерий оценки"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         auto *dialog = new CriterionEditDialog(mainWindow);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, dialog);
                         QDataTable *criteria = set->getTable(QStringLiteral("t_criterion"));
                         criteria->open();
                         const QSqlRecord criterion = criteria->getRecord(0);
                         dialog->setWindowTitle(criterion.value(QStringLiteral("c_name")).toString());
                         dialog->leName->setText(criterion.value(QStringLiteral("c_name")).toString());
                         dialog->sbWeight->setValue(criterion.value(QStringLiteral("n_weight")).toDouble());
                         dialog->teDescription->setPlainText(criterion.value(QStringLiteral("c_description")).toString());
                         return dialog;
                     }});
    entries->append({QStringLiteral("contractor-audit-dialog"), QStringLiteral("аудит контрагента"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         auto *dialog = new ContractorAuditDialog(mainWindow);
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, dialog);
                         const QSqlRecord contractor = findContractor(set, argument, error);
                         dialog->setContractor(contractor.value(QStringLiteral("c_name")).toString());
                         const QSqlRecord audit = firstDetail(set, QStringLiteral("t_contractor_audit"),
                                                              QStringLiteral("id_contractor"), contractor.value(QStringLiteral("id")));
                         if (!audit.isEmpty())
                             dialog->setRecord(audit);
                         return dialog;
                     }});
    entries->append({QStringLiteral("rating-threshold-dialog"), QStringLiteral("порог плохого поставщика"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         {
                             // A view loads the thresholds in force.
                             QObject holder;
                             SupplierDirectoryView view(ContractorDataSet::create(ContractorDataSet::Directory, &holder));
                         }
                         auto *spin = new QDoubleSpinBox;
                         spin->setDecimals(2);
                         spin->setRange(RatingThresholds::minimum, RatingThresholds::excellent());
                         spin->setValue(RatingThresholds::bad());
                         return new QInputDialogEx(QStringLiteral("Оценка поставщика"),
                                                   QStringLiteral("Введите признак плохого поставщика "), spin, mainWindow);
                     }});
    entries->append({QStringLiteral("rating-mark-dialog"), QStringLiteral("оценка поставщика по критерию"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         QObject holder;
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, &holder);
                         const QSqlRecord contractor = findContractor(set, argument, error);
                         QDataTable *criteria = set->getTable(QStringLiteral("t_criterion"));
                         criteria->open();
                         auto *spin = new QSpinBox;
                         spin->setRange(0, 10);
                         spin->setValue(9);
                         return new QInputDialogEx(QStringLiteral("Оценка поставщика"),
                                                   QStringLiteral("Оцените поставщика \n %1 \n по критерию \n %2")
                                                           .arg(contractor.value(QStringLiteral("c_name")).toString(),
                                                                criteria->getRecord(0).value(QStringLiteral("c_name")).toString()),
                                                   spin, mainWindow);
                     }});
    entries->append({QStringLiteral("comment-dialog"), QStringLiteral("комментарий"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         QObject holder;
                         QDataSet *set = ContractorDataSet::create(ContractorDataSet::Directory, &holder);
                         const QSqlRecord contractor = findContractor(set, argument, error);
                         const QSqlRecord comment = firstDetail(set, QStringLiteral("t_contractor_comment"),
                                                                QStringLiteral("id_contractor"), contractor.value(QStringLiteral("id")));
                         return new QCommentDialog(comment.value(QStringLiteral("c_comment")).toString(), false, mainWindow);
                     }});
}
