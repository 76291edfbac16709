#include "qdeals.h"

#include "dealsentrypoints.h"
#include "documentlistdialog.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdealeditor.h"
#include "qdealsview.h"
#include "separator.h"

#include <QMessageBox>
#include <QPushButton>
#include <QVariant>

namespace {

QList<QAction *> &actionList()
{
    static QList<QAction *> actions;
    return actions;
}

const char blockAutoRefresh[] = "blockAutoRefresh";

} // namespace

QDeals::QDeals(QWidget *parent)
    : QUserInterface(parent)
{
    setCaption(tr("Сделки"));
    initDocument();
    initView();
    initEditor();
    onConnectPopupEditor();
    onConnectSelectionChanged();

    // Fixed from here on: the shell reads the list once.
    if (actionList().isEmpty()) {
        actionList().append(actionFind);
        actionList().append(separator(this));
        if (m_view)
            actionList().append(*QDealsView::toolBarActions());
    }

    Status->hide();
    btFindPrev->hide();
    btFindNext->hide();
}

QDeals::~QDeals()
{
    // The actions die with this controller; the list must not outlive them.
    actionList().clear();
}

QList<QAction *> *QDeals::toolBarActions()
{
    return &actionList();
}

bool QDeals::initDocument()
{
    m_document = getDocument(this);
    return true;
}

bool QDeals::initView()
{
    m_view = qobject_cast<QDealsView *>(getView(m_document, this));
    viewLayout->addWidget(m_view);
    connect(this, &QUserInterface::findFirst, m_view, &QDealsView::search);
    return true;
}

bool QDeals::initEditor()
{
    m_dataEditor = new QDataEditor(this);
    m_editor = qobject_cast<QDealEditor *>(getEditor(m_document, this));
    m_dataEditor->initEditor(m_editor);

    connect(m_dataEditor->bButtons, &QDialogButtonBox::accepted, m_editor, &QDealEditor::getData);
    editLayout->addWidget(m_dataEditor);
    connect(m_editor, &QDealEditor::dataChanged, m_dataEditor, &QDataEditor::OnChange);
    connect(m_dataEditor, &QDataEditor::cancel, this, &QDeals::canceled);
    connect(m_dataEditor, &QDataEditor::popup, this, &QDeals::toggleEditorPopup);
    connect(m_editor, &QDealEditor::commitData, this, &QDeals::refresh);

    m_documentsButton = new QPushButton(QIcon(QStringLiteral(":/Icons/DOCUMENTS")), tr("Документы…"), m_dataEditor);
    m_documentsButton->setObjectName(QStringLiteral("btDocuments"));
    m_documentsButton->setToolTip(tr("Документы по сделке: коммерческое предложение, товарная накладная"));
    m_dataEditor->horizontalLayout->insertWidget(0, m_documentsButton);
    connect(m_documentsButton, &QAbstractButton::clicked, this, &QDeals::showDocuments);
    return true;
}

bool QDeals::onConnectPopupEditor()
{
    if (!m_view)
        return false;
    m_autoEditConnection = connect(m_view, &QDealsView::autoEdit, this, &QDeals::showEditor);
    m_doubleClickConnection = connect(m_view->tvDeals, &QTableView::doubleClicked, this, &QDeals::showEditor);
    return bool(m_doubleClickConnection);
}

bool QDeals::onDisconnectPopupEditor()
{
    disconnect(m_autoEditConnection);
    return disconnect(m_doubleClickConnection);
}

bool QDeals::onConnectSelectionChanged()
{
    if (!m_view)
        return false;
    connect(m_view->tvDeals->selectionModel(), &QItemSelectionModel::currentChanged, this, &QDeals::tableScroll);
    return true;
}

void QDeals::showEditor()
{
    editFrame->show();
}

void QDeals::closeEditor()
{
    editFrame->hide();
}

void QDeals::onUpdateUI()
{
}

