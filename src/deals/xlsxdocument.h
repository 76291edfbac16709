#ifndef XLSXDOCUMENT_H
#define XLSXDOCUMENT_H

#include "dealsglobal.h"
#include "xlsxcellrange.h"
#include "xlsxformat.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVariant>

namespace QXlsx {

// A one-sheet spreadsheet workbook (.xlsx) built cell by cell and written in
// one go by saveAs(). Rows and columns count from 1. Numbers are stored as
// numbers, texts as shared strings; a later write to a cell replaces the
// earlier one. Merging keeps the formats of the cells inside the range: the
// borders a merged area shows are those of the cells written into it.
class DEALS_EXPORT Document
{
public:
    // Paper sizes by their spreadsheet numbers.
    enum PaperSize { PaperDefault = 0, PaperA4 = 9 };

    Document() = default;
    Q_DISABLE_COPY(Document)

    // False for a cell outside the sheet.
    bool write(int row, int column, const QVariant &value, const Format &format = Format());
    // False for a range outside the sheet, of one cell, or overlapping an earlier merge.
    bool mergeCells(const CellRange &range, const Format &format = Format());
    // Width in characters of the default font.
    bool setColumnWidth(int column, double width);
    // Height in points.
    bool setRowHeight(int row, double height);

    // Printing: the paper, and whether all columns are scaled onto one page width.
    void setPaperSize(PaperSize size) { m_paper = size; }
    PaperSize paperSize() const { return m_paper; }
    void setFitToWidth(bool fit) { m_fitToWidth = fit; }
    bool fitToWidth() const { return m_fitToWidth; }

    // Writes the workbook. An existing file is replaced only by a complete
    // new one; on failure nothing is left at fileName and errorString() says why.
    bool saveAs(const QString &fileName);
    QString errorString() const { return m_error; }

    // What has been written so far.
    QVariant read(int row, int column) const;
    Format cellFormat(int row, int column) const;
    QList<CellRange> mergedCells() const { return m_merges; }
    double columnWidth(int column) const { return m_columnWidths.value(column, -1); }
    double rowHeight(int row) const { return m_rowHeights.value(row, -1); }

private:
    struct Cell
    {
        QVariant value;
        Format format;
    };
    using Position = QPair<int, int>; // row, column

    bool writeWorkbook(const QString &path);

    QMap<Position, Cell> m_cells;
    QList<CellRange> m_merges;
    QMap<int, double> m_columnWidths;
    QMap<int, double> m_rowHeights;
    PaperSize m_paper = PaperDefault;
    bool m_fitToWidth = false;
    QString m_error;
};

} // namespace QXlsx

#endif // XLSXDOCUMENT_H
