#ifndef QDBSETTINGS_H
#define QDBSETTINGS_H

#include "dealsglobal.h"

#include <QObject>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

class QDataTable;

// A user's settings kept as rows in the database, addressed by paths such as
// "sales/deals/mainheader", read and written only through the named scripts
// "USER_ATTR_READ" and "USER_ATTR_WRITE" on the shell's connection.
class DEALS_EXPORT QDbSettings : public QObject
{
    Q_OBJECT

public:
    explicit QDbSettings(QObject *parent = nullptr);

    void beginGroup(QString group);
    void endGroup();
    QString currentGroup() const { return m_group; }

    // The group and the key of a path: exactly two items.
    QStringList splitPath(QString path) const;

    QVariant value(QString path, QVariant defaultValue = QVariant());
    bool setValue(QString path, QVariant value);

    void saveTableHeader(QString path, QDataTable *table);
    void restoreTableHeader(QString path, QDataTable *table);

private:
    // The record that names a setting in the scripts; the path's group becomes current.
    QSqlRecord address(const QString &path);

    QString m_group;
};

#endif // QDBSETTINGS_H
