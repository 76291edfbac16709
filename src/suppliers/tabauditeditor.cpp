#include "tabauditeditor.h"

#include "appcontext.h"
#include "contractorauditdialog.h"
#include "datatabletypes.h"
#include "filewidget.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"

#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QSignalBlocker>

namespace {

enum Column { AuthorColumn = 0, DateColumn = 1, CompleteColumn = 2 };

QString dateText(const QVariant &value)
{
    return QLocale().toString(value.toDate(), QLocale::ShortFormat);
}

} // namespace

TabAuditEditor::TabAuditEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_audits(table(QStringLiteral("t_contractor_audit")))
    , m_files(nullptr)
{
    editor->buttonAddAudit->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    editor->buttonEditAudit->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    editor->buttonDeleteAudit->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    editor->tvAudit->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    editor->tvAudit->setWordWrap(true);
    SupplierSupport::openLookups(dataSet(), {QStringLiteral("t_user")});
    if (m_audits) {
        m_audits->setView(editor->tvAudit);
        connect(m_audits, &QDataTable::getDispInfo, this, &TabAuditEditor::onGetDispInfo);
        SupplierSupport::reload(m_audits, QStringLiteral("id_contractor"), -1);
        connect(editor->tvAudit->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TabAuditEditor::selectAudit);
    }
    connect(editor->buttonAddAudit, &QAbstractButton::clicked, this, &TabAuditEditor::addAudit);
    connect(editor->buttonEditAudit, &QAbstractButton::clicked, this, &TabAuditEditor::editAudit);
    connect(editor->buttonDeleteAudit, &QAbstractButton::clicked, this, &TabAuditEditor::deleteAudit);
    connect(editor->tvAudit, &QAbstractItemView::doubleClicked, this, &TabAuditEditor::editAudit);

    m_files = new FileWidget(dataSet(), QStringLiteral("t_contractor_audit"), editor->splitterAudit);
    m_files->setTable(QStringLiteral("t_file_owner_contractor_audit"));
    editor->splitterAudit->addWidget(m_files);
    editor->splitterAudit->setStretchFactor(0, 3);
    editor->splitterAudit->setStretchFactor(1, 2);
    editor->splitterAudit->setSizes({640, 360});
    connect(m_files, &FileWidget::dataChanged, this, &TabAuditEditor::dataChanged);
    updateButtons();
}

void TabAuditEditor::setReadOnly(bool readOnly)
{
    m_files->setReadOnly(readOnly);
    updateButtons();
}

void TabAuditEditor::refresh()
{
    SupplierSupport::reload(m_audits, QStringLiteral("id_contractor"), contractorId());
    // Dates and states are short: the width they leave goes to the comment.
    editor()->tvAudit->resizeColumnToContents(1);
    editor()->tvAudit->resizeColumnToContents(2);
    // Another contractor: whatever the panel held belongs to the one before.
    if (m_audits && m_audits->rowCount() > 0)
        SupplierSupport::makeCurrent(m_audits, 0);
    showFilesOf(auditId(currentAuditRow()), true);
    updateButtons();
}

qint64 TabAuditEditor::auditId(int row) const
{
    if (!m_audits || row < 0)
        return 0;
    const QVariant id = m_audits->getRecord(row).value(QStringLiteral("id"));
    return id.isNull() ? 0 : id.toLongLong();
}

bool TabAuditEditor::showFilesOf(qint64 audit, bool dropPending)
{
    if (!m_files)
        return true;
    if (!dropPending && audit != m_shownAudit && m_files->hasPendingChanges())
        return false;
    m_shownAudit = audit;
    m_files->setData(audit);
    return true;
}

int TabAuditEditor::currentAuditRow() const
{
    const int row = editor()->tvAudit->currentIndex().row();
    if (!m_audits || row < 0 || m_audits->getRowState(row) == rsDeleted)
        return -1;
    return row;
}

