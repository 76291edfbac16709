#ifndef SQLLEXER_H
#define SQLLEXER_H

#include <QString>
#include <QStringList>

// Walks PostgreSQL text and tells code apart from string constants, quoted
// identifiers, dollar-quoted bodies and comments. Parameters, statement
// separators and line breaks only count where they stand in code.
class SqlLexer
{
public:
    explicit SqlLexer(const QString &text);

    // Position of the next code character at or after pos (text size at the end).
    int nextCode(int pos) const;

    // Position of the first ":name" standing as a whole token in code, or -1.
    static int findParameter(const QString &text, const QString &name);

    // The statements of a script, cut at semicolons in code, trimmed, empty ones dropped.
    static QStringList splitStatements(const QString &text);

    // Comments removed, tabs turned into spaces and line breaks set apart by
    // spaces, so that a parameter at the end of a line is a token of its own.
    static QString flatten(const QString &text);

    static bool isIdentifierChar(QChar c);

private:
    // End (exclusive) of the quoted or commented run starting at pos, or pos when none starts there.
    int skipNonCode(int pos) const;
    int skipQuoted(int pos, QChar quote, bool backslashEscapes) const;
    int skipDollarQuoted(int pos) const;
    int skipBlockComment(int pos) const;
    int lineCommentEnd(int pos) const;
    // Position of the quote that continues a string constant closed just before pos, or -1.
    int continuationQuote(int pos) const;

    const QString &m_text;
};

#endif // SQLLEXER_H
