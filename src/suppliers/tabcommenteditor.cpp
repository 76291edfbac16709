#include "tabcommenteditor.h"

#include "appcontext.h"
#include "datatabletypes.h"
#include "qcommentdialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"

#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>

namespace {

enum Column { AuthorColumn = 0, CreatedColumn = 1 };

} // namespace

TabCommentEditor::TabCommentEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_comments(table(QStringLiteral("t_contractor_comment")))
{
    editor->buttonAddComment->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    editor->buttonEditComment->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    editor->buttonDeleteComment->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    editor->tvComment->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    editor->tvComment->setWordWrap(true);
    SupplierSupport::openLookups(dataSet(), {QStringLiteral("t_user")});
    if (m_comments) {
        m_comments->setView(editor->tvComment);
        connect(m_comments, &QDataTable::getDispInfo, this, &TabCommentEditor::onGetDispInfo);
        SupplierSupport::reload(m_comments, QStringLiteral("id_contractor"), -1);
        connect(editor->tvComment->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &TabCommentEditor::updateButtons);
    }
    connect(editor->buttonAddComment, &QAbstractButton::clicked, this, &TabCommentEditor::addComment);
    connect(editor->buttonEditComment, &QAbstractButton::clicked, this, &TabCommentEditor::editComment);
    connect(editor->buttonDeleteComment, &QAbstractButton::clicked, this, &TabCommentEditor::deleteComment);
    connect(editor->tvComment, &QAbstractItemView::doubleClicked, this, &TabCommentEditor::editComment);
    updateButtons();
}

void TabCommentEditor::refresh()
{
    SupplierSupport::reload(m_comments, QStringLiteral("id_contractor"), contractorId());
    updateButtons();
}

int TabCommentEditor::currentCommentRow() const
{
    const int row = editor()->tvComment->currentIndex().row();
    if (!m_comments || row < 0 || m_comments->getRowState(row) == rsDeleted)
        return -1;
    return row;
}

void TabCommentEditor::updateButtons()
{
    const bool current = !readOnly() && currentCommentRow() >= 0;
    editor()->buttonAddComment->setEnabled(!readOnly() && m_comments);
    editor()->buttonEditComment->setEnabled(current);
    editor()->buttonDeleteComment->setEnabled(current);
}

void TabCommentEditor::onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state)
{
    Q_UNUSED(record)
    SupplierSupport::markDeleted(cell, editor()->tvComment, state);
    if (!cell || !value)
        return;
    if (column == AuthorColumn) {
        // A new comment is the logged-in user's until the database signs it.
        cell->text = value->isNull() ? AppContext::loggedInName()
                                     : getValueById(dataSet(), QStringLiteral("t_user"), value->toLongLong(),
                                                    QStringLiteral("c_name"))
                                               .toString();
    } else if (column == CreatedColumn && !value->isNull()) {
        cell->text = QLocale().toString(value->toDateTime(), QLocale::ShortFormat);
    }
}

void TabCommentEditor::addComment()
{
    if (!m_comments)
        return;
    QCommentDialog dialog(QString(), false, editor());
    if (dialog.exec() != QDialog::Accepted)
        return;
    QSqlRecord record = m_comments->newRow(true);
    record.setValue(QStringLiteral("id_contractor"), contractorId());
    record.setValue(QStringLiteral("c_comment"), dialog.teComment->toPlainText());
    m_comments->setRow(m_comments->lastRow(), record);
    SupplierSupport::makeCurrent(m_comments, m_comments->lastRow());
    emit dataChanged();
}

void TabCommentEditor::editComment()
{
    const int row = currentCommentRow();
    if (row < 0 || readOnly())
        return;
    QSqlRecord record = m_comments->getRecord(row);
    QCommentDialog dialog(record.value(QStringLiteral("c_comment")).toString(), false, editor());
    if (dialog.exec() != QDialog::Accepted)
        return;
    record.setValue(QStringLiteral("c_comment"), dialog.teComment->toPlainText());
    m_comments->setRow(row, record);
    emit dataChanged();
}

void TabCommentEditor::deleteComment()
{
    const int row = currentCommentRow();
    if (row < 0)
        return;
    const QSqlRecord record = m_comments->getRecord(row);
    if (!SupplierSupport::confirmDeletion(editor(), QStringLiteral("Вы действительно хотите удалить коментарий"),
                                          record.value(QStringLiteral("c_comment")).toString()))
        return;
    SupplierSupport::removeRow(m_comments, row);
    emit dataChanged();
    updateButtons();
}
