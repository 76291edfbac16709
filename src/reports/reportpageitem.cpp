#include "reportpageitem.h"

#include "reportpagelayout.h"

#include <QPainter>
#include <QPainterPath>

ReportPageItem::ReportPageItem(ReportPageLayout *layout, int page, const QRectF &printableArea, QGraphicsItem *paper)
    : QGraphicsItem(paper)
    , m_bounds(paper->boundingRect())
    , m_layout(layout)
    , m_page(page)
    , m_printableArea(printableArea)
{
    // Scrolling past a page must not draw it again; the paper is cached the same way.
    setCacheMode(DeviceCoordinateCache);
}

QRectF ReportPageItem::boundingRect() const
{
    return m_bounds;
}

QPainterPath ReportPageItem::shape() const
{
    return QPainterPath();
}

void ReportPageItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->translate(m_printableArea.topLeft());
    m_layout->drawPage(painter, m_page);
    painter->restore();
}
