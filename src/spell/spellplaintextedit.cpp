#include "spellplaintextedit.h"

#include "highlighter.h"
#include "spellsupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

SpellPlainTextEdit::SpellPlainTextEdit(QWidget *parent, QString dictPath)
    : QPlainTextEdit(parent)
    , m_spell(new SpellSupport(this))
{
    // Every editor starts with the Russian dictionary; setDict chooses another.
    Q_UNUSED(dictPath)
    const QString startPath = SpellSupport::defaultDictionary();
    m_spell->setDict(startPath);
    m_highlighter = new Highlighter(document(), startPath, true);
    for (QAction *action : m_spell->suggestionActions())
        connect(action, &QAction::triggered, this, &SpellPlainTextEdit::correctWord);
    connect(m_spell, &SpellSupport::ignoreRequested, this, &SpellPlainTextEdit::slot_ignoreWord);
    connect(m_spell, &SpellSupport::addRequested, this, &SpellPlainTextEdit::slot_addWord);
    connect(this, &SpellPlainTextEdit::addWord, m_highlighter, &Highlighter::slot_addWord);
}

void SpellPlainTextEdit::setDict(QString dictPath)
{
    m_spell->setDict(dictPath);
    m_highlighter->setDict(dictPath);
}

QStringList SpellPlainTextEdit::getWordPropositions(QString word) const
{
    return m_spell->propositions(word);
}

QString SpellPlainTextEdit::wordAtMenuPosition() const
{
    return SpellSupport::selectWord(cursorForPosition(m_spell->menuPosition())).selectedText();
}

QMenu *SpellPlainTextEdit::createSpellContextMenu(const QPoint &position)
{
    m_spell->setMenuPosition(position);
    QMenu *menu = createStandardContextMenu(position);
    m_spell->extendMenu(menu, wordAtMenuPosition());
    return menu;
}

void SpellPlainTextEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createSpellContextMenu(event->pos());
    menu->exec(event->globalPos());
    delete menu;
}

void SpellPlainTextEdit::correctWord()
{
    const auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    setTextCursor(SpellSupport::replaceWord(cursorForPosition(m_spell->menuPosition()), action->data().toString()));
}

void SpellPlainTextEdit::slot_ignoreWord()
{
    const QString word = wordAtMenuPosition();
    if (word.isEmpty())
        return;
    m_spell->ignore(word);
    Q_EMIT addWord(word);
}

void SpellPlainTextEdit::slot_addWord()
{
    const QString word = wordAtMenuPosition();
    if (word.isEmpty())
        return;
    m_spell->addToDictionary(word);
    Q_EMIT addWord(word);
}

void SpellPlainTextEdit::focusOutEvent(QFocusEvent *event)
{
    Q_EMIT editingFinished();
    QPlainTextEdit::focusOutEvent(event);
}
