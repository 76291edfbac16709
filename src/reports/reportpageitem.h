#ifndef REPORTPAGEITEM_H
#define REPORTPAGEITEM_H

#include <QGraphicsItem>
#include <QRectF>

class ReportPageLayout;

// One page of a report inside a print preview's page, drawn from the laid-out
// document only when the page comes into view. The preview is given empty
// pages: recording every page of a long report up front costs more than
// laying it out, while a person looks at a few of them.
class ReportPageItem : public QGraphicsItem
{
public:
    // printableArea: where the page's printable area lies on the paper, in
    // the printer's pixels, the coordinates of the preview's page.
    ReportPageItem(ReportPageLayout *layout, int page, const QRectF &printableArea, QGraphicsItem *paper);

    QRectF boundingRect() const override;
    // Empty: the preview takes every item it finds in its view for one of its
    // pages, so a page's drawing must not be found there.
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    // The paper's own bounds: cached drawings lie on the same device pixels
    // as the paper's, so lines fall where the paper's picture put them.
    QRectF m_bounds;
    ReportPageLayout *m_layout;
    int m_page;
    QRectF m_printableArea;
};

#endif // REPORTPAGEITEM_H
