#include "shelllocale.h"

#include "workplacelogging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

namespace {

const QLatin1String defaultSetting("DEFAULT");

QLocale localeFor(const QString &setting)
{
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (setting.isEmpty() || setting.compare(defaultSetting, Qt::CaseInsensitive) == 0)
        return russian;
    const QLocale named(setting);
    // QLocale turns a name it does not know into the C locale.
    if (named.language() == QLocale::C && setting != QLatin1String("C")) {
        qCWarning(lcShell).noquote() << QStringLiteral("Unknown locale \"%1\" in the settings; Russian is used.").arg(setting);
        return russian;
    }
    return named;
}

} // namespace

ShellLocale::ShellLocale(const QString &catalogFolder, QObject *parent)
    : QObject(parent)
    , m_catalogFolder(catalogFolder)
{
}

QString ShellLocale::userSetting()
{
    return QSettings().value(QStringLiteral("locale"), defaultSetting).toString();
}

void ShellLocale::apply(const QString &setting)
{
    m_locale = localeFor(setting);
    QLocale::setDefault(m_locale);

    removeTranslations();
    // The toolkit's texts and the library's untranslated ones are English already.
    if (m_locale.language() == QLocale::English || m_locale.language() == QLocale::C)
        return;
    // "qt" is the catalog that gathers the toolkit's modules (qtbase, qtscript, qtmultimedia).
    const QString toolkitFolder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!install(QStringLiteral("qt"), toolkitFolder))
        qCWarning(lcShell).noquote() << QStringLiteral("No toolkit translations for %1 in %2.").arg(m_locale.name(), toolkitFolder);
    if (!install(QStringLiteral("deals"), m_catalogFolder))
        qCWarning(lcShell).noquote() << QStringLiteral("No library translations for %1 in %2.").arg(m_locale.name(), m_catalogFolder);
}

bool ShellLocale::install(const QString &catalog, const QString &folder)
{
    auto *translator = new QTranslator(this);
    if (!translator->load(m_locale, catalog, QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    m_translators.append(translator);
    return true;
}

void ShellLocale::removeTranslations()
{
    for (QTranslator *translator : qAsConst(m_translators)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    m_translators.clear();
}
