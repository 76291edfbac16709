#include "reporttemplate.h"

#include "qdataset.h"
#include "qdatatable.h"
#include "workplacelogging.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonDocument>
#include <QSqlRecord>

#include <functional>
#include <memory>

namespace {

const QByteArray valueMarker = QByteArrayLiteral("##VALUE");
const QByteArray areaMarker = QByteArrayLiteral("##AREA");
const QByteArray blockEnd = QByteArrayLiteral("}##");

// A directive block: from its marker to the end of the first "}##" after it,
// or to the end of the text when the block is never closed.
struct Block
{
    int start = -1;
    int end = -1;
    QByteArray text;
    QByteArray json;
};

Block findBlock(const QByteArray &text, const QByteArray &marker, int from)
{
    Block block;
    block.start = text.indexOf(marker, from);
    if (block.start < 0)
        return block;
    const int close = text.indexOf(blockEnd, block.start);
    block.end = close < 0 ? text.size() : close + blockEnd.size();
    block.text = text.mid(block.start, block.end - block.start);
    const QByteArray trimmed = block.text.trimmed();
    block.json = trimmed.mid(marker.size(), qMax(0, trimmed.size() - marker.size() - 2));
    return block;
}

QVariantMap parseObject(const QByteArray &json, bool *isObject)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    *isObject = document.isObject();
    return document.toVariant().toMap();
}

// Keeps the screen painting while a long document is built; user input waits,
// so that nobody can start another report or close the window midway.
void serveEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

using MakeReplacement = std::function<QByteArray(const Block &block)>;

// Replaces every block of one kind in a single left-to-right pass. Identical
// blocks get the replacement made for the first of them, and what a
// replacement brings in is never read as a directive again, so data that
// happens to look like a directive cannot make the pass run forever.
QByteArray replaceBlocks(const QByteArray &text, const QByteArray &marker, const MakeReplacement &make,
                         bool serve)
{
    QByteArray out;
    out.reserve(text.size());
    QHash<QByteArray, QByteArray> made;
    int position = 0;
    for (;;) {
        const Block block = findBlock(text, marker, position);
        if (block.start < 0)
            break;
        out.append(text.constData() + position, block.start - position);
        auto it = made.constFind(block.text);
        if (it == made.cend()) {
            if (serve)
                serveEvents();
            it = made.insert(block.text, make(block));
            if (serve)
                serveEvents();
        }
        out.append(it.value());
        position = block.end;
    }
    out.append(text.constData() + position, text.size() - position);
    return out;
}

// A value's bytes with the value blocks inside it expanded as well; a value
// that (through others) contains itself stops there with a warning.
QByteArray expandValue(const QString &name, const QMap<QString, QVariant> &values, QStringList *active)
{
    const auto it = values.constFind(name);
    if (it == values.cend())
        return QByteArray();
    const QByteArray bytes = it.value().toByteArray();
    if (!bytes.contains(valueMarker))
        return bytes;
    active->append(name);
    const QByteArray expanded = replaceBlocks(bytes, valueMarker, [&](const Block &block) {
        bool isObject = false;
        const QString inner = parseObject(block.json, &isObject).value(QStringLiteral("name")).toString();
        if (!isObject)
            return QByteArray();
        if (active->contains(inner)) {
            qCWarning(lcReports) << "Report value" << inner << "contains itself";
            return QByteArray();
        }
        return expandValue(inner, values, active);
    }, false);
    active->removeLast();
    return expanded;
}

QStringList linkPair(const QVariant &value)
{
    const QStringList names = value.toStringList();
    return names.size() == 2 ? names : QStringList();
}

QDataTable *tableNamed(QDataSet *dataSet, const QString &name)
{
    return name.isEmpty() ? nullptr : dataSet->getTable(name);
}

QByteArray classAttribute(const QString &css)
{
    return css.isEmpty() ? QByteArray() : QByteArrayLiteral(" class=\"") + css.toUtf8() + '"';
}

// Writes the HTML of one area; scratch tables live only while it runs.
class AreaWriter
{
public:
    AreaWriter(const reportArea &area, QDataSet *dataSet)
        : m_area(area)
        , m_areaTable(tableNamed(dataSet, area.areaTable))
        , m_master(tableNamed(dataSet, area.master.name))
        , m_detail(tableNamed(dataSet, area.detail.name))
    {
    }

