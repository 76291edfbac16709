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

ShellLocale::ShellLocale(QObject *parent)
    : QObject(parent)
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

    removeTranslation();
    // The toolkit's own texts are English already.
    if (m_locale.language() == QLocale::English || m_locale.language() == QLocale::C)
        return;
    // "qt" is the catalog that gathers the toolkit's modules (qtbase, qtscript, qtmultimedia).
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(this);
    if (!translator->load(m_locale, QStringLiteral("qt"), QStringLiteral("_"), folder)) {
        qCWarning(lcShell).noquote() << QStringLiteral("No toolkit translations for %1 in %2.").arg(m_locale.name(), folder);
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    m_translator = translator;
}

void ShellLocale::removeTranslation()
{
    if (!m_translator)
        return;
    QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
    m_translator = nullptr;
}
