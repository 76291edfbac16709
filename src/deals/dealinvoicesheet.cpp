#include "dealinvoicesheet.h"

#include "xlsxdocument.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QStringList>

using QXlsx::CellRange;
using QXlsx::Format;

namespace {

enum Column { B = 2, C, D, E, F, G, H, I, J };

// Amounts read as money; the cells keep the exact values.
const QString moneyFormat = QStringLiteral("#,##0.00");

QFont boldFont()
{
    QFont font = Format::defaultFont();
    font.setWeight(75);
    font.setPointSizeF(Format::defaultFont().pointSizeF());
    return font;
}

QFont titleFont()
{
    QFont font = Format::defaultFont();
    font.setWeight(75);
    font.setPointSizeF(Format::defaultFont().pointSizeF() * 2);
    return font;
}

// The bank block: thin lines all round, wrapped text at the top.
Format grid()
{
    Format format;
    format.setBorderStyle(Format::BorderThin);
    format.setTextWrap(true);
    format.setVerticalAlignment(Format::AlignTop);
    return format;
}

Format gridWithout(void (Format::*side)(Format::BorderStyle))
{
    Format format = grid();
    (format.*side)(Format::BorderNone);
    return format;
}

Format withFont(const QFont &font)
{
    Format format;
    format.setFont(font);
    return format;
}

// The height of a line of text in a font, in points: 15 for the base font's 11.
double lineHeight(const QFont &font)
{
    return font.pointSizeF() * 15 / 11;
}

// How many lines a text takes when wrapped into a width given in characters
// (digits of the base font). A spreadsheet program grows a row for wrapped
// text, but not a merged area: those rows are given the height up front.
int wrappedLines(const QString &text, const QFont &font, double widthInCharacters)
{
    const QFontMetricsF metrics(font);
    const double width = widthInCharacters * QFontMetricsF(Format::defaultFont()).horizontalAdvance(QLatin1Char('0'));
    const double space = metrics.horizontalAdvance(QLatin1Char(' '));
    int lines = 1;
    double used = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const double advance = metrics.horizontalAdvance(word);
        if (used > 0 && used + space + advance > width) {
            ++lines;
            used = advance;
        } else {
            used += (used > 0 ? space : 0) + advance;
        }
        for (; used > width; used -= width)
            ++lines; // a word longer than the line breaks anywhere
    }
    return lines;
}

// Rows first..last share the lines the text needs, when the form's rows are too few.
void fitRows(QXlsx::Document *document, int first, int last, const QString &text, const QFont &font,
             double widthInCharacters)
{
    const int rows = last - first + 1;
    const int lines = wrappedLines(text, font, widthInCharacters);
    if (lines <= rows)
        return;
    for (int row = first; row <= last; ++row)
        document->setRowHeight(row, lineHeight(font) * lines / rows);
}

// A thick rule under a row: empty cells B..J with a medium bottom border.
void writeRule(QXlsx::Document *document, int row)
{
    Format rule = withFont(titleFont());
    rule.setBottomBorderStyle(Format::BorderMedium);
    document->setRowHeight(row, 5);
    for (int column = B; column <= J; ++column)
        document->write(row, column, QString(), rule);
}

} // namespace

DealInvoiceSheet::DealInvoiceSheet(const DealExportFields &fields, const DealRequisites &seller,
                                   const DealRequisites &buyer, const QVector<DealInvoiceLine> &lines,
                                   const QDate &date)
    : m_fields(fields)
    , m_seller(seller)
    , m_buyer(buyer)
    , m_lines(lines)
    , m_date(date)
{
}

double DealInvoiceSheet::total() const
{
    double sum = 0;
    for (const DealInvoiceLine &line : m_lines)
        sum += line.sum;
    return sum;
}

void DealInvoiceSheet::write(QXlsx::Document *document) const
{
    const double widths[] = {1, 6, 8, 12, 6, 18, 6, 6, 12, 12};
    for (int column = 1; column <= J; ++column)
        document->setColumnWidth(column, widths[column - 1]);
    // One sheet of A4 across, whatever the printer's default paper.
    document->setPaperSize(QXlsx::Document::PaperA4);
    document->setFitToWidth(true);
    writeBankBlock(document);
    writeTitle(document);
    writeParties(document);
    writeTable(document);
    writeTotals(document);
}

