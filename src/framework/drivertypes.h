#ifndef DRIVERTYPES_H
#define DRIVERTYPES_H

// Record types shared with the separately loaded database driver library.
// Kept header-only so that a driver can be built without linking this library.

#include <QList>
#include <QSqlError>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

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

// What one execution of a row script gave back, for a driver that sends a
// row script's executions together ("execRowScripts").
struct RowScriptResult
{
    bool returnsRows = false; // the statement answered with a result set
    int rowCount = 0;         // rows of that result set
    int affected = 0;         // rows the statement inserted, updated or deleted
    QSqlRecord row;           // the first row of the result set, typed
};

// How a batch of row script executions ended.
enum RowScriptOutcome {
    RowScriptsNotSent = 0, // nothing ran: the caller runs the rows one by one
    RowScriptsDone = 1,    // every execution ran and is kept
    RowScriptsFailed = 2   // one failed or found nothing; none of the batch is kept
};

// How a driver's reading of a whole select ended ("readRows").
enum RowsReadOutcome {
    RowsNotRead = 0,   // nothing ran: the caller reads the rows through QSqlQuery
    RowsRead = 1,      // the statement ran and its rows went to the receiver
    RowsReadFailed = 2 // the statement failed (*error), or it ran and was no select
};

// Takes the rows of a select that a driver reads in one go: first the
// result's fields, named and typed, then each row's values in order, each
// the very value QSqlQuery::value() gives for it. The values are the
// receiver's to take (move from) during the call only.
class RowReceiver
{
public:
    virtual ~RowReceiver() = default;
    virtual void begin(const QSqlRecord &fields, int rowCount) = 0;
    // False drops the rows still to come.
    virtual bool take(QVariant *values) = 0;
};

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
// Optional: runs `script` once per entry of `rows`, binding the parameter
// tokens `names` in order (as bindQueryParam would, one after another) to the
// row's values, with the values travelling apart from the statement. An
// execution whose `mustFind` entry is set and that finds no row stops the
// batch like a failure does, with an invalid *error. Returns a RowScriptOutcome;
// *failed is the index of the execution that stopped the batch.
typedef int (*ExecRowScriptsFn)(QString script, QStringList names, QList<QVariantList> rows, QVector<bool> mustFind,
                                QList<RowScriptResult> *results, int *failed, QSqlError *error);
// Optional: runs `statement` (its values already written in), reads its
// whole result at once and hands it to `receiver`. Returns a RowsReadOutcome.
typedef int (*ReadRowsFn)(QString statement, RowReceiver *receiver, QSqlError *error);
} // namespace DriverApi

#endif // DRIVERTYPES_H
