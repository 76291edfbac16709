// Plain-text exports of a table.

#include "qdatatable.h"
#include "qdatatable_p.h"

#include "datatableitem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardItemModel>
#include <QTextCodec>

QString QDataTable::prepareDump(bool bFullInfo) const
{
    static const char stateLetters[] = "OAMD";
    QString text;
    if (bFullInfo)
        text += QStringLiteral("ROW_STATE;");
    for (const colInfo &column : d->columns)
        text += QLatin1Char('"') + column.fieldName + QStringLiteral("\";");
    text += QLatin1Char('\n');
    for (int row = 0; row < d->model->rowCount(); ++row) {
        const int state = getRowState(row);
        if (!bFullInfo && state == rsDeleted)
            continue;
        if (bFullInfo)
            text += QString(QLatin1Char(stateLetters[qBound(0, state, 3)])) + QLatin1Char(';');
        for (int c = 0; c < d->model->columnCount(); ++c) {
            text += QLatin1Char('"') + cellValue(row, c).toString() + QStringLiteral("\";");
        }
        text += QStringLiteral(";\n");
    }
    return text;
}

void QDataTable::dumpTable(QString dmpDir, bool bFullInfo) const
{
    QDir().mkpath(dmpDir);
    const QString fileName = QStringLiteral("%1_%2.csv")
            .arg(objectName(), QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd hh_mm")));
    QFile file(QDir(dmpDir).filePath(fileName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(prepareDump(bFullInfo).toLocal8Bit());
}

void QDataTable::makeReport(QString fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    // The user's locale is the one the shell makes the default (Russian unless
    // the settings say otherwise), whatever the machine's environment says.
    const QLocale locale;
    const auto valueText = [&locale](const QVariant &value) {
        switch (static_cast<int>(value.type())) {
        case QMetaType::Double:
            return value.toString().replace(QLatin1Char('.'), QLatin1Char(','));
        case QMetaType::QDate:
            return locale.toString(value.toDate(), QLocale::ShortFormat);
        case QMetaType::QTime:
            return locale.toString(value.toTime(), QLocale::ShortFormat);
        case QMetaType::QDateTime:
            return locale.toString(value.toDateTime(), QLocale::ShortFormat);
        default:
            return value.toString();
        }
    };
    QStringList lines;
    QStringList header;
    for (const colInfo &column : d->columns) {
        if (column.visible)
            header.append(QLatin1Char('"') + column.label + QLatin1Char('"'));
    }
    lines.append(header.join(QLatin1Char(';')));
    for (int row = 0; row < d->model->rowCount(); ++row) {
        if (getRowState(row) == rsDeleted)
            continue;
        QStringList cells;
        for (int c = 0; c < d->columns.size(); ++c) {
            if (!d->columns.at(c).visible)
                continue;
            cells.append(QLatin1Char('"') + valueText(cellValue(row, c)) + QLatin1Char('"'));
        }
        lines.append(cells.join(QLatin1Char(';')));
    }
    QTextCodec *codec = QTextCodec::codecForName("cp1251");
    const QString text = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    file.write(codec ? codec->fromUnicode(text) : text.toLocal8Bit());
}