void DealInvoiceSheet::writeBankBlock(QXlsx::Document *document) const
{
    const Format cell = grid();
    const Format noTop = gridWithout(&Format::setTopBorderStyle);
    const Format noLeft = gridWithout(&Format::setLeftBorderStyle);
    const Format noRight = gridWithout(&Format::setRightBorderStyle);
    const Format noBottom = gridWithout(&Format::setBottomBorderStyle);

    document->write(3, B, m_seller.value(QStringLiteral("CR_BANK")), cell);
    document->mergeCells(CellRange(3, B, 4, F));
    document->write(5, B, QStringLiteral("Банк получателя"), noTop);
    document->mergeCells(CellRange(5, B, 5, F));
    document->write(6, B, QStringLiteral("ИНН"), noRight);
    document->write(6, C, m_seller.value(QStringLiteral("CR_INN")), noLeft);
    document->mergeCells(CellRange(6, C, 6, D));
    document->write(6, E, QStringLiteral("КПП"), noRight);
    document->write(6, F, m_seller.value(QStringLiteral("CR_KPP")), noLeft);
    document->write(7, B, m_fields.seller, cell);
    document->mergeCells(CellRange(7, B, 8, F));
    document->write(9, B, QStringLiteral("Получатель"), noTop);
    document->mergeCells(CellRange(9, B, 9, F));

    document->write(3, G, QStringLiteral("БИК"), cell);
    document->write(3, H, m_seller.value(QStringLiteral("CR_BIC")), cell);
    document->mergeCells(CellRange(3, H, 3, J));
    document->write(4, G, QStringLiteral("Сч. №"), cell);
    document->mergeCells(CellRange(4, G, 5, G));
    document->write(4, H, m_seller.value(QStringLiteral("CR_CORRESPONDENT_ACCOUNT")), cell);
    document->mergeCells(CellRange(4, H, 5, J));
    document->write(6, G, QStringLiteral("Сч. №"), cell);
    document->mergeCells(CellRange(6, G, 9, G));
    document->write(6, H, m_seller.value(QStringLiteral("CR_PAYMENT_ACCOUNT")), cell);
    document->mergeCells(CellRange(6, H, 9, J));

    // The merged areas show the lines of the cells they cover.
    const struct
    {
        int row;
        int column;
    } gridCells[] = {{3, C}, {3, D}, {3, E}, {3, F}, {3, I}, {3, J}, {4, J}, {5, G}, {5, I}, {5, J},
                     {6, J}, {6, D}, {7, G}, {7, J}, {8, G}, {8, J}, {9, G}, {9, H}, {9, I}, {9, J}};
    for (const auto &at : gridCells)
        document->write(at.row, at.column, QString(), cell);
    document->write(4, B, QString(), noBottom);
    document->write(8, B, QString(), noBottom);
    Format underline;
    underline.setBottomBorderStyle(Format::BorderThin);
    for (int column = C; column <= F; ++column)
        document->write(9, column, QString(), underline);
}

void DealInvoiceSheet::writeTitle(QXlsx::Document *document) const
{
    // A long deal name with a long month does not fit the form's width in
    // the title font: the title then wraps onto a taller row instead of
    // being cut at the right edge of the page.
    Format title = withFont(titleFont());
    title.setTextWrap(true);
    const QString text = QStringLiteral("Счет на оплату № %1 от %2 г.")
                             .arg(m_fields.deal.value(QStringLiteral("c_doc")).toString(),
                                  QLocale().toString(m_date, QStringLiteral("dd MMMM yyyy")));
    document->mergeCells(CellRange(11, B, 11, J));
    document->write(11, B, text, title);
    // B..J: 86 characters of the base font, less the cell margins.
    fitRows(document, 11, 11, text, title.font(), 84);
    writeRule(document, 12);
}

void DealInvoiceSheet::writeParties(QXlsx::Document *document) const
{
    Format value = withFont(boldFont());
    value.setTextWrap(true);
    value.setVerticalAlignment(Format::AlignTop);

    document->write(14, B, QStringLiteral("Поставщик"));
    document->write(15, B, QStringLiteral("(Исполнитель):"));
    // D..J: 12 + 6 + 18 + 6 + 6 + 12 + 12 characters, less the cell margins.
    const double valueWidth = 70;
    const QString sellerLine = m_seller.partyLine(m_fields.seller);
    document->write(14, D, sellerLine, value);
    document->mergeCells(CellRange(14, D, 15, J));
    fitRows(document, 14, 15, sellerLine, value.font(), valueWidth);

    document->write(17, B, QStringLiteral("Покупатель"));
    document->write(18, B, QStringLiteral("(Заказчик):"));
    const QString buyerLine = m_buyer.partyLine(m_fields.buyer);
    document->write(17, D, buyerLine, value);
    document->mergeCells(CellRange(17, D, 18, J));
    fitRows(document, 17, 18, buyerLine, value.font(), valueWidth);

    document->write(20, B, QStringLiteral("Основание:"));
    const QString basis = m_fields.deal.value(QStringLiteral("c_base")).toString();
    document->write(20, D, basis, value);
    document->mergeCells(CellRange(20, D, 20, J));
    fitRows(document, 20, 20, basis, value.font(), valueWidth);
}

