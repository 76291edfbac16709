#ifndef SPELLLINEEDIT_H
#define SPELLLINEEDIT_H

#include "dealsglobal.h"
#include "spelltextedit.h"

// A one-line spell-checked editor sized like a line edit. Return and Enter
// emit editingFinished() and go on to the parent, so that a default button reacts.
class DEALS_EXPORT SpellLineEdit : public SpellTextEdit
{
    Q_OBJECT

public:
    explicit SpellLineEdit(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QString text() const { return toPlainText(); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Pasted line breaks become spaces: the text stays one line.
    void insertFromMimeData(const QMimeData *source) override;
};

#endif // SPELLLINEEDIT_H
