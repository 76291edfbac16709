#include "xlsxformat.h"

namespace QXlsx {

QFont Format::defaultFont()
{
    QFont font(QStringLiteral("Calibri"));
    font.setPointSizeF(11);
    return font;
}

QFont Format::font() const
{
    QFont font(m_fontName);
    font.setPointSizeF(m_fontSize);
    font.setBold(m_bold);
    font.setItalic(m_italic);
    font.setUnderline(m_underline);
    font.setStrikeOut(m_strikeOut);
    return font;
}

void Format::setFont(const QFont &font)
{
    m_fontName = font.family();
    if (font.pointSizeF() > 0)
        m_fontSize = font.pointSizeF();
    m_bold = font.bold();
    m_italic = font.italic();
    m_underline = font.underline();
    m_strikeOut = font.strikeOut();
}

void Format::setBorderStyle(BorderStyle style)
{
    m_left = m_right = m_top = m_bottom = style;
}

QByteArray Format::key() const
{
    const QList<int> flags{m_bold, m_italic, m_underline, m_strikeOut, m_left, m_right, m_top, m_bottom,
                           m_horizontal, m_vertical, m_wrap};
    QByteArray key = m_fontName.toUtf8() + '\n' + QByteArray::number(m_fontSize) + '\n';
    for (int flag : flags)
        key += QByteArray::number(flag) + ',';
    return key + '\n' + m_numberFormat.toUtf8();
}

} // namespace QXlsx
