#include "tabratingeditor.h"

#include "criteriondialog.h"
#include "datatabletypes.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qinputdialogex.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"

#include <QItemSelectionModel>

namespace {

const QString criterionField = QStringLiteral("id_criterion");
const QString markField = QStringLiteral("n_rating");

} // namespace

TabRatingEditor::TabRatingEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_marks(table(QStringLiteral("t_contractor_rating")))
{
    editor->buttonEditRating->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    SupplierSupport::openLookups(dataSet(), {QStringLiteral("t_criterion")});
    if (m_marks) {
        m_marks->setView(editor->tvRating);
        SupplierSupport::reload(m_marks, QStringLiteral("id_contractor"), -1);
        connect(m_marks, &QDataTable::getDispInfo, this,
                [this](int column, QVariant *value, cellData *cell, QSqlRecord *, int) {
                    onGetDispInfo(column, value, cell);
                });
        connect(editor->tvRating->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &TabRatingEditor::updateButtons);
    }
    connect(editor->buttonEditRating, &QAbstractButton::clicked, this, &TabRatingEditor::editRating);
    connect(editor->buttonCriterion, &QAbstractButton::clicked, this, &TabRatingEditor::openCriterion);
    connect(editor->tvRating, &QAbstractItemView::doubleClicked, this, &TabRatingEditor::editRating);
    updateButtons();
}

void TabRatingEditor::refresh()
{
    if (!m_marks)
        return;
    // Marks of a contractor that is not saved yet live only here.
    QList<QSqlRecord> waiting;
    for (int row = 0; row < m_marks->rowCount(); ++row) {
        const QSqlRecord mark = m_marks->getRecord(row);
        if (m_marks->getRowState(row) == rsNew && mark.value(QStringLiteral("id_contractor")).toLongLong() == contractorId())
            waiting.append(mark);
    }
    SupplierSupport::reload(m_marks, QStringLiteral("id_contractor"), contractorId());
    for (const QSqlRecord &mark : qAsConst(waiting)) {
        // A mark whose criterion was deleted meanwhile goes with it.
        const int row = m_marks->locate(criterionField, mark.value(criterionField));
        if (row < 0)
            continue;
        m_marks->setRow(row, mark);
        m_marks->setRowState(row, rsNew);
    }
    updateButtons();
}

void TabRatingEditor::updateButtons()
{
    editor()->buttonEditRating->setEnabled(!readOnly() && m_marks && editor()->tvRating->currentIndex().isValid());
    editor()->buttonCriterion->setEnabled(!readOnly() && table(QStringLiteral("t_criterion")) != nullptr);
}

void TabRatingEditor::onGetDispInfo(int column, QVariant *value, cellData *cell)
{
    if (column != 0 || !value || value->isNull() || !cell)
        return;
    cell->text = getValueById(dataSet(), QStringLiteral("t_criterion"), value->toLongLong(), QStringLiteral("c_name"))
                         .toString();
}

void TabRatingEditor::editRating()
{
    if (readOnly())
        return;
    const int row = editor()->tvRating->currentIndex().row();
    QSqlRecord record = m_marks ? m_marks->getRecord(row) : QSqlRecord();
    if (record.isEmpty())
        return;
    const bool marked = !record.isNull(markField);
    const int old = record.value(markField).toInt();
    const QString contractor = editor()->leName->text();
    const QString criterion = getValueById(dataSet(), QStringLiteral("t_criterion"),
                                           record.value(criterionField).toLongLong(), QStringLiteral("c_name"))
                                      .toString();
    bool ok = false;
    const int mark = static_cast<int>(QInputDialogEx::getInt(
            editor(), QStringLiteral("Оценка поставщика"),
            QStringLiteral("Оцените поставщика \n %1 \n по критерию \n %2").arg(contractor, criterion), old, 0, 10,
            &ok));
    // Without a mark yet, even 0 is a mark given.
    if (!ok || (marked && mark == old))
        return;
    record.setValue(markField, mark);
    record.setValue(QStringLiteral("id_contractor"), contractorId());

    if (contractorId() < 0) {
        const bool placeholder = m_marks->getRowState(row) == rsUnchanged;
        m_marks->setRow(row, record);
        if (placeholder)
            m_marks->setRowState(row, rsNew);
        emit dataChanged();
        return;
    }
    if (record.isNull(QStringLiteral("id"))) {
        m_marks->newRow(true);
        m_marks->setRow(m_marks->lastRow(), record);
    } else {
        m_marks->setRow(row, record);
    }
    if (SupplierSupport::commitNow(m_marks, editor()))
        refresh();
    SupplierSupport::makeCurrent(m_marks, row);
}

void TabRatingEditor::openCriterion()
{
    CriterionDialog dialog(table(QStringLiteral("t_criterion")), editor());
    dialog.exec();
    refresh();
}
