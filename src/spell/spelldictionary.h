#ifndef SPELLDICTIONARY_H
#define SPELLDICTIONARY_H

#include "dealsglobal.h"

#include <QHash>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include <future>
#include <memory>

class Hunspell;
class QTextCodec;

// A Hunspell dictionary (an .aff and a .dic file with one base name), loaded
// once per process and shared by every editor and highlighter that uses it:
// a Russian dictionary takes some 17 MB and 50 ms to load. The load runs on a
// worker thread from the moment the dictionary is opened, so that a window
// whose editors open it does not wait for it; the first question asked of the
// dictionary waits for what is left of the load. Words are converted to and
// from the dictionary's own encoding.
class DEALS_EXPORT SpellDictionary
{
public:
    ~SpellDictionary();
    SpellDictionary(const SpellDictionary &) = delete;
    SpellDictionary &operator=(const SpellDictionary &) = delete;

    // The dictionary behind a .dic path (see locate), its load started on
    // first use; null when the .dic or its .aff file cannot be read.
    static QSharedPointer<SpellDictionary> open(const QString &dicPath);

    // Where a .dic path leads: an absolute path as it is; a relative one is
    // looked up next to this library, then in the system's dictionary folder.
    // Gives the first candidate when neither has the file.
    static QString locate(const QString &dicPath);

    // Adds a word to every dictionary loaded now (the user's dictionary grew).
    static void addToAll(const QString &word);

    QString path() const { return m_path; }
    QString encoding() const;

    bool spell(const QString &word) const;
    // Suggestions in the checker's order; empty for a word it accepts.
    QStringList suggest(const QString &word) const;
    // Accepted until the program ends.
    void add(const QString &word);

private:
    SpellDictionary(const QString &path, std::future<std::unique_ptr<Hunspell>> loading);

    // Waits for the load and, once, takes the checker over from it.
    Hunspell *checker() const;

    QString m_path;
    mutable std::future<std::unique_ptr<Hunspell>> m_loading;
    mutable std::unique_ptr<Hunspell> m_checker;
    mutable QString m_encoding;
    mutable QTextCodec *m_codec = nullptr;
    // Re-highlighting a long block asks about the same words on every
    // keystroke; the answers stay valid until a word is added.
    mutable QHash<QString, bool> m_answers;
};

#endif // SPELLDICTIONARY_H
