#ifndef COLINFO_H
#define COLINFO_H

#include "dealsglobal.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>

// One column of a data table, in column order.
struct colInfo
{
    QString fieldName;
    QString label;
    QString toolTip;                 // the label stands in when empty
    int dataType = QVariant::Invalid; // a QVariant::Type value
    QVariant defValue;               // for new rows and fields missing from loaded records
    int width = 100;
    bool visible = true;
    int flags = 0;
    int autoInc = 0;                 // step of generated values; 0 = none
    QIcon *headerIcon = nullptr;     // not owned
};

// Column flag bits.
enum colFlag {
    colSearchIndex = 1,
    colDisplayLookup = 2,
    colFixedSize = 4,
    colResizeToContents = 16,
    colStretch = 64
};

class DEALS_EXPORT infoList : public QList<colInfo>
{
public:
    using QList<colInfo>::QList;
    using QList<colInfo>::contains;

    bool contains(const QString &fieldName) const { return indexOf(fieldName) >= 0; }
    int indexOf(const QString &fieldName) const
    {
        for (int i = 0; i < size(); ++i) {
            if (at(i).fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }
};

#endif // COLINFO_H