void DealInvoiceSheet::writeTable(QXlsx::Document *document) const
{
    Format head = withFont(boldFont());
    head.setHorizontalAlignment(Format::AlignHCenter);
    head.setBorderStyle(Format::BorderThin);
    head.setTopBorderStyle(Format::BorderMedium);
    Format headFirst = head;
    headFirst.setLeftBorderStyle(Format::BorderMedium);
    Format headLast = head;
    headLast.setRightBorderStyle(Format::BorderMedium);

    document->write(headerRow, B, QStringLiteral("№"), headFirst);
    document->write(headerRow, C, QStringLiteral("Товары (работы, услуги)"), head);
    document->mergeCells(CellRange(headerRow, C, headerRow, F));
    for (int column = D; column <= F; ++column)
        document->write(headerRow, column, QString(), head);
    document->write(headerRow, G, QStringLiteral("Кол-во"), head);
    document->write(headerRow, H, QStringLiteral("Ед."), head);
    document->write(headerRow, I, QStringLiteral("Цена"), head);
    document->write(headerRow, J, QStringLiteral("Сумма"), headLast);

    Format thin;
    thin.setBorderStyle(Format::BorderThin);
    Format number = thin;
    number.setHorizontalAlignment(Format::AlignHCenter);
    number.setLeftBorderStyle(Format::BorderMedium);
    Format name = thin;
    name.setHorizontalAlignment(Format::AlignLeft);
    Format quantity = thin;
    quantity.setHorizontalAlignment(Format::AlignRight);
    Format money = quantity;
    money.setNumberFormat(moneyFormat);
    Format sum = money;
    sum.setRightBorderStyle(Format::BorderMedium);

    for (int i = 0; i < m_lines.size(); ++i) {
        const DealInvoiceLine &line = m_lines.at(i);
        const int row = firstLineRow + i;
        document->write(row, B, i + 1, number);
        document->write(row, C, line.name, name);
        document->mergeCells(CellRange(row, C, row, F));
        for (int column = D; column <= F; ++column)
            document->write(row, column, QString(), thin);
        document->write(row, G, line.quantity, quantity);
        document->write(row, H, QStringLiteral("шт"), name);
        document->write(row, I, line.price(), money);
        document->write(row, J, line.sum, sum);
    }
}

void DealInvoiceSheet::writeTotals(QXlsx::Document *document) const
{
    const int r = rowAfterLines();
    const double amount = total();

    Format closing;
    closing.setTopBorderStyle(Format::BorderMedium);
    for (int column = B; column <= J; ++column)
        document->write(r, column, QString(), closing);

    Format label = withFont(boldFont());
    label.setHorizontalAlignment(Format::AlignRight);
    Format money = label;
    money.setNumberFormat(moneyFormat);
    document->write(r + 1, I, QStringLiteral("Итого:"), label);
    document->write(r + 1, J, amount, money);
    document->write(r + 2, G, QStringLiteral("В том числе НДС 20%:"), label);
    document->mergeCells(CellRange(r + 2, G, r + 2, I));
    document->write(r + 2, J, amount * 0.2, money);
    document->write(r + 3, H, QStringLiteral("Всего к оплате:"), label);
    document->mergeCells(CellRange(r + 3, H, r + 3, I));
    document->write(r + 3, J, amount, money);

    Format text;
    text.setHorizontalAlignment(Format::AlignLeft);
    text.setTextWrap(true);
    document->write(r + 4, B,
                    QStringLiteral("Всего наименований %1, на сумму %2 %3")
                        .arg(QString::number(m_lines.size()), QString::number(amount, 'g', 6), m_fields.currency),
                    text);
    document->mergeCells(CellRange(r + 4, B, r + 4, J));
    document->write(r + 6, B,
                    QStringLiteral("Оплата данного счета означает согласие с условиями поставки товара/услуги."),
                    text);
    document->mergeCells(CellRange(r + 6, B, r + 6, J));
    document->write(r + 7, B,
                    QStringLiteral("Товар/услуга отпускается по факту прихода денег на р/с Поставщика, срок и "
                                   "условия поставки оговариваются дополнительно."),
                    text);
    document->mergeCells(CellRange(r + 7, B, r + 8, J));
    writeRule(document, r + 9);

    Format signer = withFont(boldFont());
    signer.setHorizontalAlignment(Format::AlignLeft);
    document->write(r + 12, B, QStringLiteral("Руководитель"), signer);
    document->mergeCells(CellRange(r + 12, B, r + 12, C));
    signer.setHorizontalAlignment(Format::AlignHCenter);
    document->write(r + 12, G, QStringLiteral("Бухгалтер"), signer);
    document->mergeCells(CellRange(r + 12, G, r + 12, H));

    Format signatureLine;
    signatureLine.setTopBorderStyle(Format::BorderThin);
    signatureLine.setHorizontalAlignment(Format::AlignHCenter);
    for (int column : {D, E, F, I, J})
        document->write(r + 13, column, QString(), signatureLine);
}
