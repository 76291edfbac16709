#include "xlsxdocument.h"

#include "workplacelogging.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace QXlsx {

namespace {

uint8_t borderOf(Format::BorderStyle style)
{
    switch (style) {
    case Format::BorderThin:
        return LXW_BORDER_THIN;
    case Format::BorderMedium:
        return LXW_BORDER_MEDIUM;
    case Format::BorderNone:
        break;
    }
    return LXW_BORDER_NONE;
}

uint8_t horizontalOf(Format::HorizontalAlignment alignment)
{
    switch (alignment) {
    case Format::AlignLeft:
        return LXW_ALIGN_LEFT;
    case Format::AlignHCenter:
        return LXW_ALIGN_CENTER;
    case Format::AlignRight:
        return LXW_ALIGN_RIGHT;
    case Format::AlignHGeneral:
        break;
    }
    return LXW_ALIGN_NONE;
}

uint8_t verticalOf(Format::VerticalAlignment alignment)
{
    switch (alignment) {
    case Format::AlignTop:
        return LXW_ALIGN_VERTICAL_TOP;
    case Format::AlignVCenter:
        return LXW_ALIGN_VERTICAL_CENTER;
    case Format::AlignBottom:
        break;
    }
    return LXW_ALIGN_NONE; // the bottom is where a spreadsheet puts it anyway
}

bool isNumber(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

// One workbook record per distinct look; libxlsxwriter owns the records.
class FormatTable
{
public:
    explicit FormatTable(lxw_workbook *workbook)
        : m_workbook(workbook)
    {
    }

    lxw_format *operator()(const Format &format)
    {
        if (format == Format())
            return nullptr;
        const QByteArray key = format.key();
        if (lxw_format *known = m_formats.value(key))
            return known;
        lxw_format *made = workbook_add_format(m_workbook);
        const Format plain;
        if (format.fontName() != plain.fontName())
            format_set_font_name(made, format.fontName().toUtf8().constData());
        if (!qFuzzyCompare(format.fontSize(), plain.fontSize()))
            format_set_font_size(made, format.fontSize());
        if (format.fontBold())
            format_set_bold(made);
        if (format.fontItalic())
            format_set_italic(made);
        if (format.fontUnderline())
            format_set_underline(made, LXW_UNDERLINE_SINGLE);
        if (format.fontStrikeOut())
            format_set_font_strikeout(made);
        format_set_left(made, borderOf(format.leftBorderStyle()));
        format_set_right(made, borderOf(format.rightBorderStyle()));
        format_set_top(made, borderOf(format.topBorderStyle()));
        format_set_bottom(made, borderOf(format.bottomBorderStyle()));
        if (format.horizontalAlignment() != Format::AlignHGeneral)
            format_set_align(made, horizontalOf(format.horizontalAlignment()));
        if (format.verticalAlignment() != Format::AlignBottom)
            format_set_align(made, verticalOf(format.verticalAlignment()));
        if (format.textWrap())
            format_set_text_wrap(made);
        if (!format.numberFormat().isEmpty())
            format_set_num_format(made, format.numberFormat().toUtf8().constData());
        m_formats.insert(key, made);
        return made;
    }

private:
    lxw_workbook *m_workbook;
    QHash<QByteArray, lxw_format *> m_formats;
};

bool insideSheet(int row, int column)
{
    return CellRange(row, column, row, column).isValid();
}

} // namespace

bool Document::write(int row, int column, const QVariant &value, const Format &format)
{
    if (!insideSheet(row, column))
        return false;
    m_cells.insert(Position(row, column), Cell{value, format});
    return true;
}

bool Document::mergeCells(const CellRange &range, const Format &format)
{
    if (!range.isValid() || (range.rowCount() == 1 && range.columnCount() == 1))
        return false;
    for (const CellRange &merged : qAsConst(m_merges)) {
        if (merged.intersects(range))
            return false;
    }
    m_merges.append(range);
    // A format given to the merge dresses every cell of the range.
    if (format != Format()) {
        for (int row = range.firstRow(); row <= range.lastRow(); ++row) {
            for (int column = range.firstColumn(); column <= range.lastColumn(); ++column)
                m_cells[Position(row, column)].format = format;
        }
    }
    return true;
}

bool Document::setColumnWidth(int column, double width)
{
    if (!insideSheet(1, column) || width < 0)
        return false;
    m_columnWidths.insert(column, width);
    return true;
}

bool Document::setRowHeight(int row, double height)
{
    if (!insideSheet(row, 1) || height < 0)
        return false;
    m_rowHeights.insert(row, height);
    return true;
}

QVariant Document::read(int row, int column) const
{
    return m_cells.value(Position(row, column)).value;
}

Format Document::cellFormat(int row, int column) const
{
    return m_cells.value(Position(row, column)).format;
}

bool Document::saveAs(const QString &fileName)
{
    m_error.clear();
    if (fileName.isEmpty()) {
        m_error = QStringLiteral("Не указано имя файла.");
        return false;
    }
    // libxlsxwriter writes by file name and leaves a broken file behind when it
    // fails; it writes into a scratch folder, and the result replaces the target whole.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        m_error = scratch.errorString();
        return false;
    }
    const QString built = scratch.filePath(QStringLiteral("workbook.xlsx"));
    if (!writeWorkbook(built))
        return false;