void QDeals::tableScroll()
{
    if (!m_view || !m_editor)
        return;
    const QSqlRecord record = m_view->currentRow();
    if (record.isEmpty()) {
        editFrame->hide();
        return;
    }
    QPushButton *apply = m_dataEditor->okButton();
    if (!editFrame->isHidden() && apply && apply->isEnabled()) {
        const auto answer = QMessageBox::question(
            this, tr("Внимание"),
            tr("Открытие новой сделки может привести к потере несохраненных данных. Продолжить?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        apply->setEnabled(false);
    }
    m_dataEditor->lbCaption->setText(record.value(QStringLiteral("c_doc")).toString());
    m_editor->setData(record);
}

bool QDeals::canClose()
{
    // "Применить" stays on exactly while the editor holds what is not saved yet,
    // docked or floating.
    QPushButton *apply = m_dataEditor ? m_dataEditor->okButton() : nullptr;
    if (!apply || !apply->isEnabled())
        return true;
    const auto answer = QMessageBox::question(
            this, tr("Внимание"), tr("Изменения сделки не сохранены и будут потеряны. Выйти без сохранения?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void QDeals::canceled()
{
    editFrame->hide();
    if (m_document)
        m_document->rollback();
    tableScroll();
}

void QDeals::refresh()
{
    if (!m_view || !m_editor)
        return;
    // The cursor stays on its deal even when the reload puts it elsewhere (a
    // saved new deal moves to the top); on its row when the deal is gone.
    const QModelIndex current = m_view->tvDeals->currentIndex();
    const QVariant currentId = m_view->currentRow().value(QStringLiteral("id"));
    m_view->refresh();
    m_editor->refresh();
    const int row = currentId.isNull() ? -1 : m_view->table()->locate(QStringLiteral("id"), currentId);
    m_view->tvDeals->setCurrentIndex(row < 0 ? current : m_view->tvDeals->model()->index(row, current.column()));
    tableScroll();

    // The saved layout is restored on the first refresh only: later ones
    // keep what the user has arranged since.
    if (!property(blockAutoRefresh).toBool())
        m_view->restoreUserData();
    setProperty(blockAutoRefresh, true);
}

void QDeals::saveUserData()
{
    if (m_view)
        m_view->saveUserData();
}

QString QDeals::helpContext()
{
    QString context = QStringLiteral("deals");
    if (m_view && m_view->tvDeals->hasFocus())
        return context + QStringLiteral("#tvDeals");
    if (editFrame->isHidden() || !m_editor)
        return context;

    context += QStringLiteral("#dealsEditor");
    switch (m_editor->tabWidget->currentIndex()) {
    case 0:
        context += QStringLiteral("#tabDeal");
        break;
    case 1:
        context += QStringLiteral("#tabDetail");
        if (m_editor->tvDetails->hasFocus())
            context += QStringLiteral("#tvDetails");
        else if (m_editor->tvOkr->hasFocus())
            context += QStringLiteral("#tvOkr");
        break;
    case 2:
        context += QStringLiteral("#tabFile");
        break;
    case 3:
        context += QStringLiteral("#tabDoc");
        break;
    default:
        break;
    }
    return context;
}

QString QDeals::documentKind()
{
    return QStringLiteral("DEAL");
}

void QDeals::showDocuments()
{
    if (!m_view)
        return;
    const QSqlRecord deal = m_view->currentRow();
    if (deal.isEmpty())
        return;
    const long long id = deal.value(QStringLiteral("id")).toLongLong();
    if (id < 1) {
        QMessageBox::information(this, tr("Внимание"),
                                 tr("Документы составляются по сохранённой сделке. Сначала сохраните её."));
        return;
    }
    // Documents read the deal from the database: edits not yet applied would be missing from them.
    QPushButton *apply = m_dataEditor ? m_dataEditor->okButton() : nullptr;
    if (apply && apply->isEnabled()) {
        const auto answer = QMessageBox::question(
                this, tr("Внимание"),
                tr("Документ будет составлен по сохранённым данным сделки: несохранённые изменения в него "
                   "не попадут. Продолжить?"),
                QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    auto *dialog = new DocumentListDialog(documentKind(), id, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QStringList description{tr("Сделка %1").arg(deal.value(QStringLiteral("c_doc")).toString())};
    const QString recipient = deal.value(QStringLiteral("c_contractor")).toString();
    if (!recipient.isEmpty())
        description.append(recipient);
    dialog->setSourceDescription(description.join(QStringLiteral(", ")));
    dialog->show();
}

void QDeals::setCurrentRowByID(long long id)
{
    if (m_view && m_view->setCurrentRowByID(id) < 0)
        return;
    editFrame->show();
}
