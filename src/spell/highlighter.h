#ifndef HIGHLIGHTER_H
#define HIGHLIGHTER_H

#include "dealsglobal.h"

#include <QSet>
#include <QSharedPointer>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class SpellDictionary;

// Underlines the words of a document that the spelling dictionary rejects.
// Without a readable dictionary it underlines nothing and cannot be switched on.
class DEALS_EXPORT Highlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    Highlighter(QTextDocument *document, QString dictPath, bool spellCheck);
    ~Highlighter() override;

    void setDict(QString dictPath);
    bool checkWord(QString word) const;

    bool isSpellCheckingActive() const { return spellCheckActive; }
    bool hasDictionaryError() const { return spellerError; }

public Q_SLOTS:
    void enableSpellChecking(bool state);
    // Accepts the word in this document until the program ends.
    void slot_addWord(QString word);

protected:
    void highlightBlock(const QString &text) override;

private:
    void spellCheck(const QString &text);
    void loadDictionary(const QString &dictPath);

    QTextCharFormat spellCheckFormat;
    QSharedPointer<SpellDictionary> checker;
    QString dictionaryBase;
    QSet<QString> acceptedWords;
    bool spellCheckWanted = false;
    bool spellCheckActive = false;
    bool spellerError = false;
};

#endif // HIGHLIGHTER_H
