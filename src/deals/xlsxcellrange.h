#ifndef XLSXCELLRANGE_H
#define XLSXCELLRANGE_H

#include "dealsglobal.h"

#include <QString>

namespace QXlsx {

// A rectangle of worksheet cells, rows and columns counted from 1 as a
// spreadsheet program shows them (row 1, column 1 is A1).
class DEALS_EXPORT CellRange
{
public:
    CellRange() = default;
    CellRange(int firstRow, int firstColumn, int lastRow, int lastColumn);

    int firstRow() const { return m_firstRow; }
    int firstColumn() const { return m_firstColumn; }
    int lastRow() const { return m_lastRow; }
    int lastColumn() const { return m_lastColumn; }
    int rowCount() const { return m_lastRow - m_firstRow + 1; }
    int columnCount() const { return m_lastColumn - m_firstColumn + 1; }

    // Inside the sheet's limits, first before last.
    bool isValid() const;
    bool intersects(const CellRange &other) const;
    // "B3:F4", as a spreadsheet program writes it.
    QString toString() const;

    // "A" for 1, "Z" for 26, "AA" for 27.
    static QString columnName(int column);

    static constexpr int maxRows = 1048576;
    static constexpr int maxColumns = 16384;

private:
    int m_firstRow = -1;
    int m_firstColumn = -1;
    int m_lastRow = -2;
    int m_lastColumn = -2;
};

} // namespace QXlsx

#endif // XLSXCELLRANGE_H
