#ifndef QINPUTDIALOGEX_H
#define QINPUTDIALOGEX_H

#include "dealsglobal.h"

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QTime>
#include <QVariant>

// One-value input dialogs: any editor widget in the same frame with a
// caption line and OK / Cancel. The getters return the entered value, or the
// initial one when the user cancels, and report through ok which it was.
class DEALS_EXPORT QInputDialogEx : public QDialog
{
    Q_OBJECT

public:
    // The dialog takes the editor over as its child.
    QInputDialogEx(const QString &title, QWidget *editor, QWidget *parent = nullptr,
                   Qt::WindowFlags flags = Qt::WindowFlags());
    QInputDialogEx(const QString &title, const QString &label, QWidget *editor, QWidget *parent = nullptr,
                   Qt::WindowFlags flags = Qt::WindowFlags());

    QWidget *editor() const { return m_editor; }

    static QString getString(QWidget *parent, const QString &title, const QString &label,
                             QString text = QString(), bool *ok = nullptr);
    static long long getInt(QWidget *parent, const QString &title, const QString &label, long long value = 0,
                            int min = -2147483647, int max = 2147483647, bool *ok = nullptr);
    static double getDouble(QWidget *parent, const QString &title, const QString &label, double value = 0,
                            int decimals = 1, double min = -2147483647, double max = 2147483647,
                            bool *ok = nullptr);
    static QDate getDate(QWidget *parent, const QString &title, const QString &label,
                         QDate value = QDate::currentDate(), bool *ok = nullptr);
    static QTime getTime(QWidget *parent, const QString &title, const QString &label,
                         QTime value = QTime::currentTime(), bool *ok = nullptr);
    static QDateTime getDateTime(QWidget *parent, const QString &title, const QString &label,
                                 QDateTime value = QDateTime::currentDateTime(), bool *ok = nullptr);
    static bool getBool(QWidget *parent, const QString &title, const QString &text, bool value = false,
                        bool *ok = nullptr);
    // A partly checked box counts as checked.
    static QVariant getBoolNull(QWidget *parent, const QString &title, const QString &text, bool value = false,
                                bool *ok = nullptr);

public slots:
    // Gives the editor the keyboard focus, so the user can type at once.
    int exec() override;

private:
    void build(const QString &title, const QString &label, bool withLabel);

    QWidget *m_editor;
};

#endif // QINPUTDIALOGEX_H