    QFile source(built);
    QSaveFile target(fileName);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) {
        m_error = source.isOpen() ? target.errorString() : source.errorString();
        return false;
    }
    if (target.write(source.readAll()) != source.size() || !target.commit()) {
        m_error = target.errorString();
        return false;
    }
    return true;
}

bool Document::writeWorkbook(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook *workbook = workbook_new(name.constData());
    if (!workbook) {
        m_error = QStringLiteral("Не удалось создать книгу.");
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    FormatTable formats(workbook);
    lxw_error failure = LXW_NO_ERROR;
    const auto keep = [&failure](lxw_error error) {
        if (failure == LXW_NO_ERROR)
            failure = error;
    };

    if (m_paper != PaperDefault)
        worksheet_set_paper(sheet, uint8_t(m_paper));
    if (m_fitToWidth)
        worksheet_fit_to_pages(sheet, 1, 0); // as many pages down as it takes
    for (auto it = m_columnWidths.cbegin(); it != m_columnWidths.cend(); ++it)
        keep(worksheet_set_column(sheet, lxw_col_t(it.key() - 1), lxw_col_t(it.key() - 1), it.value(), nullptr));
    for (auto it = m_rowHeights.cbegin(); it != m_rowHeights.cend(); ++it)
        keep(worksheet_set_row(sheet, lxw_row_t(it.key() - 1), it.value(), nullptr));
    // Merged first: libxlsxwriter blanks the cells of a merge, the cells
    // written afterwards bring their own values and formats back.
    for (const CellRange &range : qAsConst(m_merges)) {
        keep(worksheet_merge_range(sheet, lxw_row_t(range.firstRow() - 1), lxw_col_t(range.firstColumn() - 1),
                                   lxw_row_t(range.lastRow() - 1), lxw_col_t(range.lastColumn() - 1), "", nullptr));
    }
    for (auto it = m_cells.cbegin(); it != m_cells.cend(); ++it) {
        const lxw_row_t row = lxw_row_t(it.key().first - 1);
        const lxw_col_t column = lxw_col_t(it.key().second - 1);
        const QVariant &value = it.value().value;
        lxw_format *format = formats(it.value().format);
        if (isNumber(value))
            keep(worksheet_write_number(sheet, row, column, value.toDouble(), format));
        else if (value.userType() == QMetaType::Bool)
            keep(worksheet_write_boolean(sheet, row, column, value.toBool(), format));
        else if (value.isNull() || value.toString().isEmpty())
            keep(worksheet_write_blank(sheet, row, column, format));
        else
            keep(worksheet_write_string(sheet, row, column, value.toString().toUtf8().constData(), format));
    }

    const lxw_error closed = workbook_close(workbook);
    keep(closed);
    if (failure != LXW_NO_ERROR) {
        m_error = QString::fromUtf8(lxw_strerror(failure));
        qCWarning(lcDeals) << "The workbook was not written:" << m_error;
        return false;
    }
    return true;
}

} // namespace QXlsx
