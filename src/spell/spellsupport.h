#ifndef SPELLSUPPORT_H
#define SPELLSUPPORT_H

#include "dealsglobal.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QSet>
#include <QSharedPointer>
#include <QStringList>
#include <QTextCursor>

class QAction;
class QMenu;
class QWidget;
class SpellDictionary;

// What the spell-checked editors share whatever their base class: the
// dictionary, the words ignored in the editor, the five suggestion actions,
// the position of the last context menu and the spelling part of that menu.
class DEALS_EXPORT SpellSupport : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxSuggestions = 5;
    // The path every editor starts with.
    static QString defaultDictionary();

    explicit SpellSupport(QWidget *editor);

    // Hidden until a menu shows them; each carries its suggestion as text and data.
    const QList<QAction *> &suggestionActions() const { return m_suggestionActions; }

    void setDict(const QString &dictPath);
    bool hasDictionary() const { return !m_checker.isNull(); }

    QStringList propositions(const QString &word) const;
    void ignore(const QString &word);
    // Ignored here and kept in the user's own dictionary for every editor.
    void addToDictionary(const QString &word);

    void setMenuPosition(const QPoint &position) { m_menuPosition = position; }
    QPoint menuPosition() const { return m_menuPosition; }

    // Selects the word around the cursor's position within its block: from
    // just after the non-word run before it to just before the one after it.
    static QTextCursor selectWord(QTextCursor cursor);
    // Puts replacement over the word around cursor as one undo step; the
    // cursor left after the new text.
    static QTextCursor replaceWord(QTextCursor cursor, const QString &replacement);

    // Adds a separator, "Игнорировать ..", "Добавить в словарь" and up to five
    // suggestions to menu when word is misspelled and has suggestions.
    void extendMenu(QMenu *menu, const QString &word);

Q_SIGNALS:
    void ignoreRequested();
    void addRequested();

private:
    QSharedPointer<SpellDictionary> m_checker;
    QSet<QString> m_ignored;
    QList<QAction *> m_suggestionActions;
    QPoint m_menuPosition;
};

#endif // SPELLSUPPORT_H
