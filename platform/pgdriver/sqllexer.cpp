#include "sqllexer.h"

SqlLexer::SqlLexer(const QString &text)
    : m_text(text)
{
}

namespace {

// The server's own classes: ASCII letters and every character beyond ASCII
// may start a name or a dollar tag; digits, '_' and '$' may follow.
bool isNameStart(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u >= 0x80;
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isNewline(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\f') || isNewline(c);
}

} // namespace

bool SqlLexer::isIdentifierChar(QChar c)
{
    return isNameStart(c) || isDigit(c) || c == QLatin1Char('$');
}

int SqlLexer::nextCode(int pos) const
{
    const int size = m_text.size();
    while (pos < size) {
        const int end = skipNonCode(pos);
        if (end == pos)
            return pos;
        pos = end;
    }
    return size;
}

int SqlLexer::skipNonCode(int pos) const
{
    const int size = m_text.size();
    const QChar c = m_text.at(pos);
    const QChar next = pos + 1 < size ? m_text.at(pos + 1) : QChar();
    const QChar prev = pos > 0 ? m_text.at(pos - 1) : QChar();

    if (c == QLatin1Char('\'')) {
        // E'...' takes backslash escapes; the E must not be the tail of an identifier.
        const bool escaped = (prev == QLatin1Char('E') || prev == QLatin1Char('e'))
                && (pos < 2 || !isIdentifierChar(m_text.at(pos - 2)));
        return skipQuoted(pos, c, escaped);
    }
    if (c == QLatin1Char('"'))
        return skipQuoted(pos, c, false);
    if (c == QLatin1Char('$') && !isIdentifierChar(prev))
        return skipDollarQuoted(pos);
    if (c == QLatin1Char('-') && next == QLatin1Char('-'))
        return lineCommentEnd(pos);
    if (c == QLatin1Char('/') && next == QLatin1Char('*'))
        return skipBlockComment(pos);
    return pos;
}

int SqlLexer::lineCommentEnd(int pos) const
{
    // The server ends a line comment at either line break character.
    const int size = m_text.size();
    for (int i = pos; i < size; ++i) {
        if (isNewline(m_text.at(i)))
            return i;
    }
    return size;
}

int SqlLexer::continuationQuote(int pos) const
{
    // 'a'<newline>'b' is one constant to the server, and an E'' constant
    // keeps its escapes in the part that follows: whitespace holding a line
    // break (comments allowed after the break) joins them.
    const int size = m_text.size();
    int i = pos;
    while (i < size && isSpace(m_text.at(i)) && !isNewline(m_text.at(i)))
        ++i;
    if (i >= size || !isNewline(m_text.at(i)))
        return -1;
    while (i < size) {
        const QChar c = m_text.at(i);
        if (isSpace(c)) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < size && m_text.at(i + 1) == QLatin1Char('-')) {
            i = lineCommentEnd(i);
        } else {
            break;
        }
    }
    return i < size && m_text.at(i) == QLatin1Char('\'') ? i : -1;
}

int SqlLexer::skipQuoted(int pos, QChar quote, bool backslashEscapes) const
{
    const int size = m_text.size();
    for (int i = pos + 1; i < size; ++i) {
        const QChar c = m_text.at(i);
        if (backslashEscapes && c == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (c != quote)
            continue;
        if (i + 1 < size && m_text.at(i + 1) == quote) {
            ++i;
            continue;
        }
        if (quote == QLatin1Char('\'')) {
            const int next = continuationQuote(i + 1);
            if (next >= 0) {
                i = next; // the loop steps past the opening quote of the next part
                continue;
            }
        }
        return i + 1;
    }
    return size;
}

int SqlLexer::skipDollarQuoted(int pos) const
{
    const int size = m_text.size();
    int tagEnd = pos + 1;
    while (tagEnd < size && m_text.at(tagEnd) != QLatin1Char('$')) {
        const QChar c = m_text.at(tagEnd);
        const bool allowed = isNameStart(c) || (isDigit(c) && tagEnd > pos + 1);
        if (!allowed)
            return pos; // $1 or a lone dollar: not a quote
        ++tagEnd;
    }
    if (tagEnd >= size)
        return pos;
    const QString tag = m_text.mid(pos, tagEnd - pos + 1);
    const int close = m_text.indexOf(tag, tagEnd + 1);
    return close < 0 ? size : close + tag.size();
}

int SqlLexer::skipBlockComment(int pos) const
{
    const int size = m_text.size();
    int depth = 0;
    for (int i = pos; i + 1 < size; ++i) {
        if (m_text.at(i) == QLatin1Char('/') && m_text.at(i + 1) == QLatin1Char('*')) {
            ++depth;
            ++i;
        } else if (m_text.at(i) == QLatin1Char('*') && m_text.at(i + 1) == QLatin1Char('/')) {
            ++i;
            if (--depth == 0)
                return i + 1;
        }
    }
    return size;
}

int SqlLexer::findParameter(const QString &text, const QString &name)
{
    if (name.isEmpty())
        return -1;
    const SqlLexer lexer(text);
    const int size = text.size();
    const bool nameEndsInWord = isIdentifierChar(name.back());
    for (int pos = lexer.nextCode(0); pos < size; pos = lexer.nextCode(pos + 1)) {
        if (text.at(pos) != QLatin1Char(':'))
            continue;
        // "::" is a cast and "a:b" a slice bound, neither a parameter.
        if (pos > 0 && (text.at(pos - 1) == QLatin1Char(':') || isIdentifierChar(text.at(pos - 1))))
            continue;
        const int after = pos + 1 + name.size();
        if (after > size || text.midRef(pos + 1, name.size()) != name)
            continue;
        if (nameEndsInWord && after < size && isIdentifierChar(text.at(after)))
            continue;
        return pos;
    }
    return -1;
}

QStringList SqlLexer::splitStatements(const QString &text)
{
    QStringList statements;
    const SqlLexer lexer(text);
    int start = 0;
    const int size = text.size();
    for (int pos = lexer.nextCode(0); pos < size; pos = lexer.nextCode(pos + 1)) {
        if (text.at(pos) != QLatin1Char(';'))
            continue;
        statements.append(text.mid(start, pos - start));
        start = pos + 1;
    }
    statements.append(text.mid(start));

    QStringList result;
    for (const QString &statement : qAsConst(statements)) {
        // A piece made only of comments has nothing to run.
        if (!flatten(statement).trimmed().isEmpty())
            result.append(statement.trimmed());
    }
    return result;
}

QString SqlLexer::flatten(const QString &text)
{
    QString result;
    result.reserve(text.size());
    const SqlLexer lexer(text);
    const int size = text.size();
    int pos = 0;
    while (pos < size) {
        const int end = lexer.skipNonCode(pos);
        if (end != pos) {
            const QChar c = text.at(pos);
            const bool comment = c == QLatin1Char('-') || c == QLatin1Char('/');
            if (comment)
                result.append(QLatin1Char(' '));
            else
                result.append(text.midRef(pos, end - pos));
            pos = end;
            continue;
        }
        const QChar c = text.at(pos);
        if (isNewline(c))
            result.append(QLatin1Char(' ')).append(c).append(QLatin1Char(' '));
        else
            result.append(c == QLatin1Char('\t') ? QLatin1Char(' ') : c);
        ++pos;
    }
    return result;
}
