#ifndef SHELLLOCALE_H
#define SHELLLOCALE_H

#include <QList>
#include <QLocale>
#include <QObject>

class QTranslator;

// The language of the windows and the formats of dates and numbers: the
// toolkit's own texts (standard buttons, context menus, dialogs) and the
// library's few English ones (the document window's tool bar, its file
// dialogs). The workplace speaks Russian whatever the machine's locale, unless
// the user's settings name another one.
class ShellLocale : public QObject
{
    Q_OBJECT

public:
    // catalogFolder: where the library's catalogs ("deals_ru.qm") are.
    explicit ShellLocale(const QString &catalogFolder, QObject *parent = nullptr);

    // The "locale" entry of the shell's settings; "DEFAULT" when there is none.
    static QString userSetting();

    // Makes the setting's locale the default one and installs the toolkit's
    // and the library's translations for it, replacing those of an earlier
    // call. "DEFAULT", an empty or an unknown name mean Russian. A catalog
    // that is missing leaves its texts as they are written, with a warning.
    void apply(const QString &setting);

    QLocale locale() const { return m_locale; }

private:
    bool install(const QString &catalog, const QString &folder);
    void removeTranslations();

    const QString m_catalogFolder;
    QLocale m_locale;
    QList<QTranslator *> m_translators;
};

#endif // SHELLLOCALE_H
