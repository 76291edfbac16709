#include "liblist.h"

#include "appcontext.h"
#include "fileversion.h"
#include "workplacelogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTranslator>

namespace {

// Windows names module libraries "<name>.dll"; here they are "<name>.so".
const QLatin1String librarySuffix("so");

QString libraryFileName(const QString &name)
{
    if (QFileInfo(name).suffix().toLower() == librarySuffix)
        return name;
    return name + QLatin1Char('.') + librarySuffix;
}

// Replaces the local copy when the repository holds a newer build of it.
void updateFromRepository(const QString &fileName, const QString &localPath)
{
    const QString repoPath = AppContext::repoPath();
    if (repoPath.isEmpty())
        return;
    const QString repoFile = QDir(repoPath).filePath(fileName);
    if (fileVersion(repoFile) <= fileVersion(localPath))
        return;
    qCDebug(lcModule).noquote() << "UPDATING: " + fileName;
    QFile::remove(localPath);
    QFile::copy(repoFile, localPath);
}

// Installs the module's translation for the user's language, when it has one.
void loadTranslation(QLibrary *library)
{
    const QString locale = AppContext::locale();
    if (locale.isEmpty() || locale.toUpper() == QLatin1String("DEFAULT"))
        return;
    using SysNameFunc = QString (*)();
    const auto getSysName = reinterpret_cast<SysNameFunc>(library->resolve("getSysName"));
    if (!getSysName)
        return;

    const QString fileName = QStringLiteral("%3/%1_%2").arg(getSysName(), locale, AppContext::localeDir());
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(fileName)) {
        QCoreApplication::installTranslator(translator);
        return;
    }
    delete translator;
    qCDebug(lcModule).noquote() << fileName + " can not load";
}

} // namespace

QLibrary *libList::findLoaded(const QString &name) const
{
    const QString wanted = name.toUpper();
    for (const libInfo &info : *this) {
        if (info.name.toUpper() == wanted)
            return info.library;
    }
    return nullptr;
}

QLibrary *libList::getLibrary(QString name, bool flag)
{
    if (name.isEmpty())
        return nullptr;
    if (QLibrary *loaded = findLoaded(name))
        return loaded;

    const QString fileName = libraryFileName(name);
    const QString path = QDir(AppContext::libDir()).filePath(fileName);
    updateFromRepository(fileName, path);

    // The list owns its libraries; the shell frees them with the list.
    auto *library = new QLibrary(path);
    if (!library->load()) {
        qCDebug(lcModule).noquote() << "ERROR LOADING LIBRARY: " + name + " :: " + library->errorString();
        delete library;
        return nullptr;
    }
    append(libInfo{name, flag, library});

    loadTranslation(library);
    library->setProperty("version", stringVersion(fileVersion(path)));
    return findLoaded(name);
}