    QByteArray write()
    {
        const bool areaMode = m_areaTable && !m_area.areaLink.isEmpty()
                && !m_area.areaLink.at(0).isEmpty() && !m_area.areaLink.at(1).isEmpty();
        if (!areaMode) {
            if (m_master)
                writeMaster(m_master);
            return m_out;
        }
        auto scratch = std::make_unique<QDataTable>(QStringLiteral("mtable"));
        do {
            if (m_master)
                m_master->getRows(scratch.get(), m_area.areaLink.at(1), m_areaTable->getField(m_area.areaLink.at(0), -1));
            else
                scratch->close();
            writeTitle();
            writeMaster(scratch.get());
        } while (m_areaTable->next());
        return m_out;
    }

private:
    void writeTitle()
    {
        if (!m_out.isEmpty())
            m_out += "<br><br>";
        m_out += "<p" + classAttribute(m_area.areaCss) + '>';
        m_out += m_area.prefix.toUtf8();
        m_out += m_areaTable->getField(m_area.titleField, -1).toString().toUtf8();
        m_out += m_area.suffix.toUtf8();
        m_out += "</p>\n";
    }

    void writeMaster(QDataTable *table)
    {
        const reportTable &master = m_area.master;
        m_out += "<table align=\"center\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" border=\""
                + QByteArray::number(master.border) + "\">\n";
        m_out += "<tr" + classAttribute(master.headCss) + ">\n";
        for (const reportField &column : master.columns) {
            m_out += "<td valign=\"middle\" ";
            if (column.width > 0)
                m_out += "width=\"" + QByteArray::number(column.width) + "%\" ";
            m_out += "align=\"center\"><b>" + column.label.toUtf8() + "</b></td>";
        }
        m_out += "</tr>\n";

        const bool nested = m_detail && !m_area.masterLink.isEmpty()
                && !m_area.masterLink.at(0).isEmpty() && !m_area.masterLink.at(1).isEmpty();
        const QByteArray bodyClass = classAttribute(master.bodyCss);
        for (int row = 0; row < table->rowCount(); ++row) {
            // Rows deleted in the document but not yet saved are not part of the report.
            const QSqlRecord record = table->getRecord(row, true);
            if (record.isEmpty())
                continue;
            const int visible = record.indexOf(QStringLiteral("b_visible"));
            if (visible >= 0 && !record.isNull(visible) && !record.value(visible).toBool())
                continue;
            m_out += "<tr" + bodyClass + '>';
            writeCells(master.columns, record);
            m_out += "</tr>\n";
            if (nested)
                writeDetail(record, master.columns.size());
        }
        m_out += "</table>\n";
    }

    void writeDetail(const QSqlRecord &masterRecord, int masterColumns)
    {
        const reportTable &detail = m_area.detail;
        QDataTable scratch(QStringLiteral("temp"));
        m_detail->getRows(&scratch, m_area.masterLink.at(1), masterRecord.value(m_area.masterLink.at(0)));
        if (scratch.rowCount() == 0)
            return;
        m_out += "<tr><td colspan=\"" + QByteArray::number(masterColumns) + "\">";
        m_out += "<table align=\"right\" cellspacing=\"0\" cellpadding=\"2\" width=\"80%\" border=\""
                + QByteArray::number(detail.border) + "\">\n";
        m_out += "<tr" + classAttribute(detail.headCss) + '>';
        for (const reportField &column : detail.columns) {
            if (column.width < 1)
                m_out += "<td align=\"center\" valign=\"middle\" ><b>";
            else
                m_out += "<td width=\"" + QByteArray::number(column.width) + "%\" align=\"center\" valign=\"middle\"><b>";
            m_out += column.label.toUtf8() + "</b></td>";
        }
        m_out += "</tr>\n";
        const QByteArray bodyClass = classAttribute(detail.bodyCss);
        for (int row = 0; row < scratch.rowCount(); ++row) {
            m_out += "<tr" + bodyClass + ">\n";
            writeCells(detail.columns, scratch.getRecord(row, false));
            m_out += "</tr>\n";
        }
        m_out += "</table>";
        m_out += "</td></tr>";
    }

