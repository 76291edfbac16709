#ifndef REPORTTEMPLATE_H
#define REPORTTEMPLATE_H

#include "dealsglobal.h"
#include "reportarea.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

class QDataSet;

// Report templates: HTML with "##VALUE{...}##" blocks, replaced by values the
// caller passes, and "##AREA{...}##" blocks, replaced by HTML tables built
// from the tables of a data set. Everything else in the template is kept as it is.

DEALS_EXPORT reportField getFieldFromVariant(const QVariant &value);
DEALS_EXPORT reportTable getTableFromVariant(const QVariant &value);
DEALS_EXPORT reportArea getAreaFromVariant(const QVariant &value);

// The HTML (UTF-8) of one area over the tables of dataSet.
DEALS_EXPORT QByteArray makeHTMLFromArea(const reportArea &area, QDataSet *dataSet);

namespace ReportTemplate {

// The finished document: all value blocks first, then all areas, so that a
// value may itself bring area blocks.
DEALS_EXPORT QByteArray render(const QByteArray &htmlTemplate, QDataSet *dataSet,
                               const QMap<QString, QVariant> &values);

} // namespace ReportTemplate

#endif // REPORTTEMPLATE_H
