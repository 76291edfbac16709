#include "criterioneditdialog.h"

#include "suppliersupport.h"
#include "widgetutils.h"

#include <QShowEvent>

CriterionEditDialog::CriterionEditDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    connect(buttonReject, &QPushButton::clicked, this, [this] { QDialog::reject(); });
}

void CriterionEditDialog::showEvent(QShowEvent *event)
{
    // The caller fills the fields after construction: what is shown first is
    // what "unchanged" means.
    if (!event->spontaneous())
        m_initialState = shownState();
    QDialog::showEvent(event);
}

QString CriterionEditDialog::shownState() const
{
    return leName->text() + QLatin1Char('\n') + QString::number(sbWeight->value()) + QLatin1Char('\n')
            + teDescription->toPlainText();
}

void CriterionEditDialog::reject()
{
    if (shownState() != m_initialState) {
        if (!confirmDiscard(this, QStringLiteral("Внимание!"),
                            QStringLiteral("Изменения критерия не сохранены. Отменить их?")))
            return;
    }
    QDialog::reject();
}

void CriterionEditDialog::accept()
{
    if (leName->text().trimmed().isEmpty()) {
        SupplierSupport::warn(this, QStringLiteral("Не задано название критерия"));
        return;
    }
    QDialog::accept();
}
