#ifndef SHELLLOCALE_H
#define SHELLLOCALE_H

#include <QLocale>
#include <QObject>

class QTranslator;

// The language of the toolkit's own texts (standard buttons, context menus,
// dialogs) and the formats of dates and numbers. The workplace speaks Russian
// whatever the machine's locale, unless the user's settings name another one.
class ShellLocale : public QObject
{
    Q_OBJECT

public:
    explicit ShellLocale(QObject *parent = nullptr);

    // The "locale" entry of the shell's settings; "DEFAULT" when there is none.
    static QString userSetting();

    // Makes the setting's locale the default one and installs the toolkit's
    // translations for it, replacing those of an earlier call. "DEFAULT", an
    // empty or an unknown name mean Russian.
    void apply(const QString &setting);

    QLocale locale() const { return m_locale; }

private:
    void removeTranslation();

    QLocale m_locale;
    QTranslator *m_translator = nullptr;
};

#endif // SHELLLOCALE_H
