#ifndef REPORTAREA_H
#define REPORTAREA_H

#include <QList>
#include <QString>
#include <QStringList>

// The records an "##AREA" directive of a report template is read into.

// One column of a report table.
struct reportField
{
    QString field;  // record field shown in the column
    QString label;  // caption; line feeds already turned into <br>
    QString align;  // lower-cased value of the cell's align attribute, empty for none
    int type = 10;  // variant type of the values; informative only
    int width = -1; // percent of the table's width, -1 for the default
};

// One table: the data set table it shows and how.
struct reportTable
{
    QString headCss;
    QString bodyCss;
    QString name;
    QList<reportField> columns;
    int border = 0;
};

// An area: a master table (with nested detail tables under each row),
// optionally repeated for each row of an area table under that row's title.
struct reportArea
{
    reportTable master;
    reportTable detail;
    QStringList masterLink; // master row field, detail field that must equal it
    QString areaCss;
    QString prefix;
    QString suffix;
    QString titleField;
    QString areaTable;
    QStringList areaLink; // area row field, master field that must equal it
};

#endif // REPORTAREA_H
