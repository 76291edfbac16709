#include "personaldictionary.h"

#include "spelldictionary.h"
#include "workplacelogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

PersonalDictionary::PersonalDictionary(QObject *parent)
    : QObject(parent)
{
}

PersonalDictionary *PersonalDictionary::instance()
{
    static PersonalDictionary *dictionary = new PersonalDictionary;
    return dictionary;
}

QString PersonalDictionary::fileName() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
            + QStringLiteral("/spelling/personal.dic");
}

void PersonalDictionary::reload()
{
    m_loaded = false;
}

void PersonalDictionary::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_words.clear();
    m_known.clear();
    QFile file(fileName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    while (!stream.atEnd()) {
        const QString word = stream.readLine().trimmed();
        if (!word.isEmpty() && !m_known.contains(word)) {
            m_known.insert(word);
            m_words.append(word);
        }
    }
}

QStringList PersonalDictionary::words()
{
    load();
    return m_words;
}

bool PersonalDictionary::addWord(const QString &word)
{
    const QString clean = word.trimmed();
    if (clean.isEmpty())
        return false;
    load();
    bool written = true;
    if (!m_known.contains(clean)) {
        m_known.insert(clean);
        m_words.append(clean);
        QDir().mkpath(QFileInfo(fileName()).absolutePath());
        QFile file(fileName());
        written = file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)
                && file.write(clean.toUtf8() + '\n') > 0 && file.flush();
        if (!written)
            qCWarning(lcSpell) << "Cannot keep the word" << clean << "in" << fileName() << ':' << file.errorString();
    }
    SpellDictionary::addToAll(clean);
    Q_EMIT wordAdded(clean);
    return written;
}
