#include "xlsxcellrange.h"

namespace QXlsx {

CellRange::CellRange(int firstRow, int firstColumn, int lastRow, int lastColumn)
    : m_firstRow(firstRow)
    , m_firstColumn(firstColumn)
    , m_lastRow(lastRow)
    , m_lastColumn(lastColumn)
{
}

bool CellRange::isValid() const
{
    return m_firstRow >= 1 && m_firstColumn >= 1 && m_firstRow <= m_lastRow && m_firstColumn <= m_lastColumn
           && m_lastRow <= maxRows && m_lastColumn <= maxColumns;
}

bool CellRange::intersects(const CellRange &other) const
{
    return m_firstRow <= other.m_lastRow && other.m_firstRow <= m_lastRow && m_firstColumn <= other.m_lastColumn
           && other.m_firstColumn <= m_lastColumn;
}

QString CellRange::toString() const
{
    return columnName(m_firstColumn) + QString::number(m_firstRow) + QLatin1Char(':') + columnName(m_lastColumn)
           + QString::number(m_lastRow);
}

QString CellRange::columnName(int column)
{
    QString name;
    for (; column > 0; column = (column - 1) / 26)
        name.prepend(QLatin1Char(char('A' + (column - 1) % 26)));
    return name;
}

} // namespace QXlsx
