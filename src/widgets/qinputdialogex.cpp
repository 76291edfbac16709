#include "qinputdialogex.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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

// Runs the dialog and gives back what read() finds in its editor, or initial
// when the user cancels. The dialog serves every event while it runs, so its
// parent may be deleted meanwhile, and the dialog and editor with it: that
// counts as a cancel.
template <typename Value, typename Read>
Value ask(QInputDialogEx *created, const Value &initial, Read read, bool *ok)
{
    QPointer<QInputDialogEx> dialog(created);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    const Value value = accepted ? Value(read()) : initial;
    delete dialog.data();
    if (ok)
        *ok = accepted;
    return value;
}

} // namespace

QString QInputDialogEx::getString(QWidget *parent, const QString &title, const QString &label, QString text,
                                  bool *ok)
{
    auto *edit = new QLineEdit(text);
    return ask(new QInputDialogEx(title, label, edit, parent), text, [edit] { return edit->text(); }, ok);
}

long long QInputDialogEx::getInt(QWidget *parent, const QString &title, const QString &label, long long value,
                                 int min, int max, bool *ok)
{
    auto *spin = new QSpinBox;
    spin->setRange(min, max);
    spin->setValue(static_cast<int>(qBound<long long>(min, value, max)));
    spin->selectAll();
    return ask(new QInputDialogEx(title, label, spin, parent), value, [spin] { return spin->value(); }, ok);
}

double QInputDialogEx::getDouble(QWidget *parent, const QString &title, const QString &label, double value,
                                 int decimals, double min, double max, bool *ok)
{
    auto *spin = new QDoubleSpinBox;
    spin->setRange(min, max);
    spin->setDecimals(decimals);
    spin->setValue(value);
    spin->selectAll();
    return ask(new QInputDialogEx(title, label, spin, parent), value, [spin] { return spin->value(); }, ok);
}

QDate QInputDialogEx::getDate(QWidget *parent, const QString &title, const QString &label, QDate value, bool *ok)
{
    auto *edit = new QDateEdit(value);
    edit->setCalendarPopup(true);
    return ask(new QInputDialogEx(title, label, edit, parent), value, [edit] { return edit->date(); }, ok);
}

QTime QInputDialogEx::getTime(QWidget *parent, const QString &title, const QString &label, QTime value, bool *ok)
{
    auto *edit = new QTimeEdit(value);
    edit->setCalendarPopup(false);
    return ask(new QInputDialogEx(title, label, edit, parent), value, [edit] { return edit->time(); }, ok);
}

QDateTime QInputDialogEx::getDateTime(QWidget *parent, const QString &title, const QString &label,
                                      QDateTime value, bool *ok)
{
    auto *edit = new QDateTimeEdit(value);
    edit->setCalendarPopup(true);
    return ask(new QInputDialogEx(title, label, edit, parent), value, [edit] { return edit->dateTime(); }, ok);
}

bool QInputDialogEx::getBool(QWidget *parent, const QString &title, const QString &text, bool value, bool *ok)
{
    auto *check = new QCheckBox(text);
    check->setChecked(value);
    return ask(new QInputDialogEx(title, check, parent), value, [check] { return check->isChecked(); }, ok);
}

QVariant QInputDialogEx::getBoolNull(QWidget *parent, const QString &title, const QString &text, bool value,
                                     bool *ok)
{
    auto *check = new QCheckBox(text);
    check->setTristate(true);
    check->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    return ask(new QInputDialogEx(title, check, parent), QVariant(value),
               [check] { return QVariant(check->checkState() != Qt::Unchecked); }, ok);
}
