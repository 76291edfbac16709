#ifndef CELLDATA_H
#define CELLDATA_H

#include <QBrush>
#include <QFont>
#include <QIcon>
#include <QString>

// What one cell of a data table shows. Display callbacks receive it filled
// with the defaults and may change any part; the stored value is not affected.
struct cellData
{
    QString text;
    QIcon icon;
    QBrush foreground = defaultForeground();
    QBrush background;
    QString toolTip;
    QFont font;

    // Shared by every cell, so that a default cell costs no brush of its own.
    static const QBrush &defaultForeground()
    {
        static const QBrush black(Qt::black);
        return black;
    }
};

// The spelling used in signal signatures.
typedef cellData QCellData;

#endif // CELLDATA_H
