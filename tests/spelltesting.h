#ifndef SPELLTESTING_H
#define SPELLTESTING_H

// What the spelling suites read off an editor as a person sees it: the words
// underlined, and the context menu a right click on a word opens.

#include "highlighter.h"
#include "spellplaintextedit.h"
#include "spelltextedit.h"

#include <QMenu>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace SpellTesting {

inline QTextDocument *documentOf(QWidget *editor)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(editor))
        return plain->document();
    return qobject_cast<QTextEdit *>(editor)->document();
}

inline QStringList underlined(QWidget *editor)
{
    QStringList words;
    for (QTextBlock block = documentOf(editor)->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                words.append(block.text().mid(range.start, range.length));
        }
    }
    return words;
}

// The context menu a right click on the word (its n-th whole occurrence) would
// open; null for an editor without spelling or a word not there.
inline QMenu *menuOnWord(QWidget *editor, const QString &word, int occurrence = 0)
{
    QTextDocument *document = documentOf(editor);
    QTextCursor cursor(document);
    for (int i = 0; i <= occurrence; ++i)
        cursor = document->find(word, cursor, QTextDocument::FindWholeWords | QTextDocument::FindCaseSensitively);
    if (cursor.isNull())
        return nullptr;
    cursor.setPosition(cursor.selectionStart() + 1);
    if (auto *plain = qobject_cast<SpellPlainTextEdit *>(editor))
        return plain->createSpellContextMenu(plain->cursorRect(cursor).center());
    if (auto *rich = qobject_cast<SpellTextEdit *>(editor))
        return rich->createSpellContextMenu(rich->cursorRect(cursor).center());
    return nullptr;
}

inline QAction *menuAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// The two spelling editors share no base class: these reach either.
inline QStringList propositions(QWidget *editor, const QString &word)
{
    if (auto *plain = qobject_cast<SpellPlainTextEdit *>(editor))
        return plain->getWordPropositions(word);
    return qobject_cast<SpellTextEdit *>(editor)->getWordPropositions(word);
}

inline Highlighter *setDictionary(QWidget *editor, const QString &path)
{
    if (auto *plain = qobject_cast<SpellPlainTextEdit *>(editor)) {
        plain->setDict(path);
        return plain->highlighter();
    }
    auto *rich = qobject_cast<SpellTextEdit *>(editor);
    rich->setDict(path);
    return rich->highlighter();
}

} // namespace SpellTesting

#endif // SPELLTESTING_H
