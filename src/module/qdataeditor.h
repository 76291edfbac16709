#ifndef QDATAEDITOR_H
#define QDATAEDITOR_H

#include "dealsglobal.h"
#include "ui_qdataeditor.h"

#include <QWidget>

class QDialog;
class QPushButton;

// The generic frame around a record editor: a caption that tears the editor
// off on double click, a scroll area, and "Применить" / "Отмена". An enabled
// "Применить" means the record has unsaved changes.
class DEALS_EXPORT QDataEditor : public QWidget, public Ui::QDataEditorClass
{
    Q_OBJECT

public:
    explicit QDataEditor(QWidget *parent = nullptr);

    // Hosts `editor` in the scroll area and takes its window title as caption.
    void initEditor(QWidget *editor);
    // As initEditor(), for a frame inside a modal dialog: the buttons also
    // accept or reject `dialog`.
    void initModal(const QDialog *dialog, QWidget *editor);

    QWidget *editor() const { return m_editor; }
    QPushButton *okButton() const;
    QPushButton *cancelButton() const;

signals:
    void ok();
    void cancel();
    void popup(QWidget *widget);

public slots:
    void OnChange();
    void onReset();
    void onDblClick();
    void OnOK();
    void OnCancel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_editor = nullptr;
};

#endif // QDATAEDITOR_H