void TabAuditEditor::selectAudit()
{
    const qint64 audit = auditId(editor()->tvAudit->currentIndex().row());
    if (!showFilesOf(audit, false)) {
        // Back to the audit whose files wait for the save.
        const int waiting = m_audits->locate(QStringLiteral("id"), m_shownAudit);
        if (waiting >= 0) {
            const QSignalBlocker block(editor()->tvAudit->selectionModel());
            SupplierSupport::makeCurrent(m_audits, waiting);
        }
        SupplierSupport::warn(editor(), QStringLiteral("Файлы этого аудита ещё не сохранены.\n"
                                                       "Сохраните контрагента, чтобы перейти к другому аудиту."));
    }
    updateButtons();
}

void TabAuditEditor::updateButtons()
{
    const bool current = !readOnly() && currentAuditRow() >= 0;
    editor()->buttonEditAudit->setEnabled(current);
    editor()->buttonDeleteAudit->setEnabled(current);
    bool planned = false;
    for (int row = 0; m_audits && row < m_audits->rowCount() && !planned; ++row) {
        const QSqlRecord audit = m_audits->getRecord(row, true);
        planned = !audit.isEmpty() && audit.value(QStringLiteral("id_state")).toInt() == plannedState;
    }
    editor()->buttonAddAudit->setEnabled(!readOnly() && m_audits && !planned);
    editor()->buttonAddAudit->setToolTip(planned ? QStringLiteral("Запланированный аудит ещё не проведён")
                                                 : QStringLiteral("Добавить аудит"));
}

void TabAuditEditor::onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state)
{
    Q_UNUSED(record)
    SupplierSupport::markDeleted(cell, editor()->tvAudit, state);
    if (!cell || !value)
        return;
    switch (column) {
    case AuthorColumn:
        // A new audit is the logged-in user's until the database says so.
        cell->text = value->isNull() ? AppContext::loggedInName()
                                     : getValueById(dataSet(), QStringLiteral("t_user"), value->toLongLong(),
                                                    QStringLiteral("c_name"))
                                               .toString();
        break;
    case DateColumn:
        cell->text = dateText(*value);
        break;
    case CompleteColumn:
        cell->text = value->toBool() ? QStringLiteral("Проведён") : QStringLiteral("Запланирован");
        break;
    default:
        break;
    }
}

void TabAuditEditor::runAuditDialog(int row)
{
    if (!m_audits)
        return;
    ContractorAuditDialog dialog(editor());
    dialog.setContractor(editor()->leName->text());
    QSqlRecord record;
    if (row >= 0) {
        record = m_audits->getRecord(row);
        dialog.setRecord(record);
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (row < 0) {
        record = m_audits->newRow(true);
        record.setValue(QStringLiteral("id_contractor"), contractorId());
        row = m_audits->lastRow();
    }
    dialog.getRecord(record);
    record.setValue(QStringLiteral("id_state"), record.value(QStringLiteral("b_complete")).toBool() ? 2 : plannedState);
    m_audits->setRow(row, record);
    SupplierSupport::makeCurrent(m_audits, row);
    emit dataChanged();
    updateButtons();
}

void TabAuditEditor::addAudit()
{
    runAuditDialog(-1);
}

void TabAuditEditor::editAudit()
{
    const int row = currentAuditRow();
    if (row >= 0 && !readOnly())
        runAuditDialog(row);
}

void TabAuditEditor::deleteAudit()
{
    const int row = currentAuditRow();
    if (row < 0)
        return;
    const QSqlRecord record = m_audits->getRecord(row);
    if (!SupplierSupport::confirmDeletion(editor(), QStringLiteral("Вы действительно хотите удалить аудит от"),
                                          dateText(record.value(QStringLiteral("d_date"))), true))
        return;
    // Files waiting for this audit would be stored for nothing: drop them;
    // the database unlinks its stored files with it.
    const qint64 audit = auditId(row);
    if (audit == m_shownAudit && m_files && m_files->hasPendingChanges()) {
        if (QDataTable *files = m_files->getTable())
            files->rollback();
    }
    SupplierSupport::removeRow(m_audits, row);
    selectAudit();
    emit dataChanged();
    updateButtons();
}

void TabAuditEditor::saveFiles()
{
    if (m_files)
        m_files->saveFiles();
}

void TabAuditEditor::deleteFiles()
{
    if (m_files)
        m_files->deleteFiles();
}
