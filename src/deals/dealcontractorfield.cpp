#include "dealcontractorfield.h"

#include "contractordialog.h"
#include "contractoreditdialog.h"
#include "dialogbounds.h"
#include "qdatatable.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

void placeDialog(QWidget *dialog)
{
    const QRect geometry = bounds();
    if (geometry.isValid())
        dialog->setGeometry(geometry);
}

} // namespace

DealContractorField::DealContractorField(QComboBox *combo, QToolButton *info, bool optional, QObject *parent)
    : QObject(parent)
    , m_combo(combo)
    , m_info(info)
    , m_optional(optional)
{
    m_info->setEnabled(false);
}

void DealContractorField::setChoice(long long id, const QString &name)
{
    m_id = id >= 1 ? id : -1;
    m_name = name;
    showChoice();
}

void DealContractorField::showChoice()
{
    const QSignalBlocker blocker(m_combo);
    if (m_id < 1)
        m_combo->setCurrentIndex(m_optional && m_combo->count() > 0 ? 0 : -1);
    else
        m_combo->setCurrentIndex(m_combo->findData(m_id));
    // The name the deal keeps, also for a contractor the list does not hold.
    m_combo->setEditText(m_name);
    // A long name shows from its beginning.
    if (m_combo->lineEdit())
        m_combo->lineEdit()->setCursorPosition(0);
    m_info->setEnabled(m_id > 0);
}

void DealContractorField::setContractors(const QVector<Entry> &contractors)
{
    QStringList names;
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->clear();
        if (m_optional)
            m_combo->addItem(QString(), QVariant());
        for (const Entry &entry : contractors) {
            m_combo->addItem(entry.first, entry.second);
            names << entry.first;
        }
    }
    auto *completer = new QCompleter(names, m_combo);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    m_combo->setCompleter(completer);
    showChoice();
}

void DealContractorField::takeIndex(int index)
{
    const QVariant id = index < 0 ? QVariant() : m_combo->itemData(index);
    m_id = id.isNull() ? -1 : id.toLongLong();
    m_name = index < 0 ? QString() : m_combo->itemText(index);
    m_info->setEnabled(m_id >= 1);
}

void DealContractorField::select(int index)
{
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->setCurrentIndex(index);
    }
    takeIndex(index);
}

void DealContractorField::settleText()
{
    const QString text = m_combo->currentText().trimmed();
    int index = -1;
    if (text.isEmpty() && m_optional)
        index = 0;
    else if (!text.isEmpty())
        index = m_combo->findText(text, Qt::MatchFixedString);
    const QVariant id = index < 0 ? QVariant() : m_combo->itemData(index);
    const long long chosen = id.isNull() ? -1 : id.toLongLong();
    if (index < 0 || chosen == m_id) {
        showChoice();
        return;
    }
    select(index);
    emit chosenByText();
}

bool DealContractorField::pick(QWidget *dialogParent)
{
    ContractorDialog picker(dialogParent);
    placeDialog(&picker);
    picker.setType(QStringLiteral("Покупатель"));
    if (picker.exec() != QDialog::Accepted)
        return false;
    const QSqlRecord chosen = picker.getData();
    const QVariant id = chosen.value(QStringLiteral("id"));
    if (id.isNull())
        return false;
    const QString name = chosen.value(QStringLiteral("c_name")).toString();

    int index = m_combo->findData(id);
    if (index < 0) {
        emit listOutdated();
        index = m_combo->findData(id);
    }
    if (index < 0) {
        const QSignalBlocker blocker(m_combo);
        m_combo->addItem(name, id);
        index = m_combo->count() - 1;
    }
    select(index);
    return true;
}

void DealContractorField::showCard(QDataTable *contractors, QWidget *dialogParent) const
{
    if (!contractors || m_id < 1)
        return;
    contractors->close();
    contractors->setSelectParam(QStringLiteral("id_type"), QVariant());
    contractors->open(false, false);
    const int row = contractors->locate(QStringLiteral("id"), m_id);
    if (row < 0)
        return;

    ContractorEditDialog card(nullptr, dialogParent);
    placeDialog(&card);
    card.setWindowTitle(m_combo->currentText());
    card.setData(contractors->getRecord(row));
    // For reading: the card saves nothing, the directory is the place to edit it.
    card.buttonAccept->hide();
    card.buttonReject->setText(QStringLiteral("Закрыть"));
    card.exec();
}
