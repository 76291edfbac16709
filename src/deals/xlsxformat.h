#ifndef XLSXFORMAT_H
#define XLSXFORMAT_H

#include "dealsglobal.h"

#include <QByteArray>
#include <QFont>
#include <QString>

namespace QXlsx {

// How a worksheet cell looks: font, borders per side, alignment, wrapping and
// number format. A plain value; a default Format is the workbook's default
// cell (Calibri 11, no borders, general alignment at the bottom).
class DEALS_EXPORT Format
{
public:
    enum BorderStyle { BorderNone, BorderThin, BorderMedium };
    enum HorizontalAlignment { AlignHGeneral, AlignLeft, AlignHCenter, AlignRight };
    enum VerticalAlignment { AlignTop, AlignVCenter, AlignBottom };

    // The font of a cell nobody formatted.
    static QFont defaultFont();

    QFont font() const;
    // Family, size in points, weight, slant, underline and strike-out of `font`.
    // A font sized in pixels keeps the size it had.
    void setFont(const QFont &font);
    QString fontName() const { return m_fontName; }
    void setFontName(const QString &name) { m_fontName = name; }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double points) { m_fontSize = points; }
    bool fontBold() const { return m_bold; }
    void setFontBold(bool bold) { m_bold = bold; }
    bool fontItalic() const { return m_italic; }
    void setFontItalic(bool italic) { m_italic = italic; }
    bool fontUnderline() const { return m_underline; }
    void setFontUnderline(bool underline) { m_underline = underline; }
    bool fontStrikeOut() const { return m_strikeOut; }
    void setFontStrikeOut(bool strikeOut) { m_strikeOut = strikeOut; }

    // All four sides at once.
    void setBorderStyle(BorderStyle style);
    BorderStyle leftBorderStyle() const { return m_left; }
    void setLeftBorderStyle(BorderStyle style) { m_left = style; }
    BorderStyle rightBorderStyle() const { return m_right; }
    void setRightBorderStyle(BorderStyle style) { m_right = style; }
    BorderStyle topBorderStyle() const { return m_top; }
    void setTopBorderStyle(BorderStyle style) { m_top = style; }
    BorderStyle bottomBorderStyle() const { return m_bottom; }
    void setBottomBorderStyle(BorderStyle style) { m_bottom = style; }

    HorizontalAlignment horizontalAlignment() const { return m_horizontal; }
    void setHorizontalAlignment(HorizontalAlignment alignment) { m_horizontal = alignment; }
    VerticalAlignment verticalAlignment() const { return m_vertical; }
    void setVerticalAlignment(VerticalAlignment alignment) { m_vertical = alignment; }
    bool textWrap() const { return m_wrap; }
    void setTextWrap(bool wrap) { m_wrap = wrap; }

    // A spreadsheet number format code, "#,##0.00"; empty for General.
    QString numberFormat() const { return m_numberFormat; }
    void setNumberFormat(const QString &format) { m_numberFormat = format; }

    bool operator==(const Format &other) const { return key() == other.key(); }
    bool operator!=(const Format &other) const { return !(*this == other); }
    // Equal for formats that look the same: a workbook keeps one record for each.
    QByteArray key() const;

private:
    QString m_fontName = defaultFont().family();
    double m_fontSize = defaultFont().pointSizeF();
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_strikeOut = false;
    BorderStyle m_left = BorderNone;
    BorderStyle m_right = BorderNone;
    BorderStyle m_top = BorderNone;
    BorderStyle m_bottom = BorderNone;
    HorizontalAlignment m_horizontal = AlignHGeneral;
    VerticalAlignment m_vertical = AlignBottom;
    bool m_wrap = false;
    QString m_numberFormat;
};

} // namespace QXlsx

#endif // XLSXFORMAT_H
