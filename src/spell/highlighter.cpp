#include "highlighter.h"

#include "personaldictionary.h"
#include "spelldictionary.h"
#include "workplacelogging.h"

#include <QRegularExpression>
#include <QStringView>

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Characters a checked part is made of besides word characters.
bool isJoiner(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('^');
}

bool isWholeWord(QStringView part)
{
    for (QChar c : part) {
        if (!isWordCharacter(c))
            return false;
    }
    return true;
}

} // namespace

Highlighter::Highlighter(QTextDocument *document, QString dictPath, bool spellCheck)
    : QSyntaxHighlighter(document)
    , spellCheckWanted(spellCheck)
{
    spellCheckFormat.setUnderlineColor(Qt::red);
    spellCheckFormat.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    loadDictionary(dictPath);
    connect(PersonalDictionary::instance(), &PersonalDictionary::wordAdded, this, [this] {
        if (spellCheckActive)
            rehighlight();
    });
}

Highlighter::~Highlighter() = default;

void Highlighter::loadDictionary(const QString &dictPath)
{
    checker.reset();
    dictionaryBase = dictPath.left(dictPath.size() - 4);
    checker = SpellDictionary::open(dictPath);
    spellerError = !checker;
    spellCheckActive = spellCheckWanted && !spellerError;
}

void Highlighter::setDict(QString dictPath)
{
    loadDictionary(dictPath);
    rehighlight();
}

void Highlighter::enableSpellChecking(bool state)
{
    if (spellerError)
        return;
    spellCheckWanted = state;
    spellCheckActive = state;
    rehighlight();
}

bool Highlighter::checkWord(QString word) const
{
    // Without a dictionary there is nothing to hold against a word.
    if (!checker)
        return true;
    return acceptedWords.contains(word) || checker->spell(word);
}

void Highlighter::slot_addWord(QString word)
{
    if (word.isEmpty())
        return;
    acceptedWords.insert(word);
    rehighlight();
}

void Highlighter::highlightBlock(const QString &text)
{
    if (spellCheckActive)
        spellCheck(text);
}

// The block's parts are the runs of word characters, commas and carets of its
// simplified text (a backslash starts a new part; such parts are markup and are
// skipped). Commas and carets at the ends of a part are punctuation, not part of
// the word. Each rejected part is underlined wherever it stands as a whole word.
void Highlighter::spellCheck(const QString &text)
{
    const QString simplified = text.simplified();
    QSet<QStringView> seen;
    QSet<QStringView> wrongWords;
    QList<QStringView> wrongJoined;

    const int length = simplified.size();
    int position = 0;
    while (position < length) {
        const QChar first = simplified.at(position);
        if (!isWordCharacter(first) && !isJoiner(first) && first != QLatin1Char('\\')) {
            ++position;
            continue;
        }
        const int start = position++;
        while (position < length && (isWordCharacter(simplified.at(position)) || isJoiner(simplified.at(position))))
            ++position;
        if (first == QLatin1Char('\\'))
            continue;
        QStringView part = QStringView(simplified).mid(start, position - start);
        while (!part.isEmpty() && isJoiner(part.front()))
            part = part.mid(1);
        while (!part.isEmpty() && isJoiner(part.back()))
            part.chop(1);
        if (part.size() < 2 || seen.contains(part))
            continue;
        seen.insert(part);
        if (checkWord(part.toString()))
            continue;
        if (isWholeWord(part))
            wrongWords.insert(part);
        else
            wrongJoined.append(part);
    }

    // A whole-word occurrence of a part made of word characters only is a
    // maximal run of word characters equal to it: one pass finds them all.
    if (!wrongWords.isEmpty()) {
        const QStringView block(text);
        int runStart = -1;
        for (int i = 0; i <= block.size(); ++i) {
            const bool inWord = i < block.size() && isWordCharacter(block.at(i));
            if (inWord && runStart < 0) {
                runStart = i;
            } else if (!inWord && runStart >= 0) {
                if (wrongWords.contains(block.mid(runStart, i - runStart)))
                    setFormat(runStart, i - runStart, spellCheckFormat);
                runStart = -1;
            }
        }
    }
    for (QStringView part : qAsConst(wrongJoined)) {
        const QRegularExpression wholeWord(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(part.toString())),
                                           QRegularExpression::UseUnicodePropertiesOption);
        QRegularExpressionMatchIterator matches = wholeWord.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            setFormat(match.capturedStart(), part.size(), spellCheckFormat);
        }
    }
}
