#include "newitemdialog.h"
#include "ui_newitemdialog.h"

#include "qdatatable.h"

#include <QPushButton>
#include <QSqlRecord>

NewItemDialog::NewItemDialog(QDataTable *units, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::NewItemDialog)
{
    ui->setupUi(this);
    // The shell loads no translation of the toolkit's own texts.
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    if (units && units->open()) {
        for (int row = 0; row < units->rowCount(); ++row) {
            const QSqlRecord record = units->getRecord(row, true);
            if (!record.isEmpty())
                ui->cbUnit->addItem(record.value(QStringLiteral("c_name")).toString(), record.value(QStringLiteral("id")));
        }
    }
    ui->cbUnit->setCurrentIndex(-1);
    connect(ui->leName, &QLineEdit::textEdited, this, &NewItemDialog::onChanged);
    connect(ui->cbUnit, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &NewItemDialog::onChanged);
    onChanged();
}

NewItemDialog::~NewItemDialog()
{
    delete ui;
}

QString NewItemDialog::name() const
{
    return ui->leName->text().trimmed();
}

void NewItemDialog::setName(const QString &name)
{
    ui->leName->setText(name);
    onChanged();
}

QVariant NewItemDialog::unitId() const
{
    return ui->cbUnit->currentIndex() < 0 ? QVariant() : ui->cbUnit->currentData();
}

QString NewItemDialog::unitName() const
{
    return ui->cbUnit->currentIndex() < 0 ? QString() : ui->cbUnit->currentText();
}

void NewItemDialog::setUnitChoiceVisible(bool visible)
{
    ui->labelUnit->setVisible(visible);
    ui->cbUnit->setVisible(visible);
    adjustSize();
}

void NewItemDialog::onChanged()
{
    // The reason OK is unavailable goes into its tool tip, so the dialog says what it still needs.
    QString missing;
    if (name().isEmpty())
        missing = QStringLiteral("Введите название");
    else if (ui->cbUnit->count() > 0 && ui->cbUnit->currentIndex() < 0)
        missing = QStringLiteral("Выберите единицы измерения");
    QPushButton *ok = ui->buttonBox->button(QDialogButtonBox::Ok);
    ok->setEnabled(missing.isEmpty());
    ok->setToolTip(missing);
}
