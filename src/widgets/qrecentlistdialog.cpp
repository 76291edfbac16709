#include "qrecentlistdialog.h"
#include "ui_qrecentlistdialog.h"

#include "qdatatable.h"

#include <QAbstractItemModel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>

// The dialog needs only the table's model.
QRecentListDialog::QRecentListDialog(QDataTable *table, const QString &title, int column, QWidget *parent)
    : QRecentListDialog(table ? table->getModel() : nullptr, title, column, parent)
{
}

namespace {
// Long enough not to search after every key of a word being typed.
constexpr int searchDelayMs = 400;
}

QRecentListDialog::QRecentListDialog(QAbstractItemModel *model, const QString &title, int column,
                                     QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::QRecentListDialog)
    , m_model(model)
    , m_column(column)
    , m_searchTimer(new QTimer(this))
{
    ui->setupUi(this);
    setWindowTitle(title);

    m_searchTimer->setObjectName(QStringLiteral("searchTimer"));
    m_searchTimer->setSingleShot(true);
    m_searchTimer->setInterval(searchDelayMs);
    connect(m_searchTimer, &QTimer::timeout, this, &QRecentListDialog::onTimeout);
    connect(ui->edFind, &QLineEdit::textChanged, this, &QRecentListDialog::onFindChanged);
    connect(ui->lvFavor, &QAbstractItemView::doubleClicked, this, &QRecentListDialog::onDblClick);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    if (m_model) {
        ui->lvFavor->setModel(m_model);
        ui->lvFavor->setModelColumn(m_column);
        connect(ui->lvFavor->selectionModel(), &QItemSelectionModel::currentChanged,
                this, &QRecentListDialog::selectionChanged);
    }
    selectionChanged();
}

QRecentListDialog::~QRecentListDialog()
{
    delete ui;
}

void QRecentListDialog::selectionChanged()
{
    const QModelIndex current = ui->lvFavor->currentIndex();
    chosenValue = current.isValid() && m_model
            ? m_model->index(current.row(), m_column).data().toString()
            : QString();
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!chosenValue.isEmpty());
}

void QRecentListDialog::onFindChanged()
{
    if (ui->edFind->text().isEmpty()) {
        m_searchTimer->stop();
        return;
    }
    m_searchTimer->start();
}

void QRecentListDialog::onDblClick()
{
    if (ui->lvFavor->currentIndex().isValid())
        accept();
}

void QRecentListDialog::onTimeout()
{
    m_searchTimer->stop();
    const QString wanted = ui->edFind->text();
    if (!m_model || wanted.isEmpty() || m_model->rowCount() == 0)
        return;
    const QModelIndexList found = m_model->match(m_model->index(0, m_column), Qt::DisplayRole, wanted, 1,
                                                 Qt::MatchContains);
    if (found.isEmpty())
        return;
    ui->lvFavor->setCurrentIndex(found.first());
}
