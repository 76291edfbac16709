#include "spelltextedit.h"

#include "highlighter.h"
#include "spellsupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

SpellTextEdit::SpellTextEdit(QWidget *parent, QString dictPath)
    : QTextEdit(parent)
    , m_spell(new SpellSupport(this))
{
    // Every editor starts with the Russian dictionary; setDict chooses another.
    Q_UNUSED(dictPath)
    const QString startPath = SpellSupport::defaultDictionary();
    m_spell->setDict(startPath);
    m_highlighter = new Highlighter(document(), startPath, true);
    for (QAction *action : m_spell->suggestionActions())
        connect(action, &QAction::triggered, this, &SpellTextEdit::correctWord);
    connect(m_spell, &SpellSupport::ignoreRequested, this, &SpellTextEdit::slot_ignoreWord);
    connect(m_spell, &SpellSupport::addRequested, this, &SpellTextEdit::slot_addWord);
    connect(this, &SpellTextEdit::addWord, m_highlighter, &Highlighter::slot_addWord);
}

void SpellTextEdit::setDict(QString dictPath)
{
    m_spell->setDict(dictPath);
    m_highlighter->setDict(dictPath);
}

QStringList SpellTextEdit::getWordPropositions(QString word) const
{
    return m_spell->propositions(word);
}

QString SpellTextEdit::wordAtMenuPosition() const
{
    return SpellSupport::selectWord(cursorForPosition(m_spell->menuPosition())).selectedText();
}

QMenu *SpellTextEdit::createSpellContextMenu(const QPoint &position)
{
    m_spell->setMenuPosition(position);
    QMenu *menu = createStandardContextMenu(position);
    m_spell->extendMenu(menu, wordAtMenuPosition());
    return menu;
}

void SpellTextEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createSpellContextMenu(event->pos());
    menu->exec(event->globalPos());
    delete menu;
}

void SpellTextEdit::correctWord()
{
    const auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    setTextCursor(SpellSupport::replaceWord(cursorForPosition(m_spell->menuPosition()), action->data().toString()));
}

void SpellTextEdit::slot_ignoreWord()
{
    const QString word = wordAtMenuPosition();
    if (word.isEmpty())
        return;
    m_spell->ignore(word);
    Q_EMIT addWord(word);
}

void SpellTextEdit::slot_addWord()
{
    const QString word = wordAtMenuPosition();
    if (word.isEmpty())
        return;
    m_spell->addToDictionary(word);
    Q_EMIT addWord(word);
}

void SpellTextEdit::focusOutEvent(QFocusEvent *event)
{
    Q_EMIT editingFinished();
    QTextEdit::focusOutEvent(event);
}
