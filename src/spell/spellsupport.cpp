#include "spellsupport.h"

#include "personaldictionary.h"
#include "spelldictionary.h"
#include "workplacelogging.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <QTextBlock>
#include <QWidget>

QString SpellSupport::defaultDictionary()
{
    return QStringLiteral("./Dict/ru_RU.dic");
}

SpellSupport::SpellSupport(QWidget *editor)
    : QObject(editor)
{
    for (int i = 0; i < maxSuggestions; ++i) {
        auto *action = new QAction(editor);
        action->setVisible(false);
        m_suggestionActions.append(action);
    }
}

void SpellSupport::setDict(const QString &dictPath)
{
    m_checker.reset();
    m_checker = SpellDictionary::open(dictPath);
}

QStringList SpellSupport::propositions(const QString &word) const
{
    if (!m_checker || word.isEmpty() || m_ignored.contains(word))
        return QStringList();
    return m_checker->suggest(word);
}

void SpellSupport::ignore(const QString &word)
{
    m_ignored.insert(word);
}

void SpellSupport::addToDictionary(const QString &word)
{
    qCDebug(lcSpell) << "Adding to the dictionary:" << word;
    ignore(word);
    PersonalDictionary::instance()->addWord(word);
}

QTextCursor SpellSupport::replaceWord(QTextCursor cursor, const QString &replacement)
{
    QTextCursor word = selectWord(cursor);
    word.beginEditBlock();
    word.removeSelectedText();
    word.insertText(replacement);
    word.endEditBlock();
    return word;
}

QTextCursor SpellSupport::selectWord(QTextCursor cursor)
{
    static const QRegularExpression nonWord(QStringLiteral("\\W+"), QRegularExpression::UseUnicodePropertiesOption);
    const QTextBlock block = cursor.block();
    const QString text = block.text();
    const int position = cursor.positionInBlock();

    int start = 0;
    if (position > 0) {
        QRegularExpressionMatch before;
        if (text.lastIndexOf(nonWord, position - 1, &before) >= 0)
            start = qMin(before.capturedEnd(), position);
    }
    int end = text.indexOf(nonWord, position);
    if (end < 0)
        end = text.size();

    cursor.setPosition(block.position() + start);
    if (end > start)
        cursor.setPosition(block.position() + end, QTextCursor::KeepAnchor);
    return cursor;
}

void SpellSupport::extendMenu(QMenu *menu, const QString &word)
{
    for (QAction *action : qAsConst(m_suggestionActions))
        action->setVisible(false);
    const QStringList suggestions = propositions(word);
    if (suggestions.isEmpty())
        return;

    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Игнорировать ..")), &QAction::triggered,
            this, &SpellSupport::ignoreRequested);
    connect(menu->addAction(QStringLiteral("Добавить в словарь")), &QAction::triggered,
            this, &SpellSupport::addRequested);
    // A correction is an edit: a read-only text is only pointed out, never changed.
    if (parent() && parent()->property("readOnly").toBool())
        return;
    for (int i = 0; i < suggestions.size() && i < maxSuggestions; ++i) {
        QAction *action = m_suggestionActions.at(i);
        const QString suggestion = suggestions.at(i).trimmed();
        action->setText(suggestion);
        action->setData(suggestion);
        action->setVisible(true);
        menu->addAction(action);
    }
}
