#ifndef DRIVERTYPES_H
#define DRIVERTYPES_H

// Record types shared with the separately loaded database driver library.
// Kept header-only so that a driver can be built without linking this library.

#include <QList>
#include <QString>
#include <QVariant>

class QPlainTextEdit;
class QSqlQuery;

// A candidate driver library found in a folder.
struct drvInfo
{
    QString name;     // the driver's display name, from its "fullName"
    QString fileName; // the library's file name within the scanned folder
};

// One plug-in panel of the host; filled by the driver, read by the host only.
struct panelData
{
    QString name;
    QString library;
    QString caption;
    int order = 0;
};
typedef QList<panelData> QPanelList;

// Entry points of a driver library, resolved by these exact names.
namespace DriverApi {
typedef QVariant (*ConnectFn)(QString name, bool noGui);
typedef QString (*GetStartFn)();
typedef bool (*LoginFn)(QString user, QString password);
typedef QString (*GetScriptFn)(QString name);
typedef bool (*CanDoFn)(QString action);
typedef QVariant (*GetSystemAttrFn)(QString name);
typedef QString (*BindQueryParamFn)(QString script, QString param, QVariant value);
typedef bool (*GetPanelsFn)(QPanelList &list);
typedef QVariant (*ConvertFn)(QVariant value, QVariant::Type type);
typedef bool (*BatchExecFn)(QString script, QPlainTextEdit *log, QList<QSqlQuery> *results);
typedef QVariant (*ResultExecSqlFn)(QString script, QString second);
typedef void (*ScopeIdentityFn)(QString table, QSqlQuery *query);
typedef QString (*FullNameFn)();
// Optional: drivers that keep their own users. Empty on success, else a message.
typedef QString (*ChangePasswordFn)(QString user, QString currentPassword, QString newPassword);
} // namespace DriverApi

#endif // DRIVERTYPES_H
