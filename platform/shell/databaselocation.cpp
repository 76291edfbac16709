#include "databaselocation.h"

#include "appcontext.h"
#include "privateserver.h"
#include "shelloptions.h"
#include "workplacelogging.h"

#include <QSettings>

namespace {

const char privateDatabase[] = "workplace";

QString firstNonEmpty(std::initializer_list<QString> values)
{
    for (const QString &value : values) {
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

bool environmentNamesServer()
{
    for (const char *name : {"PGHOST", "PGHOSTADDR", "PGDATABASE", "PGSERVICE", "PGPORT"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    return false;
}

} // namespace

DatabaseLocation::DatabaseLocation() = default;

DatabaseLocation::~DatabaseLocation()
{
    release();
}

bool DatabaseLocation::prepare(const ShellOptions &options, QString *error)
{
    QSettings settings;
    const QString host = firstNonEmpty({options.dbHost, settings.value(QStringLiteral("database/host")).toString()});
    const QString port = firstNonEmpty({options.dbPort, settings.value(QStringLiteral("database/port")).toString()});
    const QString name = firstNonEmpty({options.dbName, settings.value(QStringLiteral("database/name")).toString()});
    const QString user = firstNonEmpty({options.dbUser, settings.value(QStringLiteral("database/user")).toString()});

    if (!host.isEmpty() || !name.isEmpty() || environmentNamesServer()) {
        AppContext::setDatabaseAddress({host, port, name, user});
        m_description = firstNonEmpty({name, qEnvironmentVariable("PGDATABASE"), QStringLiteral("(по умолчанию libpq)")});
        return true;
    }

    m_server = std::make_unique<PrivateServer>(options.dataDir.isEmpty() ? PrivateServer::defaultRoot() : options.dataDir);
    if (!m_server->start(error) || !m_server->ensureDatabase(QString::fromLatin1(privateDatabase), error)) {
        release();
        return false;
    }
    AppContext::setDatabaseAddress({m_server->socketDir(), QString(), QString::fromLatin1(privateDatabase),
                                    PrivateServer::superUser()});
    // A new private database is a place to look around in: fill it with demo data.
    AppContext::setDemoData(true);
    m_description = QStringLiteral("%1 (свой сервер в %2)").arg(QString::fromLatin1(privateDatabase), m_server->root());
    return true;
}

QString DatabaseLocation::privateFolder() const
{
    return m_server ? m_server->root() : QString();
}

void DatabaseLocation::release()
{
    if (m_server && m_server->startedHere()) {
        QString error;
        if (!m_server->stopIfUnused(&error))
            qCWarning(lcShell).noquote() << error;
    }
    m_server.reset();
}
