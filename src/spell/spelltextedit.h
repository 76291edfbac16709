#ifndef SPELLTEXTEDIT_H
#define SPELLTEXTEDIT_H

#include "dealsglobal.h"

#include <QTextEdit>

class Highlighter;
class QMenu;
class SpellSupport;

// A rich-text editor that underlines misspelled words and offers corrections,
// "ignore" and "add to dictionary" in its context menu. It starts with the
// Russian dictionary; without a readable dictionary it is a plain editor.
class DEALS_EXPORT SpellTextEdit : public QTextEdit
{
    Q_OBJECT

public:
    explicit SpellTextEdit(QWidget *parent = nullptr, QString dictPath = QString());

    void setDict(QString dictPath);
    QStringList getWordPropositions(QString word) const;
    Highlighter *highlighter() const { return m_highlighter; }

    // The context menu for a position in the viewport: the standard one plus
    // the spelling entries for the word there. The menu is a child of the
    // editor; the caller deletes it when done.
    QMenu *createSpellContextMenu(const QPoint &position);

public Q_SLOTS:
    void correctWord();
    void slot_ignoreWord();
    void slot_addWord();

Q_SIGNALS:
    void addWord(QString word);
    void editingFinished();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString wordAtMenuPosition() const;

    SpellSupport *m_spell;
    Highlighter *m_highlighter;
};

#endif // SPELLTEXTEDIT_H
