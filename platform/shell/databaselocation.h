#ifndef DATABASELOCATION_H
#define DATABASELOCATION_H

#include <QString>

#include <memory>

class PrivateServer;
struct ShellOptions;

// Decides which database the driver opens: the one the user configured (command
// line, the shell's settings file, or libpq's environment), or else the user's
// private server, started here when needed. Publishes the choice for the driver.
class DatabaseLocation
{
public:
    DatabaseLocation();
    ~DatabaseLocation();

    bool prepare(const ShellOptions &options, QString *error);
    // Stops the private server if it was started here and no other client uses it;
    // call once the shell's own connection is closed, or it counts as such a client.
    void release();

    bool isPrivate() const { return static_cast<bool>(m_server); }
    QString description() const { return m_description; }
    // The folder of the private server, empty for a configured one.
    QString privateFolder() const;

private:
    std::unique_ptr<PrivateServer> m_server;
    QString m_description;
};

#endif // DATABASELOCATION_H
