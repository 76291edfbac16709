#include "qinputdialogex.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

QInputDialogEx::QInputDialogEx(const QString &title, QWidget *editor, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_editor(editor)
{
    build(title, QString(), false);
}

QInputDialogEx::QInputDialogEx(const QString &title, const QString &label, QWidget *editor, QWidget *parent,
                               Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_editor(editor)
{
    build(title, label, true);
}

void QInputDialogEx::build(const QString &title, const QString &label, bool withLabel)
{
    setWindowTitle(title);
    setMinimumWidth(350);
    setSizeGripEnabled(true);
    // Where no such family is installed, fontconfig substitutes a real font.
    setFont(QFont(QStringLiteral("MS Shell Dlg 2"), 11));

    auto *layout = new QVBoxLayout(this);
    if (withLabel) {
        auto *caption = new QLabel(label, this);
        caption->setObjectName(QStringLiteral("qt_inputdlg_label"));
        caption->setWordWrap(true);
        layout->addWidget(caption);
    }
    layout->addStretch();
    if (m_editor) {
        m_editor->setParent(this);
        layout->addWidget(m_editor);
    }
    layout->addStretch();

    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("qt_inputdlg_buttonbox"));
    buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton *okButton = buttons->addButton(QDialogButtonBox::Ok);
    okButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int QInputDialogEx::exec()
{
    if (m_editor)
        m_editor->setFocus();
    return QDialog::exec();
}

namespace {

// Runs the dialog and reports the outcome through the caller's optional flag.
bool runAccepted(QInputDialogEx &dialog, bool *ok)
{
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ok)
        *ok = accepted;
    return accepted;
}

} // namespace

QString QInputDialogEx::getString(QWidget *parent, const QString &title, const QString &label, QString text,
                                  bool *ok)
{
    auto *edit = new QLineEdit(text);
    QInputDialogEx dialog(title, label, edit, parent);
    return runAccepted(dialog, ok) ? edit->text() : text;
}

long long QInputDialogEx::getInt(QWidget *parent, const QString &title, const QString &label, long long value,
                                 int min, int max, bool *ok)
{
    auto *spin = new QSpinBox;
    spin->setRange(min, max);
    spin->setValue(static_cast<int>(qBound<long long>(min, value, max)));
    spin->selectAll();
    QInputDialogEx dialog(title, label, spin, parent);
    return runAccepted(dialog, ok) ? spin->value() : value;
}

double QInputDialogEx::getDouble(QWidget *parent, const QString &title, const QString &label, double value,
                                 int decimals, double min, double max, bool *ok)
{
    auto *spin = new QDoubleSpinBox;
    spin->setRange(min, max);
    spin->setDecimals(decimals);
    spin->setValue(value);
    spin->selectAll();
    QInputDialogEx dialog(title, label, spin, parent);
    return runAccepted(dialog, ok) ? spin->value() : value;
}

QDate QInputDialogEx::getDate(QWidget *parent, const QString &title, const QString &label, QDate value, bool *ok)
{
    auto *edit = new QDateEdit(value);
    edit->setCalendarPopup(true);
    QInputDialogEx dialog(title, label, edit, parent);
    return runAccepted(dialog, ok) ? edit->date() : value;
}

QTime QInputDialogEx::getTime(QWidget *parent, const QString &title, const QString &label, QTime value, bool *ok)
{
    auto *edit = new QTimeEdit(value);
    edit->setCalendarPopup(false);
    QInputDialogEx dialog(title, label, edit, parent);
    return runAccepted(dialog, ok) ? edit->time() : value;
}

QDateTime QInputDialogEx::getDateTime(QWidget *parent, const QString &title, const QString &label,
                                      QDateTime value, bool *ok)
{
    auto *edit = new QDateTimeEdit(value);
    edit->setCalendarPopup(true);
    QInputDialogEx dialog(title, label, edit, parent);
    return runAccepted(dialog, ok) ? edit->dateTime() : value;
}

bool QInputDialogEx::getBool(QWidget *parent, const QString &title, const QString &text, bool value, bool *ok)
{
    auto *check = new QCheckBox(text);
    check->setChecked(value);
    QInputDialogEx dialog(title, check, parent);
    return runAccepted(dialog, ok) ? check->isChecked() : value;
}

QVariant QInputDialogEx::getBoolNull(QWidget *parent, const QString &title, const QString &text, bool value,
                                     bool *ok)
{
    auto *check = new QCheckBox(text);
    check->setTristate(true);
    check->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    QInputDialogEx dialog(title, check, parent);
    if (!runAccepted(dialog, ok))
        return QVariant(value);
    return QVariant(check->checkState() != Qt::Unchecked);
}
