#ifndef PERSONALDICTIONARY_H
#define PERSONALDICTIONARY_H

#include "dealsglobal.h"

#include <QObject>
#include <QSet>
#include <QStringList>

// The words a user added to the spelling dictionary, kept one per line in a
// file of the user's own data folder and given to every dictionary this
// process loads, so that they stay accepted in new editors and later sessions.
class DEALS_EXPORT PersonalDictionary : public QObject
{
    Q_OBJECT

public:
    static PersonalDictionary *instance();

    QString fileName() const;
    QStringList words();

    // Accepts the word everywhere at once and appends it to the file. False
    // when the file could not be written; the word then lasts for this session.
    bool addWord(const QString &word);

    // Reads the file again on next use (another session may have added words).
    void reload();

Q_SIGNALS:
    void wordAdded(const QString &word);

private:
    explicit PersonalDictionary(QObject *parent = nullptr);
    void load();

    bool m_loaded = false;
    QStringList m_words;
    QSet<QString> m_known;
};

#endif // PERSONALDICTIONARY_H
