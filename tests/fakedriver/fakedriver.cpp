// A stand-in driver for the connection paths a real server cannot produce:
// any status text from "Connect", an empty creation script, a failing creation,
// a login whose name query fails. Steered through application properties.

#include "drivertypes.h"

#include <QCoreApplication>
#include <QSqlDatabase>

#define DRIVER_EXPORT extern "C" Q_DECL_EXPORT

namespace {
QVariant steer(const char *name)
{
    return qApp->property(name);
}
} // namespace

DRIVER_EXPORT QString fullName()
{
    return QStringLiteral(FAKE_DRIVER_NAME);
}

DRIVER_EXPORT QVariant Connect(QString name, bool)
{
    // The server's maintenance database: reachable, but without our schema,
    // so every query of our tables fails.
    if (!QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(steer("DbHost").toString());
        db.setUserName(steer("DbUser").toString());
        db.setDatabaseName(QStringLiteral("postgres"));
    }
    qApp->setProperty("fakeConnectCalls", steer("fakeConnectCalls").toInt() + 1);
    return steer("fakeStatus");
}

#ifdef FAKE_HAS_START
DRIVER_EXPORT QString getStart()
{
    return steer("fakeStart").toString();
}
#endif

DRIVER_EXPORT bool batchExec(QString script, void *, void *)
{
    qApp->setProperty("fakeBatchScript", script);
    return steer("fakeBatchResult").toBool();
}

DRIVER_EXPORT bool login(QString, QString)
{
    return steer("fakeLoginResult").toBool();
}

DRIVER_EXPORT QVariant getSystemAttr(QString name)
{
    return name == QLatin1String("superAdminId") ? steer("fakeSuperAdmin") : QVariant();
}

DRIVER_EXPORT QString bindQueryParam(QString script, QString, QVariant)
{
    return script;
}