    void writeCells(const QList<reportField> &columns, const QSqlRecord &record)
    {
        for (const reportField &column : columns) {
            m_out += "<td ";
            if (!column.align.isEmpty())
                m_out += "align=\"" + column.align.toUtf8() + "\" ";
            m_out += '>';
            const int index = record.indexOf(column.field);
            if (index >= 0)
                m_out += cellText(record.value(index));
            m_out += "</td>";
        }
    }

    static QByteArray cellText(const QVariant &value)
    {
        QString text = value.toString();
        text.replace(QLatin1Char('<'), QLatin1String("&lt;"));
        text.replace(QLatin1Char('>'), QLatin1String("&gt;"));
        return text.toUtf8();
    }

    const reportArea &m_area;
    QDataTable *m_areaTable;
    QDataTable *m_master;
    QDataTable *m_detail;
    QByteArray m_out;
};

} // namespace

reportField getFieldFromVariant(const QVariant &value)
{
    reportField field;
    if (value.type() != QVariant::Map)
        return field;
    const QVariantMap map = value.toMap();
    field.field = map.value(QStringLiteral("field")).toString();
    field.label = map.value(QStringLiteral("label")).toString();
    field.label.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    field.align = map.value(QStringLiteral("align")).toString().toLower();
    const int type = QVariant::nameToType(map.value(QStringLiteral("type")).toString().toLatin1().constData());
    field.type = type == QVariant::Invalid ? int(QVariant::String) : type;
    const QString width = map.value(QStringLiteral("width")).toString().toLower();
    field.width = width.isEmpty() || width == QLatin1String("default") ? -1 : width.toInt(nullptr, 10);
    return field;
}

reportTable getTableFromVariant(const QVariant &value)
{
    reportTable table;
    if (value.type() != QVariant::Map)
        return table;
    const QVariantMap map = value.toMap();
    table.headCss = map.value(QStringLiteral("HEADCSS")).toString();
    table.bodyCss = map.value(QStringLiteral("BODYCSS")).toString();
    table.name = map.value(QStringLiteral("NAME")).toString();
    const QVariantList columns = map.value(QStringLiteral("COLUMNS")).toList();
    for (const QVariant &column : columns)
        table.columns.append(getFieldFromVariant(column));
    table.border = map.value(QStringLiteral("BORDER")).toInt();
    return table;
}

reportArea getAreaFromVariant(const QVariant &value)
{
    reportArea area;
    const QVariantMap map = value.toMap();
    area.master = getTableFromVariant(map.value(QStringLiteral("MASTER")));
    area.detail = getTableFromVariant(map.value(QStringLiteral("DETAIL")));
    area.masterLink = linkPair(map.value(QStringLiteral("MASTERLINK")));
    area.areaCss = map.value(QStringLiteral("AREACSS")).toString();
    area.prefix = map.value(QStringLiteral("PREFIX")).toString();
    area.suffix = map.value(QStringLiteral("SUFFIX")).toString();
    area.titleField = map.value(QStringLiteral("TITLEFIELD")).toString();
    area.areaTable = map.value(QStringLiteral("TABLE")).toString();
    area.areaLink = linkPair(map.value(QStringLiteral("AREALINK")));
    return area;
}

QByteArray makeHTMLFromArea(const reportArea &area, QDataSet *dataSet)
{
    if (!dataSet)
        return QByteArray();
    return AreaWriter(area, dataSet).write();
}

QByteArray ReportTemplate::render(const QByteArray &htmlTemplate, QDataSet *dataSet,
                                  const QMap<QString, QVariant> &values)
{
    QStringList active;
    const QByteArray withValues = replaceBlocks(htmlTemplate, valueMarker, [&](const Block &block) {
        bool isObject = false;
        const QVariantMap object = parseObject(block.json, &isObject);
        if (!isObject)
            return QByteArray();
        return expandValue(object.value(QStringLiteral("name")).toString(), values, &active);
    }, true);

    return replaceBlocks(withValues, areaMarker, [&](const Block &block) {
        bool isObject = false;
        const QVariantMap object = parseObject(block.json, &isObject);
        const reportArea area = getAreaFromVariant(object);
        if (!isObject || area.master.columns.isEmpty()) {
            qCWarning(lcReports) << "Invalid template";
            return QByteArray();
        }
        return makeHTMLFromArea(area, dataSet);
    }, true);
}
