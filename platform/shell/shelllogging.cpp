#include "shelllogging.h"

#include "workplacelogging.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <cerrno>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// Platform plugins without a window system (offscreen, used for screenshots)
// tell about every window feature they lack; that is no news to the user.
bool isPlatformNotice(const QMessageLogContext &context, const QString &message)
{
    return qstrcmp(context.category, "default") == 0
            && message.startsWith(QLatin1String("This plugin does not support"));
}

void filterMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (isPlatformNotice(context, message) && !lcShell().isDebugEnabled())
        return;
    previousHandler(type, context, message);
}

} // namespace

namespace ShellLogging {

void prepareRuntimeDir()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const passwd *account = ::getpwuid(::geteuid());
    if (!account)
        return;
    // The same folder Qt falls back to, private to the user as Qt requires.
    const QString folder = QDir::tempPath() + QStringLiteral("/runtime-") + QString::fromLocal8Bit(account->pw_name);
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return;
    struct stat status;
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()
            || (status.st_mode & 0777) != 0700)
        return;
    qputenv("XDG_RUNTIME_DIR", path);
}

void setUp(bool verbose)
{
    previousHandler = qInstallMessageHandler(filterMessage);
    if (!verbose)
        return;
    QLoggingCategory::setFilterRules(QStringLiteral("workplace.*.debug=true"));
}

} // namespace ShellLogging
